#include "compiler/signals.h"

#include "base/rounding.h"
#include "compiler/description.h"
#include "compiler/error_codes.h"

namespace sb {
namespace {

constexpr int32_t kWarningDistance = 1200;  // m before a slowdown's start
constexpr int32_t kWarnedAfter = 1500;      // a slowdown starting later gets a warning
constexpr int kCellsBeforeWarning = 4;

// Cells 100, 200, 300 and 400 m before the signal, whatever they hold.
void MarkApproach(Scenario& s, int64_t signalCell, int64_t sides) {
  for (int k = 1; k <= 4; ++k) {
    const int64_t cell = signalCell - 2 * k;
    if (cell < 0) break;
    s.cells[static_cast<std::size_t>(cell)].approachCode = Low8(sides * 10 + k);
  }
}

// Both sides' values in one figure: sx * 3 + dx.
int64_t Sides(const SignalRecord& signal) { return int64_t{signal.sSide} * 3 + signal.dSide; }

}  // namespace

Status memo_segnale(Scenario& s, SignalRecord& signal, ErrorCode* errorCode) {
  *errorCode = ErrorCode::kNone;
  const int64_t index = CellIndex(signal.position, 1.0);
  TrackCell* cell = nullptr;
  SB_RETURN_IF_ERROR(CellAt(s, index, "a signal", &cell));
  if (!cell->free()) {
    *errorCode = ErrorCode::kSignalCell;
    return Status::Ok();
  }
  // Digits pack as tens and units; only the low 16 bits are stored.
  cell->kind = kKindSignal;
  cell->value4 = Low16(int64_t{signal.extraDigit} * 10 + Sides(signal));
  cell->value1 = Low16(int64_t{signal.sDigit1} * 10 + signal.dDigit1);
  cell->value2 = Low16(int64_t{signal.sDigit2} * 10 + signal.dDigit2);
  cell->value3 = Low16(int64_t{signal.sDigit3} * 10 + signal.dDigit3);
  if (signal.time >= 1 && signal.time <= 100) signal.time = 101;
  cell->signalTime = signal.sSide == 2 ? Low8(signal.time) : 0;
  MarkApproach(s, index, Sides(signal));
  return Status::Ok();
}

int64_t SlowdownEndCell(int32_t start, int32_t length) {
  return CellIndex(int64_t{start} + length, 1.0);
}

bool SlowdownWarned(int32_t start) { return start > kWarnedAfter; }

int64_t SlowdownWarningCell(int32_t start) {
  return CellIndex(int64_t{start} - kWarningDistance, 1.0);
}

int64_t LastBeforeWarningCell(int32_t start) {
  return CellIndex(int64_t{start} - kWarningDistance);
}

namespace {

// The four cells before the warning (the cell of start - 1200 m, rounded
// down, and the three before it); the others stay written when one is taken.
Status MarkBeforeWarning(Scenario& s, const SlowdownRecord& slowdown, SlowdownFault* fault) {
  const int64_t last = LastBeforeWarningCell(slowdown.start);
  for (int m = 0; m < kCellsBeforeWarning; ++m) {
    TrackCell* cell = nullptr;
    SB_RETURN_IF_ERROR(CellAt(s, last - m, "a cell before a slowdown warning", &cell));
    if (!cell->free()) {
      *fault = {ErrorCode::kBeforeWarningCell, last - m};
      return Status::Ok();
    }
  }
  for (int m = 1; m <= kCellsBeforeWarning; ++m) {
    TrackCell& cell = s.cells[static_cast<std::size_t>(last - m + 1)];
    cell.kind = kKindBeforeWarning;
    cell.value1 = static_cast<int16_t>(m);
    if (slowdown.secondSpeed != 0) cell.value2 = static_cast<int16_t>(m);
  }
  return Status::Ok();
}

}  // namespace

Status memo_rallentamento(Scenario& s, const SlowdownRecord& slowdown, SlowdownFault* fault) {
  *fault = {};
  const bool warned = SlowdownWarned(slowdown.start);
  TrackCell* warning = nullptr;
  if (warned) {
    const int64_t index = SlowdownWarningCell(slowdown.start);
    SB_RETURN_IF_ERROR(CellAt(s, index, "a slowdown warning", &warning));
    if (!warning->free()) {
      *fault = {ErrorCode::kWarningCell, index};
      return Status::Ok();
    }
  }
  TrackCell* start = nullptr;
  const int64_t startIndex = CellIndex(slowdown.start, 1.0);
  SB_RETURN_IF_ERROR(CellAt(s, startIndex, "a slowdown start", &start));
  if (!start->free()) {
    *fault = {ErrorCode::kSlowdownStartCell, startIndex};
    return Status::Ok();
  }
  TrackCell* end = nullptr;
  const int64_t endIndex = SlowdownEndCell(slowdown.start, slowdown.length);
  SB_RETURN_IF_ERROR(CellAt(s, endIndex, "a slowdown end", &end));
  if (!end->free()) {
    *fault = {ErrorCode::kSlowdownEndCell, endIndex};
    return Status::Ok();
  }
  // The end first: a slowdown whose end falls on its start cell is a start.
  const int32_t secondSpeed = slowdown.secondSpeed;
  end->kind = kKindSlowdownEnd;
  if (secondSpeed != 0) end->value2 = Low16(secondSpeed);
  start->kind = kKindSlowdownStart;
  if (secondSpeed != 0) start->value2 = Low16(secondSpeed);
  if (warned) {
    warning->kind = kKindSlowdownWarning;
    if (secondSpeed != 0) warning->value2 = Low16(secondSpeed);
    warning->value1 = Low16(slowdown.speed);
  }
  start->value1 = Low16(slowdown.speed);
  end->value1 = Low16(slowdown.speed);
  start->value3 = Low16(slowdown.wholeTrain);
  end->value3 = Low16(slowdown.wholeTrain);

  // Without a warning there is nothing to mark before it.
  if (!warned || slowdown.markBeforeWarning == 0) return Status::Ok();
  return MarkBeforeWarning(s, slowdown, fault);
}

std::string TakenSlowdownCell(const SlowdownRecord& slowdown, const SlowdownFault& fault) {
  const std::string cell = std::to_string(fault.cell);
  switch (fault.code) {
    case ErrorCode::kWarningCell:
      return "the slowdown's warning cell " + cell + " (1200 m before its start)";
    case ErrorCode::kSlowdownStartCell: return "the slowdown's start cell " + cell;
    case ErrorCode::kSlowdownEndCell:
      return "the slowdown's end cell " + cell + " (at " +
             std::to_string(int64_t{slowdown.start} + slowdown.length) + " m)";
    case ErrorCode::kBeforeWarningCell:
      return "cell " + cell + ", one of the four before the slowdown's warning";
    default: return {};
  }
}

void NoteSlowdownOwners(Scenario& s, const SlowdownRecord& slowdown, const SourceRef& source) {
  const int32_t start = slowdown.start;
  NoteOwner(s, SlowdownEndCell(start, slowdown.length), source, OwnerRole::kSlowdownEnd, start);
  NoteOwner(s, CellIndex(start, 1.0), source, OwnerRole::kSlowdownStart, start);
  if (!SlowdownWarned(start)) return;
  NoteOwner(s, SlowdownWarningCell(start), source, OwnerRole::kSlowdownWarning, start);
  if (slowdown.markBeforeWarning == 0) return;
  const int64_t last = LastBeforeWarningCell(start);
  for (int64_t cell = last; cell > last - 4; --cell) {
    NoteOwner(s, cell, source, OwnerRole::kBeforeWarning, start);
  }
}

}  // namespace sb
