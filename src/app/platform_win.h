// What the two Windows platform layers and the players' program share.
// Windows builds only.
#ifndef SB_APP_PLATFORM_WIN_H_
#define SB_APP_PLATFORM_WIN_H_

#include <string>

#include "base/wide_text.h"

namespace sb::platform::win {

// The title of the players' program: its window and its message boxes.
inline constexpr wchar_t kApplicationTitle[] = L"Lungomare Nord";

// Text in the ANSI code page to UTF-16, for the wide Windows functions.
using sb::Widen;

}  // namespace sb::platform::win

#endif  // SB_APP_PLATFORM_WIN_H_
