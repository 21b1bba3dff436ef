// The three compiled files, as bytes. Little-endian, packed, no header.
//   profile: per element a 16-bit tag (0 empty, 2 int16, 5 double) and its
//            0, 2 or 8 value bytes; column 0 for every metre, then column 1.
//   items:   87 records of 34 + n bytes (n = text length).
//   cells:   15 bytes per cell, cells 0 to lastCell.
#ifndef SB_OUTPUT_WRITERS_H_
#define SB_OUTPUT_WRITERS_H_

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/line_profile.h"
#include "model/model.h"
#include "base/file_io.h"

namespace sb {

inline constexpr std::size_t kCellRecordSize = 15;
inline constexpr std::size_t kItemRecordBaseSize = 34;

// The profile file's size in bytes: 2 x (end + 1) elements.
uint64_t ProfileFileSize(const LineProfile& profile);
std::string EncodeProfile(const LineProfile& profile);
// Replaces the file at `path` with the profile's bytes, computing the
// metres as they are written: the megabytes of a long line never sit in
// memory.
IoStatus WriteProfileFile(const std::string& path, const LineProfile& profile);
std::string EncodeItems(const std::array<ScenarioItem, kItemSlots>& items);
std::string EncodeCells(const std::vector<TrackCell>& cells);

void AppendItem(std::string* dst, const ScenarioItem& item);
void AppendCell(std::string* dst, const TrackCell& cell);

}  // namespace sb

#endif  // SB_OUTPUT_WRITERS_H_
