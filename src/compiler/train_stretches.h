// The two per-stretch fields of the train description: the speed limit and
// the adhesion hold from a record's position up to the next record of their
// kind, and after the last one up to the end of the grid. Each record closes
// the stretch of the one before it.
#ifndef SB_COMPILER_TRAIN_STRETCHES_H_
#define SB_COMPILER_TRAIN_STRETCHES_H_

#include <cstdint>

#include "base/status.h"
#include "compiler/scenario.h"

namespace sb {

struct Stretches {
  int32_t speedCursor = 0;  // the next cell to get a speed limit
  int32_t lastSpeed = 0;    // before the first record: 0
  int lastSpeedLine = 0;    // the description line that set it, for messages
  int32_t adhesionCursor = 0;
  int32_t lastAdhesion = 0;
};

// A speed limit record at `position`: the cells from the cursor up to the
// record's cell - 1 get the previous speed. The test comes after the write,
// so a record always writes at least one cell. A speed that does not fit
// one byte in 5 km/h steps fails when it is written.
Status SpeedLimitFrom(Scenario& s, Stretches& t, int32_t position, int32_t speed, int line);
// An adhesion record at `position`, the same way (its value is cut to 8 bits).
Status AdhesionFrom(Scenario& s, Stretches& t, int32_t position, int32_t adhesion);
// After the last record: both fields up to lastCell - 3; each writes at
// least one cell.
Status FinishStretches(Scenario& s, Stretches& t);

}  // namespace sb

#endif  // SB_COMPILER_TRAIN_STRETCHES_H_
