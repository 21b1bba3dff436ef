#include "running_time/running_time.h"

namespace sb::running {

// Placeholder until the calculation lands: the rows of the stations, no times.
RunningTime ComputeRunningTime(const Scenario& s, const Train& train) {
  RunningTime out;
  out.train = train;
  for (int slot = 1; slot < kFirstBoardSlot && !s.items[slot].text.empty(); ++slot) {
    TimingRow row;
    row.slot = slot;
    row.position = s.items[slot].position;
    out.rows.push_back(row);
  }
  return out;
}

}  // namespace sb::running
