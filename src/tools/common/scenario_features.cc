#include "tools/common/scenario_features.h"

#include <algorithm>

#include "base/windows1252.h"
#include "model/km_post.h"
#include "tools/common/roles.h"

namespace sb {

std::vector<Station> Stations(const ItemTable& items) {
  std::vector<Station> out;
  for (int slot = 1; slot <= kFirstBoardSlot; ++slot) {
    const ScenarioItem& it = items[static_cast<std::size_t>(slot)];
    if (ItemRole(slot, it).rfind("station", 0) != 0) continue;
    Station s;
    s.slot = slot;
    s.name = Windows1252ToUtf8(it.text);
    s.position = it.position;
    s.start = it.start;
    s.end = it.end;
    s.stops = it.kind < 25;
    s.timed = it.seconds != 0;
    out.push_back(s);
  }
  return out;
}

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

bool HasProgression(const ItemTable& items) {
  for (int slot = kSlotProgressionTre; slot <= kSlotProgressionUno; ++slot) {
    const ScenarioItem& p = items[static_cast<std::size_t>(slot)];
    if (p.start != 0 || p.end != 0) return true;
  }
  return false;
}

std::vector<KmJump> FindKmJumps(const ItemTable& items) {
  std::vector<KmJump> out;
  if (!HasProgression(items)) return out;
  for (int slot = kSlotProgressionTre; slot <= kSlotProgressionUno; ++slot) {
    const ScenarioItem& p = items[static_cast<std::size_t>(slot)];
    if (p.start <= 0) continue;
    const int64_t from = KilometricValue(items, int64_t{p.start} - 1) + 1;
    const int64_t to = KilometricValue(items, p.start);
    if (from != to) out.push_back({p.start, from, to});
  }
  std::sort(out.begin(), out.end(),
            [](const KmJump& a, const KmJump& b) { return a.position < b.position; });
  return out;
}

}  // namespace sb
