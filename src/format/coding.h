// Little-endian encoders for the compiled files. Every field is written on
// its own, least significant byte first; nothing is written by copying a
// struct's memory, so the layout does not depend on the compiler or the host.
#ifndef SB_FORMAT_CODING_H_
#define SB_FORMAT_CODING_H_

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace sb {

inline void put_u8(std::string* dst, uint8_t v) { dst->push_back(static_cast<char>(v)); }

inline void put_u16(std::string* dst, uint16_t v) {
  char b[2] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
  dst->append(b, 2);
}

inline void put_i16(std::string* dst, int16_t v) { put_u16(dst, static_cast<uint16_t>(v)); }

inline void put_u32(std::string* dst, uint32_t v) {
  char b[4] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
               static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
  dst->append(b, 4);
}

inline void put_i32(std::string* dst, int32_t v) { put_u32(dst, static_cast<uint32_t>(v)); }

inline void put_f64(std::string* dst, double v) {
  uint64_t bits = std::bit_cast<uint64_t>(v);
  char b[8];
  for (int i = 0; i < 8; ++i) b[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
  dst->append(b, 8);
}

// The same fields written at `p`, which must have room for them; each
// returns the position after the field. For the large files, whose records
// go into a buffer sized beforehand rather than one append at a time.
// On a little-endian host the bytes are already in file order and are
// stored at once.
template <typename Unsigned>
inline char* put_le(char* p, Unsigned v) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, &v, sizeof v);
  } else {
    for (std::size_t i = 0; i < sizeof v; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  }
  return p + sizeof v;
}

inline char* put_u8(char* p, uint8_t v) {
  *p = static_cast<char>(v);
  return p + 1;
}
inline char* put_u16(char* p, uint16_t v) { return put_le(p, v); }
inline char* put_i16(char* p, int16_t v) { return put_le(p, static_cast<uint16_t>(v)); }
inline char* put_u32(char* p, uint32_t v) { return put_le(p, v); }
inline char* put_i32(char* p, int32_t v) { return put_le(p, static_cast<uint32_t>(v)); }
inline char* put_f64(char* p, double v) { return put_le(p, std::bit_cast<uint64_t>(v)); }

// Decoders for the codecs; `p` must hold enough bytes.
inline uint16_t get_u16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline int16_t get_i16(const unsigned char* p) { return static_cast<int16_t>(get_u16(p)); }
inline uint32_t get_u32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline int32_t get_i32(const unsigned char* p) { return static_cast<int32_t>(get_u32(p)); }
inline double get_f64(const unsigned char* p) {
  uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= static_cast<uint64_t>(p[i]) << (8 * i);
  return std::bit_cast<double>(bits);
}

}  // namespace sb

#endif  // SB_FORMAT_CODING_H_
