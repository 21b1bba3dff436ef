#include <algorithm>
#include <cmath>

#include "tools/render/label_layout.h"
#include "tools/render/picture.h"
#include "tools/render/svg_writer.h"

namespace sb::render {

bool Picture::HasPoint(int32_t m) const {
  const ProfileTable& p = *in_.profile;
  return m >= 0 && m <= p.end() && p.tag(m, 0) != ProfileTable::Tag::kEmpty &&
         p.tag(m, 1) != ProfileTable::Tag::kEmpty;
}

std::string Picture::Plan(double* y) {
  if (in_.profile == nullptr) {
    std::string s =
        "<g id=\"plan\">\n<text x=\"" + Num(kMargin) + "\" y=\"" + Num(*y + 20) + "\" fill=\"" +
        colour::kMuted +
        "\">No plan: the scenario was compiled without its profile file.</text>\n</g>\n";
    *y += 36;
    return s;
  }
  const ProfileTable& p = *in_.profile;
  // The computed metres, in order; they run without a gap from metre 0.
  lastMetre_ = -1;
  while (lastMetre_ < p.end() && HasPoint(lastMetre_ + 1)) ++lastMetre_;
  if (lastMetre_ < 1) {
    std::string s = "<g id=\"plan\">\n<text x=\"" + Num(kMargin) + "\" y=\"" + Num(*y + 20) +
                    "\" fill=\"" + colour::kMuted +
                    "\">No plan: the profile holds no points.</text>\n</g>\n";
    *y += 36;
    return s;
  }
  PlacePlan(*y + 20);
  std::string s = "<g id=\"plan\">\n";
  // The line up to its end, and the overrun after it.
  const int32_t lineEnd = std::clamp<int32_t>(lineLength_, 0, lastMetre_);
  // At most about 20000 points go into the simplification, whatever the
  // profile holds; at the plan's scale they are far below a pixel apart.
  const int32_t step = std::max<int32_t>(1, lastMetre_ / 20000);
  track_ = Simplify(Points(0, lineEnd, step), 0.3);
  std::vector<Pt> overrun = Simplify(Points(lineEnd, lastMetre_, step), 0.3);
  s += "<path id=\"plan-line\" d=\"" + PathOf(track_) + "\" fill=\"none\" stroke=\"" +
       colour::kTrack + "\" stroke-width=\"2.2\" stroke-linejoin=\"round\"/>\n";
  if (overrun.size() > 1) {
    s += "<path d=\"" + PathOf(overrun) + "\" fill=\"none\" stroke=\"" + colour::kOverrun +
         "\" stroke-width=\"1.5\" stroke-dasharray=\"4 3\"/>\n";
  }
  s += PlanFeatures(step);
  // Start and end of the line.
  const Pt a = At(0), b = At(lineEnd);
  s += "<circle cx=\"" + Num(a.x) + "\" cy=\"" + Num(a.y) +
       "\" r=\"5\" fill=\"#ffffff\" stroke=\"" + colour::kTrack +
       "\" stroke-width=\"2\"><title>start of the line, 0 m</title></circle>\n";
  s += "<rect x=\"" + Num(b.x - 4.5) + "\" y=\"" + Num(b.y - 4.5) +
       "\" width=\"9\" height=\"9\" fill=\"" + colour::kTrack + "\"><title>end of the line, " +
       Esc(Km(lineEnd)) + "</title></rect>\n";
  s += StationsOnPlan();
  s += ScaleBar(planBox_.x0 + 10, planBox_.y1 - 16);
  s += NorthArrow(planBox_.x0 + 22, planBox_.y0 + 8);
  s += "</g>\n";
  if (legendBeside_) {
    s += Legend(planBox_.x1 + kMargin, planBox_.y0 + 10, kLegendWidth, nullptr);
  }
  *y = planBox_.y1 + 10;
  return s;
}

void Picture::PlacePlan(double top) {
  const ProfileTable& p = *in_.profile;
  // The extent of the points that are numbers (a damaged file may hold
  // others; they are drawn nowhere useful, but drawn without harm).
  double minX = HUGE_VAL, maxX = -HUGE_VAL, minY = HUGE_VAL, maxY = -HUGE_VAL;
  for (int32_t m = 0; m <= lastMetre_; ++m) {
    const double px = p.value(m, 0), py = p.value(m, 1);
    if (!std::isfinite(px) || !std::isfinite(py)) continue;
    minX = std::min(minX, px);
    maxX = std::max(maxX, px);
    minY = std::min(minY, py);
    maxY = std::max(maxY, py);
  }
  if (minX > maxX) minX = maxX = minY = maxY = 0;
  const double spanX = std::max(maxX - minX, 1.0);
  const double spanY = std::max(maxY - minY, 1.0);
  // Room for the line and the names on both sides; the legend goes beside
  // the plan when the line leaves room for it.
  const double availW = kWidth - 2 * kMargin - 2 * kPlanLabelRoom;
  // 10 px above the line, 50 px below it for the scale bar.
  const double availH = kPlanMaxHeight - 60;
  placement_.scale = std::min(availW / spanX, availH / spanY);
  const double drawnW = spanX * placement_.scale;
  const double drawnH = spanY * placement_.scale;
  const double height = std::max(drawnH + 60, kPlanMinHeight);
  legendBeside_ = drawnW + 2 * kPlanLabelRoom + kLegendWidth + 3 * kMargin <= kWidth;
  const double areaLeft = kMargin;
  const double areaRight = legendBeside_ ? kWidth - kLegendWidth - 2 * kMargin : kWidth - kMargin;
  const double left = areaLeft + (areaRight - areaLeft - drawnW) / 2;
  placement_.originX = left - minX * placement_.scale;
  placement_.originY = top + 10 + (height - 60 - drawnH) / 2 + maxY * placement_.scale;
  planBox_ = {areaLeft, top, areaRight, top + height};
}

// Mountains and slowdowns over the line, in their colours.
std::string Picture::PlanFeatures(int32_t step) {
  std::string s;
  for (const Run& r : Runs(in_.cells, filled_, [](const TrackCell& c) { return int{c.terrain}; })) {
    if (r.value == 0) continue;
    s += "<path class=\"plan-mountain\" d=\"" +
         PathOf(Simplify(Points(static_cast<int32_t>(r.from * kCellLength),
                                static_cast<int32_t>(r.to * kCellLength), step),
                         0.3)) +
         "\" fill=\"none\" stroke=\"" + colour::kMountain +
         "\" stroke-width=\"6\" stroke-opacity=\"0.55\"/>\n";
  }
  for (const Slowdown& sd : slowdowns_) {
    const auto a = static_cast<int32_t>(sd.startCell * kCellLength);
    const auto b = static_cast<int32_t>(std::max<int64_t>(sd.endCell * kCellLength, a + 1));
    s += "<path class=\"plan-slowdown\" d=\"" + PathOf(Points(a, b, std::max(1, (b - a) / 20))) +
         "\" fill=\"none\" stroke=\"" + colour::kSlowdown +
         "\" stroke-width=\"7\" stroke-linecap=\"round\"/>\n";
  }
  return s;
}

Pt Picture::At(int32_t metre) const {
  const int32_t m = std::clamp<int32_t>(metre, 0, std::max<int32_t>(lastMetre_, 0));
  return placement_.ToPage(in_.profile->value(m, 0), in_.profile->value(m, 1));
}

std::vector<Pt> Picture::Points(int32_t from, int32_t to, int32_t step) const {
  std::vector<Pt> pts;
  from = std::clamp<int32_t>(from, 0, lastMetre_);
  to = std::clamp<int32_t>(to, 0, lastMetre_);
  for (int32_t m = from; m < to; m += step) pts.push_back(At(m));
  pts.push_back(At(to));
  return pts;
}

// Station dots and names. Names go beside their dot where they touch no
// other name, dot or piece of line; otherwise a little further out with a
// leader; a name with no room left is not drawn (the station strip below
// names every station).
std::string Picture::StationsOnPlan() {
  std::vector<Pt> dots;
  for (const Station& st : stations_) dots.push_back(At(st.position));
  std::vector<Box> taken;
  for (const Pt& d : dots) taken.push_back({d.x - 4, d.y - 4, d.x + 4, d.y + 4});
  // Timed stations first, then those with a stop, then the rest.
  std::vector<std::size_t> order(stations_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    auto rank = [&](const Station& s) { return s.timed ? 0 : s.stops ? 1 : 2; };
    return rank(stations_[a]) < rank(stations_[b]);
  });
  const double h = kLabelSize + 2;
  std::string labels, leaders;
  for (std::size_t i : order) {
    const Station& st = stations_[i];
    const Pt d = dots[i];
    const double w = TextWidth(st.name, kLabelSize);
    bool placed = false;
    for (double dist : {7.0, 18.0, 34.0, 56.0, 84.0}) {
      for (double shift : {0.0, -1.0, 1.0, -2.0, 2.0, -3.0, 3.0}) {
        if (dist < 10 && shift != 0) continue;
        for (int side : {1, -1}) {
          const double cy = d.y + shift * h;
          const double x0 = side > 0 ? d.x + dist : d.x - dist - w;
          const Box box{x0 - 1, cy - h / 2, x0 + w + 1, cy + h / 2};
          if (!LabelFits(box, planBox_, taken, track_)) continue;
          const Pt end{side > 0 ? box.x0 : box.x1, cy};
          const bool leader = dist > 10;
          if (leader && !LeaderFits(d, end, taken, track_)) continue;
          taken.push_back(box);
          if (leader) {
            leaders += "<line x1=\"" + Num(d.x) + "\" y1=\"" + Num(d.y) + "\" x2=\"" + Num(end.x) +
                       "\" y2=\"" + Num(end.y) + "\" stroke=\"" + colour::kStation +
                       "\" stroke-width=\"0.6\"/>\n";
          }
          labels += "<text class=\"plan-station-label\" x=\"" + Num(side > 0 ? x0 : x0 + w) +
                    "\" y=\"" + Num(cy + kLabelSize * 0.36) + "\" text-anchor=\"" +
                    (side > 0 ? "start" : "end") + "\">" + Esc(st.name) + "</text>\n";
          placed = true;
          break;
        }
        if (placed) break;
      }
      if (placed) break;
    }
  }
  std::string s = "<g id=\"plan-stations\">\n" + leaders;
  for (std::size_t i = 0; i < stations_.size(); ++i) {
    const Station& st = stations_[i];
    s += "<circle class=\"plan-station\" cx=\"" + Num(dots[i].x) + "\" cy=\"" + Num(dots[i].y) +
         "\" r=\"3.2\" fill=\"" + (st.stops ? colour::kStation : "#ffffff") + "\" stroke=\"" +
         colour::kStation + "\" stroke-width=\"1.3\"><title>" + Esc(st.name) + ", " +
         Esc(Km(st.position)) + "</title></circle>\n";
  }
  s += "<g fill=\"" + std::string(colour::kStation) + "\">\n" + labels + "</g>\n</g>\n";
  return s;
}

std::string Picture::ScaleBar(double x, double y) const {
  // About a sixth of the plan's width, rounded to 1, 2 or 5 units.
  const double metres = NiceBelow((planBox_.x1 - planBox_.x0) / 6 / placement_.scale);
  const double len = metres * placement_.scale;
  std::string s = "<g id=\"scale-bar\">\n";
  s += "<rect x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" width=\"" + Num(len / 2) +
       "\" height=\"5\" fill=\"" + colour::kText + "\"/>\n";
  s += "<rect x=\"" + Num(x + len / 2) + "\" y=\"" + Num(y) + "\" width=\"" + Num(len / 2) +
       "\" height=\"5\" fill=\"#ffffff\" stroke=\"" + colour::kText + "\" stroke-width=\"0.8\"/>\n";
  s += "<text x=\"" + Num(x) + "\" y=\"" + Num(y - 4) + "\" font-size=\"" + Num(kSmallSize) +
       "\">0</text>\n";
  s += "<text x=\"" + Num(x + len) + "\" y=\"" + Num(y - 4) + "\" font-size=\"" + Num(kSmallSize) +
       "\" text-anchor=\"middle\">" + Esc(Km(metres)) + "</text>\n";
  s += "</g>\n";
  return s;
}

std::string Picture::NorthArrow(double x, double y) const {
  std::string s = "<g id=\"north\">\n";
  s += "<path d=\"M" + Num(x) + " " + Num(y + 2) + "L" + Num(x + 6) + " " + Num(y + 18) + "L" +
       Num(x) + " " + Num(y + 14) + "L" + Num(x - 6) + " " + Num(y + 18) + "Z\" fill=\"" +
       colour::kText + "\"/>\n";
  s += "<text x=\"" + Num(x) + "\" y=\"" + Num(y + 30) +
       "\" text-anchor=\"middle\" font-size=\"11\" font-weight=\"bold\">N</text>\n</g>\n";
  return s;
}

}  // namespace sb::render
