#include "compiler/line_features.h"

#include <algorithm>

#include "compiler/description.h"
#include "base/rounding.h"
#include "description/keywords.h"

namespace sb {
namespace {

// Writes one cell of a fill, or nothing when the cursor has run past the
// grid (those cells do not exist).
void FillGradientAt(Scenario& s, int32_t cursor, int32_t value) {
  if (!s.hasGrid) CellAt(s, cursor, "a gradient");  // raises
  if (cursor >= 0 && cursor <= s.lastCell) {
    s.cells[static_cast<std::size_t>(cursor)].gradient = Low8(int64_t{value} + 100);
  }
}

// Computes the metres from the cursor to `last` as one run, as the reader
// does metre by metre: a metre past the end of the profile is not computed
// (kPastProfileEnd), and the cursor may not pass 1,000,000 m (kPastLimit,
// after the metre that reaches it).
CurveResult Advance(LineProfile& p, int64_t last, bool arc, double c) {
  const auto reach = static_cast<int32_t>(std::min<int64_t>({last, p.end(), kProfileLimit}));
  if (arc) {
    p.Arc(reach, c);
  } else {
    p.Straight(reach);
  }
  if (p.cursor() > kProfileLimit) return CurveResult::kPastLimit;
  if (p.cursor() <= last) return CurveResult::kPastProfileEnd;
  return CurveResult::kOk;
}

int16_t BoardValue(int32_t d_side, int32_t s_side) {
  double v = static_cast<double>(d_side) / 5.0 + static_cast<double>(int64_t{s_side} * 20);
  std::optional<int16_t> r = ToInt16(v);
  if (!r) throw ReadFailure{"maximum-speed indicator board value does not fit 16 bits"};
  return *r;
}

}  // namespace

void EncodeGradient(Scenario& s, LineFeatureState& st, int32_t position, int32_t value) {
  const int64_t n = CellIndex(position);
  if (n > 0) {
    // The first write happens even when the cursor is already at or past n.
    do {
      FillGradientAt(s, st.gradientCursor, st.lastGradient);
      if (st.gradientCursor <= s.lastCell) ++st.gradientCursor;
    } while (st.gradientCursor < n && st.gradientCursor <= s.lastCell);
  }
  st.lastGradient = value;
}

void GradientTailFill(Scenario& s, LineFeatureState& st) {
  do {
    FillGradientAt(s, st.gradientCursor, st.lastGradient);
    if (st.gradientCursor <= s.lastCell) ++st.gradientCursor;
  } while (st.gradientCursor < s.lastCell - 2);
}

CurveResult EncodeCurve(Scenario& s, std::string_view keyword, int32_t start, int32_t length) {
  static constexpr std::pair<std::string_view, double> kClasses[] = {
      {"1", 0.0001}, {"2", 0.0002}, {"3", 0.0004}, {"4", 0.001}, {"5", 0.002}, {"6", 0.003}};
  double c = 0;
  bool found = false;
  for (const auto& [digit, curvature] : kClasses) {
    if (Contains(keyword, digit, Compare::kText)) {
      c = curvature;
      found = true;
      break;
    }
  }
  if (!found) return CurveResult::kNoCurvature;
  if (Contains(keyword, "s", Compare::kText)) c = -c;

  LineProfile& p = *s.profile;
  // Run-in: straight up to the start. The reader's position check keeps
  // the start inside the profile.
  if (CurveResult r = Advance(p, start, false, 0.0); r != CurveResult::kOk) return r;
  return Advance(p, int64_t{start} + length, true, c);
}

void ProfileTail(Scenario& s) {
  // No limit here: the tail may run past 1,000,000 m on the longest lines.
  s.profile->Straight(s.profileEnd - 2);
}

void memo_montagna(Scenario& s, int32_t inizio, int32_t fine, int32_t tipo) {
  const bool marks = tipo > 10;
  if (marks) tipo -= 10;
  if (s.mountainCount >= kMountainSlots - 1) {
    throw ReadFailure{"more than 80 mountain records"};
  }
  ++s.mountainCount;
  s.mountainStart[s.mountainCount] = inizio;
  s.mountainEnd[s.mountainCount] = fine;
  if (s.mountainCount > 1 && int64_t{inizio} - s.mountainEnd[s.mountainCount - 1] <= 150) {
    tipo = 3;  // a gap of 150 m or less, or an overlap
  }
  const int64_t first = CellIndex(inizio);
  const int64_t last = CellIndex(fine, -1.0);
  if (first > last) return;
  if (!s.hasGrid) CellAt(s, first, "a mountain");  // raises
  // Cells outside the grid do not exist; the count k still starts at the
  // first covered cell so the marks fall where they would.
  const int64_t from = std::max<int64_t>(first, 0);
  const int64_t to = std::min<int64_t>(last, s.lastCell);
  for (int64_t idx = from; idx <= to; ++idx) {
    TrackCell& cell = s.cells[static_cast<std::size_t>(idx)];
    cell.terrain = Low8(tipo);
    const int64_t k = idx - first + 1;
    if (marks && k % 4 == 0 && cell.kind == kKindEmpty) cell.kind = kKindMountainMark;
  }
}

void memo_indicatori_v_max(Scenario& s, int32_t posizione, int32_t vas, int32_t vbs, int32_t vcs,
                           int32_t strisces, int32_t vad, int32_t vbd, int32_t vcd,
                           int32_t strisced) {
  TrackCell& cell = CellAt(s, CellIndex(posizione, 1.0), "a maximum-speed indicator board");
  if (!cell.free()) {
    s.errorCode = 21;
    return;
  }
  // All values first, so a value that does not fit leaves the cell as it was.
  const int16_t v1 = BoardValue(vad, vas);
  const int16_t v2 = BoardValue(vbd, vbs);
  const int16_t v3 = BoardValue(vcd, vcs);
  const int32_t stripes = int32_t{Low16(strisces)} * 10 + Low16(strisced);
  if (stripes < INT16_MIN || stripes > INT16_MAX) {
    throw ReadFailure{"maximum-speed indicator board stripe counts do not fit 16 bits"};
  }
  cell.kind = kKindSpeedBoard;
  cell.value1 = v1;
  cell.value2 = v2;
  cell.value3 = v3;
  cell.value4 = static_cast<int16_t>(stripes);
}

bool EncodeTextBoard(Scenario& s, LineFeatureState& st, int32_t position, const std::string& text) {
  TrackCell& cell = CellAt(s, CellIndex(position, 1.0), "a text board");
  if (!cell.free()) return false;
  if (st.boardSlot < 1) throw ReadFailure{"more than 80 text boards"};
  if (text.size() > 0xFFFF) throw ReadFailure{"text board text longer than 65535 characters"};
  cell.kind = kKindTextBoard;
  cell.value1 = static_cast<int16_t>(st.boardSlot);
  s.items[static_cast<std::size_t>(st.boardSlot)].text = text;
  --st.boardSlot;
  return true;
}

}  // namespace sb
