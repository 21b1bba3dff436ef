#include "running_time/train.h"

namespace sb::running {

// Placeholder until the defaults and their sources land.
Train ResolveTrain(const TrainSpec& spec, const Scenario& s) {
  (void)s;
  Train t;
  t.mass = spec.massTonnes.value_or(600.0) * 1000.0;
  t.length = spec.lengthMetres.value_or(330.0);
  t.topSpeed = spec.topSpeedKmh.value_or(160.0) / 3.6;
  t.startingTractiveEffort = spec.startingTractiveEffortKn.value_or(200.0) * 1000.0;
  t.power = spec.powerKw.value_or(5000.0) * 1000.0;
  t.rotatingMassFactor = spec.rotatingMassFactor.value_or(1.06);
  t.brakingDeceleration = spec.brakingDeceleration.value_or(0.5);
  t.dwell = spec.dwellSeconds.value_or(60.0);
  t.allowance = spec.allowancePercent.value_or(5.0) / 100.0;
  return t;
}

}  // namespace sb::running
