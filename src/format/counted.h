// Counts in the decoders' messages: "1 byte", "2 bytes".
#ifndef SB_FORMAT_COUNTED_H_
#define SB_FORMAT_COUNTED_H_

#include <cstddef>
#include <string>

namespace sb {

inline std::string Counted(std::size_t n, const std::string& noun) {
  return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

}  // namespace sb

#endif  // SB_FORMAT_COUNTED_H_
