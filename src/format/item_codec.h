// The item file <ID>_<N>.sim: exactly 87 records, slots 0 to 86, one after
// the other, little-endian, packed, no header; the last record ends the
// file. A record is 34 + n bytes, n the length of its text:
//   before the text (16 bytes):
//     0 kind (u8)   1 start (i32)   5 end (i32)   9 position (i32)
//    13 option (u8) 14 n (u16)
//   the text: n bytes, one per character (Windows-1252)
//   after the text (18 bytes):
//     0 num1 (i16)  2 num2 (i16)  4 num3 (i16)  6 num4 (i16)  8 num5 (i16)
//    10 byte1 (u8) 11 byte2 (u8) 12 byte3 (u8) 13 byte4 (u8) 14 seconds (i32)
//
// The decoder is strict: a file that ends inside a record, or goes on after
// the 87th, is rejected with a message that says where.
#ifndef SB_FORMAT_ITEM_CODEC_H_
#define SB_FORMAT_ITEM_CODEC_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/status.h"
#include "model/model.h"

namespace sb {

inline constexpr std::size_t kItemHeadSize = 16;
inline constexpr std::size_t kItemTailSize = 18;
inline constexpr std::size_t kItemRecordBaseSize = kItemHeadSize + kItemTailSize;
// The text length is a 16-bit count.
inline constexpr std::size_t kMaxItemText = 0xFFFF;
inline constexpr std::uintmax_t kMaxItemFileSize =
    std::uintmax_t{kItemSlots} * (kItemRecordBaseSize + kMaxItemText);

// One record. A text longer than kMaxItemText is cut to that length.
void AppendItem(std::string* dst, const ScenarioItem& item);
std::string EncodeItems(const ItemTable& items);

// On success `items` holds the 87 slots; on failure it is left as it was
// and the status (kInvalid) says why.
Status DecodeItems(std::string_view bytes, ItemTable* items);

}  // namespace sb

#endif  // SB_FORMAT_ITEM_CODEC_H_
