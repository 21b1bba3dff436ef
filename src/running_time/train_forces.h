// The forces on the train and what they make of its speed.
#ifndef SB_RUNNING_TIME_TRAIN_FORCES_H_
#define SB_RUNNING_TIME_TRAIN_FORCES_H_

#include "running_time/train.h"

namespace sb::running {

inline constexpr double kGravity = 9.81;  // m/s²

// The train has figures the arithmetic can work with: a mass, a top speed
// and a braking deceleration above zero, and nothing infinite or undefined.
bool Usable(const Train& t);

// At the wheel rim, N: the starting effort, until the power limits it.
double TractiveEffort(const Train& t, double speed);
// Davis: A + B·v + C·v², N.
double RunningResistance(const Train& t, double speed);
// Of a gradient (or a curve's equivalent) of `perMille` under the whole
// mass, N; negative downhill.
double GradientResistance(const Train& t, double perMille);
// With the rotating masses, m/s²: full power against the resistances.
double Acceleration(const Train& t, double speed, double perMille);

}  // namespace sb::running

#endif  // SB_RUNNING_TIME_TRAIN_FORCES_H_
