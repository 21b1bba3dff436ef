// Text in the ANSI code page (what the C library's narrow file functions
// take) to UTF-16, for the wide Windows functions. Windows builds only.
#ifndef SB_BASE_WIDE_TEXT_H_
#define SB_BASE_WIDE_TEXT_H_

#ifdef _WIN32
#include <windows.h>

#include <string>

namespace sb {

inline std::wstring Widen(const std::string& text) {
  if (text.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

}  // namespace sb

#endif  // _WIN32

#endif  // SB_BASE_WIDE_TEXT_H_
