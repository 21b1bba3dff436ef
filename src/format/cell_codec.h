// The cell file <ID>_<N>.dat: the grid of 50 m cells, cells 0 to the last,
// 15 bytes each, little-endian, packed, no header:
//   0 kind (u8)          1 value1 (i16)     3 value2 (i16)
//   5 value3 (i16)       7 value4 (i16)     9 signal time (u8)
//  10 approach code (u8) 11 terrain (u8)   12 speed limit (u8)
//  13 gradient (u8)      14 adhesion (u8)
//
// The decoder is strict: the bytes must be a whole number of cells, 141 to
// 20141 of them (a line of 0 to 1000000 m plus its 7000 m overrun, one cell
// per 50 m), or they are rejected with a message that says what is wrong.
#ifndef SB_FORMAT_CELL_CODEC_H_
#define SB_FORMAT_CELL_CODEC_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "model/model.h"

namespace sb {

inline constexpr std::size_t kCellRecordSize = 15;
inline constexpr int32_t kMinCells = 141;    // a line of 0 m: cells 0 to 140
inline constexpr int32_t kMaxCells = 20141;  // a line of 1000000 m: cells 0 to 20140
inline constexpr std::uintmax_t kMaxCellFileSize = std::uintmax_t{kMaxCells} * kCellRecordSize;

std::string EncodeCells(const std::vector<TrackCell>& cells);

// On success `cells` holds every cell of the file; on failure it is left
// as it was and the status (kInvalid) says why.
Status DecodeCells(std::string_view bytes, std::vector<TrackCell>* cells);

}  // namespace sb

#endif  // SB_FORMAT_CELL_CODEC_H_
