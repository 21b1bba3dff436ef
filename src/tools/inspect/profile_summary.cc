#include "tools/inspect/profile_summary.h"

#include <algorithm>
#include <cmath>

#include "model/model.h"

namespace sb {
namespace {

constexpr double kPi = 3.14159265358979323846;

}  // namespace

ProfileSummary SummarizeProfile(const ProfileTable& p) {
  ProfileSummary s;
  s.end = p.end();
  s.lineLength = p.end() - kLineOverrun;
  auto has = [&](int32_t m) {
    return p.tag(m, 0) != ProfileTable::Tag::kEmpty && p.tag(m, 1) != ProfileTable::Tag::kEmpty;
  };
  for (int column = 0; column < 2; ++column) {
    for (int32_t m = 0; m <= p.end(); ++m) {
      switch (p.tag(m, column)) {
        case ProfileTable::Tag::kEmpty: ++s.empty; break;
        case ProfileTable::Tag::kInt16: ++s.ints; break;
        case ProfileTable::Tag::kDouble: ++s.doubles; break;
      }
    }
  }
  double turning = 0;
  for (int32_t m = 0; m <= p.end(); ++m) {
    if (!has(m)) continue;
    const double x = p.value(m, 0);
    const double y = p.value(m, 1);
    if (!s.hasExtent) {
      s.minX = s.maxX = x;
      s.minY = s.maxY = y;
      s.hasExtent = true;
    } else {
      s.minX = std::min(s.minX, x);
      s.maxX = std::max(s.maxX, x);
      s.minY = std::min(s.minY, y);
      s.maxY = std::max(s.maxY, y);
    }
    if (m >= 2 && has(m - 1) && has(m - 2)) {
      const double a1 = p.value(m - 1, 0) - p.value(m - 2, 0);
      const double b1 = p.value(m - 1, 1) - p.value(m - 2, 1);
      const double a2 = x - p.value(m - 1, 0);
      const double b2 = y - p.value(m - 1, 1);
      const double cross = a1 * b2 - b1 * a2;
      const double dot = a1 * a2 + b1 * b2;
      if (cross != 0 || dot != 0) turning += std::fabs(std::atan2(cross, dot));
    }
  }
  s.turningDegrees = turning * 180.0 / kPi;
  return s;
}

}  // namespace sb
