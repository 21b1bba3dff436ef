#include "tools/render.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>

#include "base/exit_status.h"
#include "model/file_names.h"
#include "model/km_post.h"
#include "base/file_io.h"

namespace sb {
namespace {

// ---- look ----------------------------------------------------------------

// One colour per kind of thing, in the plan, the strips and the legend.
namespace colour {
constexpr const char* kTrack = "#3b3b3b";
constexpr const char* kOverrun = "#9a9a9a";
constexpr const char* kStation = "#1f5fbf";
constexpr const char* kSignal = "#d62728";
constexpr const char* kSlowdown = "#f28e2b";
constexpr const char* kSpeedLimit = "#2a9d3a";
constexpr const char* kSpeedPoint = "#0b5d4b";
constexpr const char* kGradient = "#8c6d31";
constexpr const char* kMountain = "#8e6bbf";
constexpr const char* kSpeedBoard = "#59656f";
constexpr const char* kTextBoard = "#d0509a";
constexpr const char* kGrid = "#e3e3e3";
constexpr const char* kAxis = "#777777";
constexpr const char* kText = "#222222";
constexpr const char* kMuted = "#6b6b6b";
}  // namespace colour

constexpr double kWidth = 1600;
constexpr double kMargin = 24;
constexpr double kAxisLeft = 110;  // strips: room for the y-axis labels
constexpr double kAxisRight = kWidth - 40;
constexpr double kPlanMaxHeight = 900;
constexpr double kPlanMinHeight = 260;
constexpr double kPlanLabelRoom = 170;  // beside the line, for station names
constexpr double kLegendWidth = 400;
constexpr double kLabelSize = 11;  // station names
constexpr double kSmallSize = 10;
constexpr int kStationRows = 5;  // label rows on each side of the station strip

// ---- small helpers ---------------------------------------------------------

std::string F(double v) {
  if (!std::isfinite(v)) v = 0;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", v);
  std::string s = buf;
  if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) s.resize(s.size() - 2);
  if (s == "-0") s = "0";
  return s;
}

std::string Esc(const std::string& utf8) {
  std::string out;
  for (char c : utf8) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default:
        // Control characters are not allowed in an XML document.
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
          out += ' ';
        } else {
          out += c;
        }
    }
  }
  return out;
}

// Width of a text in a sans-serif font, estimated per character; only used
// to keep labels apart, so it errs on the wide side.
double TextWidth(const std::string& utf8, double size) {
  double w = 0;
  for (unsigned char c : utf8) {
    if ((c & 0xC0) == 0x80) continue;  // continuation byte of a UTF-8 character
    if (c == ' ')
      w += 0.33;
    else if (c >= 'A' && c <= 'Z')
      w += 0.70;
    else if (c >= '0' && c <= '9')
      w += 0.62;
    else if (c == '.' || c == ',' || c == '\'' || c == ':' || c == ';' || c == '!' || c == '|')
      w += 0.32;
    else if (c == '(' || c == ')' || c == '-' || c == '/')
      w += 0.40;
    else
      w += 0.60;
  }
  return w * size;
}

std::string Km(double metres) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f", metres / 1000.0);
  std::string s = buf;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s + " km";
}

// A round step (1, 2 or 5 times a power of ten) of at least `raw`.
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

struct Box {
  double x0, y0, x1, y1;
  bool Overlaps(const Box& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
  bool Contains(double x, double y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};

struct Pt {
  double x, y;
};

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

std::string PathOf(const std::vector<Pt>& pts) {
  std::string d;
  for (std::size_t i = 0; i < pts.size(); ++i) {
    d += i == 0 ? 'M' : 'L';
    d += F(pts[i].x);
    d += ' ';
    d += F(pts[i].y);
  }
  return d;
}

// ---- what is drawn -----------------------------------------------------------

struct Station {
  int slot = 0;
  std::string name;  // UTF-8
  int32_t position = 0;
  int32_t start = 0;
  int32_t end = 0;
  bool stops = false;  // kinds below 25 have a stop mark
  bool timed = false;  // has a scheduled time
};

struct Slowdown {
  int64_t startCell = 0;
  int64_t endCell = 0;
  int speed = 0;
};

struct Run {
  int64_t from = 0;  // first cell
  int64_t to = 0;    // one past the last cell
  int value = 0;
};

std::vector<Station> Stations(const ItemTable& items) {
  std::vector<Station> out;
  for (int slot = 1; slot <= kFirstBoardSlot; ++slot) {
    const ScenarioItem& it = items[static_cast<std::size_t>(slot)];
    if (ItemRole(slot, it).rfind("station", 0) != 0) continue;
    Station s;
    s.slot = slot;
    s.name = TextAsUtf8(it.text);
    s.position = it.position;
    s.start = it.start;
    s.end = it.end;
    s.stops = it.kind < 25;
    s.timed = it.seconds != 0;
    out.push_back(s);
  }
  return out;
}

// Every slowdown start with the end cell that follows it (a slowdown too
// short for a cell of its own ends where it starts).
std::vector<Slowdown> Slowdowns(const std::vector<TrackCell>& cells) {
  std::vector<Slowdown> out;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (cells[i].kind != kKindSlowdownStart) continue;
    Slowdown s;
    s.startCell = static_cast<int64_t>(i);
    s.endCell = s.startCell;
    s.speed = cells[i].value1;
    for (std::size_t j = i + 1; j < cells.size(); ++j) {
      if (cells[j].kind == kKindSlowdownStart) break;
      if (cells[j].kind == kKindSlowdownEnd) {
        s.endCell = static_cast<int64_t>(j);
        break;
      }
    }
    out.push_back(s);
  }
  return out;
}

// Runs of equal value of a per-stretch field over cells [0, limit).
template <typename Get>
std::vector<Run> Runs(const std::vector<TrackCell>& cells, std::size_t limit, Get get) {
  std::vector<Run> out;
  for (std::size_t i = 0; i < limit && i < cells.size(); ++i) {
    const int v = get(cells[i]);
    if (!out.empty() && out.back().value == v && out.back().to == static_cast<int64_t>(i)) {
      out.back().to = static_cast<int64_t>(i) + 1;
    } else {
      out.push_back({static_cast<int64_t>(i), static_cast<int64_t>(i) + 1, v});
    }
  }
  return out;
}

// Whether the line has a kilometric progression to tell kilometre posts by.
bool HasProgression(const ItemTable& items) {
  for (int slot = kSlotProgressionTre; slot <= kSlotProgressionUno; ++slot) {
    const ScenarioItem& p = items[static_cast<std::size_t>(slot)];
    if (p.start != 0 || p.end != 0) return true;
  }
  return false;
}

// ---- the document -------------------------------------------------------------

class Picture {
 public:
  explicit Picture(const RenderInput& in) : in_(in) {
    stations_ = Stations(in.items);
    slowdowns_ = Slowdowns(in.cells);
    lastCell_ = static_cast<int64_t>(in.cells.size()) - 1;
    axisEnd_ = std::max<double>(static_cast<double>(lastCell_) * kCellLength, 1000);
    lineLength_ = in.items[kSlotTotals].end;
    if (lineLength_ <= 0 && in.profile != nullptr) lineLength_ = in.profile->end() - kLineOverrun;
    // The tails never fill the last three cells of a grid.
    filled_ = in.cells.size() > 3 ? in.cells.size() - 3 : in.cells.size();
  }

  std::string Build() {
    double y = 0;
    std::string body;
    body += Header(&y);
    body += Plan(&y);
    body += Strips(&y);
    if (!legendBeside_) body += Legend(kMargin, y + 10, kWidth - 2 * kMargin, &y);
    const double height = std::ceil(y + kMargin);
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + F(kWidth) + "\" height=\"" +
           F(height) + "\" viewBox=\"0 0 " + F(kWidth) + " " + F(height) +
           "\" font-family=\"DejaVu Sans, Verdana, Arial, sans-serif\" font-size=\"" +
           F(kLabelSize) + "\">\n";
    svg += "<title>" + Esc(in_.lineId) + ", train " + Esc(in_.trainNumber) + "</title>\n";
    svg += "<rect x=\"0\" y=\"0\" width=\"" + F(kWidth) + "\" height=\"" + F(height) +
           "\" fill=\"#ffffff\"/>\n";
    svg += body;
    svg += "</svg>\n";
    return svg;
  }

 private:
  double X(double metres) const {
    return kAxisLeft + (kAxisRight - kAxisLeft) * std::clamp(metres, 0.0, axisEnd_) / axisEnd_;
  }
  double CellX(int64_t cell) const { return X(static_cast<double>(cell) * kCellLength); }

  std::string Header(double* y) {
    std::string s = "<g id=\"header\">\n";
    s += "<text x=\"" + F(kMargin) + "\" y=\"" + F(kMargin + 18) +
         "\" font-size=\"22\" font-weight=\"bold\" fill=\"" + colour::kText + "\">" +
         Esc(in_.lineId) + " &#8212; train " + Esc(in_.trainNumber) + "</text>\n";
    int signals = 0;
    for (const TrackCell& c : in_.cells) signals += c.kind == kKindSignal ? 1 : 0;
    const std::string facts =
        Km(lineLength_) + " of line, " + std::to_string(stations_.size()) +
        (stations_.size() == 1 ? " station, " : " stations, ") + std::to_string(signals) +
        (signals == 1 ? " signal, " : " signals, ") + std::to_string(slowdowns_.size()) +
        (slowdowns_.size() == 1 ? " slowdown" : " slowdowns");
    s += "<text x=\"" + F(kMargin) + "\" y=\"" + F(kMargin + 40) + "\" font-size=\"13\" fill=\"" +
         colour::kMuted + "\">" + Esc(facts) + "</text>\n</g>\n";
    *y = kMargin + 56;
    return s;
  }

  // ---- plan ----

  bool HasPoint(int32_t m) const {
    const ProfileTable& p = *in_.profile;
    return m >= 0 && m <= p.end() && p.tag(m, 0) != ProfileTable::Tag::kEmpty &&
           p.tag(m, 1) != ProfileTable::Tag::kEmpty;
  }

  std::string Plan(double* y) {
    if (in_.profile == nullptr) {
      std::string s =
          "<g id=\"plan\">\n<text x=\"" + F(kMargin) + "\" y=\"" + F(*y + 20) + "\" fill=\"" +
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
      std::string s = "<g id=\"plan\">\n<text x=\"" + F(kMargin) + "\" y=\"" + F(*y + 20) +
                      "\" fill=\"" + colour::kMuted +
                      "\">No plan: the profile holds no points.</text>\n</g>\n";
      *y += 36;
      return s;
    }
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
    const double top = *y + 20;
    // Room for the line and the names on both sides; the legend goes beside
    // the plan when the line leaves room for it.
    const double availW = kWidth - 2 * kMargin - 2 * kPlanLabelRoom;
    // 10 px above the line, 50 px below it for the scale bar.
    const double availH = kPlanMaxHeight - 60;
    scale_ = std::min(availW / spanX, availH / spanY);
    const double drawnW = spanX * scale_;
    const double drawnH = spanY * scale_;
    const double height = std::max(drawnH + 60, kPlanMinHeight);
    legendBeside_ = drawnW + 2 * kPlanLabelRoom + kLegendWidth + 3 * kMargin <= kWidth;
    const double areaLeft = kMargin;
    const double areaRight = legendBeside_ ? kWidth - kLegendWidth - 2 * kMargin : kWidth - kMargin;
    const double left = areaLeft + (areaRight - areaLeft - drawnW) / 2;
    originX_ = left - minX * scale_;
    originY_ = top + 10 + (height - 60 - drawnH) / 2 + maxY * scale_;
    planBox_ = {areaLeft, top, areaRight, top + height};

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
    // Mountains and slowdowns over the line, in their colours.
    for (const Run& r :
         Runs(in_.cells, filled_, [](const TrackCell& c) { return int{c.terrain}; })) {
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
    // Start and end of the line.
    const Pt a = At(0), b = At(lineEnd);
    s += "<circle cx=\"" + F(a.x) + "\" cy=\"" + F(a.y) + "\" r=\"5\" fill=\"#ffffff\" stroke=\"" +
         colour::kTrack + "\" stroke-width=\"2\"><title>start of the line, 0 m</title></circle>\n";
    s += "<rect x=\"" + F(b.x - 4.5) + "\" y=\"" + F(b.y - 4.5) +
         "\" width=\"9\" height=\"9\" fill=\"" + colour::kTrack + "\"><title>end of the line, " +
         Esc(Km(lineEnd)) + "</title></rect>\n";
    s += StationsOnPlan();
    s += ScaleBar(planBox_.x0 + 10, planBox_.y1 - 16);
    s += NorthArrow(planBox_.x0 + 22, planBox_.y0 + 8);
    s += "</g>\n";
    if (legendBeside_) s += Legend(areaRight + kMargin, top + 10, kLegendWidth, nullptr);
    *y = planBox_.y1 + 10;
    return s;
  }

  Pt At(int32_t metre) const {
    const int32_t m = std::clamp<int32_t>(metre, 0, std::max<int32_t>(lastMetre_, 0));
    return {originX_ + in_.profile->value(m, 0) * scale_,
            originY_ - in_.profile->value(m, 1) * scale_};
  }

  std::vector<Pt> Points(int32_t from, int32_t to, int32_t step) const {
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
  std::string StationsOnPlan() {
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
            if (!Fits(box, taken)) continue;
            const Pt end{side > 0 ? box.x0 : box.x1, cy};
            const bool leader = dist > 10;
            if (leader && !LeaderFits(d, end, taken)) continue;
            taken.push_back(box);
            if (leader) {
              leaders += "<line x1=\"" + F(d.x) + "\" y1=\"" + F(d.y) + "\" x2=\"" + F(end.x) +
                         "\" y2=\"" + F(end.y) + "\" stroke=\"" + colour::kStation +
                         "\" stroke-width=\"0.6\"/>\n";
            }
            labels += "<text class=\"plan-station-label\" x=\"" + F(side > 0 ? x0 : x0 + w) +
                      "\" y=\"" + F(cy + kLabelSize * 0.36) + "\" text-anchor=\"" +
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
      s += "<circle class=\"plan-station\" cx=\"" + F(dots[i].x) + "\" cy=\"" + F(dots[i].y) +
           "\" r=\"3.2\" fill=\"" + (st.stops ? colour::kStation : "#ffffff") + "\" stroke=\"" +
           colour::kStation + "\" stroke-width=\"1.3\"><title>" + Esc(st.name) + ", " +
           Esc(Km(st.position)) + "</title></circle>\n";
    }
    s += "<g fill=\"" + std::string(colour::kStation) + "\">\n" + labels + "</g>\n</g>\n";
    return s;
  }

  bool Fits(const Box& box, const std::vector<Box>& taken) const {
    // Clear of the north arrow at the top and the scale bar at the bottom.
    if (box.x0 < planBox_.x0 || box.x1 > planBox_.x1 || box.y0 < planBox_.y0 + 30 ||
        box.y1 > planBox_.y1 - 34) {
      return false;
    }
    for (const Box& t : taken) {
      if (box.Overlaps(t)) return false;
    }
    for (std::size_t k = 1; k < track_.size(); ++k) {
      if (SegmentHitsBox(track_[k - 1], track_[k], box)) return false;
    }
    return true;
  }

  // A leader crosses no name, dot or piece of line.
  bool LeaderFits(Pt from, Pt to, const std::vector<Box>& taken) const {
    // Start just off the dot, which is itself in `taken`.
    const double len = std::hypot(to.x - from.x, to.y - from.y);
    if (len <= 5) return true;
    const Pt a{from.x + (to.x - from.x) * 5 / len, from.y + (to.y - from.y) * 5 / len};
    for (const Box& t : taken) {
      const Box shrunk{t.x0 + 0.5, t.y0 + 0.5, t.x1 - 0.5, t.y1 - 0.5};
      if (SegmentHitsBox(a, to, shrunk)) return false;
    }
    for (std::size_t k = 1; k < track_.size(); ++k) {
      if (SegmentsCross(a, to, track_[k - 1], track_[k])) return false;
    }
    return true;
  }

  std::string ScaleBar(double x, double y) const {
    // About a sixth of the plan's width, rounded to 1, 2 or 5 units.
    const double metres = NiceBelow((planBox_.x1 - planBox_.x0) / 6 / scale_);
    const double len = metres * scale_;
    std::string s = "<g id=\"scale-bar\">\n";
    s += "<rect x=\"" + F(x) + "\" y=\"" + F(y) + "\" width=\"" + F(len / 2) +
         "\" height=\"5\" fill=\"" + colour::kText + "\"/>\n";
    s += "<rect x=\"" + F(x + len / 2) + "\" y=\"" + F(y) + "\" width=\"" + F(len / 2) +
         "\" height=\"5\" fill=\"#ffffff\" stroke=\"" + colour::kText +
         "\" stroke-width=\"0.8\"/>\n";
    s += "<text x=\"" + F(x) + "\" y=\"" + F(y - 4) + "\" font-size=\"" + F(kSmallSize) +
         "\">0</text>\n";
    s += "<text x=\"" + F(x + len) + "\" y=\"" + F(y - 4) + "\" font-size=\"" + F(kSmallSize) +
         "\" text-anchor=\"middle\">" + Esc(Km(metres)) + "</text>\n";
    s += "</g>\n";
    return s;
  }

  std::string NorthArrow(double x, double y) const {
    std::string s = "<g id=\"north\">\n";
    s += "<path d=\"M" + F(x) + " " + F(y + 2) + "L" + F(x + 6) + " " + F(y + 18) + "L" + F(x) +
         " " + F(y + 14) + "L" + F(x - 6) + " " + F(y + 18) + "Z\" fill=\"" + colour::kText +
         "\"/>\n";
    s += "<text x=\"" + F(x) + "\" y=\"" + F(y + 30) +
         "\" text-anchor=\"middle\" font-size=\"11\" font-weight=\"bold\">N</text>\n</g>\n";
    return s;
  }

  // ---- strips ----

  struct Strip {
    double top = 0;
    double height = 0;
  };

  // A strip's frame and title; returns its drawing area.
  Strip BeginStrip(const std::string& title, double height, double* y, std::string* s) const {
    Strip st;
    st.top = *y + 20;
    st.height = height;
    *s += "<text x=\"" + F(kAxisLeft) + "\" y=\"" + F(*y + 14) +
          "\" font-size=\"12\" font-weight=\"bold\" fill=\"" + colour::kText + "\">" + Esc(title) +
          "</text>\n";
    *s += "<rect x=\"" + F(kAxisLeft) + "\" y=\"" + F(st.top) + "\" width=\"" +
          F(kAxisRight - kAxisLeft) + "\" height=\"" + F(height) + "\" fill=\"none\" stroke=\"" +
          colour::kGrid + "\"/>\n";
    *y = st.top + height;
    return st;
  }

  std::string Strips(double* y) {
    std::string s;
    const double stripsTop = *y + 6;
    double cursor = stripsTop;
    std::string body;
    body += GradientStrip(&cursor);
    body += SpeedStrip(&cursor);
    body += SlowdownStrip(&cursor);
    body += SignalStrip(&cursor);
    body += StationStrip(&cursor);
    body += MountainStrip(&cursor);
    body += BoardStrip(&cursor);
    s += Grid(stripsTop + 20, cursor);
    s += body;
    s += AxisBelow(cursor, y);
    return s;
  }

  double TickStep() const { return NiceStep(axisEnd_ / 24); }

  // Faint vertical lines at every kilometre tick, behind all strips, and
  // the end of the line.
  std::string Grid(double top, double bottom) const {
    std::string s =
        "<g id=\"km-grid\" stroke=\"" + std::string(colour::kGrid) + "\" stroke-width=\"1\">\n";
    const double step = TickStep();
    for (double m = 0; m <= axisEnd_ + 0.5; m += step) {
      s += "<line x1=\"" + F(X(m)) + "\" y1=\"" + F(top) + "\" x2=\"" + F(X(m)) + "\" y2=\"" +
           F(bottom) + "\"/>\n";
    }
    if (lineLength_ > 0 && lineLength_ < axisEnd_) {
      s += "<line x1=\"" + F(X(lineLength_)) + "\" y1=\"" + F(top) + "\" x2=\"" +
           F(X(lineLength_)) + "\" y2=\"" + F(bottom) + "\" stroke=\"" + colour::kOverrun +
           "\" stroke-dasharray=\"5 4\"><title>end of the line, " + Esc(Km(lineLength_)) +
           "</title></line>\n";
      s += "<text x=\"" + F(X(lineLength_) - 4) + "\" y=\"" + F(top - 6) +
           "\" text-anchor=\"end\" font-size=\"" + F(kSmallSize) + "\" fill=\"" + colour::kMuted +
           "\" stroke=\"none\">end of the line</text>\n";
    }
    s += "</g>\n";
    return s;
  }

  std::string AxisBelow(double bottom, double* y) const {
    std::string s =
        "<g id=\"km-axis\" font-size=\"" + F(kSmallSize) + "\" fill=\"" + colour::kAxis + "\">\n";
    s += "<line x1=\"" + F(kAxisLeft) + "\" y1=\"" + F(bottom) + "\" x2=\"" + F(kAxisRight) +
         "\" y2=\"" + F(bottom) + "\" stroke=\"" + colour::kAxis + "\"/>\n";
    const double step = TickStep();
    // Kilometre posts as the diagnostics tell them.
    const bool posts = HasProgression(in_.items);
    for (double m = 0; m <= axisEnd_ + 0.5; m += step) {
      s += "<line x1=\"" + F(X(m)) + "\" y1=\"" + F(bottom) + "\" x2=\"" + F(X(m)) + "\" y2=\"" +
           F(bottom + 5) + "\" stroke=\"" + colour::kAxis + "\"/>\n";
      s += "<text x=\"" + F(X(m)) + "\" y=\"" + F(bottom + 16) + "\" text-anchor=\"middle\">" +
           F(m / 1000) + "</text>\n";
      if (posts) {
        const double post =
            static_cast<double>(KilometricValue(in_.items, static_cast<int64_t>(m)));
        s += "<text x=\"" + F(X(m)) + "\" y=\"" + F(bottom + 29) +
             "\" text-anchor=\"middle\" fill=\"#a0a0a0\">" + F(post / 1000) + "</text>\n";
      }
    }
    s += "<text x=\"" + F(kAxisLeft - 18) + "\" y=\"" + F(bottom + 16) +
         "\" text-anchor=\"end\">km along the line</text>\n";
    if (posts) {
      s += "<text x=\"" + F(kAxisLeft - 18) + "\" y=\"" + F(bottom + 29) +
           "\" text-anchor=\"end\" fill=\"#a0a0a0\">kilometre post</text>\n";
    }
    s += "</g>\n";
    *y = bottom + (posts ? 36 : 24);
    return s;
  }

  std::string YLabel(double yPix, const std::string& text) const {
    return "<text x=\"" + F(kAxisLeft - 6) + "\" y=\"" + F(yPix + 3.5) +
           "\" text-anchor=\"end\" font-size=\"" + F(kSmallSize) + "\" fill=\"" + colour::kAxis +
           "\">" + Esc(text) + "</text>\n";
  }

  std::string GradientStrip(double* y) {
    std::string s = "<g id=\"strip-gradient\">\n";
    const Strip st = BeginStrip("Gradient", 90, y, &s);
    const auto runs =
        Runs(in_.cells, filled_, [](const TrackCell& c) { return int{c.gradient} - 100; });
    int most = 5;
    for (const Run& r : runs) most = std::max(most, std::abs(r.value));
    const double range = NiceStep(most);
    const double mid = st.top + st.height / 2;
    auto Y = [&](double v) { return mid - v / range * (st.height / 2 - 6); };
    s += "<line x1=\"" + F(kAxisLeft) + "\" y1=\"" + F(mid) + "\" x2=\"" + F(kAxisRight) +
         "\" y2=\"" + F(mid) + "\" stroke=\"" + colour::kAxis + "\" stroke-width=\"0.7\"/>\n";
    s += YLabel(Y(range), "+" + F(range)) + YLabel(mid, "0") + YLabel(Y(-range), "-" + F(range));
    std::string d;
    for (const Run& r : runs) {
      d += 'M';
      d += F(CellX(r.from)) + " " + F(mid) + "V" + F(Y(r.value)) + "H" + F(CellX(r.to)) + "V" +
           F(mid) + "Z";
    }
    s += "<path d=\"" + d + "\" fill=\"" + colour::kGradient +
         "\" fill-opacity=\"0.35\" stroke=\"" + colour::kGradient + "\" stroke-width=\"0.8\"/>\n";
    s += "</g>\n";
    return s;
  }

  std::string SpeedStrip(double* y) {
    std::string s = "<g id=\"strip-speed\">\n";
    const Strip st = BeginStrip("Speed limit (km/h) and speed points", 110, y, &s);
    const auto runs =
        Runs(in_.cells, filled_, [](const TrackCell& c) { return int{c.speedLimit} * 5; });
    int most = 40;
    for (const Run& r : runs) most = std::max(most, r.value);
    for (const TrackCell& c : in_.cells) {
      if (c.kind == kKindSpeedPoint) most = std::max<int>(most, c.value1);
    }
    const double top = std::ceil(most / 20.0) * 20;
    auto Y = [&](double v) {
      return st.top + st.height - 4 - std::clamp(v, 0.0, top) / top * (st.height - 12);
    };
    for (double v = 0; v <= top; v += NiceStep(top / 4)) {
      s += YLabel(Y(v), F(v));
      s += "<line x1=\"" + F(kAxisLeft) + "\" y1=\"" + F(Y(v)) + "\" x2=\"" + F(kAxisRight) +
           "\" y2=\"" + F(Y(v)) + "\" stroke=\"" + colour::kGrid + "\" stroke-width=\"0.7\"/>\n";
    }
    std::string d;
    for (const Run& r : runs) {
      d += (d.empty() ? "M" + F(CellX(r.from)) + " " + F(Y(r.value)) : "V" + F(Y(r.value))) + "H" +
           F(CellX(r.to));
    }
    s += "<path id=\"speed-limit\" d=\"" + d + "\" fill=\"none\" stroke=\"" + colour::kSpeedLimit +
         "\" stroke-width=\"1.8\"/>\n";
    for (std::size_t i = 0; i < in_.cells.size(); ++i) {
      const TrackCell& c = in_.cells[i];
      if (c.kind != kKindSpeedPoint && c.kind != kKindSpeedPointNoValue) continue;
      const double px = CellX(static_cast<int64_t>(i));
      const double py = c.kind == kKindSpeedPoint ? Y(c.value1) : Y(0);
      s += "<path class=\"speed-point\" d=\"M" + F(px) + " " + F(py - 4) + "L" + F(px + 3.5) + " " +
           F(py) + "L" + F(px) + " " + F(py + 4) + "L" + F(px - 3.5) + " " + F(py) + "Z\" fill=\"" +
           colour::kSpeedPoint + "\"><title>speed point" +
           (c.kind == kKindSpeedPoint ? " " + std::to_string(c.value1) + " km/h"
                                      : std::string(" without value")) +
           ", cell " + std::to_string(i) + "</title></path>\n";
    }
    s += "</g>\n";
    return s;
  }

  std::string SlowdownStrip(double* y) {
    std::string s = "<g id=\"strip-slowdowns\">\n";
    const Strip st =
        BeginStrip("Slowdowns (warning, before-warning marks, start to end)", 48, y, &s);
    const double bar = st.top + 26;
    for (std::size_t i = 0; i < in_.cells.size(); ++i) {
      const TrackCell& c = in_.cells[i];
      const double px = CellX(static_cast<int64_t>(i));
      if (c.kind == kKindSlowdownWarning) {
        s += "<path class=\"slowdown-warning\" d=\"M" + F(px) + " " + F(bar - 7) + "L" + F(px + 6) +
             " " + F(bar + 5) + "L" + F(px - 6) + " " + F(bar + 5) +
             "Z\" fill=\"#ffffff\" stroke=\"" + colour::kSlowdown +
             "\" stroke-width=\"1.5\"><title>slowdown warning, " + std::to_string(c.value1) +
             " km/h, cell " + std::to_string(i) + "</title></path>\n";
      } else if (c.kind == kKindBeforeWarning) {
        s += "<line class=\"before-warning\" x1=\"" + F(px) + "\" y1=\"" + F(bar - 4) + "\" x2=\"" +
             F(px) + "\" y2=\"" + F(bar + 4) + "\" stroke=\"" + colour::kSlowdown +
             "\" stroke-width=\"1\"/>\n";
      }
    }
    double lastLabelEnd = -1e9;
    for (const Slowdown& sd : slowdowns_) {
      const double x0 = CellX(sd.startCell);
      const double x1 = std::max(CellX(sd.endCell), x0 + 3);
      s += "<rect class=\"slowdown\" x=\"" + F(x0) + "\" y=\"" + F(bar - 5) + "\" width=\"" +
           F(x1 - x0) + "\" height=\"10\" fill=\"" + colour::kSlowdown + "\"><title>slowdown " +
           std::to_string(sd.speed) + " km/h, " + Esc(Km(sd.startCell * 50.0)) + " to " +
           Esc(Km(sd.endCell * 50.0)) + "</title></rect>\n";
      // The speed above the bar, unless it would touch the one before.
      const std::string speed = std::to_string(sd.speed);
      const double w = TextWidth(speed, kSmallSize);
      if ((x0 + x1) / 2 - w / 2 > lastLabelEnd + 3) {
        s += "<text x=\"" + F((x0 + x1) / 2) + "\" y=\"" + F(bar - 9) +
             "\" text-anchor=\"middle\" font-size=\"" + F(kSmallSize) + "\" fill=\"" +
             colour::kText + "\">" + speed + "</text>\n";
        lastLabelEnd = (x0 + x1) / 2 + w / 2;
      }
    }
    s += "</g>\n";
    return s;
  }

  std::string SignalStrip(double* y) {
    std::string s = "<g id=\"strip-signals\">\n";
    const Strip st = BeginStrip("Signals", 30, y, &s);
    for (std::size_t i = 0; i < in_.cells.size(); ++i) {
      if (in_.cells[i].kind != kKindSignal) continue;
      const double px = CellX(static_cast<int64_t>(i));
      s += "<line class=\"signal\" x1=\"" + F(px) + "\" y1=\"" + F(st.top + 6) + "\" x2=\"" +
           F(px) + "\" y2=\"" + F(st.top + st.height - 6) + "\" stroke=\"" + colour::kSignal +
           "\" stroke-width=\"1.6\"><title>signal, cell " + std::to_string(i) + " (" +
           Esc(Km(static_cast<double>(i) * kCellLength)) + ")</title></line>\n";
    }
    s += "</g>\n";
    return s;
  }

  struct StationName {
    std::size_t station;
    int side;  // 0 above the bar, 1 below
    int row;   // 0 nearest the bar
    double x0;
  };
  struct NameLayout {
    std::vector<StationName> names;
    int rows[2] = {0, 0};  // rows in use above and below
  };

  // Places the names of the stations, taken in `order` (by position), in
  // rows on either side of the bar. A name that covers the places of the
  // next stations goes out as many rows when `lookahead` is set, or to the
  // farthest row otherwise, leaving the rows nearer the bar to their names.
  NameLayout PlaceStationNames(const std::vector<std::size_t>& order, bool lookahead) const {
    struct Span {
      double x0, x1;
    };
    // Per side and row: the names placed there and the leaders that pass
    // through.
    std::vector<Span> spans[2][kStationRows];
    std::vector<double> leadersThrough[2][kStationRows];
    NameLayout layout;
    for (std::size_t k = 0; k < order.size(); ++k) {
      const std::size_t i = order[k];
      const Station& stn = stations_[i];
      const double a = X(stn.position);
      const double w = TextWidth(stn.name, kLabelSize);
      int under = 0;
      while (k + 1 + static_cast<std::size_t>(under) < order.size() &&
             X(stations_[order[k + 1 + static_cast<std::size_t>(under)]].position) <= a + w + 6) {
        ++under;
      }
      const int first = lookahead ? std::min(under, kStationRows - 1) : kStationRows - 1;
      auto tryRow = [&](int side, int row) {
        for (double x0 : {a - 4, a - w / 2, a - w + 4}) {
          const double lo = std::max(x0, kAxisLeft - 40);
          const double hi = lo + w;
          if (hi > kWidth - 4) continue;
          auto clash = [&](const Span& p) { return lo - 5 < p.x1 && p.x0 < hi + 5; };
          if (std::any_of(spans[side][row].begin(), spans[side][row].end(), clash)) continue;
          // The leader passes the rows nearer the bar: no name there may
          // cover it, and this name may cover no leader through its row.
          bool blocked = false;
          for (int nearer = 0; nearer < row && !blocked; ++nearer) {
            for (const Span& p : spans[side][nearer]) {
              if (a >= p.x0 - 2 && a <= p.x1 + 2) blocked = true;
            }
          }
          for (double lx : leadersThrough[side][row]) {
            if (lx >= lo - 2 && lx <= hi + 2) blocked = true;
          }
          if (blocked) continue;
          spans[side][row].push_back({lo, hi});
          for (int nearer = 0; nearer < row; ++nearer) leadersThrough[side][nearer].push_back(a);
          layout.names.push_back({i, side, row, lo});
          layout.rows[side] = std::max(layout.rows[side], row + 1);
          return true;
        }
        return false;
      };
      bool done = false;
      for (int side = 0; side < 2 && !done; ++side) {
        for (int row = first; row >= 0 && !done; --row) done = tryRow(side, row);
        for (int row = first + 1; row < kStationRows && !done; ++row) done = tryRow(side, row);
      }
    }
    return layout;
  }

  // Stopping zones as bars on a middle line, every name in one of a few rows
  // above or below it, each with a leader to its station; a leader never
  // crosses a name. Of the two ways of choosing rows, the one that names
  // more stations (then the one with fewer rows) is drawn; a name that finds
  // no row is left out (its station keeps its mark, and its name in the
  // mark's tooltip).
  std::string StationStrip(double* y) {
    std::vector<std::size_t> order(stations_.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
      return stations_[a].position < stations_[b].position;
    });
    NameLayout layout = PlaceStationNames(order, true);
    NameLayout farthest = PlaceStationNames(order, false);
    if (farthest.names.size() > layout.names.size() ||
        (farthest.names.size() == layout.names.size() &&
         farthest.rows[0] + farthest.rows[1] < layout.rows[0] + layout.rows[1])) {
      layout = std::move(farthest);
    }
    const int* rows = layout.rows;
    std::string s = "<g id=\"strip-stations\">\n";
    const double rowH = kLabelSize + 4;
    const Strip st =
        BeginStrip("Stations and stopping zones", (rows[0] + rows[1]) * rowH + 24, y, &s);
    const double bar = st.top + 12 + rows[0] * rowH;
    std::string zones, labels, leaders;
    for (std::size_t i : order) {
      const Station& stn = stations_[i];
      const double z0 = X(stn.start), z1 = std::max(X(stn.end), X(stn.start) + 2);
      zones += "<rect class=\"stopping-zone\" x=\"" + F(z0) + "\" y=\"" + F(bar - 4) +
               "\" width=\"" + F(z1 - z0) + "\" height=\"8\" fill=\"" + colour::kStation +
               "\" fill-opacity=\"0.35\"/>\n";
      zones += "<circle class=\"station\" cx=\"" + F(X(stn.position)) + "\" cy=\"" + F(bar) +
               "\" r=\"3\" fill=\"" + (stn.stops ? colour::kStation : "#ffffff") + "\" stroke=\"" +
               colour::kStation + "\" stroke-width=\"1.2\"><title>" + Esc(stn.name) + ": " +
               Esc(Km(stn.position)) + ", stopping zone " + std::to_string(stn.start) + " to " +
               std::to_string(stn.end) + " m</title></circle>\n";
    }
    for (const StationName& n : layout.names) {
      const Station& stn = stations_[n.station];
      const double a = X(stn.position);
      const double baseline =
          n.side == 0 ? bar - 8 - n.row * rowH : bar + 6 + (n.row + 1) * rowH - 4;
      const double reach = n.side == 0 ? baseline + 2 : baseline - kLabelSize;
      labels += "<text class=\"station-label\" x=\"" + F(n.x0) + "\" y=\"" + F(baseline) + "\">" +
                Esc(stn.name) + "</text>\n";
      leaders += "<line x1=\"" + F(a) + "\" y1=\"" + F(reach) + "\" x2=\"" + F(a) + "\" y2=\"" +
                 F(n.side == 0 ? bar - 4 : bar + 4) + "\" stroke=\"" + colour::kStation +
                 "\" stroke-width=\"0.6\"/>\n";
    }
    s += leaders + zones + "<g fill=\"" + std::string(colour::kStation) + "\">\n" + labels +
         "</g>\n</g>\n";
    return s;
  }

  std::string MountainStrip(double* y) {
    std::string s = "<g id=\"strip-mountains\">\n";
    const Strip st = BeginStrip("Mountain sections (terrain type) and mountain marks", 32, y, &s);
    const double mid = st.top + st.height / 2;
    for (const Run& r :
         Runs(in_.cells, in_.cells.size(), [](const TrackCell& c) { return int{c.terrain}; })) {
      if (r.value == 0) continue;
      const double x0 = CellX(r.from), x1 = std::max(CellX(r.to), x0 + 2);
      s += "<rect class=\"mountain\" x=\"" + F(x0) + "\" y=\"" + F(mid - 6) + "\" width=\"" +
           F(x1 - x0) + "\" height=\"12\" fill=\"" + colour::kMountain +
           "\" fill-opacity=\"0.55\"><title>terrain type " + std::to_string(r.value) + ", " +
           Esc(Km(r.from * 50.0)) + " to " + Esc(Km(r.to * 50.0)) + "</title></rect>\n";
      const std::string label = "type " + std::to_string(r.value);
      if (TextWidth(label, kSmallSize) + 4 < x1 - x0) {
        s += "<text x=\"" + F((x0 + x1) / 2) + "\" y=\"" + F(mid + 3.5) +
             "\" text-anchor=\"middle\" font-size=\"" + F(kSmallSize) + "\" fill=\"#ffffff\">" +
             label + "</text>\n";
      }
    }
    for (std::size_t i = 0; i < in_.cells.size(); ++i) {
      if (in_.cells[i].kind != kKindMountainMark) continue;
      const double px = CellX(static_cast<int64_t>(i));
      s += "<line class=\"mountain-mark\" x1=\"" + F(px) + "\" y1=\"" + F(mid - 10) + "\" x2=\"" +
           F(px) + "\" y2=\"" + F(mid - 6) + "\" stroke=\"" + colour::kMountain +
           "\" stroke-width=\"1\"/>\n";
    }
    s += "</g>\n";
    return s;
  }

  std::string BoardStrip(double* y) {
    std::string s = "<g id=\"strip-boards\">\n";
    const Strip st = BeginStrip("Boards (maximum-speed indicators and text boards)", 44, y, &s);
    const double mark = st.top + st.height - 12;
    double lastTextEnd = -1e9;
    for (std::size_t i = 0; i < in_.cells.size(); ++i) {
      const TrackCell& c = in_.cells[i];
      const double px = CellX(static_cast<int64_t>(i));
      if (c.kind == kKindSpeedBoard) {
        s += "<rect class=\"speed-board\" x=\"" + F(px - 3) + "\" y=\"" + F(mark - 3) +
             "\" width=\"6\" height=\"6\" fill=\"" + colour::kSpeedBoard +
             "\"><title>maximum-speed board, cell " + std::to_string(i) + ": " +
             std::to_string(c.value1) + ", " + std::to_string(c.value2) + ", " +
             std::to_string(c.value3) + ", stripes " + std::to_string(c.value4) +
             "</title></rect>\n";
      } else if (c.kind == kKindTextBoard) {
        std::string text;
        if (c.value1 >= 0 && c.value1 < kItemSlots) {
          text = TextAsUtf8(in_.items[static_cast<std::size_t>(c.value1)].text);
        }
        s += "<path class=\"text-board\" d=\"M" + F(px) + " " + F(mark - 5) + "L" + F(px + 5) +
             " " + F(mark) + "L" + F(px) + " " + F(mark + 5) + "L" + F(px - 5) + " " + F(mark) +
             "Z\" fill=\"" + colour::kTextBoard + "\"><title>text board, cell " +
             std::to_string(i) + ": " + Esc(text) + "</title></path>\n";
        const double w = TextWidth(text, kSmallSize);
        const double x0 = std::clamp(px - w / 2, kAxisLeft - 40, kWidth - 4 - w);
        if (!text.empty() && x0 > lastTextEnd + 6) {
          s += "<text class=\"text-board-label\" x=\"" + F(x0) + "\" y=\"" + F(mark - 9) +
               "\" font-size=\"" + F(kSmallSize) + "\" fill=\"" + colour::kTextBoard + "\">" +
               Esc(text) + "</text>\n";
          lastTextEnd = x0 + w;
        }
      }
    }
    s += "</g>\n";
    return s;
  }

  // ---- legend ----

  std::string Legend(double x, double y, double width, double* bottom) const {
    struct Entry {
      const char* swatch;  // line, dash, dot, ring, bar, tick, triangle, diamond, square, band
      const char* colour;
      const char* text;
    };
    static constexpr Entry kEntries[] = {
        {"line", colour::kTrack, "the line (plan)"},
        {"dash", colour::kOverrun, "after the end of the line"},
        {"dot", colour::kStation, "station with a stop mark"},
        {"ring", colour::kStation, "station without a stop mark"},
        {"bar", colour::kStation, "stopping zone"},
        {"tick", colour::kSignal, "signal"},
        {"band", colour::kSlowdown, "slowdown, start to end"},
        {"triangle", colour::kSlowdown, "slowdown warning"},
        {"tick", colour::kSlowdown, "before-warning mark"},
        {"line", colour::kSpeedLimit, "speed limit"},
        {"diamond", colour::kSpeedPoint, "speed point"},
        {"bar", colour::kGradient, "gradient"},
        {"band", colour::kMountain, "mountain section"},
        {"tick", colour::kMountain, "mountain mark"},
        {"square", colour::kSpeedBoard, "maximum-speed indicator board"},
        {"diamond", colour::kTextBoard, "text board"},
    };
    const int perRow = std::max(1, static_cast<int>(width / 230));
    const double rowH = 18;
    std::string s = "<g id=\"legend\" font-size=\"" + F(kSmallSize + 1) + "\">\n";
    s += "<text x=\"" + F(x) + "\" y=\"" + F(y + 4) +
         "\" font-size=\"12\" font-weight=\"bold\">Legend</text>\n";
    int n = 0;
    for (const Entry& e : kEntries) {
      const double ex = x + (n % perRow) * (width / perRow);
      const double ey = y + 24 + (n / perRow) * rowH;
      const std::string c = e.colour;
      const std::string sw = e.swatch;
      if (sw == "line") {
        s += "<line x1=\"" + F(ex) + "\" y1=\"" + F(ey) + "\" x2=\"" + F(ex + 22) + "\" y2=\"" +
             F(ey) + "\" stroke=\"" + c + "\" stroke-width=\"2.2\"/>\n";
      } else if (sw == "dash") {
        s += "<line x1=\"" + F(ex) + "\" y1=\"" + F(ey) + "\" x2=\"" + F(ex + 22) + "\" y2=\"" +
             F(ey) + "\" stroke=\"" + c + "\" stroke-width=\"1.5\" stroke-dasharray=\"4 3\"/>\n";
      } else if (sw == "dot" || sw == "ring") {
        s += "<circle cx=\"" + F(ex + 11) + "\" cy=\"" + F(ey) + "\" r=\"3.5\" fill=\"" +
             (sw == "dot" ? c : std::string("#ffffff")) + "\" stroke=\"" + c +
             "\" stroke-width=\"1.3\"/>\n";
      } else if (sw == "bar") {
        s += "<rect x=\"" + F(ex) + "\" y=\"" + F(ey - 4) + "\" width=\"22\" height=\"8\" fill=\"" +
             c + "\" fill-opacity=\"0.35\" stroke=\"" + c + "\" stroke-width=\"0.6\"/>\n";
      } else if (sw == "band") {
        s += "<rect x=\"" + F(ex) + "\" y=\"" + F(ey - 5) +
             "\" width=\"22\" height=\"10\" fill=\"" + c + "\" fill-opacity=\"0.8\"/>\n";
      } else if (sw == "tick") {
        s += "<line x1=\"" + F(ex + 11) + "\" y1=\"" + F(ey - 6) + "\" x2=\"" + F(ex + 11) +
             "\" y2=\"" + F(ey + 6) + "\" stroke=\"" + c + "\" stroke-width=\"1.6\"/>\n";
      } else if (sw == "triangle") {
        s += "<path d=\"M" + F(ex + 11) + " " + F(ey - 6) + "L" + F(ex + 17) + " " + F(ey + 5) +
             "L" + F(ex + 5) + " " + F(ey + 5) + "Z\" fill=\"#ffffff\" stroke=\"" + c +
             "\" stroke-width=\"1.5\"/>\n";
      } else if (sw == "diamond") {
        s += "<path d=\"M" + F(ex + 11) + " " + F(ey - 5) + "L" + F(ex + 16) + " " + F(ey) + "L" +
             F(ex + 11) + " " + F(ey + 5) + "L" + F(ex + 6) + " " + F(ey) + "Z\" fill=\"" + c +
             "\"/>\n";
      } else if (sw == "square") {
        s += "<rect x=\"" + F(ex + 8) + "\" y=\"" + F(ey - 3) +
             "\" width=\"6\" height=\"6\" fill=\"" + c + "\"/>\n";
      }
      s += "<text x=\"" + F(ex + 30) + "\" y=\"" + F(ey + 4) + "\" fill=\"" + colour::kText +
           "\">" + Esc(e.text) + "</text>\n";
      ++n;
    }
    s += "</g>\n";
    if (bottom != nullptr) *bottom = y + 24 + ((n + perRow - 1) / perRow) * rowH;
    return s;
  }

  const RenderInput& in_;
  std::vector<Station> stations_;
  std::vector<Slowdown> slowdowns_;
  int64_t lastCell_ = 0;
  double axisEnd_ = 1000;
  int32_t lineLength_ = 0;
  std::size_t filled_ = 0;
  // The plan's placement: page x = originX_ + x * scale_, page y =
  // originY_ - y * scale_ (north up).
  double scale_ = 1;
  double originX_ = 0;
  double originY_ = 0;
  int32_t lastMetre_ = -1;
  Box planBox_{0, 0, 0, 0};
  std::vector<Pt> track_;
  bool legendBeside_ = false;
};

int Fail(std::ostream& err, const std::string& text, int status) {
  err << "scenario-builder: " << text << "\n";
  return status;
}

}  // namespace

std::string RenderSvg(const RenderInput& input) { return Picture(input).Build(); }

std::vector<std::pair<std::string, std::string>> FindCompiledScenarios(const std::string& dir) {
  std::vector<std::pair<std::string, std::string>> out;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir.empty() ? "." : dir, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.size() <= 4 || name.compare(name.size() - 4, 4, ".sim") != 0) continue;
    const std::string stem = name.substr(0, name.size() - 4);
    const std::size_t cut = stem.rfind('_');
    if (cut == std::string::npos || cut == 0 || cut + 1 == stem.size()) continue;
    const std::string lineId = stem.substr(0, cut);
    const std::string train = stem.substr(cut + 1);
    if (!RegularFileExists(JoinPath(dir, CellFileName(lineId, train)))) continue;
    out.emplace_back(lineId, train);
  }
  std::sort(out.begin(), out.end());
  return out;
}

int Render(const std::string& dir, const std::string& lineId, const std::string& trainNumber,
           const std::string& svgPath, std::ostream& err) {
  RenderInput in;
  in.lineId = lineId;
  in.trainNumber = trainNumber;
  if (lineId.empty() || trainNumber.empty()) {
    std::vector<std::pair<std::string, std::string>> fits;
    for (const auto& found : FindCompiledScenarios(dir)) {
      if ((lineId.empty() || found.first == lineId) &&
          (trainNumber.empty() || found.second == trainNumber)) {
        fits.push_back(found);
      }
    }
    if (fits.size() != 1) {
      std::string text =
          fits.empty() ? "no compiled scenario (<ID>_<N>.sim with <ID>_<N>.dat) in '" + dir + "'"
                       : "'" + dir + "' holds several compiled scenarios:";
      for (const auto& f : fits) text += " " + f.first + "_" + f.second;
      return Fail(err, text + "; give --line-id and --train-number", kExitUsage);
    }
    in.lineId = fits.front().first;
    in.trainNumber = fits.front().second;
  }

  auto read = [&](const std::string& name, std::string* bytes) -> int {
    Status st = ReadWholeFile(JoinPath(dir, name), bytes);
    if (!st.ok()) return Fail(err, st.Message("read"), kExitIo);
    return kExitOk;
  };
  std::string bytes;
  const std::string cellName = CellFileName(in.lineId, in.trainNumber);
  if (int rc = read(cellName, &bytes); rc != kExitOk) return rc;
  auto cells = DecodeCells(bytes);
  if (!cells.ok()) return Fail(err, JoinPath(dir, cellName) + ": " + cells.error, kExitDataError);
  in.cells = std::move(*cells.value);

  const std::string itemName = ItemFileName(in.lineId, in.trainNumber);
  if (int rc = read(itemName, &bytes); rc != kExitOk) return rc;
  auto items = DecodeItems(bytes);
  if (!items.ok()) return Fail(err, JoinPath(dir, itemName) + ": " + items.error, kExitDataError);
  in.items = std::move(*items.value);

  std::optional<ProfileTable> profile;
  const std::string profilePath = JoinPath(dir, ProfileFileName(in.lineId));
  if (RegularFileExists(profilePath)) {
    if (int rc = read(ProfileFileName(in.lineId), &bytes); rc != kExitOk) return rc;
    auto decoded = DecodeProfile(bytes);
    if (!decoded.ok()) return Fail(err, profilePath + ": " + decoded.error, kExitDataError);
    profile = std::move(decoded.value);
    in.profile = &*profile;
  }
  bytes.clear();

  const std::string target =
      svgPath.empty() ? JoinPath(dir, in.lineId + "_" + in.trainNumber + ".svg") : svgPath;
  Status st = ReplaceFile(target, RenderSvg(in));
  if (!st.ok()) return Fail(err, st.Message("write"), kExitIo);
  return kExitOk;
}

}  // namespace sb
