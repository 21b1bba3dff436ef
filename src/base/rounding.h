// Number conversions shared by every encoder. Real values are rounded half
// to even (2.5 -> 2, 3.5 -> 4); stored values keep only their low bits where
// a field is narrower than its source.
#ifndef SB_BASE_ROUNDING_H_
#define SB_BASE_ROUNDING_H_

#include <cmath>
#include <cstdint>
#include <optional>

namespace sb {

// Rounds half to even. The current rounding mode is never changed by this
// program, so nearbyint rounds to nearest, ties to even.
inline double RoundHalfEven(double value) { return std::nearbyint(value); }

// Rounds to a 32-bit integer; nullopt when the result does not fit (or is
// not a number).
inline std::optional<int32_t> ToInt32(double value) {
  double r = RoundHalfEven(value);
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) return std::nullopt;
  return static_cast<int32_t>(r);
}

// Rounds to a signed 16-bit integer; nullopt when it does not fit.
inline std::optional<int16_t> ToInt16(double value) {
  double r = RoundHalfEven(value);
  if (!(r >= -32768.0 && r <= 32767.0)) return std::nullopt;
  return static_cast<int16_t>(r);
}

// Rounds to an unsigned byte; nullopt when the result is outside 0..255.
inline std::optional<uint8_t> ToUInt8(double value) {
  double r = RoundHalfEven(value);
  if (!(r >= 0.0 && r <= 255.0)) return std::nullopt;
  return static_cast<uint8_t>(r);
}

// Cell index of a position p: p / 50 + offset in real arithmetic, rounded
// half to even.
// Positions come from 32-bit fields, sometimes shifted by another 32-bit
// value, so they are taken as 64-bit and the index always fits 64 bits;
// callers compare it with the grid before any use.
inline int64_t CellIndex(int64_t metres, double offset = 0.0) {
  return static_cast<int64_t>(RoundHalfEven(static_cast<double>(metres) / 50.0 + offset));
}

inline uint8_t Low8(int64_t value) { return static_cast<uint8_t>(value & 0xFF); }
inline int16_t Low16(int64_t value) {
  return static_cast<int16_t>(static_cast<uint16_t>(value & 0xFFFF));
}

}  // namespace sb

#endif  // SB_BASE_ROUNDING_H_
