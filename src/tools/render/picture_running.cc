// The strips of the computed run: speed and time against distance, on the
// kilometre axis of the others.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/windows1252.h"
#include "model/clock.h"
#include "tools/render/picture.h"
#include "tools/render/run_curve.h"
#include "tools/render/svg_writer.h"

namespace sb::render {
namespace {

constexpr double kKmhPerMs = 3.6;
// Closer than this on the page, a point of a curve adds nothing a reader
// could see.
constexpr double kCurveTolerancePx = 0.25;

std::string KmhText(double metresPerSecond) {
  return std::to_string(static_cast<long long>(std::lround(metresPerSecond * kKmhPerMs))) + " km/h";
}

// "08:05:30", the hour counted on past midnight as the run counts it.
std::string TimeOfDay(double seconds) {
  return ClockText(static_cast<int64_t>(std::llround(seconds)));
}

// "08:05": the hours wrapped, as a clock on the axis shows them.
std::string HourMinute(double seconds) {
  const long long minutes = std::llround(seconds / 60);
  char text[16];
  std::snprintf(text, sizeof text, "%02lld:%02lld", minutes / 60 % 24, minutes % 60);
  return text;
}

// A step between time ticks, in seconds, for about six ticks over `span`.
double TimeStep(double span) {
  static constexpr double kMinutes[] = {1, 2, 5, 10, 15, 20, 30, 60, 120, 180, 360, 720};
  for (const double m : kMinutes) {
    if (span / (m * 60) <= 6) return m * 60;
  }
  return 1440 * 60;
}

std::string StationName(const ItemTable& items, int slot) {
  if (slot < 0 || slot >= kItemSlots) return {};
  return Windows1252ToUtf8(items[static_cast<std::size_t>(slot)].text);
}

}  // namespace

bool Picture::HasRunningCurve() const {
  return in_.times != nullptr && in_.times->curve.size() >= 2;
}

// The limit the train obeys as a step line, and the speed it runs.
std::string Picture::RunningSpeedStrip(double* y) {
  const std::vector<running::CurvePoint>& curve = in_.times->curve;
  std::string s = "<g id=\"strip-running-speed\">\n";
  const Strip st =
      BeginStrip("Running speed (km/h): the limit obeyed and the computed speed", 110, y, &s);
  double most = 40;
  for (const running::CurvePoint& p : curve) {
    most = std::max({most, p.limit * kKmhPerMs, p.speed * kKmhPerMs});
  }
  const double step = NiceStep(most / 4.0);
  const double top = std::ceil(most / step) * step;
  auto Y = [&](double metresPerSecond) {
    return st.top + st.height - 4 -
           std::clamp(metresPerSecond * kKmhPerMs, 0.0, top) / top * (st.height - 12);
  };
  for (double v = 0; v <= top + step / 2; v += step) {
    const double yv = Y(v / kKmhPerMs);
    s += YLabel(yv, Num(v));
    s += "<line x1=\"" + Num(kAxisLeft) + "\" y1=\"" + Num(yv) + "\" x2=\"" + Num(kAxisRight) +
         "\" y2=\"" + Num(yv) + "\" stroke=\"" + colour::kGrid + "\" stroke-width=\"0.7\"/>\n";
  }
  // The curve samples the limit; it changes at the first point that has
  // the new value.
  std::string d = "M";
  d += Num(X(curve.front().position)) + " " + Num(Y(curve.front().limit));
  for (std::size_t i = 1; i < curve.size(); ++i) {
    if (curve[i].limit == curve[i - 1].limit) continue;
    d += 'H';
    d += Num(X(curve[i].position));
    d += 'V';
    d += Num(Y(curve[i].limit));
  }
  d += 'H';
  d += Num(X(curve.back().position));
  s += "<path id=\"running-limit\" d=\"" + d + "\" fill=\"none\" stroke=\"" + colour::kSpeedLimit +
       "\" stroke-width=\"1.4\" stroke-dasharray=\"5 2\"/>\n";
  std::vector<Pt> speed;
  speed.reserve(curve.size());
  for (const running::CurvePoint& p : curve) speed.push_back({X(p.position), Y(p.speed)});
  s += "<path id=\"running-speed\" d=\"" + PathOf(Simplify(speed, kCurveTolerancePx)) +
       "\" fill=\"none\" stroke=\"" + colour::kComputedSpeed + "\" stroke-width=\"1.6\"/>\n";
  double fastest = 0;
  for (const running::CurvePoint& p : curve) fastest = std::max(fastest, p.speed);
  s += "<text x=\"" + Num(kAxisRight) + "\" y=\"" + Num(st.top - 6) +
       "\" text-anchor=\"end\" font-size=\"" + Num(kSmallSize) + "\" fill=\"" + colour::kMuted +
       "\">highest speed " + KmhText(fastest) + "</text>\n";
  s += "</g>\n";
  return s;
}

// The time of day against distance, rising to the right; the stops and
// the stations passed are marked where the train reaches them.
std::string Picture::RunningTimeStrip(double* y) {
  const running::RunningTime& times = *in_.times;
  const std::vector<running::CurvePoint>& curve = times.curve;
  std::string s = "<g id=\"strip-running-time\">\n";
  const Strip st = BeginStrip("Running time (time of day): stops and stations passed", 130, y, &s);
  double first = curve.front().time, last = curve.front().time;
  for (const running::CurvePoint& p : curve) {
    first = std::min(first, p.time);
    last = std::max(last, p.time);
  }
  const double span = std::max(last - first, 60.0);
  auto Y = [&](double t) { return st.top + st.height - 6 - (t - first) / span * (st.height - 14); };
  const double step = TimeStep(span);
  for (double t = std::ceil(first / step) * step; t <= first + span + 0.5; t += step) {
    s += YLabel(Y(t), HourMinute(t));
    s += "<line x1=\"" + Num(kAxisLeft) + "\" y1=\"" + Num(Y(t)) + "\" x2=\"" + Num(kAxisRight) +
         "\" y2=\"" + Num(Y(t)) + "\" stroke=\"" + colour::kGrid + "\" stroke-width=\"0.7\"/>\n";
  }
  std::vector<Pt> line;
  line.reserve(curve.size());
  for (const running::CurvePoint& p : curve) line.push_back({X(p.position), Y(p.time)});
  s += "<path id=\"running-time\" d=\"" + PathOf(Simplify(line, kCurveTolerancePx)) +
       "\" fill=\"none\" stroke=\"" + colour::kRunningTime + "\" stroke-width=\"1.6\"/>\n";
  for (const running::TimingRow& row : times.rows) {
    if (row.kind != running::TimingRow::Kind::kStation) continue;
    const double px = X(PlaceOnCurve(times, row)), py = Y(row.time);
    std::string title = StationName(in_.items, row.slot) + ", " + Km(row.position) + ": ";
    if (!row.stops) {
      title += "passes at " + TimeOfDay(row.time);
    } else {
      title += "arrives " + TimeOfDay(row.time);
      if (row.departure) title += ", leaves " + TimeOfDay(*row.departure);
    }
    if (row.scheduled) title += " (scheduled " + TimeOfDay(*row.scheduled) + ")";
    s += std::string("<circle class=\"") + (row.stops ? "running-stop" : "running-pass") +
         "\" cx=\"" + Num(px) + "\" cy=\"" + Num(py) + "\" r=\"" + (row.stops ? "3.2" : "2.4") +
         "\" fill=\"" + (row.stops ? colour::kRunningTime : "#ffffff") + "\" stroke=\"" +
         colour::kRunningTime + "\" stroke-width=\"1.2\"><title>" + Esc(title) +
         "</title></circle>\n";
  }
  s += "<text x=\"" + Num(kAxisRight) + "\" y=\"" + Num(st.top - 6) +
       "\" text-anchor=\"end\" font-size=\"" + Num(kSmallSize) + "\" fill=\"" + colour::kMuted +
       "\">" + Esc(TimeOfDay(first) + " to " + TimeOfDay(last)) + "</text>\n";
  s += "</g>\n";
  return s;
}

// Where the strips of the run would be: why they are not.
std::string Picture::RunningNote(double* y) const {
  if (in_.timesNote.empty()) return {};
  std::string s = "<g id=\"running-note\">\n";
  s += "<text x=\"" + Num(kAxisLeft) + "\" y=\"" + Num(*y + 18) + "\" font-size=\"" +
       Num(kSmallSize + 1) + "\" fill=\"" + colour::kMuted + "\">" + Esc(in_.timesNote) +
       "</text>\n</g>\n";
  *y += 26;
  return s;
}

}  // namespace sb::render
