#include "compiler/signals.h"

#include "compiler/description.h"
#include "base/rounding.h"

namespace sb {

void memo_segnale(Scenario& s, int32_t posizione, int32_t& sx, int32_t& s1, int32_t& s2,
                  int32_t& s3, int32_t& rapp, int32_t& dx, int32_t& d1, int32_t& d2, int32_t& d3,
                  int32_t& tempo) {
  const int64_t i = CellIndex(posizione, 1.0);
  TrackCell& cell = CellAt(s, i, "a signal");
  if (!cell.free()) {
    s.errorCode = 16;
    return;
  }
  // Digits pack as tens and units; only the low 16 bits are stored.
  cell.kind = kKindSignal;
  cell.value4 = Low16(int64_t{rapp} * 10 + int64_t{sx} * 3 + dx);
  cell.value1 = Low16(int64_t{s1} * 10 + d1);
  cell.value2 = Low16(int64_t{s2} * 10 + d2);
  cell.value3 = Low16(int64_t{s3} * 10 + d3);
  if (tempo >= 1 && tempo <= 100) tempo = 101;
  cell.signalTime = sx == 2 ? Low8(tempo) : 0;
  // 100, 200, 300 and 400 m before the signal, whatever those cells hold.
  for (int k = 1; k <= 4; ++k) {
    const int64_t t = i - 2 * k;
    if (t < 0) break;
    s.cells[static_cast<std::size_t>(t)].approachCode = Low8((int64_t{sx} * 3 + dx) * 10 + k);
  }
}

int64_t SlowdownEndCell(int32_t x, int32_t l) { return CellIndex(int64_t{x} + l, 1.0); }

void memo_rallentamento(Scenario& s, int32_t x, int32_t& v, int32_t& l, int32_t& f_tt, int32_t f_ta,
                        int32_t& d_v) {
  const bool warned = x > 1500;
  int64_t w = 0;
  if (warned) {
    w = CellIndex(int64_t{x} - 1200, 1.0);
    if (!CellAt(s, w, "a slowdown warning").free()) {
      s.errorCode = 17;
      return;
    }
  } else {
    f_ta = 0;
  }
  const int64_t start = CellIndex(x, 1.0);
  if (!CellAt(s, start, "a slowdown start").free()) {
    s.errorCode = 18;
    return;
  }
  const int64_t e = SlowdownEndCell(x, l);
  if (!CellAt(s, e, "a slowdown end").free()) {
    s.errorCode = 19;
    return;
  }
  auto cell = [&](int64_t index) -> TrackCell& { return s.cells[static_cast<std::size_t>(index)]; };
  cell(e).kind = kKindSlowdownEnd;
  if (d_v != 0) cell(e).value2 = Low16(d_v);
  cell(start).kind = kKindSlowdownStart;
  if (d_v != 0) cell(start).value2 = Low16(d_v);
  if (warned) {
    cell(w).kind = kKindSlowdownWarning;
    if (d_v != 0) cell(w).value2 = Low16(d_v);
    cell(w).value1 = Low16(v);
  }
  cell(start).value1 = Low16(v);
  cell(e).value1 = Low16(v);
  cell(start).value3 = Low16(f_tt);
  cell(e).value3 = Low16(f_tt);

  const int64_t h = CellIndex(int64_t{x} - 1200);
  if (f_ta == 0) return;
  // Start, end and warning stay written when one of these is taken.
  for (int m = 0; m < 4; ++m) {
    if (!CellAt(s, h - m, "a cell before a slowdown warning").free()) {
      s.errorCode = 20;
      return;
    }
  }
  for (int m = 1; m <= 4; ++m) {
    TrackCell& c = cell(h - m + 1);
    c.kind = kKindBeforeWarning;
    c.value1 = static_cast<int16_t>(m);
    if (d_v != 0) c.value2 = static_cast<int16_t>(m);
  }
}

}  // namespace sb
