// Kilometre posts: a position along the line (metres from its start) told
// on the line's kilometric progression, as "km 134+450".
#ifndef SB_MODEL_KM_POST_H_
#define SB_MODEL_KM_POST_H_

#include <cstdint>
#include <string>
#include <vector>

#include "model/model.h"

namespace sb {

// The kilometric value (metres) of `position` on the progression in force
// there: of item slots 81 to 83, the one with the greatest start at or
// before the position. Empty progressions (start and value 0) are ignored
// unless all are empty, when the value is the position itself.
int64_t KilometricValue(const ItemTable& items, int64_t position);

// One stretch of the kilometric progression: from `position` on, the
// value is `value` plus the metres past `position`, up to the next piece.
// The first piece reaches back before its position too.
struct KmPiece {
  int64_t position = 0;
  int64_t value = 0;
};

// The pieces KilometricValue follows, by position; one piece {0, 0} when
// the line has no progression.
std::vector<KmPiece> KmPieces(const ItemTable& items);

// The positions from `from` to `to` (metres) whose kilometric value is
// `value`, in order: more than one where the km posts jump back, none
// where they jump over it.
std::vector<int64_t> PositionsOfKm(const ItemTable& items, int64_t value, int64_t from, int64_t to);

// "km 134+450"; negative values as "km -0+500".
std::string FormatKm(int64_t metres);

inline std::string KmPost(const ItemTable& items, int64_t position) {
  return FormatKm(KilometricValue(items, position));
}

}  // namespace sb

#endif  // SB_MODEL_KM_POST_H_
