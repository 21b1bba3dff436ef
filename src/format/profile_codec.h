// The profile file <ID>_linea.dat: the plan profile element by element,
// little-endian, packed, no header. Each element is a 16-bit tag (ProfileTag)
// and its value:
//   tag 0  empty          no value bytes
//   tag 2  16-bit integer 2 bytes (the seeds of metres 0 and 1)
//   tag 5  double         8 bytes (every computed metre)
// Column 0 (x) for every metre 0 to the end, then column 1 (y): an even
// number of elements, split into two equal columns.
//
// The decoder is strict: an unknown tag, a file that ends inside an element,
// an odd number of elements or columns outside 7001 to 1007001 metres (a
// line of 0 to 1000000 m plus its 7000 m overrun) are rejected with a
// message that says what is wrong and where.
#ifndef SB_FORMAT_PROFILE_CODEC_H_
#define SB_FORMAT_PROFILE_CODEC_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/status.h"
#include "model/line_profile.h"
#include "model/model.h"

namespace sb {

inline constexpr int32_t kMinProfileMetres = kLineOverrun + 1;
inline constexpr int32_t kMaxProfileMetres = kMaxLineLength + kLineOverrun + 1;
// Every element a double: the largest profile file there can be.
inline constexpr std::uintmax_t kMaxProfileFileSize = std::uintmax_t{2} * kMaxProfileMetres * 10;

// The profile file's size in bytes: 2 x (end + 1) elements.
uint64_t ProfileFileSize(const LineProfile& profile);
std::string EncodeProfile(const LineProfile& profile);
// Takes each piece of the profile's bytes with the offset where it belongs
// in the file; together the pieces cover the file once. The metres are
// computed as they are handed over: the megabytes of a long line never sit
// in memory.
using RegionWriter = std::function<void(uint64_t offset, std::string_view bytes)>;
void EncodeProfile(const LineProfile& profile, const RegionWriter& put);

// A table element by element, each with its own tag: for files the
// compiler would never write (tests, fuzzing, a table read back).
std::string EncodeProfileTable(const ProfileTable& table);

// On success `profile` holds every element of the file (a table has no
// size before it is read, hence the optional); on failure it is left as it
// was and the status (kInvalid) says why.
Status DecodeProfile(std::string_view bytes, std::optional<ProfileTable>* profile);

}  // namespace sb

#endif  // SB_FORMAT_PROFILE_CODEC_H_
