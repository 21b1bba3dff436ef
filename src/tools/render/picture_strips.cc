#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "base/windows1252.h"
#include "compiler/route_completion.h"
#include "model/km_post.h"
#include "tools/render/label_layout.h"
#include "tools/render/picture.h"
#include "tools/render/svg_writer.h"

namespace sb::render {

// A strip's frame and title; returns its drawing area.
Picture::Strip Picture::BeginStrip(const std::string& title, double height, double* y,
                                   std::string* s) const {
  Strip st;
  st.top = *y + 20;
  st.height = height;
  *s += "<text x=\"" + Num(kAxisLeft) + "\" y=\"" + Num(*y + 14) +
        "\" font-size=\"12\" font-weight=\"bold\" fill=\"" + colour::kText + "\">" + Esc(title) +
        "</text>\n";
  *s += "<rect x=\"" + Num(kAxisLeft) + "\" y=\"" + Num(st.top) + "\" width=\"" +
        Num(kAxisRight - kAxisLeft) + "\" height=\"" + Num(height) + "\" fill=\"none\" stroke=\"" +
        colour::kGrid + "\"/>\n";
  *y = st.top + height;
  return st;
}

std::string Picture::Strips(double* y) {
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
  if (HasRunningCurve()) {
    body += RunningSpeedStrip(&cursor);
    body += RunningTimeStrip(&cursor);
  }
  body += RunningNote(&cursor);
  s += Grid(stripsTop + 20, cursor);
  s += body;
  s += AxisBelow(cursor, y);
  return s;
}

// Faint vertical lines at every kilometre tick, behind all strips, and
// the end of the line.
std::string Picture::Grid(double top, double bottom) const {
  std::string s =
      "<g id=\"km-grid\" stroke=\"" + std::string(colour::kGrid) + "\" stroke-width=\"1\">\n";
  const double step = axis_.TickStep();
  for (double m = 0; m <= axis_.end + 0.5; m += step) {
    s += "<line x1=\"" + Num(X(m)) + "\" y1=\"" + Num(top) + "\" x2=\"" + Num(X(m)) + "\" y2=\"" +
         Num(bottom) + "\"/>\n";
  }
  if (lineLength_ > 0 && lineLength_ < axis_.end) {
    s += "<line x1=\"" + Num(X(lineLength_)) + "\" y1=\"" + Num(top) + "\" x2=\"" +
         Num(X(lineLength_)) + "\" y2=\"" + Num(bottom) + "\" stroke=\"" + colour::kOverrun +
         "\" stroke-dasharray=\"5 4\"><title>end of the line, " + Esc(Km(lineLength_)) +
         "</title></line>\n";
    s += "<text x=\"" + Num(X(lineLength_) - 4) + "\" y=\"" + Num(top - 6) +
         "\" text-anchor=\"end\" font-size=\"" + Num(kSmallSize) + "\" fill=\"" + colour::kMuted +
         "\" stroke=\"none\">end of the line</text>\n";
  }
  s += "</g>\n";
  return s;
}

std::string Picture::AxisBelow(double bottom, double* y) const {
  std::string s =
      "<g id=\"km-axis\" font-size=\"" + Num(kSmallSize) + "\" fill=\"" + colour::kAxis + "\">\n";
  s += "<line x1=\"" + Num(kAxisLeft) + "\" y1=\"" + Num(bottom) + "\" x2=\"" + Num(kAxisRight) +
       "\" y2=\"" + Num(bottom) + "\" stroke=\"" + colour::kAxis + "\"/>\n";
  const double step = axis_.TickStep();
  // Kilometre posts as the diagnostics tell them.
  const bool posts = HasProgression(in_.items);
  for (double m = 0; m <= axis_.end + 0.5; m += step) {
    s += "<line x1=\"" + Num(X(m)) + "\" y1=\"" + Num(bottom) + "\" x2=\"" + Num(X(m)) +
         "\" y2=\"" + Num(bottom + 5) + "\" stroke=\"" + colour::kAxis + "\"/>\n";
    s += "<text x=\"" + Num(X(m)) + "\" y=\"" + Num(bottom + 16) + "\" text-anchor=\"middle\">" +
         Num(m / 1000) + "</text>\n";
    if (posts) {
      const double post = static_cast<double>(KilometricValue(in_.items, static_cast<int64_t>(m)));
      s += "<text x=\"" + Num(X(m)) + "\" y=\"" + Num(bottom + 29) +
           "\" text-anchor=\"middle\" fill=\"#a0a0a0\">" + Num(post / 1000) + "</text>\n";
    }
  }
  s += KmJumps(bottom);
  s += "<text x=\"" + Num(kAxisLeft - 18) + "\" y=\"" + Num(bottom + 16) +
       "\" text-anchor=\"end\">km along the line</text>\n";
  if (posts) {
    s += "<text x=\"" + Num(kAxisLeft - 18) + "\" y=\"" + Num(bottom + 29) +
         "\" text-anchor=\"end\" fill=\"#a0a0a0\">kilometre post</text>\n";
  }
  s += "</g>\n";
  *y = bottom + (posts ? 36 : 24);
  return s;
}

// A dashed mark across the axis where a progression takes over with a post
// that does not follow on from the one before, titled with both posts.
std::string Picture::KmJumps(double bottom) const {
  std::string s;
  for (const KmJump& j : FindKmJumps(in_.items)) {
    const double x = X(j.position);
    s += "<line class=\"km-jump\" x1=\"" + Num(x) + "\" y1=\"" + Num(bottom - 8) + "\" x2=\"" +
         Num(x) + "\" y2=\"" + Num(bottom + 34) + "\" stroke=\"" + colour::kKmJump +
         "\" stroke-width=\"1.2\" stroke-dasharray=\"2 2\"><title>the km posts jump at " +
         Esc(Km(j.position)) + ": " + Esc(FormatKm(j.from)) + " to " + Esc(FormatKm(j.to)) +
         "</title></line>\n";
  }
  return s;
}

std::string Picture::YLabel(double yPix, const std::string& text) const {
  return "<text x=\"" + Num(kAxisLeft - 6) + "\" y=\"" + Num(yPix + 3.5) +
         "\" text-anchor=\"end\" font-size=\"" + Num(kSmallSize) + "\" fill=\"" + colour::kAxis +
         "\">" + Esc(text) + "</text>\n";
}

std::string Picture::GradientStrip(double* y) {
  std::string s = "<g id=\"strip-gradient\">\n";
  const Strip st = BeginStrip("Gradient (\u2030)", 90, y, &s);
  const auto runs =
      Runs(in_.cells, filled_, [](const TrackCell& c) { return int{c.gradient} - 100; });
  int most = 5;
  for (const Run& r : runs) most = std::max(most, std::abs(r.value));
  const double range = NiceStep(most);
  const double mid = st.top + st.height / 2;
  auto Y = [&](double v) { return mid - v / range * (st.height / 2 - 6); };
  s += "<line x1=\"" + Num(kAxisLeft) + "\" y1=\"" + Num(mid) + "\" x2=\"" + Num(kAxisRight) +
       "\" y2=\"" + Num(mid) + "\" stroke=\"" + colour::kAxis + "\" stroke-width=\"0.7\"/>\n";
  s += YLabel(Y(range), "+" + Num(range) + " \u2030") + YLabel(mid, "0") +
       YLabel(Y(-range), "-" + Num(range) + " \u2030");
  std::string d;
  for (const Run& r : runs) {
    d += 'M';
    d += Num(CellX(r.from)) + " " + Num(mid) + "V" + Num(Y(r.value)) + "H" + Num(CellX(r.to)) +
         "V" + Num(mid) + "Z";
  }
  s += "<path d=\"" + d + "\" fill=\"" + colour::kGradient + "\" fill-opacity=\"0.35\" stroke=\"" +
       colour::kGradient + "\" stroke-width=\"0.8\"/>\n";
  s += "</g>\n";
  return s;
}

std::string Picture::SpeedStrip(double* y) {
  std::string s = "<g id=\"strip-speed\">\n";
  const Strip st = BeginStrip("Speed limit (km/h) and speed points", 110, y, &s);
  const auto runs =
      Runs(in_.cells, filled_, [](const TrackCell& c) { return int{c.speedLimit} * 5; });
  int most = 40;
  for (const Run& r : runs) most = std::max(most, r.value);
  for (const TrackCell& c : in_.cells) {
    if (c.kind == kKindSpeedPoint) most = std::max<int>(most, c.value1);
  }
  // The ticks reach the highest speed drawn: the top is a whole number of steps.
  const double step = NiceStep(most / 4.0);
  const double top = std::ceil(most / step) * step;
  auto Y = [&](double v) {
    return st.top + st.height - 4 - std::clamp(v, 0.0, top) / top * (st.height - 12);
  };
  for (double v = 0; v <= top + step / 2; v += step) {
    s += YLabel(Y(v), Num(v));
    s += "<line x1=\"" + Num(kAxisLeft) + "\" y1=\"" + Num(Y(v)) + "\" x2=\"" + Num(kAxisRight) +
         "\" y2=\"" + Num(Y(v)) + "\" stroke=\"" + colour::kGrid + "\" stroke-width=\"0.7\"/>\n";
  }
  std::string d;
  for (const Run& r : runs) {
    d += (d.empty() ? "M" + Num(CellX(r.from)) + " " + Num(Y(r.value)) : "V" + Num(Y(r.value))) +
         "H" + Num(CellX(r.to));
  }
  s += "<path id=\"speed-limit\" d=\"" + d + "\" fill=\"none\" stroke=\"" + colour::kSpeedLimit +
       "\" stroke-width=\"1.8\"/>\n";
  for (std::size_t i = 0; i < in_.cells.size(); ++i) {
    const TrackCell& c = in_.cells[i];
    if (c.kind != kKindSpeedPoint && c.kind != kKindSpeedPointNoValue) continue;
    const double px = CellX(static_cast<int64_t>(i));
    const double py = c.kind == kKindSpeedPoint ? Y(c.value1) : Y(0);
    // The files keep no trace of who wrote a point: route completion's
    // points are told by their value alone, which an author may also give.
    const bool route = c.kind == kKindSpeedPoint && c.value1 == kRoutePointSpeed;
    s += std::string("<path class=\"") + (route ? "route-speed-point" : "speed-point") +
         "\" d=\"M" + Num(px) + " " + Num(py - 4) + "L" + Num(px + 3.5) + " " + Num(py) + "L" +
         Num(px) + " " + Num(py + 4) + "L" + Num(px - 3.5) + " " + Num(py) + "Z\" fill=\"" +
         (route ? "#ffffff\" stroke=\"" + std::string(colour::kSpeedPoint) + "\" stroke-width=\"1.3"
                : std::string(colour::kSpeedPoint)) +
         "\"><title>speed point" +
         (c.kind == kKindSpeedPoint ? " " + std::to_string(c.value1) + " km/h"
                                    : std::string(" without value")) +
         ", cell " + std::to_string(i) +
         (route ? ", the value route completion gives the points it adds" : "") +
         "</title></path>\n";
  }
  s += "</g>\n";
  return s;
}

std::string Picture::SlowdownStrip(double* y) {
  std::string s = "<g id=\"strip-slowdowns\">\n";
  const Strip st = BeginStrip("Slowdowns (warning, before-warning marks, start to end)", 48, y, &s);
  const double bar = st.top + 26;
  for (std::size_t i = 0; i < in_.cells.size(); ++i) {
    const TrackCell& c = in_.cells[i];
    const double px = CellX(static_cast<int64_t>(i));
    if (c.kind == kKindSlowdownWarning) {
      s += "<path class=\"slowdown-warning\" d=\"M" + Num(px) + " " + Num(bar - 7) + "L" +
           Num(px + 6) + " " + Num(bar + 5) + "L" + Num(px - 6) + " " + Num(bar + 5) +
           "Z\" fill=\"#ffffff\" stroke=\"" + colour::kSlowdown +
           "\" stroke-width=\"1.5\"><title>slowdown warning, " + std::to_string(c.value1) +
           " km/h, cell " + std::to_string(i) + "</title></path>\n";
    } else if (c.kind == kKindBeforeWarning) {
      s += "<line class=\"before-warning\" x1=\"" + Num(px) + "\" y1=\"" + Num(bar - 4) +
           "\" x2=\"" + Num(px) + "\" y2=\"" + Num(bar + 4) + "\" stroke=\"" + colour::kSlowdown +
           "\" stroke-width=\"1\"/>\n";
    }
  }
  double lastLabelEnd = -1e9;
  for (const Slowdown& sd : slowdowns_) {
    const double x0 = CellX(sd.startCell);
    const double x1 = std::max(CellX(sd.endCell), x0 + 3);
    s += "<rect class=\"slowdown\" x=\"" + Num(x0) + "\" y=\"" + Num(bar - 5) + "\" width=\"" +
         Num(x1 - x0) + "\" height=\"10\" fill=\"" + colour::kSlowdown + "\"><title>slowdown " +
         std::to_string(sd.speed) + " km/h, " + Esc(Km(sd.startCell * 50.0)) + " to " +
         Esc(Km(sd.endCell * 50.0)) + "</title></rect>\n";
    // The speed above the bar, unless it would touch the one before.
    const std::string speed = std::to_string(sd.speed);
    const double w = TextWidth(speed, kSmallSize);
    const double mid = std::clamp((x0 + x1) / 2, kAxisLeft + w / 2, kAxisRight - w / 2);
    if (mid - w / 2 > lastLabelEnd + 3) {
      s += "<text x=\"" + Num(mid) + "\" y=\"" + Num(bar - 9) +
           "\" text-anchor=\"middle\" font-size=\"" + Num(kSmallSize) + "\" fill=\"" +
           colour::kText + "\">" + speed + "</text>\n";
      lastLabelEnd = mid + w / 2;
    }
  }
  s += "</g>\n";
  return s;
}

std::string Picture::SignalStrip(double* y) {
  std::string s = "<g id=\"strip-signals\">\n";
  const Strip st = BeginStrip("Signals", 30, y, &s);
  for (std::size_t i = 0; i < in_.cells.size(); ++i) {
    if (in_.cells[i].kind != kKindSignal) continue;
    const double px = CellX(static_cast<int64_t>(i));
    s += "<line class=\"signal\" x1=\"" + Num(px) + "\" y1=\"" + Num(st.top + 6) + "\" x2=\"" +
         Num(px) + "\" y2=\"" + Num(st.top + st.height - 6) + "\" stroke=\"" + colour::kSignal +
         "\" stroke-width=\"1.6\"><title>signal, cell " + std::to_string(i) + " (" +
         Esc(Km(static_cast<double>(i) * kCellLength)) + ")</title></line>\n";
  }
  s += "</g>\n";
  return s;
}

// Stopping zones as bars on a middle line, every name in one of a few rows
// above or below it, each with a leader to its station; a leader never
// crosses a name. Of the two ways of choosing rows, the one that names
// more stations (then the one with fewer rows) is drawn; a name that finds
// no row is left out (its station keeps its mark, and its name in the
// mark's tooltip).
std::string Picture::StationStrip(double* y) {
  std::vector<std::size_t> order(stations_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return stations_[a].position < stations_[b].position;
  });
  std::vector<RowLabel> names;
  for (std::size_t i : order) {
    names.push_back({i, X(stations_[i].position), TextWidth(stations_[i].name, kLabelSize)});
  }
  RowLayout layout = PlaceInRows(names, true, kAxisLeft, kAxisRight);
  RowLayout farthest = PlaceInRows(names, false, kAxisLeft, kAxisRight);
  if (farthest.labels.size() > layout.labels.size() ||
      (farthest.labels.size() == layout.labels.size() &&
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
    zones += "<rect class=\"stopping-zone\" x=\"" + Num(z0) + "\" y=\"" + Num(bar - 4) +
             "\" width=\"" + Num(z1 - z0) + "\" height=\"8\" fill=\"" + colour::kStation +
             "\" fill-opacity=\"0.35\"/>\n";
    zones += "<circle class=\"station\" cx=\"" + Num(X(stn.position)) + "\" cy=\"" + Num(bar) +
             "\" r=\"3\" fill=\"" + (stn.stops ? colour::kStation : "#ffffff") + "\" stroke=\"" +
             colour::kStation + "\" stroke-width=\"1.2\"><title>" + Esc(stn.name) + ": " +
             Esc(Km(stn.position)) + ", stopping zone " + std::to_string(stn.start) + " to " +
             std::to_string(stn.end) + " m</title></circle>\n";
  }
  for (const PlacedLabel& n : layout.labels) {
    const Station& stn = stations_[n.id];
    const double a = X(stn.position);
    const double baseline = n.side == 0 ? bar - 8 - n.row * rowH : bar + 6 + (n.row + 1) * rowH - 4;
    const double reach = n.side == 0 ? baseline + 2 : baseline - kLabelSize;
    labels += "<text class=\"station-label\" x=\"" + Num(n.x0) + "\" y=\"" + Num(baseline) + "\">" +
              Esc(stn.name) + "</text>\n";
    leaders += "<line x1=\"" + Num(a) + "\" y1=\"" + Num(reach) + "\" x2=\"" + Num(a) + "\" y2=\"" +
               Num(n.side == 0 ? bar - 4 : bar + 4) + "\" stroke=\"" + colour::kStation +
               "\" stroke-width=\"0.6\"/>\n";
  }
  s += leaders + zones + "<g fill=\"" + std::string(colour::kStation) + "\">\n" + labels +
       "</g>\n</g>\n";
  return s;
}

std::string Picture::MountainStrip(double* y) {
  std::string s = "<g id=\"strip-mountains\">\n";
  const Strip st = BeginStrip("Mountain sections (terrain type) and mountain marks", 32, y, &s);
  const double mid = st.top + st.height / 2;
  for (const Run& r :
       Runs(in_.cells, in_.cells.size(), [](const TrackCell& c) { return int{c.terrain}; })) {
    if (r.value == 0) continue;
    const double x0 = CellX(r.from), x1 = std::max(CellX(r.to), x0 + 2);
    s += "<rect class=\"mountain\" x=\"" + Num(x0) + "\" y=\"" + Num(mid - 6) + "\" width=\"" +
         Num(x1 - x0) + "\" height=\"12\" fill=\"" + colour::kMountain +
         "\" fill-opacity=\"0.55\"><title>terrain type " + std::to_string(r.value) + ", " +
         Esc(Km(r.from * 50.0)) + " to " + Esc(Km(r.to * 50.0)) + "</title></rect>\n";
    const std::string label = "type " + std::to_string(r.value);
    if (TextWidth(label, kSmallSize) + 4 < x1 - x0) {
      s += "<text x=\"" + Num((x0 + x1) / 2) + "\" y=\"" + Num(mid + 3.5) +
           "\" text-anchor=\"middle\" font-size=\"" + Num(kSmallSize) + "\" fill=\"#ffffff\">" +
           label + "</text>\n";
    }
  }
  for (std::size_t i = 0; i < in_.cells.size(); ++i) {
    if (in_.cells[i].kind != kKindMountainMark) continue;
    const double px = CellX(static_cast<int64_t>(i));
    s += "<line class=\"mountain-mark\" x1=\"" + Num(px) + "\" y1=\"" + Num(mid - 10) + "\" x2=\"" +
         Num(px) + "\" y2=\"" + Num(mid - 6) + "\" stroke=\"" + colour::kMountain +
         "\" stroke-width=\"1\"/>\n";
  }
  s += "</g>\n";
  return s;
}

std::string Picture::BoardStrip(double* y) {
  std::string s = "<g id=\"strip-boards\">\n";
  const Strip st = BeginStrip("Boards (maximum-speed indicators and text boards)", 44, y, &s);
  const double mark = st.top + st.height - 12;
  double lastTextEnd = -1e9;
  for (std::size_t i = 0; i < in_.cells.size(); ++i) {
    const TrackCell& c = in_.cells[i];
    const double px = CellX(static_cast<int64_t>(i));
    if (c.kind == kKindSpeedBoard) {
      s += "<rect class=\"speed-board\" x=\"" + Num(px - 3) + "\" y=\"" + Num(mark - 3) +
           "\" width=\"6\" height=\"6\" fill=\"" + colour::kSpeedBoard +
           "\"><title>maximum-speed board, cell " + std::to_string(i) + ": " +
           std::to_string(c.value1) + ", " + std::to_string(c.value2) + ", " +
           std::to_string(c.value3) + ", stripes " + std::to_string(c.value4) + "</title></rect>\n";
    } else if (c.kind == kKindTextBoard) {
      std::string text;
      if (c.value1 >= 0 && c.value1 < kItemSlots) {
        text = Windows1252ToUtf8(in_.items[static_cast<std::size_t>(c.value1)].text);
      }
      s += "<path class=\"text-board\" d=\"M" + Num(px) + " " + Num(mark - 5) + "L" + Num(px + 5) +
           " " + Num(mark) + "L" + Num(px) + " " + Num(mark + 5) + "L" + Num(px - 5) + " " +
           Num(mark) + "Z\" fill=\"" + colour::kTextBoard + "\"><title>text board, cell " +
           std::to_string(i) + ": " + Esc(text) + "</title></path>\n";
      const double w = TextWidth(text, kSmallSize);
      const double x0 = std::clamp(px - w / 2, kAxisLeft, kAxisRight - w);
      if (!text.empty() && x0 > lastTextEnd + 6) {
        s += "<text class=\"text-board-label\" x=\"" + Num(x0) + "\" y=\"" + Num(mark - 9) +
             "\" font-size=\"" + Num(kSmallSize) + "\" fill=\"" + colour::kTextBoard + "\">" +
             Esc(text) + "</text>\n";
        lastTextEnd = x0 + w;
      }
    }
  }
  s += "</g>\n";
  return s;
}

}  // namespace sb::render
