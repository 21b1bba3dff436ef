// The three compiled files, as bytes. Little-endian, packed, no header.
//   profile: per element a 16-bit tag (0 empty, 2 int16, 5 double) and its
//            0, 2 or 8 value bytes; column 0 for every metre, then column 1.
//   items:   87 records of 34 + n bytes (n = text length).
//   cells:   15 bytes per cell, cells 0 to lastCell.
#ifndef SB_OUTPUT_WRITERS_H_
#define SB_OUTPUT_WRITERS_H_

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>
#include <string>
#include <vector>

#include "model/line_profile.h"
#include "model/model.h"

namespace sb {

inline constexpr std::size_t kCellRecordSize = 15;
inline constexpr std::size_t kItemRecordBaseSize = 34;

// The profile file's size in bytes: 2 x (end + 1) elements.
uint64_t ProfileFileSize(const LineProfile& profile);
std::string EncodeProfile(const LineProfile& profile);
// Takes each piece of the profile's bytes with the offset where it belongs
// in the file; together the pieces cover the file once. The metres are
// computed as they are handed over: the megabytes of a long line never sit
// in memory.
using RegionWriter = std::function<void(uint64_t offset, std::string_view bytes)>;
void EncodeProfile(const LineProfile& profile, const RegionWriter& put);
std::string EncodeItems(const std::array<ScenarioItem, kItemSlots>& items);
std::string EncodeCells(const std::vector<TrackCell>& cells);

void AppendItem(std::string* dst, const ScenarioItem& item);
void AppendCell(std::string* dst, const TrackCell& cell);

}  // namespace sb

#endif  // SB_OUTPUT_WRITERS_H_
