// Route completion: one walk over the grid that adds speed points (kind 12,
// value 180) before signals near a slowdown warning, at three spacings
// before every slowdown start, every 8 cells inside a slowdown slower than
// 110, and before a signal just after a slowdown's end. A point that finds
// no free cell records error 11, 12 or 13 and the walk goes on.
#ifndef SB_COMPILER_ROUTE_COMPLETION_H_
#define SB_COMPILER_ROUTE_COMPLETION_H_

#include <cstdint>

#include "compiler/scenario.h"

namespace sb {

inline constexpr int16_t kRoutePointSpeed = 180;

// The smaller of the two; ties return x.
int16_t minimo(int16_t x, int16_t y);

// Walks cells 1 to lastCell - 2. Needs the grid.
void CompleteRoute(Scenario& s);

}  // namespace sb

#endif  // SB_COMPILER_ROUTE_COMPLETION_H_
