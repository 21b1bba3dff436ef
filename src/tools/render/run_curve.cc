#include "tools/render/run_curve.h"

#include <algorithm>
#include <cmath>

namespace sb::render {

double PlaceOnCurve(const running::RunningTime& times, const running::TimingRow& row) {
  const std::vector<running::CurvePoint>& curve = times.curve;
  // The curve's times never fall; its arrival at a stop comes before its
  // departure from there.
  const auto at =
      std::lower_bound(curve.begin(), curve.end(), row.time,
                       [](const running::CurvePoint& p, double time) { return p.time < time; });
  // The row's time and the point's are worked out by the same sums.
  constexpr double kSameTime = 1e-6;
  if (at != curve.end() && std::fabs(at->time - row.time) < kSameTime) return at->position;
  return row.position;
}

}  // namespace sb::render
