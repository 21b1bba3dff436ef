#include "running_time/integration.h"

#include <algorithm>
#include <cmath>

#include "running_time/train_forces.h"

namespace sb::running {
namespace {

// The per mille the train works against with its head at `head`.
double UnderTrain(const LineResistance& line, const Train& t, double head) {
  return line.MeanGradient(head, t.length) + line.MeanCurve(head, t.length);
}

// Standing at a stop, the train moves off only if its starting effort
// exceeds the resistance at rest.
bool CanStart(const Train& t, double perMille) {
  return TractiveEffort(t, 0) > RunningResistance(t, 0) + GradientResistance(t, perMille);
}

}  // namespace

Run Integrate(const Track& track, const LineResistance& line, const Train& t) {
  Run run;
  const std::size_t n = track.position.size();
  run.speed.assign(n, 0.0);
  run.time.assign(n, 0.0);
  if (n == 0) return run;
  run.reached = 1;
  for (std::size_t i = 0; i + 1 < n; ++i) {
    const double x = track.position[i];
    const double v0 = run.speed[i];
    if ((track.flags[i] & kStop) && !CanStart(t, UnderTrain(line, t, x))) {
      run.end = Run::End::kCannotStart;
      run.endPosition = x;
      run.endGradient = line.MeanGradient(x, t.length);
      return run;
    }
    const double step = track.position[i + 1] - x;
    const double a = Acceleration(t, v0, UnderTrain(line, t, x + step / 2.0));
    const double free = v0 * v0 + 2.0 * a * step;
    const double cap = track.cap[i + 1];
    // Arriving at a stop at speed is braking to it; running out of speed
    // anywhere else, or short of a stop, is stalling.
    const bool brakesToStop = cap == 0 && v0 > 0 && free >= 0;
    if (!(free > 0) && !brakesToStop) {
      run.end = Run::End::kStalls;
      run.endPosition = a < 0 ? x + v0 * v0 / (-2.0 * a) : x;
      run.endGradient = line.MeanGradient(run.endPosition, t.length);
      return run;
    }
    const double v1 = std::sqrt(std::min(free, cap));
    run.speed[i + 1] = v1;
    if (v0 + v1 > 0) {
      run.time[i + 1] = run.time[i] + 2.0 * step / (v0 + v1);
    } else {
      // From a stop to the next point, itself a stop: half the way
      // accelerating, half braking, to the speed both allow.
      const double peak = std::sqrt(std::min(a, t.brakingDeceleration) * step);
      run.time[i + 1] = run.time[i] + 2.0 * step / peak;
    }
    run.reached = i + 2;
  }
  return run;
}

}  // namespace sb::running
