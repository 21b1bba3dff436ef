// Signals and slowdowns on the cell grid. Both encoders test every cell they
// will occupy before writing any (but the four cells before a slowdown's
// warning, tested last). A taken cell is an author error the encoder hands
// back as `*errorCode` (0 when placed) for the caller to record; a cell
// outside the grid fails the reading.
#ifndef SB_COMPILER_SIGNALS_H_
#define SB_COMPILER_SIGNALS_H_

#include <cstdint>
#include <string>

#include "base/status.h"
#include "compiler/scenario.h"

namespace sb {

// A `segnale` record; the description's names are in the comments.
struct SignalRecord {
  int32_t position = 0;    // posizione (m)
  int32_t sSide = 0;       // sx, 0 to 2
  int32_t sDigit1 = 0;     // s1
  int32_t sDigit2 = 0;     // s2
  int32_t sDigit3 = 0;     // s3
  int32_t extraDigit = 0;  // rapp
  int32_t dSide = 0;       // dx, 0 to 2
  int32_t dDigit1 = 0;     // d1
  int32_t dDigit2 = 0;     // d2
  int32_t dDigit3 = 0;     // d3
  int32_t time = 0;        // tempo, kept only when sSide is 2
};

// Places a signal on cell position / 50 + 1 (rounded) with approach codes on
// the four cells 2, 4, 6 and 8 before it. A time of 1 to 100 is raised to
// 101 in `signal`. Error 16 when the cell is taken.
Status memo_segnale(Scenario& s, SignalRecord& signal, ErrorCode* errorCode);

// A `rallentamento` record.
struct SlowdownRecord {
  int32_t start = 0;              // x (m)
  int32_t speed = 0;              // v (km/h)
  int32_t length = 0;             // l (m)
  int32_t wholeTrain = 0;         // f_tt: 1 when it holds for the train's length
  int32_t markBeforeWarning = 0;  // f_ta: mark the four cells before the warning
  int32_t secondSpeed = 0;        // d_v: stored only when not 0
};

// The end cell of a slowdown: (start + length) / 50 + 1, rounded.
int64_t SlowdownEndCell(int32_t start, int32_t length);
// Only a slowdown starting past 1500 m gets a warning, on the cell of
// start - 1200 m (/ 50 + 1, rounded), and may get the four cells before it
// marked, the last of them the cell of start - 1200 m (/ 50, rounded).
bool SlowdownWarned(int32_t start);
int64_t SlowdownWarningCell(int32_t start);
int64_t LastBeforeWarningCell(int32_t start);

// A slowdown that could not be placed: the error (17 to 20) and the cell
// found taken.
struct SlowdownFault {
  ErrorCode code = ErrorCode::kNone;  // when placed
  int64_t cell = 0;
};

// Places a slowdown: warning 1200 m before the start (only for a start past
// 1500 m), start, end and, when markBeforeWarning is set, four cells before
// the warning. A taken cell is errors 17 to 20 in `*fault`. The reader
// rejects an end cell past the last cell (error 15) before calling.
Status memo_rallentamento(Scenario& s, const SlowdownRecord& slowdown, SlowdownFault* fault);

// The taken cell of `fault`, in words; "" when there is none.
std::string TakenSlowdownCell(const SlowdownRecord& slowdown, const SlowdownFault& fault);

// Notes the record at `source` as the owner of every cell a placed slowdown
// took, the end before the start as the encoder writes them.
void NoteSlowdownOwners(Scenario& s, const SlowdownRecord& slowdown, const SourceRef& source);

}  // namespace sb

#endif  // SB_COMPILER_SIGNALS_H_
