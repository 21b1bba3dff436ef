// Encoders for the feature records of a line description: gradients into
// every cell's gradient byte, curves into the plan profile, mountains into
// terrain and mountain marks, boards into cells of kind 6 and 14.
//
// Limits the descriptions may break, and what happens then (nothing is ever
// written outside the grid, the profile, the mountain arrays or item slots 1
// to 80):
//  - a gradient fill that runs past the last cell is clipped there: those
//    cells do not exist, so nothing is lost;
//  - mountain cells outside the grid are clipped for the same reason;
//  - an 81st mountain record, an 81st text board, or a maximum-speed board
//    value that does not fit 16 bits would lose data: the encoder fails
//    (the reading stops with error 25);
//  - a curve running past the end of the profile: error 103.
//
// A board on a taken cell is an author error the encoder hands back as
// `*errorCode` (0 when placed) for the reader to record.
#ifndef SB_COMPILER_LINE_FEATURES_H_
#define SB_COMPILER_LINE_FEATURES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/status.h"
#include "compiler/scenario.h"

namespace sb {

inline constexpr int32_t kProfileLimit = 1000000;

// State of the line reader's feature part.
struct LineFeatureState {
  int32_t boardSlot = kFirstBoardSlot;
  int32_t gradientCursor = 0;
  int32_t lastGradient = 0;
  // The profile cursor is the profile's own: LineProfile::cursor().
};

// Fills the gradient of the cells up to the record's cell with the value in
// force so far; then the record's value is in force.
// Fails when no line length has sized the grid yet.
Status EncodeGradient(Scenario& s, LineFeatureState& st, int32_t position, int32_t value);
// The last value in force up to lastCell - 3.
Status GradientTailFill(Scenario& s, LineFeatureState& st);

enum class CurveResult { kOk, kNoCurvature, kPastLimit, kPastProfileEnd };
// Bends the plan profile over [start, start + length]; the keyword field
// gives the curvature class and direction. Needs the profile.
CurveResult EncodeCurve(Scenario& s, std::string_view keyword, int32_t start, int32_t length);

// The curvature (1/m) a curve keyword names: the first of the digits 1 to
// 6 it holds, in that order of testing, negative (a left turn) when an
// 's' stands anywhere in it; nothing when it holds none of the digits.
std::optional<double> CurveCurvature(std::string_view keyword);
// Straight on to profileEnd - 2; the last two metres stay empty.
void ProfileTail(Scenario& s);

// Sets the terrain of the cells from start / 50 to end / 50 - 1; a type
// above 10 is type - 10 plus a mark on every fourth empty cell.
Status memo_montagna(Scenario& s, int32_t start, int32_t end, int32_t type);

// A maximum-speed indicator board: three speeds and a stripe count on each
// of its sides, s and d (the description's names in the comments).
struct SpeedBoard {
  int32_t position = 0;
  int32_t sSpeedA = 0;   // vas
  int32_t sSpeedB = 0;   // vbs
  int32_t sSpeedC = 0;   // vcs
  int32_t sStripes = 0;  // strisces
  int32_t dSpeedA = 0;   // vad
  int32_t dSpeedB = 0;   // vbd
  int32_t dSpeedC = 0;   // vcd
  int32_t dStripes = 0;  // strisced
};

// Error 21 when the board's cell is taken.
Status memo_indicatori_v_max(Scenario& s, const SpeedBoard& board, ErrorCode* errorCode);

// Error 6 when the board's cell is taken.
Status EncodeTextBoard(Scenario& s, LineFeatureState& st, int32_t position, const std::string& text,
                       ErrorCode* errorCode);

}  // namespace sb

#endif  // SB_COMPILER_LINE_FEATURES_H_
