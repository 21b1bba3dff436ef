// The run along the track: full power wherever the speed profile allows,
// service braking where it demands, from stop to stop.
#ifndef SB_RUNNING_TIME_INTEGRATION_H_
#define SB_RUNNING_TIME_INTEGRATION_H_

#include <cstddef>
#include <vector>

#include "running_time/line_resistance.h"
#include "running_time/speed_profile.h"
#include "running_time/train.h"

namespace sb::running {

struct Run {
  enum class End { kArrived, kCannotStart, kStalls };
  // Per point of the track, up to `reached` (excluded): the speed, m/s,
  // and the running time from the route's start, s, stops not counted.
  std::vector<double> speed;
  std::vector<double> time;
  std::size_t reached = 0;
  End end = End::kArrived;
  // kCannotStart: the stop's point; kStalls: where the speed reaches zero,
  // and the mean gradient under the train there (per mille).
  double endPosition = 0;
  double endGradient = 0;
};

// Each step keeps its acceleration constant: v1² = v0² + 2·a·Δs and
// Δt = 2·Δs / (v0 + v1), exact for a constant force. `t` must be Usable.
Run Integrate(const Track& track, const LineResistance& line, const Train& t);

}  // namespace sb::running

#endif  // SB_RUNNING_TIME_INTEGRATION_H_
