// The route of the running times: the stations from the first to the last,
// which of them the train stops at, where along the line each one's time
// is taken, and when the train sets out.
#ifndef SB_RUNNING_TIME_ROUTE_H_
#define SB_RUNNING_TIME_ROUTE_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "compiler/scenario.h"

namespace sb::running {

struct RouteStation {
  int slot = 0;
  bool stops = false;
  std::optional<int32_t> scheduled;  // s of day as written; none for 0, 0, 0
  // Where the head is when the station's time is taken: the stopping-zone
  // end at a stop, the station's position when passed. Kept on the grid
  // and never behind the station before it, so the route only runs forward.
  double at = 0;
  int64_t zoneLength = 0;  // m
};

struct Route {
  std::vector<RouteStation> stations;  // route order; none with fewer than two
  double start = 0;                    // the head's position at the start, m
  double end = 0;                      // at the last stop, m
  double startTime = 0;                // s of day
  double gridEnd = 0;                  // m: where the cells end
};

// The item slots that hold a station, from 1 on.
int StationCount(const Scenario& s);

Route BuildRoute(const Scenario& s);

}  // namespace sb::running

#endif  // SB_RUNNING_TIME_ROUTE_H_
