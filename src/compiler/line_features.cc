#include "compiler/line_features.h"

#include <algorithm>

#include "base/rounding.h"
#include "compiler/description.h"
#include "compiler/error_codes.h"
#include "description/keywords.h"

namespace sb {
namespace {

constexpr int32_t kMaxMountains = kMountainSlots - 1;
constexpr int32_t kMaxTextLength = 0xFFFF;
// A section beginning this close after the previous one's end, or
// overlapping it, is of type 3 whatever it says.
constexpr int64_t kMountainJoin = 150;
constexpr int32_t kJoinedMountainType = 3;
constexpr int32_t kMarkedTypeOffset = 10;

// Fails when there is no grid yet: the record names no cell that exists.
Status NoGrid(Scenario& s, int64_t index, const char* what) {
  TrackCell* unused = nullptr;
  return CellAt(s, index, what, &unused);
}

// Writes one cell of a fill, or nothing when the cursor has run past the
// grid (those cells do not exist).
Status FillGradientAt(Scenario& s, int32_t cursor, int32_t value, const char* what) {
  if (!s.hasGrid) return NoGrid(s, cursor, what);
  if (cursor >= 0 && cursor <= s.lastCell) {
    s.cells[static_cast<std::size_t>(cursor)].gradient = Low8(int64_t{value} + 100);
  }
  return Status::Ok();
}

// Computes the metres from the cursor to `last` in one run, with the same
// outcome as metre by metre: a metre past the end of the profile is not
// computed (kPastProfileEnd), and the cursor may not pass 1,000,000 m
// (kPastLimit, after the metre that reaches it).
CurveResult Advance(LineProfile& profile, int64_t last, bool arc, double curvature) {
  const auto reach = static_cast<int32_t>(std::min<int64_t>({last, profile.end(), kProfileLimit}));
  if (arc) {
    profile.Arc(reach, curvature);
  } else {
    profile.Straight(reach);
  }
  if (profile.cursor() > kProfileLimit) return CurveResult::kPastLimit;
  if (profile.cursor() <= last) return CurveResult::kPastProfileEnd;
  return CurveResult::kOk;
}

// One speed of a board: the d side's speed in 5 km/h steps plus 20 per
// unit of the s side's speed, rounded to 16 bits.
Status BoardValue(int32_t dSpeed, int32_t sSpeed, int16_t* value) {
  double v = static_cast<double>(dSpeed) / 5.0 + static_cast<double>(int64_t{sSpeed} * 20);
  std::optional<int16_t> rounded = ToInt16(v);
  if (!rounded) {
    return Status::Invalid("maximum-speed indicator board value does not fit 16 bits");
  }
  *value = *rounded;
  return Status::Ok();
}

}  // namespace

Status EncodeGradient(Scenario& s, LineFeatureState& st, int32_t position, int32_t value) {
  const int64_t recordCell = CellIndex(position);
  if (recordCell > 0) {
    // The first write happens even when the cursor is already at or past
    // the record's cell.
    do {
      SB_RETURN_IF_ERROR(FillGradientAt(s, st.gradientCursor, st.lastGradient, "a gradient"));
      if (st.gradientCursor <= s.lastCell) ++st.gradientCursor;
    } while (st.gradientCursor < recordCell && st.gradientCursor <= s.lastCell);
  }
  st.lastGradient = value;
  return Status::Ok();
}

Status GradientTailFill(Scenario& s, LineFeatureState& st) {
  do {
    SB_RETURN_IF_ERROR(FillGradientAt(s, st.gradientCursor, st.lastGradient,
                                      "the gradients up to the end of the line"));
    if (st.gradientCursor <= s.lastCell) ++st.gradientCursor;
  } while (st.gradientCursor < s.lastCell - 2);
  return Status::Ok();
}

std::optional<double> CurveCurvature(std::string_view keyword) {
  static constexpr std::pair<std::string_view, double> kClasses[] = {
      {"1", 0.0001}, {"2", 0.0002}, {"3", 0.0004}, {"4", 0.001}, {"5", 0.002}, {"6", 0.003}};
  for (const auto& [digit, classCurvature] : kClasses) {
    if (Contains(keyword, digit, Compare::kText)) {
      // An "s" anywhere in the keyword bends the other way.
      return Contains(keyword, "s", Compare::kText) ? -classCurvature : classCurvature;
    }
  }
  return std::nullopt;
}

CurveResult EncodeCurve(Scenario& s, std::string_view keyword, int32_t start, int32_t length) {
  const std::optional<double> named = CurveCurvature(keyword);
  if (!named) return CurveResult::kNoCurvature;
  const double curvature = *named;

  LineProfile& profile = *s.profile;
  // Run-in: straight up to the start. The reader's position check keeps
  // the start inside the profile.
  if (CurveResult r = Advance(profile, start, false, 0.0); r != CurveResult::kOk) return r;
  return Advance(profile, int64_t{start} + length, true, curvature);
}

void ProfileTail(Scenario& s) {
  // No limit here: the tail may run past 1,000,000 m on the longest lines.
  s.profile->Straight(s.profileEnd - 2);
}

Status memo_montagna(Scenario& s, int32_t start, int32_t end, int32_t type) {
  const bool marks = type > kMarkedTypeOffset;
  if (marks) type -= kMarkedTypeOffset;
  if (s.mountainCount >= kMaxMountains) return Status::Invalid("more than 80 mountain records");
  ++s.mountainCount;
  s.mountainStart[s.mountainCount] = start;
  s.mountainEnd[s.mountainCount] = end;
  if (s.mountainCount > 1 && int64_t{start} - s.mountainEnd[s.mountainCount - 1] <= kMountainJoin) {
    type = kJoinedMountainType;
  }
  const int64_t first = CellIndex(start);
  const int64_t last = CellIndex(end, -1.0);
  if (first > last) return Status::Ok();
  if (!s.hasGrid) return NoGrid(s, first, "a mountain");
  // Cells outside the grid do not exist; the count of covered cells still
  // starts at the first one so the marks fall where they would.
  const int64_t from = std::max<int64_t>(first, 0);
  const int64_t to = std::min<int64_t>(last, s.lastCell);
  for (int64_t index = from; index <= to; ++index) {
    TrackCell& cell = s.cells[static_cast<std::size_t>(index)];
    cell.terrain = Low8(type);
    const int64_t covered = index - first + 1;
    if (marks && covered % 4 == 0 && cell.kind == kKindEmpty) cell.kind = kKindMountainMark;
  }
  return Status::Ok();
}

Status memo_indicatori_v_max(Scenario& s, const SpeedBoard& board, ErrorCode* errorCode) {
  *errorCode = ErrorCode::kNone;
  TrackCell* cell = nullptr;
  SB_RETURN_IF_ERROR(
      CellAt(s, CellIndex(board.position, 1.0), "a maximum-speed indicator board", &cell));
  if (!cell->free()) {
    *errorCode = ErrorCode::kSpeedBoardCell;
    return Status::Ok();
  }
  // All values first, so a value that does not fit leaves the cell as it was.
  int16_t speedA = 0;
  int16_t speedB = 0;
  int16_t speedC = 0;
  SB_RETURN_IF_ERROR(BoardValue(board.dSpeedA, board.sSpeedA, &speedA));
  SB_RETURN_IF_ERROR(BoardValue(board.dSpeedB, board.sSpeedB, &speedB));
  SB_RETURN_IF_ERROR(BoardValue(board.dSpeedC, board.sSpeedC, &speedC));
  const int32_t stripes = int32_t{Low16(board.sStripes)} * 10 + Low16(board.dStripes);
  if (stripes < INT16_MIN || stripes > INT16_MAX) {
    return Status::Invalid("maximum-speed indicator board stripe counts do not fit 16 bits");
  }
  cell->kind = kKindSpeedBoard;
  cell->value1 = speedA;
  cell->value2 = speedB;
  cell->value3 = speedC;
  cell->value4 = static_cast<int16_t>(stripes);
  return Status::Ok();
}

Status EncodeTextBoard(Scenario& s, LineFeatureState& st, int32_t position, const std::string& text,
                       ErrorCode* errorCode) {
  *errorCode = ErrorCode::kNone;
  TrackCell* cell = nullptr;
  SB_RETURN_IF_ERROR(CellAt(s, CellIndex(position, 1.0), "a text board", &cell));
  if (!cell->free()) {
    *errorCode = ErrorCode::kTextBoardCell;
    return Status::Ok();
  }
  if (st.boardSlot < 1) return Status::Invalid("more than 80 text boards");
  if (text.size() > kMaxTextLength) {
    return Status::Invalid("text board text longer than 65535 characters");
  }
  cell->kind = kKindTextBoard;
  cell->value1 = static_cast<int16_t>(st.boardSlot);
  s.items[static_cast<std::size_t>(st.boardSlot)].text = text;
  --st.boardSlot;
  return Status::Ok();
}

}  // namespace sb
