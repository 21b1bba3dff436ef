// What a cell's values mean, in words, shared by inspect's printers and the
// editor server's hover.
#ifndef SB_TOOLS_COMMON_CELL_NOTE_H_
#define SB_TOOLS_COMMON_CELL_NOTE_H_

#include <cstddef>
#include <string>

#include "model/model.h"

namespace sb {

// The speed limit and the gradient of a cell's stretch as the author wrote
// them: the cell keeps the speed in 5 km/h units and the gradient plus 100.
inline int SpeedLimitKmh(const TrackCell& cell) { return int{cell.speedLimit} * 5; }
inline int GradientPermille(const TrackCell& cell) { return int{cell.gradient} - 100; }

// A few words on what a cell's values mean for its kind ("80 km/h, whole
// train"); empty when there is nothing to say.
std::string CellNote(std::size_t index, const TrackCell& cell);

}  // namespace sb

#endif  // SB_TOOLS_COMMON_CELL_NOTE_H_
