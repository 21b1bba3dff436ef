// Signals and slowdowns on the cell grid. Both encoders test every cell they
// will occupy before writing any (but the four cells before a slowdown's
// warning, tested last), and report a taken cell only through errorCode.
#ifndef SB_COMPILER_SIGNALS_H_
#define SB_COMPILER_SIGNALS_H_

#include <cstdint>

#include "compiler/scenario.h"

namespace sb {

// Places a signal at CLng(posizione / 50 + 1) with approach codes on the
// four cells 2, 4, 6 and 8 before it. A `tempo` of 1 to 100 is raised to
// 101 in the caller's variable. Error 16 when the cell is taken.
void memo_segnale(Scenario& s, int32_t posizione, int32_t& sx, int32_t& s1, int32_t& s2,
                  int32_t& s3, int32_t& rapp, int32_t& dx, int32_t& d1, int32_t& d2, int32_t& d3,
                  int32_t& tempo);

// The end cell of a slowdown: CLng((x + l) / 50 + 1).
int64_t SlowdownEndCell(int32_t x, int32_t l);

// Places a slowdown: warning 1200 m before the start (only for x > 1500),
// start, end and, when f_ta is set, four cells before the warning. Errors
// 17 to 20. A cell outside the grid is a read failure; the reader rejects
// an end cell past the last cell (error 15) before calling.
void memo_rallentamento(Scenario& s, int32_t x, int32_t& v, int32_t& l, int32_t& f_tt, int32_t f_ta,
                        int32_t& d_v);

}  // namespace sb

#endif  // SB_COMPILER_SIGNALS_H_
