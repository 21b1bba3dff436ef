// The error codes the compiler records in the run state, each with its
// meaning in plain words. The codes are part of the compiled state and of
// the JSON report; the meanings are what authors read (docs/authors.md
// lists the same table).
#ifndef SB_COMPILER_ERROR_CODES_H_
#define SB_COMPILER_ERROR_CODES_H_

#include <cstdint>
#include <span>

namespace sb {

inline constexpr int32_t kNoError = 0;
inline constexpr int32_t kErrorLineLength = 1;
inline constexpr int32_t kErrorProgressionStep = 2;
inline constexpr int32_t kErrorRepetitionStart = 3;
inline constexpr int32_t kErrorRepetitionEnd = 4;
inline constexpr int32_t kErrorRepetitionCodes = 5;
inline constexpr int32_t kErrorTextBoardCell = 6;
inline constexpr int32_t kErrorSpeedPointCell = 7;
inline constexpr int32_t kErrorStationPosition = 8;
inline constexpr int32_t kErrorStationLength = 9;
inline constexpr int32_t kErrorTooManyStations = 10;
inline constexpr int32_t kErrorPointBeforeSignal = 11;
inline constexpr int32_t kErrorPointBeforeSlowdown = 12;
inline constexpr int32_t kErrorPointInSlowdown = 13;
inline constexpr int32_t kErrorBeyondGrid = 15;
inline constexpr int32_t kErrorSignalCell = 16;
inline constexpr int32_t kErrorWarningCell = 17;
inline constexpr int32_t kErrorSlowdownStartCell = 18;
inline constexpr int32_t kErrorSlowdownEndCell = 19;
inline constexpr int32_t kErrorBeforeWarningCell = 20;
inline constexpr int32_t kErrorSpeedBoardCell = 21;
inline constexpr int32_t kErrorStationSpacing = 22;
inline constexpr int32_t kErrorStopMarkTooEarly = 24;
inline constexpr int32_t kErrorUnreadable = 25;
inline constexpr int32_t kErrorNoLineDescription = 101;
inline constexpr int32_t kErrorNoGeneralSection = 102;
inline constexpr int32_t kErrorCurve = 103;
inline constexpr int32_t kErrorIdentityValueTaken = 1250;
inline constexpr int32_t kErrorIdentityCodeTaken = 1251;

struct ErrorCodeMeaning {
  int32_t code;
  const char* meaning;
};

// Every code, kNoError first, in increasing order.
std::span<const ErrorCodeMeaning> ErrorCodeTable();

// The meaning of an error code in plain words ("" for an unknown code).
const char* ErrorMeaning(int32_t code);

}  // namespace sb

#endif  // SB_COMPILER_ERROR_CODES_H_
