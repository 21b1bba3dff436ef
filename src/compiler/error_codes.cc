#include "compiler/error_codes.h"

#include <array>

namespace sb {
namespace {

constexpr std::array<ErrorCodeMeaning, 29> kTable = {{
    {ErrorCode::kNone, "no error"},
    {ErrorCode::kLineLength, "line length out of range (0 to 1000000 m)"},
    {ErrorCode::kProgressionStep,
     "a kilometric progression's start or value is not a multiple of 50"},
    {ErrorCode::kRepetitionStart, "signal repetition start is not a multiple of 50"},
    {ErrorCode::kRepetitionEnd, "signal repetition end is not a multiple of 50"},
    {ErrorCode::kRepetitionCodes, "signal repetition record names neither 4 nor 9 codes"},
    {ErrorCode::kTextBoardCell, "text board on a cell that is not free"},
    {ErrorCode::kSpeedPointCell, "speed point on a cell that is not free"},
    {ErrorCode::kStationPosition, "station position is not a multiple of 50"},
    {ErrorCode::kStationLength, "station length is not a multiple of 100"},
    {ErrorCode::kTooManyStations,
     "more stations than the item table has room for below the board texts"},
    {ErrorCode::kPointBeforeSignal,
     "no cell for a speed point before a signal near a slowdown warning"},
    {ErrorCode::kPointBeforeSlowdown,
     "no free cell 5-7, 11-13 or 18-20 cells before a slowdown start"},
    {ErrorCode::kPointInSlowdown,
     "no free cell for a speed point inside a slowdown or before a signal after its end"},
    {ErrorCode::kBeyondGrid, "feature position beyond the cell grid"},
    {ErrorCode::kSignalCell, "signal on a cell that is not free"},
    {ErrorCode::kWarningCell, "slowdown warning cell (1200 m before the start) is not free"},
    {ErrorCode::kSlowdownStartCell, "slowdown start cell is not free"},
    {ErrorCode::kSlowdownEndCell, "slowdown end cell is not free"},
    {ErrorCode::kBeforeWarningCell,
     "one of the four cells before the slowdown warning is not free"},
    {ErrorCode::kSpeedBoardCell, "maximum-speed indicator board on a cell that is not free"},
    {ErrorCode::kStationSpacing,
     "stopping zone begins less than 350 m after the previous station's zone"},
    {ErrorCode::kStopMarkTooEarly,
     "stopping zone ends too close to the start of the line for its stop mark"},
    {ErrorCode::kUnreadable, "the descriptions could not be read"},
    {ErrorCode::kNoLineDescription, "the line description file does not exist"},
    {ErrorCode::kNoGeneralSection, "the line description has no [generale] section"},
    {ErrorCode::kCurve, "curve without curvature 1 to 6, or the plan profile passes its limit"},
    {ErrorCode::kIdentityValueTaken,
     "cell 1 or item 85 already holds a value before the identity codes"},
    {ErrorCode::kIdentityCodeTaken,
     "cell 1 or item 85 already holds a code before the identity codes"},
}};

constexpr bool InIncreasingOrder() {
  for (std::size_t i = 1; i < kTable.size(); ++i) {
    if (Number(kTable[i - 1].code) >= Number(kTable[i].code)) return false;
  }
  return kTable[0].code == ErrorCode::kNone;
}
static_assert(InIncreasingOrder(), "the table lists every code once, kNone first, in order");

}  // namespace

std::span<const ErrorCodeMeaning> ErrorCodeTable() { return kTable; }

const char* ErrorMeaning(ErrorCode code) {
  for (const ErrorCodeMeaning& entry : kTable) {
    if (entry.code == code) return entry.meaning;
  }
  return "";
}

}  // namespace sb
