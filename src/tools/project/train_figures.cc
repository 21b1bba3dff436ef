#include "tools/project/train_figures.h"

#include <cmath>

namespace sb::project {
namespace {

constexpr TrainFigure kFigures[] = {
    {"mass_t", &running::TrainTable::massTonnes, Range::kPositive,
     "the train's mass in tonnes, the locomotive's included"},
    {"length_m", &running::TrainTable::lengthMetres, Range::kPositive,
     "the train's length in metres, the locomotive's included"},
    {"cars", &running::TrainTable::cars, Range::kCount, "the number of cars the locomotive hauls"},
    {"car_length_m", &running::TrainTable::carLengthMetres, Range::kPositive,
     "a car's length over its buffers, in metres"},
    {"top_speed_kmh", &running::TrainTable::topSpeedKmh, Range::kPositive,
     "the train's top speed in km/h"},
    {"starting_tractive_effort_kn", &running::TrainTable::startingTractiveEffortKn,
     Range::kPositive, "the locomotive's tractive effort at starting, in kN"},
    {"power_kw", &running::TrainTable::powerKw, Range::kPositive, "the power at the wheels, in kW"},
    {"davis_a_kn", &running::TrainTable::davisAKn, Range::kNotNegative,
     "the running resistance's constant part, in kN"},
    {"davis_b_kn_per_kmh", &running::TrainTable::davisBKnPerKmh, Range::kNotNegative,
     "the running resistance's part that grows with the speed, in kN per km/h"},
    {"davis_c_kn_per_kmh2", &running::TrainTable::davisCKnPerKmh2, Range::kNotNegative,
     "the running resistance's part that grows with the speed's square, in kN per (km/h)²"},
    {"rotating_mass_factor", &running::TrainTable::rotatingMassFactor, Range::kOneOrMore,
     "the train's mass with its turning wheels and motors, over its mass; typically 1.04 to "
     "1.10"},
    {"braking_deceleration_ms2", &running::TrainTable::brakingDeceleration, Range::kPositive,
     "the service braking's deceleration, in m/s²"},
    {"dwell_s", &running::TrainTable::dwellSeconds, Range::kNotNegative,
     "the time the train stands at a stop, in seconds"},
    {"allowance_percent", &running::TrainTable::allowancePercent, Range::kPercent,
     "the time added to the running time, in percent of it"},
};

}  // namespace

const std::span<const TrainFigure> kTrainFigures = kFigures;

std::string_view RangeBroken(double value, Range range) {
  if (!std::isfinite(value)) return "must be a finite number";
  switch (range) {
    case Range::kPositive: return value > 0 ? "" : "must be more than 0";
    case Range::kNotNegative: return value >= 0 ? "" : "must be 0 or more";
    case Range::kOneOrMore: return value >= 1 ? "" : "must be 1 or more";
    case Range::kPercent: return value >= 0 && value <= 100 ? "" : "must be 0 to 100";
    case Range::kCount:
      return value >= 0 && value == std::floor(value) ? "" : "must be a whole number, 0 or more";
  }
  return "";
}

}  // namespace sb::project
