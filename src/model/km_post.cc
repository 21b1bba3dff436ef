#include "model/km_post.h"

#include <algorithm>
#include <cstdio>

namespace sb {

int64_t KilometricValue(const ItemTable& items, int64_t position) {
  const ScenarioItem* best = nullptr;
  const ScenarioItem* any = nullptr;
  for (int slot = kSlotProgressionTre; slot <= kSlotProgressionUno; ++slot) {
    const ScenarioItem& p = items[slot];
    if (p.start == 0 && p.end == 0) continue;
    if (any == nullptr || p.start < any->start) any = &p;
    if (p.start <= position && (best == nullptr || p.start > best->start)) best = &p;
  }
  if (best == nullptr) best = any;  // before every progression: extrapolate the first
  if (best == nullptr) return position;
  return int64_t{best->end} + (position - best->start);
}

std::vector<KmPiece> KmPieces(const ItemTable& items) {
  std::vector<KmPiece> out;
  // Slot order breaks ties of start as KilometricValue does: the first wins.
  for (int slot = kSlotProgressionTre; slot <= kSlotProgressionUno; ++slot) {
    const ScenarioItem& p = items[slot];
    if (p.start == 0 && p.end == 0) continue;
    out.push_back({p.start, p.end});
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const KmPiece& a, const KmPiece& b) { return a.position < b.position; });
  out.erase(
      std::unique(out.begin(), out.end(),
                  [](const KmPiece& a, const KmPiece& b) { return a.position == b.position; }),
      out.end());
  if (out.empty()) out.push_back({0, 0});
  return out;
}

std::vector<int64_t> PositionsOfKm(const ItemTable& items, int64_t value, int64_t from,
                                   int64_t to) {
  const std::vector<KmPiece> pieces = KmPieces(items);
  std::vector<int64_t> out;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const int64_t at = pieces[i].position + (value - pieces[i].value);
    if (i > 0 && at < pieces[i].position) continue;
    if (i + 1 < pieces.size() && at >= pieces[i + 1].position) continue;
    if (at >= from && at <= to) out.push_back(at);
  }
  return out;
}

std::string FormatKm(int64_t metres) {
  const bool negative = metres < 0;
  const int64_t m = negative ? -metres : metres;
  char buf[48];
  std::snprintf(buf, sizeof buf, "km %s%lld+%03lld", negative ? "-" : "",
                static_cast<long long>(m / 1000), static_cast<long long>(m % 1000));
  return buf;
}

}  // namespace sb
