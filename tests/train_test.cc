// The train the running times use: each figure as the project file writes
// it, converted to SI units, or derived from the train description's cars
// and braked mass, or the default express train's.
#include "running_time/train.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "model/model.h"

namespace sb::running {
namespace {

Scenario Described(int32_t cars, int32_t brakedPercent) {
  Scenario s;
  s.items[kSlotTotals].position = cars;
  s.items[kSlotTotals].start = brakedPercent;
  return s;
}

std::string Origin(const Train& t, const std::string& key) {
  for (const auto& [name, how] : t.origins) {
    if (name == key) return how;
  }
  return "(none)";
}

TEST(Train, FiguresLeftOutAreDerivedOrDefault) {
  struct Case {
    const char* what;
    TrainTable table;
    Scenario scenario;
    double mass, length, davisA, davisB, davisC, deceleration;
  };
  TrainTable sixCars;
  sixCars.cars = 6;
  TrainTable longCars;
  longCars.carLengthMetres = 24.5;
  TrainTable heavier;
  heavier.massTonnes = 700;  // the resistance follows the mass given
  const Case cases[] = {
      {"nothing given, 12 cars and 125 %",
       {},
       Described(12, 125),
       628000,
       336.3,
       10711.0,
       206.645,
       15.5253,
       0.5},
      {"cars only", sixCars, Described(12, 125), 358000, 177.9, 5893.96, 117.801, 10.6377, 0.5},
      {"a car length", longCars, Described(12, 125), 628000, 313.5, 10711.0, 206.645, 15.5253, 0.5},
      {"a mass", heavier, Described(12, 125), 700000, 336.3, 11169.9, 230.337, 15.5253, 0.5},
      {"no cars, no braked mass in the description",
       {},
       Described(0, 0),
       628000,
       336.3,
       10711.0,
       206.645,
       15.5253,
       0.5},
      {"braked mass 100 %", {}, Described(12, 100), 628000, 336.3, 10711.0, 206.645, 15.5253, 0.4},
      {"braked mass 60 %: the least deceleration",
       {},
       Described(12, 60),
       628000,
       336.3,
       10711.0,
       206.645,
       15.5253,
       0.3},
      {"braked mass 200 %: the most",
       {},
       Described(12, 200),
       628000,
       336.3,
       10711.0,
       206.645,
       15.5253,
       0.6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Train t = ResolveTrain(c.table, c.scenario);
    EXPECT_DOUBLE_EQ(t.mass, c.mass);
    EXPECT_NEAR(t.length, c.length, 1e-9);
    EXPECT_NEAR(t.davisA, c.davisA, 0.1);
    EXPECT_NEAR(t.davisB, c.davisB, 0.001);
    EXPECT_NEAR(t.davisC, c.davisC, 0.0001);
    EXPECT_DOUBLE_EQ(t.brakingDeceleration, c.deceleration);
    EXPECT_DOUBLE_EQ(t.topSpeed, 160 / 3.6);
    EXPECT_DOUBLE_EQ(t.startingTractiveEffort, 250000);
    EXPECT_DOUBLE_EQ(t.power, 5600000);
    EXPECT_DOUBLE_EQ(t.rotatingMassFactor, 1.06);
    EXPECT_DOUBLE_EQ(t.dwell, 60);
    EXPECT_DOUBLE_EQ(t.allowance, 0.05);
  }
}

TEST(Train, EachOriginIsTold) {
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"mass_t", "from a locomotive of 88 t and 12 cars of 45 t"},
      {"length_m", "from 12 cars of 26.4 m and a locomotive of 19.5 m"},
      {"cars", "train description"},
      {"car_length_m", "default: a long-distance coach"},
      {"top_speed_kmh", "default"},
      {"starting_tractive_effort_kn", "default"},
      {"power_kw", "default"},
      {"davis_a_kn", "from the Davis formula: 628 t on 52 axles"},
      {"davis_b_kn_per_kmh", "from the Davis formula: 628 t"},
      {"davis_c_kn_per_kmh2",
       "from the Davis formula: a locomotive and 12 cars of 10 m² frontal "
       "area"},
      {"rotating_mass_factor", "default"},
      {"braking_deceleration_ms2", "from the braked mass 125 %"},
      {"dwell_s", "default"},
      {"allowance_percent", "default"},
  };
  EXPECT_EQ(ResolveTrain({}, Described(12, 125)).origins, expected);
  const Train bare = ResolveTrain({}, Described(0, 0));
  EXPECT_EQ(Origin(bare, "cars"), "default: the train description gives no number");
  EXPECT_EQ(Origin(bare, "braking_deceleration_ms2"),
            "default: the train description gives no braked mass");
}

TEST(Train, EveryFigureGivenIsUsedInSiUnits) {
  TrainTable table;
  table.massTonnes = 500;
  table.lengthMetres = 250;
  table.cars = 9;
  table.carLengthMetres = 24;  // the length given wins over cars × car length
  table.topSpeedKmh = 144;
  table.startingTractiveEffortKn = 300;
  table.powerKw = 6000;
  table.davisAKn = 5;
  table.davisBKnPerKmh = 0.05;
  table.davisCKnPerKmh2 = 0.001;
  table.rotatingMassFactor = 1.08;
  table.brakingDeceleration = 0.7;
  table.dwellSeconds = 30;
  table.allowancePercent = 7;
  const Train t = ResolveTrain(table, Described(12, 125));
  EXPECT_DOUBLE_EQ(t.mass, 500000);
  EXPECT_DOUBLE_EQ(t.length, 250);
  EXPECT_DOUBLE_EQ(t.topSpeed, 40);
  EXPECT_DOUBLE_EQ(t.startingTractiveEffort, 300000);
  EXPECT_DOUBLE_EQ(t.power, 6000000);
  EXPECT_DOUBLE_EQ(t.davisA, 5000);
  EXPECT_DOUBLE_EQ(t.davisB, 180);  // N per m/s: 50 N per km/h
  EXPECT_DOUBLE_EQ(t.davisC, 12.96);
  EXPECT_DOUBLE_EQ(t.rotatingMassFactor, 1.08);
  EXPECT_DOUBLE_EQ(t.brakingDeceleration, 0.7);
  EXPECT_DOUBLE_EQ(t.dwell, 30);
  EXPECT_DOUBLE_EQ(t.allowance, 0.07);
  ASSERT_EQ(t.origins.size(), 14u);
  for (const auto& [key, how] : t.origins) EXPECT_EQ(how, "project file") << key;
}

}  // namespace
}  // namespace sb::running
