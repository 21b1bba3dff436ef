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
//    value that does not fit 16 bits would lose data: ReadFailure (code 25);
//  - a curve running past the end of the profile: error 103.
#ifndef SB_COMPILER_LINE_FEATURES_H_
#define SB_COMPILER_LINE_FEATURES_H_

#include <cstdint>
#include <string>
#include <string_view>

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
void EncodeGradient(Scenario& s, LineFeatureState& st, int32_t position, int32_t value);
// The last value in force up to lastCell - 3.
void GradientTailFill(Scenario& s, LineFeatureState& st);

enum class CurveResult { kOk, kNoCurvature, kPastLimit, kPastProfileEnd };
// Bends the plan profile over [start, start + length]; the keyword field
// gives the curvature class and direction. Needs the profile.
CurveResult EncodeCurve(Scenario& s, std::string_view keyword, int32_t start, int32_t length);
// Straight on to profileEnd - 2; the last two metres stay empty.
void ProfileTail(Scenario& s);

void memo_montagna(Scenario& s, int32_t inizio, int32_t fine, int32_t tipo);

// Sets errorCode to 21 when the board's cell is taken.
void memo_indicatori_v_max(Scenario& s, int32_t posizione, int32_t vas, int32_t vbs, int32_t vcs,
                           int32_t strisces, int32_t vad, int32_t vbd, int32_t vcd,
                           int32_t strisced);

// False when the board's cell is taken (the reader stops with error 6).
bool EncodeTextBoard(Scenario& s, LineFeatureState& st, int32_t position, const std::string& text);

}  // namespace sb

#endif  // SB_COMPILER_LINE_FEATURES_H_
