#include "tools/render/picture.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

#include "tools/render/svg_writer.h"

namespace sb::render {
namespace {

// The sample of one legend entry, 22 wide from `ex`, centred on `ey`.
std::string LegendSwatch(const std::string& sw, const std::string& c, double ex, double ey) {
  std::string s;
  if (sw == "line") {
    s += "<line x1=\"" + Num(ex) + "\" y1=\"" + Num(ey) + "\" x2=\"" + Num(ex + 22) + "\" y2=\"" +
         Num(ey) + "\" stroke=\"" + c + "\" stroke-width=\"2.2\"/>\n";
  } else if (sw == "dash") {
    s += "<line x1=\"" + Num(ex) + "\" y1=\"" + Num(ey) + "\" x2=\"" + Num(ex + 22) + "\" y2=\"" +
         Num(ey) + "\" stroke=\"" + c + "\" stroke-width=\"1.5\" stroke-dasharray=\"4 3\"/>\n";
  } else if (sw == "dot" || sw == "ring") {
    s += "<circle cx=\"" + Num(ex + 11) + "\" cy=\"" + Num(ey) + "\" r=\"3.5\" fill=\"" +
         (sw == "dot" ? c : std::string("#ffffff")) + "\" stroke=\"" + c +
         "\" stroke-width=\"1.3\"/>\n";
  } else if (sw == "bar") {
    s += "<rect x=\"" + Num(ex) + "\" y=\"" + Num(ey - 4) + "\" width=\"22\" height=\"8\" fill=\"" +
         c + "\" fill-opacity=\"0.35\" stroke=\"" + c + "\" stroke-width=\"0.6\"/>\n";
  } else if (sw == "band") {
    s += "<rect x=\"" + Num(ex) + "\" y=\"" + Num(ey - 5) +
         "\" width=\"22\" height=\"10\" fill=\"" + c + "\" fill-opacity=\"0.8\"/>\n";
  } else if (sw == "tick") {
    s += "<line x1=\"" + Num(ex + 11) + "\" y1=\"" + Num(ey - 6) + "\" x2=\"" + Num(ex + 11) +
         "\" y2=\"" + Num(ey + 6) + "\" stroke=\"" + c + "\" stroke-width=\"1.6\"/>\n";
  } else if (sw == "triangle") {
    s += "<path d=\"M" + Num(ex + 11) + " " + Num(ey - 6) + "L" + Num(ex + 17) + " " + Num(ey + 5) +
         "L" + Num(ex + 5) + " " + Num(ey + 5) + "Z\" fill=\"#ffffff\" stroke=\"" + c +
         "\" stroke-width=\"1.5\"/>\n";
  } else if (sw == "diamond") {
    s += "<path d=\"M" + Num(ex + 11) + " " + Num(ey - 5) + "L" + Num(ex + 16) + " " + Num(ey) +
         "L" + Num(ex + 11) + " " + Num(ey + 5) + "L" + Num(ex + 6) + " " + Num(ey) +
         "Z\" fill=\"" + c + "\"/>\n";
  } else if (sw == "start") {
    s += "<circle cx=\"" + Num(ex + 11) + "\" cy=\"" + Num(ey) +
         "\" r=\"5\" fill=\"#ffffff\" stroke=\"" + c + "\" stroke-width=\"2\"/>\n";
  } else if (sw == "end") {
    s += "<rect x=\"" + Num(ex + 6.5) + "\" y=\"" + Num(ey - 4.5) +
         "\" width=\"9\" height=\"9\" fill=\"" + c + "\"/>\n";
  } else if (sw == "hollow-diamond") {
    s += "<path d=\"M" + Num(ex + 11) + " " + Num(ey - 4) + "L" + Num(ex + 14.5) + " " + Num(ey) +
         "L" + Num(ex + 11) + " " + Num(ey + 4) + "L" + Num(ex + 7.5) + " " + Num(ey) +
         "Z\" fill=\"#ffffff\" stroke=\"" + c + "\" stroke-width=\"1.3\"/>\n";
  } else if (sw == "jump") {
    s += "<line x1=\"" + Num(ex + 11) + "\" y1=\"" + Num(ey - 7) + "\" x2=\"" + Num(ex + 11) +
         "\" y2=\"" + Num(ey + 7) + "\" stroke=\"" + c +
         "\" stroke-width=\"1.2\" stroke-dasharray=\"2 2\"/>\n";
  } else if (sw == "square") {
    s += "<rect x=\"" + Num(ex + 8) + "\" y=\"" + Num(ey - 3) +
         "\" width=\"6\" height=\"6\" fill=\"" + c + "\"/>\n";
  }
  return s;
}

}  // namespace

Picture::Picture(const RenderInput& in) : in_(in) {
  stations_ = Stations(in.items);
  slowdowns_ = Slowdowns(in.cells);
  lastCell_ = static_cast<int64_t>(in.cells.size()) - 1;
  axis_ = {kAxisLeft, kAxisRight,
           std::max<double>(static_cast<double>(lastCell_) * kCellLength, 1000)};
  lineLength_ = in.items[kSlotTotals].end;
  if (lineLength_ <= 0 && in.profile != nullptr) lineLength_ = in.profile->end() - kLineOverrun;
  // The tails never fill the last three cells of a grid.
  filled_ = in.cells.size() > 3 ? in.cells.size() - 3 : in.cells.size();
}

std::string Picture::Build() {
  double y = 0;
  std::string body;
  body += Header(&y);
  body += Plan(&y);
  body += Strips(&y);
  if (!legendBeside_) body += Legend(kMargin, y + 10, kWidth - 2 * kMargin, &y);
  const double height = std::ceil(y + kMargin);
  return SvgDocument(kWidth, height, kLabelSize, in_.lineId + ", train " + in_.trainNumber, body);
}

std::string Picture::Header(double* y) {
  std::string s = "<g id=\"header\">\n";
  s += "<text x=\"" + Num(kMargin) + "\" y=\"" + Num(kMargin + 18) +
       "\" font-size=\"22\" font-weight=\"bold\" fill=\"" + colour::kText + "\">" +
       Esc(in_.lineId) + " &#8212; train " + Esc(in_.trainNumber) + "</text>\n";
  int signals = 0;
  for (const TrackCell& c : in_.cells) signals += c.kind == kKindSignal ? 1 : 0;
  const std::string facts = Km(lineLength_) + " of line, " + std::to_string(stations_.size()) +
                            (stations_.size() == 1 ? " station, " : " stations, ") +
                            std::to_string(signals) + (signals == 1 ? " signal, " : " signals, ") +
                            std::to_string(slowdowns_.size()) +
                            (slowdowns_.size() == 1 ? " slowdown" : " slowdowns");
  s += "<text x=\"" + Num(kMargin) + "\" y=\"" + Num(kMargin + 40) + "\" font-size=\"13\" fill=\"" +
       colour::kMuted + "\">" + Esc(facts) + "</text>\n</g>\n";
  *y = kMargin + 56;
  return s;
}

std::string Picture::Legend(double x, double y, double width, double* bottom) const {
  struct Entry {
    // line, dash, dot, ring, bar, tick, triangle, diamond, hollow-diamond,
    // square, band, start, end, jump
    const char* swatch;
    const char* colour;
    const char* text;
  };
  static constexpr Entry kEntries[] = {
      {"line", colour::kTrack, "the line (plan)"},
      {"dash", colour::kOverrun, "after the end of the line"},
      {"start", colour::kTrack, "start of the line"},
      {"end", colour::kTrack, "end of the line"},
      {"dot", colour::kStation, "station with a stop mark"},
      {"ring", colour::kStation, "station without a stop mark"},
      {"bar", colour::kStation, "stopping zone"},
      {"tick", colour::kSignal, "signal"},
      {"band", colour::kSlowdown, "slowdown, start to end"},
      {"triangle", colour::kSlowdown, "slowdown warning"},
      {"tick", colour::kSlowdown, "before-warning mark"},
      {"line", colour::kSpeedLimit, "speed limit"},
      {"diamond", colour::kSpeedPoint, "speed point"},
      {"hollow-diamond", colour::kSpeedPoint, "speed point of the value route completion gives"},
      {"bar", colour::kGradient, "gradient"},
      {"band", colour::kMountain, "mountain section"},
      {"tick", colour::kMountain, "mountain mark"},
      {"square", colour::kSpeedBoard, "maximum-speed indicator board"},
      {"diamond", colour::kTextBoard, "text board"},
      {"jump", colour::kKmJump, "the km posts jump (a new progression)"},
  };
  // Only where the picture has the strips of the computed run.
  static constexpr Entry kRunningEntries[] = {
      {"dash", colour::kSpeedLimit, "speed limit the train obeys (computed run)"},
      {"line", colour::kComputedSpeed, "computed speed"},
      {"line", colour::kRunningTime, "computed time of day"},
      {"dot", colour::kRunningTime, "stop (arrival)"},
      {"ring", colour::kRunningTime, "station passed"},
  };
  std::vector<Entry> entries(std::begin(kEntries), std::end(kEntries));
  if (HasRunningCurve()) {
    entries.insert(entries.end(), std::begin(kRunningEntries), std::end(kRunningEntries));
  }
  const int perRow = std::max(1, static_cast<int>(width / 230));
  const double rowH = 18;
  std::string s = "<g id=\"legend\" font-size=\"" + Num(kSmallSize + 1) + "\">\n";
  s += "<text x=\"" + Num(x) + "\" y=\"" + Num(y + 4) +
       "\" font-size=\"12\" font-weight=\"bold\">Legend</text>\n";
  int n = 0;
  for (const Entry& e : entries) {
    const double ex = x + (n % perRow) * (width / perRow);
    const double ey = y + 24 + (n / perRow) * rowH;
    s += LegendSwatch(e.swatch, e.colour, ex, ey);
    s += "<text x=\"" + Num(ex + 30) + "\" y=\"" + Num(ey + 4) + "\" fill=\"" + colour::kText +
         "\">" + Esc(e.text) + "</text>\n";
    ++n;
  }
  s += "</g>\n";
  if (bottom != nullptr) *bottom = y + 24 + ((n + perRow - 1) / perRow) * rowH;
  return s;
}

std::string RenderSvg(const RenderInput& input) { return Picture(input).Build(); }

}  // namespace sb::render
