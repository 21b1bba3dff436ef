// Which record put the feature on a cell. An error about a taken cell names
// what holds it and points at the record that put it there; route completion
// points its errors at the signal or slowdown they concern.
#ifndef SB_COMPILER_CELL_OWNERS_H_
#define SB_COMPILER_CELL_OWNERS_H_

#include <cstdint>
#include <string>

#include "compiler/diagnostics.h"

namespace sb {

struct Scenario;

enum class OwnerRole {
  kSignal,
  kSlowdownWarning,
  kSlowdownStart,
  kSlowdownEnd,
  kBeforeWarning,
  kSpeedBoard,
  kTextBoard,
  kSpeedPoint,
  kStopMark,
  // A speed point the route completion placed for the signal or slowdown
  // of `source`; `slot` holds that feature's role.
  kRoutePoint,
};

// Kept per placed feature: cheap to note, put into words only for an error.
struct CellOwner {
  SourceRef source;
  OwnerRole role = OwnerRole::kSignal;
  int32_t position = 0;  // the record's position (m)
  int32_t slot = 0;      // a stop mark's station, a text board's text
};

// Notes that the record at `source` put a feature on `cell`, replacing
// whatever was noted for it before.
void NoteOwner(Scenario& s, int64_t cell, const SourceRef& source, OwnerRole role, int32_t position,
               int32_t slot = 0);

// What `cell` holds, in words ("the stop mark of station BETA", or "a
// signal" when no record is known for it).
std::string CellHolder(const Scenario& s, int64_t cell);

// The message of an error about a taken cell: `subject` ("signal on cell
// 179") followed by what holds it; the record that put it there becomes a
// related location of `d`, with a hint.
void DescribeTakenCell(const Scenario& s, int64_t cell, const std::string& subject, Diagnostic& d);

}  // namespace sb

#endif  // SB_COMPILER_CELL_OWNERS_H_
