#include "running_time/train_forces.h"

#include <algorithm>
#include <cmath>

namespace sb::running {

bool Usable(const Train& t) {
  const double figures[] = {
      t.mass,   t.length, t.topSpeed,           t.startingTractiveEffort, t.power, t.davisA,
      t.davisB, t.davisC, t.rotatingMassFactor, t.brakingDeceleration,    t.dwell, t.allowance};
  for (double f : figures) {
    if (!std::isfinite(f)) return false;
  }
  return t.mass > 0 && t.rotatingMassFactor > 0 && t.topSpeed > 0 && t.brakingDeceleration > 0;
}

double TractiveEffort(const Train& t, double speed) {
  if (!(speed > 0)) return t.startingTractiveEffort;
  return std::min(t.startingTractiveEffort, t.power / speed);
}

double RunningResistance(const Train& t, double speed) {
  return t.davisA + t.davisB * speed + t.davisC * speed * speed;
}

double GradientResistance(const Train& t, double perMille) {
  return t.mass * kGravity * perMille / 1000.0;
}

double Acceleration(const Train& t, double speed, double perMille) {
  return (TractiveEffort(t, speed) - RunningResistance(t, speed) -
          GradientResistance(t, perMille)) /
         (t.mass * t.rotatingMassFactor);
}

}  // namespace sb::running
