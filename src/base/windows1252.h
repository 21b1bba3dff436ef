// Texts in the compiled files are stored one byte per character in the
// Western single-byte code page (Windows-1252); the tools show them as UTF-8.
#ifndef SB_BASE_WINDOWS1252_H_
#define SB_BASE_WINDOWS1252_H_

#include <string>
#include <string_view>

namespace sb {

// Every byte as the character it stands for, in UTF-8. The five bytes the
// code page leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) become U+FFFD.
std::string Windows1252ToUtf8(std::string_view stored);

}  // namespace sb

#endif  // SB_BASE_WINDOWS1252_H_
