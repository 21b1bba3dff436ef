// What the two Windows platform layers and the players' program share.
// Windows builds only.
#ifndef SB_APP_PLATFORM_WIN_H_
#define SB_APP_PLATFORM_WIN_H_

#include <string>

namespace sb::platform::win {

// The title of the players' program: its window and its message boxes.
inline constexpr wchar_t kApplicationTitle[] = L"Lungomare Nord";

// Text in the ANSI code page (what the C library's narrow file functions
// take) to UTF-16, for the wide Windows functions.
std::wstring Widen(const std::string& text);

}  // namespace sb::platform::win

#endif  // SB_APP_PLATFORM_WIN_H_
