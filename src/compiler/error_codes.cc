#include "compiler/error_codes.h"

#include <array>

namespace sb {
namespace {

constexpr std::array<ErrorCodeMeaning, 29> kTable = {{
    {kNoError, "no error"},
    {kErrorLineLength, "line length out of range (0 to 1000000 m)"},
    {kErrorProgressionStep, "a kilometric progression's start or value is not a multiple of 50"},
    {kErrorRepetitionStart, "signal repetition start is not a multiple of 50"},
    {kErrorRepetitionEnd, "signal repetition end is not a multiple of 50"},
    {kErrorRepetitionCodes, "signal repetition record names neither 4 nor 9 codes"},
    {kErrorTextBoardCell, "text board on a cell that is not free"},
    {kErrorSpeedPointCell, "speed point on a cell that is not free"},
    {kErrorStationPosition, "station position is not a multiple of 50"},
    {kErrorStationLength, "station length is not a multiple of 100"},
    {kErrorTooManyStations, "more stations than the item table has room for below the board texts"},
    {kErrorPointBeforeSignal, "no cell for a speed point before a signal near a slowdown warning"},
    {kErrorPointBeforeSlowdown, "no free cell 5-7, 11-13 or 18-20 cells before a slowdown start"},
    {kErrorPointInSlowdown,
     "no free cell for a speed point inside a slowdown or before a signal after its end"},
    {kErrorBeyondGrid, "feature position beyond the cell grid"},
    {kErrorSignalCell, "signal on a cell that is not free"},
    {kErrorWarningCell, "slowdown warning cell (1200 m before the start) is not free"},
    {kErrorSlowdownStartCell, "slowdown start cell is not free"},
    {kErrorSlowdownEndCell, "slowdown end cell is not free"},
    {kErrorBeforeWarningCell, "one of the four cells before the slowdown warning is not free"},
    {kErrorSpeedBoardCell, "maximum-speed indicator board on a cell that is not free"},
    {kErrorStationSpacing,
     "stopping zone begins less than 350 m after the previous station's zone"},
    {kErrorStopMarkTooEarly,
     "stopping zone ends too close to the start of the line for its stop mark"},
    {kErrorUnreadable, "the descriptions could not be read"},
    {kErrorNoLineDescription, "the line description file does not exist"},
    {kErrorNoGeneralSection, "the line description has no [generale] section"},
    {kErrorCurve, "curve without curvature 1 to 6, or the plan profile passes its limit"},
    {kErrorIdentityValueTaken, "cell 1 or item 85 already holds a value before the identity codes"},
    {kErrorIdentityCodeTaken, "cell 1 or item 85 already holds a code before the identity codes"},
}};

}  // namespace

std::span<const ErrorCodeMeaning> ErrorCodeTable() { return kTable; }

const char* ErrorMeaning(int32_t code) {
  for (const ErrorCodeMeaning& entry : kTable) {
    if (entry.code == code) return entry.meaning;
  }
  return "";
}

}  // namespace sb
