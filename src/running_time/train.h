// The train as the running-time calculation sees it: what the author wrote
// in the project file's [train] table (any key may be left out) and the
// figures the calculation uses, each left-out one derived from the others
// or from the train description, or taken from the documented defaults of
// a locomotive-hauled express train.
#ifndef SB_RUNNING_TIME_TRAIN_H_
#define SB_RUNNING_TIME_TRAIN_H_

#include <optional>
#include <string>
#include <vector>

#include "compiler/scenario.h"

namespace sb::running {

// As written in [train]; units in the key names (km/h, kN, kW, t, m, s).
struct TrainTable {
  std::optional<double> massTonnes;                // mass_t
  std::optional<double> lengthMetres;              // length_m
  std::optional<double> cars;                      // cars (else the train description's count)
  std::optional<double> carLengthMetres;           // car_length_m
  std::optional<double> topSpeedKmh;               // top_speed_kmh
  std::optional<double> startingTractiveEffortKn;  // starting_tractive_effort_kn
  std::optional<double> powerKw;                   // power_kw
  // Running resistance R = A + B·v + C·v², R in kN, v in km/h.
  std::optional<double> davisAKn;            // davis_a_kn
  std::optional<double> davisBKnPerKmh;      // davis_b_kn_per_kmh
  std::optional<double> davisCKnPerKmh2;     // davis_c_kn_per_kmh2
  std::optional<double> rotatingMassFactor;  // rotating_mass_factor
  std::optional<double>
      brakingDeceleration;                 // braking_deceleration_ms2 (else from the braked mass)
  std::optional<double> dwellSeconds;      // dwell_s
  std::optional<double> allowancePercent;  // allowance_percent
};

// Every figure resolved, in SI units for the arithmetic.
struct Train {
  double mass = 0;                    // kg
  double length = 0;                  // m
  double topSpeed = 0;                // m/s
  double startingTractiveEffort = 0;  // N
  double power = 0;                   // W
  double davisA = 0;                  // N
  double davisB = 0;                  // N per m/s
  double davisC = 0;                  // N per (m/s)²
  double rotatingMassFactor = 1;      // the effective mass is mass × this
  double brakingDeceleration = 0;     // m/s², service braking
  double dwell = 0;                   // s, at a stop the train leaves again
  double allowance = 0;               // a fraction: 0.05 for 5 %
  // For reports: how each figure was found ("project file", "default",
  // "from 12 cars of 26.4 m", "from the braked mass 125 %"), by key name.
  std::vector<std::pair<std::string, std::string>> origins;
};

// Fills what `table` leaves out: from the train description (cars, braked-
// mass percentage, read from `s`) and from the defaults docs/authors.md
// names with their sources.
Train ResolveTrain(const TrainTable& table, const Scenario& s);

}  // namespace sb::running

#endif  // SB_RUNNING_TIME_TRAIN_H_
