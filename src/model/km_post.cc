#include "model/km_post.h"

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

std::string FormatKm(int64_t metres) {
  const bool negative = metres < 0;
  const int64_t m = negative ? -metres : metres;
  char buf[48];
  std::snprintf(buf, sizeof buf, "km %s%lld+%03lld", negative ? "-" : "",
                static_cast<long long>(m / 1000), static_cast<long long>(m % 1000));
  return buf;
}

}  // namespace sb
