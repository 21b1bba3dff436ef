// Plane geometry for the picture: points and boxes on the page, the tests
// that keep labels off the line and off each other, the simplification of
// the plan's polyline, round steps for scales, and the kilometre axis.
#ifndef SB_TOOLS_RENDER_GEOMETRY_H_
#define SB_TOOLS_RENDER_GEOMETRY_H_

#include <algorithm>
#include <cstdint>
#include <vector>

#include "model/model.h"

namespace sb::render {

struct Box {
  double x0, y0, x1, y1;
  bool Overlaps(const Box& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
  bool Contains(double x, double y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};

struct Pt {
  double x, y;
};

// Does the segment a-b cross or touch the box?
bool SegmentHitsBox(Pt a, Pt b, const Box& r);

// Do the segments a-b and c-d cross?
bool SegmentsCross(Pt a, Pt b, Pt c, Pt d);

// Keeps the points of a polyline that matter at a tolerance of `eps`.
std::vector<Pt> Simplify(const std::vector<Pt>& pts, double eps);

// A round step (1, 2 or 5 times a power of ten) of at least `raw`.
double NiceStep(double raw);

// The largest round length (1, 2 or 5 times a power of ten) up to `raw`.
double NiceBelow(double raw);

// The strips' horizontal axis: metres 0 to `end` along the line, drawn
// from page x `left` to `right`; positions outside are held at the ends.
struct KmAxis {
  double left = 0;
  double right = 0;
  double end = 1000;

  double X(double metres) const {
    return left + (right - left) * std::clamp(metres, 0.0, end) / end;
  }
  double CellX(int64_t cell) const { return X(static_cast<double>(cell) * kCellLength); }
  // The distance between kilometre ticks: about 24 of them.
  double TickStep() const { return NiceStep(end / 24); }
};

// The plan's placement on the page: page x = originX + x * scale, page y =
// originY - y * scale (north up).
struct PlanPlacement {
  double scale = 1;
  double originX = 0;
  double originY = 0;

  Pt ToPage(double x, double y) const { return {originX + x * scale, originY - y * scale}; }
};

}  // namespace sb::render

#endif  // SB_TOOLS_RENDER_GEOMETRY_H_
