// The error codes the compiler records in the run state, each with its
// meaning in plain words. The codes are part of the compiled state and of
// the JSON report; the meanings are what authors read (docs/authors.md
// lists the same table).
#ifndef SB_COMPILER_ERROR_CODES_H_
#define SB_COMPILER_ERROR_CODES_H_

#include <cstdint>
#include <ostream>
#include <span>

namespace sb {

// The codes are numbers the run state keeps and the report shows; the
// enum names them, so that nothing but a code can be recorded as one.
enum class ErrorCode : int32_t {
  kNone = 0,
  kLineLength = 1,
  kProgressionStep = 2,
  kRepetitionStart = 3,
  kRepetitionEnd = 4,
  kRepetitionCodes = 5,
  kTextBoardCell = 6,
  kSpeedPointCell = 7,
  kStationPosition = 8,
  kStationLength = 9,
  kTooManyStations = 10,
  kPointBeforeSignal = 11,
  kPointBeforeSlowdown = 12,
  kPointInSlowdown = 13,
  kBeyondGrid = 15,
  kSignalCell = 16,
  kWarningCell = 17,
  kSlowdownStartCell = 18,
  kSlowdownEndCell = 19,
  kBeforeWarningCell = 20,
  kSpeedBoardCell = 21,
  kStationSpacing = 22,
  kStopMarkTooEarly = 24,
  kUnreadable = 25,
  kNoLineDescription = 101,
  kNoGeneralSection = 102,
  kCurve = 103,
  kIdentityValueTaken = 1250,
  kIdentityCodeTaken = 1251,
};

// The number a code is, as the run state, the report and the editor show it.
constexpr int32_t Number(ErrorCode code) { return static_cast<int32_t>(code); }
inline std::ostream& operator<<(std::ostream& out, ErrorCode code) { return out << Number(code); }

struct ErrorCodeMeaning {
  ErrorCode code;
  const char* meaning;
};

// Every code, ErrorCode::kNone first, in increasing order.
std::span<const ErrorCodeMeaning> ErrorCodeTable();

// The meaning of an error code in plain words ("" for an unknown code).
const char* ErrorMeaning(ErrorCode code);

}  // namespace sb

#endif  // SB_COMPILER_ERROR_CODES_H_
