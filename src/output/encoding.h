// Little-endian encoders for the compiled files. Every field is appended
// byte by byte; nothing is written by copying a struct's memory, so the
// layout does not depend on the compiler or the host.
#ifndef SB_OUTPUT_ENCODING_H_
#define SB_OUTPUT_ENCODING_H_

#include <bit>
#include <cstdint>
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

// Decoders for the dump and inspect tools; `p` must hold enough bytes.
inline uint16_t get_u16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
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

#endif  // SB_OUTPUT_ENCODING_H_
