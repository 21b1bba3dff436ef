// What the picture and the compile summary read from the decoded cells and
// items: stations, slowdowns, runs of a per-stretch field, km post jumps.
#ifndef SB_TOOLS_COMMON_SCENARIO_FEATURES_H_
#define SB_TOOLS_COMMON_SCENARIO_FEATURES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/model.h"

namespace sb {

struct Station {
  int slot = 0;
  std::string name;  // UTF-8
  int32_t position = 0;
  int32_t start = 0;
  int32_t end = 0;
  bool stops = false;  // kinds below 25 have a stop mark
  bool timed = false;  // has a scheduled time
};

struct Slowdown {
  int64_t startCell = 0;
  int64_t endCell = 0;
  int speed = 0;
};

struct Run {
  int64_t from = 0;  // first cell
  int64_t to = 0;    // one past the last cell
  int value = 0;
};

// The stations of item slots 1 to 80, in slot order.
std::vector<Station> Stations(const ItemTable& items);

// Every slowdown start with the end cell that follows it (a slowdown too
// short for a cell of its own ends where it starts).
std::vector<Slowdown> Slowdowns(const std::vector<TrackCell>& cells);

// Runs of equal value of a per-stretch field over cells [0, limit).
template <typename Get>
std::vector<Run> Runs(const std::vector<TrackCell>& cells, std::size_t limit, Get get) {
  std::vector<Run> out;
  for (std::size_t i = 0; i < limit && i < cells.size(); ++i) {
    const int v = get(cells[i]);
    if (!out.empty() && out.back().value == v && out.back().to == static_cast<int64_t>(i)) {
      out.back().to = static_cast<int64_t>(i) + 1;
    } else {
      out.push_back({static_cast<int64_t>(i), static_cast<int64_t>(i) + 1, v});
    }
  }
  return out;
}

// Whether the line has a kilometric progression to tell kilometre posts by.
bool HasProgression(const ItemTable& items);

// Where a progression takes over with a km post that does not follow on from
// the one a metre before (`from`, what the post would have been): `to`.
struct KmJump {
  int32_t position = 0;
  int64_t from = 0;
  int64_t to = 0;
};
std::vector<KmJump> FindKmJumps(const ItemTable& items);

}  // namespace sb

#endif  // SB_TOOLS_COMMON_SCENARIO_FEATURES_H_
