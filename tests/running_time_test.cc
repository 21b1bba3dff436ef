// The running-time calculation: closed-form runs, the built-in scenario,
// schedules that cannot be kept, and what the train cannot do.
#include "running_time/running_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "compiler/compiler.h"
#include "compiler/scenario.h"
#include "content/content.h"
#include "running_time/train.h"

namespace sb::running {
namespace {

using Kind = Finding::Kind;

// A level, straight line of `length` m with no limits written.
Scenario Line(int32_t length) {
  Scenario s;
  s.SizeForLength(length);
  for (TrackCell& c : s.cells) c.gradient = 100;
  return s;
}

// A station whose stopping zone ends at `end`, `zone` m long.
void Station(Scenario& s, int slot, int32_t end, int32_t seconds = 0, int32_t zone = 400) {
  ScenarioItem& item = s.items[static_cast<std::size_t>(slot)];
  item.kind = 1;
  item.text = "S" + std::to_string(slot);
  item.position = end - zone / 2;
  item.start = end - zone;
  item.end = end;
  item.seconds = seconds;
}

void Gradient(Scenario& s, int32_t from, int32_t to, int perMille) {
  for (int32_t k = from / 50; k < to / 50; ++k) {
    s.cells[static_cast<std::size_t>(k)].gradient = static_cast<uint8_t>(100 + perMille);
  }
}

// A train of constant force: no power limit within reach, no resistance.
Train Simple(double mass, double force) {
  Train t;
  t.mass = mass;
  t.length = 0;
  t.topSpeed = 1000;
  t.startingTractiveEffort = force;
  t.power = 1e12;
  t.rotatingMassFactor = 1;
  t.brakingDeceleration = 1;
  return t;
}

const TimingRow* RowOf(const RunningTime& rt, int slot) {
  for (const TimingRow& row : rt.rows) {
    if (row.kind == TimingRow::Kind::kStation && row.slot == slot) return &row;
  }
  return nullptr;
}

constexpr int32_t kHour = 3600;

TEST(RunningTimeClosedForm, ConstantForceOnTheLevelReachesADistanceInSqrtTwoDMOverF) {
  const struct {
    double mass;
    double force;
  } kCases[] = {{100000, 100000}, {400000, 200000}, {600000, 90000}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.mass);
    Scenario s = Line(30000);
    Station(s, 1, 100, 8 * kHour);
    Station(s, 2, 29000);
    Train t = Simple(c.mass, c.force);
    t.brakingDeceleration = 100;
    const RunningTime rt = ComputeRunningTime(s, t);
    int checked = 0;
    for (const CurvePoint& p : rt.curve) {
      const double d = p.position - 100;
      if (d <= 0 || d > 20000) continue;
      EXPECT_NEAR(p.time - 8 * kHour, std::sqrt(2 * d * c.mass / c.force), 0.1) << d;
      ++checked;
    }
    EXPECT_EQ(checked, 400);
  }
}

TEST(RunningTimeClosedForm, BrakingFromVToRestCoversVSquaredOverTwoB) {
  const struct {
    double speed;
    double deceleration;
  } kCases[] = {{40, 0.5}, {25, 0.9}, {160 / 3.6, 0.35}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.speed);
    Scenario s = Line(30000);
    Station(s, 1, 100);
    Station(s, 2, 20000);
    Train t = Simple(100000, 200000);
    t.topSpeed = c.speed;
    t.brakingDeceleration = c.deceleration;
    const RunningTime rt = ComputeRunningTime(s, t);
    ASSERT_FALSE(rt.curve.empty());
    double brakingFrom = 20000;
    for (const CurvePoint& p : rt.curve) {
      if (p.position < 10000 || p.speed >= c.speed) continue;
      brakingFrom = std::min(brakingFrom, p.position);
      EXPECT_NEAR(20000 - p.position, p.speed * p.speed / (2 * c.deceleration), 1.0) << p.position;
    }
    // The braking begins no more than a curve point (50 m) before its distance.
    EXPECT_NEAR(20000 - brakingFrom, c.speed * c.speed / (2 * c.deceleration), 50.0);
    EXPECT_EQ(rt.curve.back().speed, 0);
  }
}

TEST(RunningTimeClosedForm, AGradientThatTakesTheSurplusForceKeepsTheSpeed) {
  const struct {
    int perMille;
    int entryPerMille;  // where the train gets up to speed
    int limitKmh;       // the speed it enters the gradient at
    double davis[3];
    bool byPower;  // the effort at that speed is the power's, not the starting effort's
  } kCases[] = {{5, 0, 90, {2000, 50, 6}, false},
                {10, 0, 60, {3000, 80, 8}, true},
                {-3, -10, 120, {20000, 100, 10}, false}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.perMille);
    Scenario s = Line(32000);
    for (int32_t k = 0; k < 15000 / 50; ++k) {
      s.cells[static_cast<std::size_t>(k)].speedLimit = static_cast<uint8_t>(c.limitKmh / 5);
    }
    Gradient(s, 0, 15000, c.entryPerMille);
    Gradient(s, 15000, 30000, c.perMille);
    Station(s, 1, 100);
    Station(s, 2, 31000);
    Train t = Simple(400000, 0);
    t.davisA = c.davis[0];
    t.davisB = c.davis[1];
    t.davisC = c.davis[2];
    t.brakingDeceleration = 5;
    const double v = c.limitKmh / 3.6;
    const double needed =
        t.davisA + t.davisB * v + t.davisC * v * v + t.mass * 9.81 * c.perMille / 1000.0;
    if (c.byPower) {
      t.startingTractiveEffort = 2 * needed;
      t.power = needed * v;
    } else {
      t.startingTractiveEffort = needed;
    }
    const RunningTime rt = ComputeRunningTime(s, t);
    int checked = 0;
    for (const CurvePoint& p : rt.curve) {
      if (p.position < 15000 || p.position > 29000) continue;
      EXPECT_NEAR(p.speed, v, 0.01) << p.position;
      ++checked;
    }
    EXPECT_EQ(checked, 281);
  }
}

// The built-in scenario compiled from its descriptions.
Scenario BuiltIn() {
  Scenario s;
  s.lineId = "Lungomare_Nord";
  s.trainNumber = "911";
  s.withProfile = 1;
  CompileInMemory(s, std::string(content::RawBytes(content::Document::kLine)),
                  std::string(content::RawBytes(content::Document::kTrain)));
  return s;
}

TEST(RunningTimeBuiltIn, EveryStationAndLimitChangeHasATimeInOrder) {
  const Scenario s = BuiltIn();
  ASSERT_EQ(s.errorCode, ErrorCode::kNone);
  const RunningTime rt = ComputeRunningTime(s, ResolveTrain({}, s));
  int stations = 0;
  int changes = 0;
  double previous = 0;
  for (const TimingRow& row : rt.rows) {
    SCOPED_TRACE(row.position);
    if (row.kind == TimingRow::Kind::kStation) {
      EXPECT_EQ(row.slot, ++stations);
    } else {
      ++changes;
    }
    EXPECT_GE(row.time, previous);
    EXPECT_GE(row.minimum, 0);
    EXPECT_LE(row.topSpeed, rt.train.topSpeed + 1e-9);
    if (row.departure) {
      EXPECT_GE(*row.departure, row.time);
      previous = *row.departure;
    } else {
      previous = row.time;
    }
  }
  EXPECT_EQ(stations, 35);
  EXPECT_GT(changes, 0);
  EXPECT_GT(rt.rows.back().time, rt.rows.front().time);
  for (const Finding& f : rt.findings) {
    EXPECT_EQ(f.kind, Kind::kTimeCannotBeKept) << "slot " << f.slot;
  }
  ASSERT_FALSE(rt.curve.empty());
  for (std::size_t i = 1; i < rt.curve.size(); ++i) {
    EXPECT_GE(rt.curve[i].position, rt.curve[i - 1].position);
    EXPECT_GE(rt.curve[i].time, rt.curve[i - 1].time);
    EXPECT_LE(rt.curve[i].speed, rt.curve[i].limit + 1e-9);
  }
}

// Four stations 10 km apart, the first leaving at `first`; the others'
// times as given (0: none).
RunningTime Timetable(int32_t first, int32_t second, int32_t third, int32_t fourth) {
  Scenario s = Line(40000);
  Station(s, 1, 1000, first);
  Station(s, 2, 11000, second);
  Station(s, 3, 21000, third);
  Station(s, 4, 31000, fourth);
  Train t = Simple(500000, 200000);
  t.topSpeed = 30;
  t.power = 4e6;
  t.brakingDeceleration = 0.5;
  t.dwell = 60;
  t.allowance = 0.05;
  return ComputeRunningTime(s, t);
}

TEST(RunningTimeSchedule, ATimeTooEarlyIsFlaggedAtItsStationAndNowhereElse) {
  const int32_t eight = 8 * kHour;
  const struct {
    const char* name;
    int32_t times[3];  // stations 2 to 4
    std::vector<int> flagged;
  } kCases[] = {
      {"room everywhere", {eight + 1200, eight + 2400, eight + 3600}, {}},
      {"second too early", {eight + 60, eight + 2400, eight + 3600}, {2}},
      {"last too early", {eight + 1200, eight + 2400, eight + 2500}, {4}},
      {"two too early", {eight + 1200, eight + 1300, eight + 1400}, {3, 4}},
      {"untimed between", {0, eight + 500, 0}, {3}},
      {"past midnight with room", {23 * kHour + 1800, 23 * kHour + 3000, 600}, {}},
      {"past midnight too early", {23 * kHour + 1800, 23 * kHour + 3540, 60}, {4}},
      {"out of order", {eight + 1200, eight + 1100, eight + 3600}, {}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const int32_t start = c.times[0] >= 23 * kHour ? 23 * kHour + 600 : eight;
    const RunningTime rt = Timetable(start, c.times[0], c.times[1], c.times[2]);
    std::vector<int> flagged;
    for (const Finding& f : rt.findings) {
      ASSERT_EQ(f.kind, Kind::kTimeCannotBeKept);
      flagged.push_back(f.slot);
      const TimingRow* row = RowOf(rt, f.slot);
      ASSERT_NE(row, nullptr);
      EXPECT_LT(row->slack, 0);
    }
    EXPECT_EQ(flagged, c.flagged);
  }
}

TEST(RunningTimeSchedule, TheEarliestIsThePreviousScheduledTimeWithTheRunAndTheDwell) {
  const RunningTime rt = Timetable(8 * kHour, 8 * kHour + 60, 0, 0);
  ASSERT_EQ(rt.findings.size(), 1u);
  const TimingRow& second = *RowOf(rt, 2);
  EXPECT_EQ(rt.findings[0].previousSlot, 1);
  EXPECT_DOUBLE_EQ(rt.findings[0].earliest, 8 * kHour + second.minimum + 60);
  // Late, the train runs as fast as it can and leaves after its dwell.
  EXPECT_DOUBLE_EQ(second.time, 8 * kHour + second.minimum);
  EXPECT_DOUBLE_EQ(*second.departure, second.time + 60);
  EXPECT_DOUBLE_EQ(RowOf(rt, 4)->time, *second.departure + RowOf(rt, 4)->minimum * 1.05);
}

TEST(RunningTimeSchedule, SlackIsSpreadOverTheSectionInProportionToTheRunningTimes) {
  const int32_t eight = 8 * kHour;
  const RunningTime rt = Timetable(eight, 0, eight + 3000, 0);
  const TimingRow& passed = *RowOf(rt, 2);
  const TimingRow& stop = *RowOf(rt, 3);
  EXPECT_FALSE(passed.departure.has_value());
  EXPECT_NEAR(stop.time, eight + 3000 - 60, 1e-6);
  EXPECT_EQ(*stop.departure, eight + 3000);
  EXPECT_NEAR((passed.time - eight) / (stop.time - eight), passed.minimum / stop.minimum, 1e-12);
  EXPECT_NEAR(stop.slack, 3000 - 60 - stop.minimum, 1e-6);
  EXPECT_NEAR(stop.slackPercent, stop.slack / stop.minimum * 100, 1e-9);
}

TEST(RunningTimeFindings, WhatTheTrainCannotDoIsFoundWhereItHappens) {
  // At a crawl the train's effort overcomes 19 per mille.
  const struct {
    const char* name;
    int32_t climb[2];  // m
    int perMille;
    int32_t middle;  // the middle station's zone ends here
    int32_t zone;    // its length
    std::vector<Kind> kinds;
    std::vector<int> slots;
    int timesUpTo;  // the last station with a time
  } kCases[] = {
      {"level", {10000, 20000}, 0, 15000, 400, {}, {}, 3},
      {"a climb it masters", {10000, 20000}, 18, 15000, 400, {}, {}, 3},
      {"short zone", {10000, 20000}, 0, 15000, 200, {Kind::kZoneShorterThanTrain}, {2}, 3},
      {"cannot start on the climb", {14700, 15000}, 25, 15000, 400, {Kind::kCannotStart}, {2}, 2},
      {"stalls on the climb", {10000, 20000}, 25, 25000, 400, {Kind::kStalls}, {0}, 1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Scenario s = Line(40000);
    Station(s, 1, 1000);
    Gradient(s, c.climb[0], c.climb[1], c.perMille);
    Station(s, 2, c.middle, 9 * kHour, c.zone);
    Station(s, 3, 30000);
    Train t = Simple(500000, 100000);
    t.length = 300;
    t.topSpeed = 30;
    t.power = 1e6;
    t.davisA = 5000;
    const RunningTime rt = ComputeRunningTime(s, t);
    std::vector<Kind> kinds;
    std::vector<int> slots;
    for (const Finding& f : rt.findings) {
      kinds.push_back(f.kind);
      slots.push_back(f.slot);
      if (f.kind == Kind::kStalls) {
        EXPECT_GT(f.position, c.climb[0]);
        EXPECT_LT(f.position, c.climb[1]);
      }
      if (f.kind != Kind::kZoneShorterThanTrain) {
        EXPECT_NEAR(f.gradient, c.perMille, 1e-9);
      }
    }
    EXPECT_EQ(kinds, c.kinds);
    EXPECT_EQ(slots, c.slots);
    for (int slot = 2; slot <= 3; ++slot) {
      EXPECT_EQ(RowOf(rt, slot)->time > 0, slot <= c.timesUpTo) << slot;
    }
    EXPECT_EQ(RowOf(rt, 2)->departure.has_value(), c.timesUpTo > 2);
  }
}

TEST(RunningTimeHostile, NoInputMakesItFailOrRunAway) {
  const struct {
    const char* name;
    void (*scenario)(Scenario&);
    void (*train)(Train&);
  } kCases[] = {
      {"no grid",
       [](Scenario& s) {
         s = Scenario();
         Station(s, 1, 100);
         Station(s, 2, 900);
       },
       nullptr},
      {"no station", [](Scenario& s) { s.items = ItemTable{}; }, nullptr},
      {"one station",
       [](Scenario& s) {
         s.items[2] = ScenarioItem{};
         s.items[3] = ScenarioItem{};
       },
       nullptr},
      {"end past the grid", [](Scenario& s) { s.items[3].end = 2000000000; }, nullptr},
      {"negative positions",
       [](Scenario& s) {
         s.items[1].end = -5000;
         s.items[2].position = -2000000000;
       },
       nullptr},
      {"stations backwards", [](Scenario& s) { std::swap(s.items[1], s.items[3]); }, nullptr},
      {"all at one place",
       [](Scenario& s) {
         for (int i = 1; i <= 3; ++i) s.items[static_cast<std::size_t>(i)].end = 700;
       },
       nullptr},
      {"stops 10 m apart",
       [](Scenario& s) {
         s.items[2].end = 110;
         s.items[2].seconds = 0;
       },
       nullptr},
      {"zero-length line", [](Scenario& s) { s.SizeForLength(0); }, nullptr},
      {"steepest cells",
       [](Scenario& s) {
         for (TrackCell& c : s.cells) c.gradient = 0;
       },
       nullptr},
      {"hostile curves and slowdowns",
       [](Scenario& s) {
         s.curveSources.push_back({-100, 2000000000, 1e9});
         s.curveSources.push_back({500, 100, std::numeric_limits<double>::quiet_NaN()});
         s.curveSources.push_back({0, -5, 0.01});
         s.slowdownSources.push_back({200, 0, 100, 0, {}});
         s.slowdownSources.push_back({-1000, 30, 2000000000, 0, {}});
       },
       nullptr},
      {"train longer than the line", nullptr, [](Train& t) { t.length = 1e7; }},
      {"no mass", nullptr, [](Train& t) { t.mass = 0; }},
      {"no braking", nullptr, [](Train& t) { t.brakingDeceleration = 0; }},
      {"no power", nullptr, [](Train& t) { t.power = 0; }},
      {"no effort", nullptr, [](Train& t) { t.startingTractiveEffort = 0; }},
      {"negative figures", nullptr,
       [](Train& t) {
         t.length = -300;
         t.power = -1;
         t.davisB = -1e6;
         t.dwell = -60;
         t.allowance = -2;
       }},
      {"undefined figures", nullptr,
       [](Train& t) { t.davisC = std::numeric_limits<double>::quiet_NaN(); }},
      {"huge figures", nullptr,
       [](Train& t) {
         t.topSpeed = 1e300;
         t.startingTractiveEffort = 1e308;
         t.brakingDeceleration = 1e308;
         t.mass = 1e-300;
       }},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Scenario s = Line(20000);
    Station(s, 1, 1000, 8 * kHour);
    Station(s, 2, 8000, 8 * kHour + 600);
    Station(s, 3, 15000);
    if (c.scenario) c.scenario(s);
    Train t = Simple(500000, 200000);
    t.topSpeed = 40;
    t.power = 4e6;
    t.length = 300;
    t.dwell = 60;
    if (c.train) c.train(t);
    const RunningTime rt = ComputeRunningTime(s, t);
    for (const TimingRow& row : rt.rows) {
      EXPECT_TRUE(std::isfinite(row.time) && std::isfinite(row.minimum) &&
                  std::isfinite(row.limit) && std::isfinite(row.topSpeed) &&
                  std::isfinite(row.slack) && std::isfinite(row.slackPercent));
    }
    for (std::size_t i = 1; i < rt.curve.size(); ++i) {
      EXPECT_GE(rt.curve[i].position, rt.curve[i - 1].position);
    }
  }
}

}  // namespace
}  // namespace sb::running
