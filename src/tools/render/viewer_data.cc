#include "tools/render/viewer_data.h"

#include <algorithm>
#include <cmath>

#include "base/windows1252.h"
#include "compiler/route_completion.h"
#include "model/km_post.h"
#include "tools/common/roles.h"
#include "tools/common/scenario_features.h"
#include "tools/render/run_curve.h"

namespace sb::render {
namespace {

using nlohmann::json;

// One array per field: a 1000 km line has 20000 cells, and columns of
// small numbers keep the page a fraction of what objects per cell would be.
json CellColumns(const RenderInput& in) {
  json kind = json::array(), v1 = json::array(), v2 = json::array(), v3 = json::array(),
       v4 = json::array(), time = json::array(), approach = json::array(), terrain = json::array(),
       speed = json::array(), gradient = json::array(), adhesion = json::array(),
       km = json::array();
  const bool posts = HasProgression(in.items);
  for (std::size_t i = 0; i < in.cells.size(); ++i) {
    const TrackCell& c = in.cells[i];
    kind.push_back(c.kind);
    v1.push_back(c.value1);
    v2.push_back(c.value2);
    v3.push_back(c.value3);
    v4.push_back(c.value4);
    time.push_back(c.signalTime);
    approach.push_back(c.approachCode);
    terrain.push_back(c.terrain);
    speed.push_back(int{c.speedLimit} * 5);
    gradient.push_back(int{c.gradient} - 100);
    adhesion.push_back(c.adhesion);
    const int64_t metres = static_cast<int64_t>(i) * kCellLength;
    km.push_back(posts ? KilometricValue(in.items, metres) : metres);
  }
  return {{"kind", kind},
          {"v1", v1},
          {"v2", v2},
          {"v3", v3},
          {"v4", v4},
          {"time", time},
          {"approach", approach},
          {"terrain", terrain},
          {"speed", speed},
          {"gradient", gradient},
          {"adhesion", adhesion},
          {"km", km}};
}

json StationList(const ItemTable& items) {
  json out = json::array();
  for (const Station& s : Stations(items)) {
    const ScenarioItem& it = items[static_cast<std::size_t>(s.slot)];
    out.push_back({{"slot", s.slot},
                   {"name", s.name},
                   {"position", s.position},
                   {"start", s.start},
                   {"end", s.end},
                   {"stops", s.stops},
                   {"kind", it.kind},
                   {"seconds", it.seconds},
                   {"km", KilometricValue(items, s.position)}});
  }
  return out;
}

json SlowdownList(const std::vector<TrackCell>& cells) {
  json out = json::array();
  for (const Slowdown& s : Slowdowns(cells)) {
    out.push_back({{"start", s.startCell}, {"end", s.endCell}, {"speed", s.speed}});
  }
  return out;
}

// The texts of the text boards, by cell.
json BoardTexts(const RenderInput& in) {
  json out = json::object();
  for (std::size_t i = 0; i < in.cells.size(); ++i) {
    const TrackCell& c = in.cells[i];
    if (c.kind != kKindTextBoard || c.value1 < 0 || c.value1 >= kItemSlots) continue;
    out[std::to_string(i)] = Windows1252ToUtf8(in.items[static_cast<std::size_t>(c.value1)].text);
  }
  return out;
}

// The progressions as [position, value] pairs, for the page to turn a km
// post back into metres as the compiler turns metres into posts.
json KmPieceList(const ItemTable& items) {
  json out = json::array();
  for (const KmPiece& p : KmPieces(items)) out.push_back({p.position, p.value});
  return out;
}

json KmJumps(const ItemTable& items) {
  json out = json::array();
  for (const KmJump& j : FindKmJumps(items)) {
    out.push_back({{"position", j.position}, {"from", j.from}, {"to", j.to}});
  }
  return out;
}

double Tenth(double v) { return std::isfinite(v) ? std::round(v * 10) / 10 : 0; }

// The plan every `step` metres up to the last computed one, as x and y in
// metres; null without a profile.
json Plan(const ProfileTable* profile) {
  if (profile == nullptr) return nullptr;
  const ProfileTable& p = *profile;
  auto has = [&](int32_t m) {
    return m >= 0 && m <= p.end() && p.tag(m, 0) != ProfileTable::Tag::kEmpty &&
           p.tag(m, 1) != ProfileTable::Tag::kEmpty;
  };
  int32_t last = -1;
  while (last < p.end() && has(last + 1)) ++last;
  if (last < 1) return nullptr;
  const int32_t step = std::max<int32_t>(1, (last + kPlanSamples - 1) / kPlanSamples);
  json xs = json::array(), ys = json::array();
  for (int32_t m = 0; m <= last; m += step) {
    xs.push_back(Tenth(p.value(m, 0)));
    ys.push_back(Tenth(p.value(m, 1)));
  }
  return {{"step", step}, {"last", last}, {"x", xs}, {"y", ys}};
}

// The points of the run's curve the page needs: those without which a
// straight line between their neighbours would miss the speed by more
// than 0.1 km/h or the time by more than 0.1 s, every change of the limit
// (on both sides, for its step), and both points of a stop (arrival and
// departure at one place). A line of constant speed keeps its ends only.
std::vector<std::size_t> KeptPoints(const std::vector<running::CurvePoint>& curve) {
  constexpr double kSpeedTolerance = 0.1 / 3.6;  // m/s
  constexpr double kTimeTolerance = 0.1;         // s
  // Each span is checked point by point; a span no longer than this keeps
  // the work linear on a long line of constant speed.
  constexpr std::size_t kLongestSpan = 256;
  const std::size_t n = curve.size();
  std::vector<bool> keep(n, false);
  if (n == 0) return {};
  keep.front() = keep.back() = true;
  for (std::size_t i = 1; i < n; ++i) {
    if (curve[i].limit != curve[i - 1].limit || curve[i].position == curve[i - 1].position) {
      keep[i - 1] = keep[i] = true;
    }
  }
  auto fits = [&](std::size_t a, std::size_t b) {
    const double span = curve[b].position - curve[a].position;
    if (span <= 0) return b == a + 1;
    for (std::size_t k = a + 1; k < b; ++k) {
      const double f = (curve[k].position - curve[a].position) / span;
      const double speed = curve[a].speed + (curve[b].speed - curve[a].speed) * f;
      const double time = curve[a].time + (curve[b].time - curve[a].time) * f;
      if (std::fabs(speed - curve[k].speed) > kSpeedTolerance ||
          std::fabs(time - curve[k].time) > kTimeTolerance) {
        return false;
      }
    }
    return true;
  };
  // From each kept point, the farthest point the straight line still fits
  // to, up to the next point that must be kept.
  std::size_t from = 0;
  while (from + 1 < n) {
    std::size_t to = from + 1;
    while (to + 1 < n && !keep[to] && to + 1 - from <= kLongestSpan && fits(from, to + 1)) ++to;
    keep[to] = true;
    from = to;
  }
  std::vector<std::size_t> out;
  for (std::size_t i = 0; i < n; ++i) {
    if (keep[i]) out.push_back(i);
  }
  return out;
}

// The computed run: the curve as columns (m, km/h, s of day) and the limit
// as the step it is; the stations with the times the train reaches and
// leaves them. Null without a curve.
json Running(const RenderInput& in) {
  if (in.times == nullptr || in.times->curve.size() < 2) return nullptr;
  const std::vector<running::CurvePoint>& curve = in.times->curve;
  json position = json::array(), speed = json::array(), time = json::array(),
       limitFrom = json::array(), limit = json::array();
  for (const std::size_t i : KeptPoints(curve)) {
    position.push_back(Tenth(curve[i].position));
    speed.push_back(Tenth(curve[i].speed * 3.6));
    time.push_back(Tenth(curve[i].time));
  }
  for (std::size_t i = 0; i < curve.size(); ++i) {
    if (i > 0 && curve[i].limit == curve[i - 1].limit) continue;
    limitFrom.push_back(Tenth(curve[i].position));
    limit.push_back(Tenth(curve[i].limit * 3.6));
  }
  json stations = json::array();
  for (const running::TimingRow& row : in.times->rows) {
    if (row.kind != running::TimingRow::Kind::kStation) continue;
    const std::string name =
        row.slot >= 0 && row.slot < kItemSlots
            ? Windows1252ToUtf8(in.items[static_cast<std::size_t>(row.slot)].text)
            : std::string();
    stations.push_back({{"slot", row.slot},
                        {"name", name},
                        {"position", row.position},
                        {"at", Tenth(PlaceOnCurve(*in.times, row))},
                        {"stops", row.stops},
                        {"time", Tenth(row.time)},
                        {"departure", row.departure ? json(Tenth(*row.departure)) : json(nullptr)},
                        {"scheduled", row.scheduled ? json(*row.scheduled) : json(nullptr)}});
  }
  return {{"position", position},   {"speed", speed}, {"time", time},
          {"limitFrom", limitFrom}, {"limit", limit}, {"stations", stations}};
}

}  // namespace

json ViewerData(const RenderInput& in) {
  int32_t lineLength = in.items[kSlotTotals].end;
  if (lineLength <= 0 && in.profile != nullptr) lineLength = in.profile->end() - kLineOverrun;
  int signals = 0;
  for (const TrackCell& c : in.cells) signals += c.kind == kKindSignal ? 1 : 0;
  return {{"line", in.lineId},
          {"train", in.trainNumber},
          {"cellLength", kCellLength},
          {"lineLength", lineLength},
          {"routePointSpeed", kRoutePointSpeed},
          {"hasKmPosts", HasProgression(in.items)},
          {"signals", signals},
          {"cells", CellColumns(in)},
          {"stations", StationList(in.items)},
          {"slowdowns", SlowdownList(in.cells)},
          {"boardTexts", BoardTexts(in)},
          {"kmJumps", KmJumps(in.items)},
          {"kmPieces", KmPieceList(in.items)},
          {"plan", Plan(in.profile)},
          {"running", Running(in)},
          {"runningNote", in.timesNote}};
}

}  // namespace sb::render
