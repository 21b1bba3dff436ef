#include "compiler/train_stretches.h"

#include <optional>
#include <string>

#include "base/rounding.h"
#include "compiler/description.h"

namespace sb {
namespace {

// A speed is stored in 5 km/h steps in one byte.
Status SpeedUnits(const Stretches& t, uint8_t* units) {
  std::optional<uint8_t> rounded = ToUInt8(static_cast<double>(t.lastSpeed) / 5.0);
  if (!rounded) {
    return Status::Invalid("speed " + std::to_string(t.lastSpeed) + " km/h of the record on line " +
                           std::to_string(t.lastSpeedLine) +
                           " does not fit one byte in 5 km/h steps (0 to 1275 km/h)");
  }
  *units = *rounded;
  return Status::Ok();
}

// The speed is checked before the cell: of two faults, the speed's is told.
Status WriteSpeed(Scenario& s, Stretches& t) {
  uint8_t units = 0;
  SB_RETURN_IF_ERROR(SpeedUnits(t, &units));
  TrackCell* cell = nullptr;
  SB_RETURN_IF_ERROR(CellAt(s, t.speedCursor, "a speed limit", &cell));
  cell->speedLimit = units;
  ++t.speedCursor;
  return Status::Ok();
}

// Callers stop the adhesion cursor at the end of the grid: a write beyond
// it is not made.
Status WriteAdhesion(Scenario& s, Stretches& t) {
  TrackCell* cell = nullptr;
  SB_RETURN_IF_ERROR(CellAt(s, t.adhesionCursor, "an adhesion", &cell));
  cell->adhesion = Low8(t.lastAdhesion);
  ++t.adhesionCursor;
  return Status::Ok();
}

}  // namespace

Status SpeedLimitFrom(Scenario& s, Stretches& t, int32_t position, int32_t speed, int line) {
  const int64_t recordCell = CellIndex(position);
  if (recordCell > 0) {
    do {
      if (t.speedCursor >= s.lastCell) break;
      SB_RETURN_IF_ERROR(WriteSpeed(s, t));
    } while (t.speedCursor < recordCell);
  }
  t.lastSpeed = speed;
  t.lastSpeedLine = line;
  return Status::Ok();
}

Status AdhesionFrom(Scenario& s, Stretches& t, int32_t position, int32_t adhesion) {
  const int64_t recordCell = CellIndex(position);
  if (recordCell > 0) {
    do {
      if (t.adhesionCursor > s.lastCell) break;
      SB_RETURN_IF_ERROR(WriteAdhesion(s, t));
    } while (t.adhesionCursor < recordCell);
  }
  t.lastAdhesion = adhesion;
  return Status::Ok();
}

Status FinishStretches(Scenario& s, Stretches& t) {
  do {
    if (t.speedCursor > s.lastCell) break;
    SB_RETURN_IF_ERROR(WriteSpeed(s, t));
  } while (t.speedCursor < s.lastCell - 2);
  do {
    if (t.adhesionCursor > s.lastCell) break;
    SB_RETURN_IF_ERROR(WriteAdhesion(s, t));
  } while (t.adhesionCursor < s.lastCell - 2);
  return Status::Ok();
}

}  // namespace sb
