#include "tools/render/viewer_data.h"

#include <algorithm>
#include <cmath>

#include "base/windows1252.h"
#include "compiler/route_completion.h"
#include "model/km_post.h"
#include "tools/common/roles.h"
#include "tools/common/scenario_features.h"

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
          {"plan", Plan(in.profile)}};
}

}  // namespace sb::render
