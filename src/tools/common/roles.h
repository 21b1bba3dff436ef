// What the cells and item slots of a compiled scenario are, in words: for
// the inspect printers and the picture.
#ifndef SB_TOOLS_COMMON_ROLES_H_
#define SB_TOOLS_COMMON_ROLES_H_

#include <cstdint>
#include <string>

#include "model/model.h"

namespace sb {

// The name of a cell kind ("signal", "slowdown start", ...); "none" for 0.
std::string CellKindName(uint8_t kind);

// A cell is listed when it has a kind, or any of its values, its signal time
// or its approach code is set. The per-stretch bytes (terrain, speed limit,
// gradient, adhesion) are set on nearly every cell and list nothing alone.
bool CellIsListed(const TrackCell& cell);

// A slot is used when any field is non-zero or its text is not empty.
bool ItemIsUsed(const ScenarioItem& item);

// What a slot is for: "station 3", "board text", "kilometric progression
// 1", "totals", "line identity", "train identity", "unused". A slot of 1 to
// 80 that holds only a text is a board text; any other used slot there is
// a station.
std::string ItemRole(int slot, const ScenarioItem& item);

}  // namespace sb

#endif  // SB_TOOLS_COMMON_ROLES_H_
