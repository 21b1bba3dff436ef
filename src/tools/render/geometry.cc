#include "tools/render/geometry.h"

#include <cmath>
#include <utility>

namespace sb::render {

double NiceStep(double raw) {
  if (!(raw > 0)) return 1;
  const double p = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0, 10.0}) {
    if (m * p >= raw) return m * p;
  }
  return 10 * p;
}

// The largest round length (1, 2 or 5 times a power of ten) up to `raw`.
double NiceBelow(double raw) {
  if (!(raw > 0)) return 1;
  const double p = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {5.0, 2.0, 1.0}) {
    if (m * p <= raw) return m * p;
  }
  return p;
}

// Does the segment a-b cross or touch the box? (Clipping of the segment's
// parameter range against the four sides.)
bool SegmentHitsBox(Pt a, Pt b, const Box& r) {
  double t0 = 0, t1 = 1;
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x - r.x0, r.x1 - a.x, a.y - r.y0, r.y1 - a.y};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
    } else {
      const double t = q[i] / p[i];
      if (p[i] < 0)
        t0 = std::max(t0, t);
      else
        t1 = std::min(t1, t);
      if (t0 > t1) return false;
    }
  }
  return true;
}

// Do the segments a-b and c-d cross?
bool SegmentsCross(Pt a, Pt b, Pt c, Pt d) {
  auto side = [](Pt p, Pt q, Pt r) {
    return (q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x);
  };
  const double d1 = side(c, d, a), d2 = side(c, d, b), d3 = side(a, b, c), d4 = side(a, b, d);
  return ((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0)) && d1 != 0 && d2 != 0 && d3 != 0 &&
         d4 != 0;
}

// Keeps the points of a polyline that matter at a tolerance of `eps`
// (Ramer-Douglas-Peucker, with an explicit stack).
std::vector<Pt> Simplify(const std::vector<Pt>& pts, double eps) {
  if (pts.size() < 3) return pts;
  std::vector<bool> keep(pts.size(), false);
  keep.front() = keep.back() = true;
  std::vector<std::pair<std::size_t, std::size_t>> stack = {{0, pts.size() - 1}};
  while (!stack.empty()) {
    auto [i, j] = stack.back();
    stack.pop_back();
    if (j <= i + 1) continue;
    const Pt a = pts[i], b = pts[j];
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len = std::hypot(dx, dy);
    double worst = -1;
    std::size_t at = i;
    for (std::size_t k = i + 1; k < j; ++k) {
      const double d = len > 0 ? std::fabs(dy * (pts[k].x - a.x) - dx * (pts[k].y - a.y)) / len
                               : std::hypot(pts[k].x - a.x, pts[k].y - a.y);
      if (d > worst) {
        worst = d;
        at = k;
      }
    }
    if (worst > eps) {
      keep[at] = true;
      stack.push_back({i, at});
      stack.push_back({at, j});
    }
  }
  std::vector<Pt> out;
  for (std::size_t k = 0; k < pts.size(); ++k) {
    if (keep[k]) out.push_back(pts[k]);
  }
  return out;
}

}  // namespace sb::render
