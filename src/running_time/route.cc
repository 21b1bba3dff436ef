#include "running_time/route.h"

#include <algorithm>

namespace sb::running {

int StationCount(const Scenario& s) {
  // A scenario read from descriptions knows which records were stations; one
  // loaded from compiled files has them in the slots from 1 up to the first
  // empty one (board texts are stored from the other end).
  if (!s.stationSources.empty()) {
    return std::min(static_cast<int>(s.stationSources.size()), kFirstBoardSlot - 1);
  }
  int count = 0;
  while (count + 1 < kFirstBoardSlot && !(s.items[count + 1] == ScenarioItem{})) ++count;
  return count;
}

Route BuildRoute(const Scenario& s) {
  Route r;
  const int count = StationCount(s);
  if (count < 2) return r;
  r.gridEnd = s.hasGrid ? (static_cast<double>(s.lastCell) + 1.0) * kCellLength : 0.0;
  double previous = 0;
  for (int slot = 1; slot <= count; ++slot) {
    const ScenarioItem& item = s.items[static_cast<std::size_t>(slot)];
    RouteStation st;
    st.slot = slot;
    if (item.seconds != 0) st.scheduled = item.seconds;
    st.stops = slot == 1 || slot == count || st.scheduled.has_value();
    const double written = static_cast<double>(st.stops ? item.end : item.position);
    st.at = std::max(std::clamp(written, 0.0, r.gridEnd), previous);
    previous = st.at;
    st.zoneLength = int64_t{item.end} - item.start;
    r.stations.push_back(st);
  }
  r.start = r.stations.front().at;
  r.end = r.stations.back().at;
  const ScenarioItem& first = s.items[1];
  const ScenarioItem& clock = s.items[kSlotTrain];
  r.startTime =
      first.seconds != 0
          ? static_cast<double>(first.seconds)
          : static_cast<double>((int64_t{clock.num3} * 60 + clock.num4) * 60 + clock.num5);
  return r;
}

}  // namespace sb::running
