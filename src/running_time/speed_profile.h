// The most restrictive speed profile along the route: the points the
// calculation steps through, the limit between each and the next, and the
// highest speed the train may have at each, braking for what lies ahead.
#ifndef SB_RUNNING_TIME_SPEED_PROFILE_H_
#define SB_RUNNING_TIME_SPEED_PROFILE_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "compiler/scenario.h"
#include "running_time/route.h"
#include "running_time/train.h"

namespace sb::running {

// The calculation steps this far at most: fine enough that the power's
// fall with speed and the gradients under the train are followed closely.
inline constexpr double kStep = 10.0;  // m; divides the cell length

enum NodeFlag : uint8_t {
  kCurvePoint = 1,  // a multiple of 50 m
  kStop = 2,
};

struct Track {
  std::vector<double> position;  // m, increasing, from the route's start to its end
  std::vector<uint8_t> flags;
  // m/s, from this point to the next (the last repeats the one before).
  std::vector<double> limit;
  // (m/s)²: the highest speed at each point, squared: under the limits
  // on both sides of it, 0 at the stops, and low enough to brake at the
  // service deceleration for every drop of the limit and stop ahead.
  std::vector<double> cap;
};

// The cells' limit at `position`, m/s; none written (0) is no limit.
double CellLimit(const Scenario& s, double position);

// `t` must be Usable.
Track BuildTrack(const Scenario& s, const Train& t, const Route& r);

// The point at `position` (one of the track's), or the last before it.
std::size_t NodeAt(const Track& track, double position);

}  // namespace sb::running

#endif  // SB_RUNNING_TIME_SPEED_PROFILE_H_
