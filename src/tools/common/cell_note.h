// What a cell's values mean, in words, shared by inspect's printers and the
// editor server's hover.
#ifndef SB_TOOLS_COMMON_CELL_NOTE_H_
#define SB_TOOLS_COMMON_CELL_NOTE_H_

#include <cstddef>
#include <string>

#include "model/model.h"

namespace sb {

// A few words on what a cell's values mean for its kind ("80 km/h, whole
// train"); empty when there is nothing to say.
std::string CellNote(std::size_t index, const TrackCell& cell);

}  // namespace sb

#endif  // SB_TOOLS_COMMON_CELL_NOTE_H_
