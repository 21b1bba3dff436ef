// The executable's directory and text conversion, for both Windows
// platform layers.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/platform.h"
#include "app/platform_win.h"

namespace sb::platform {
namespace {

// UTF-16 to the ANSI code page; nothing when a character has no exact
// counterpart there, since the C library could not open such a path.
bool NarrowExactly(const std::wstring& text, std::string* out) {
  if (text.empty()) {
    out->clear();
    return true;
  }
  BOOL lossy = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                                    static_cast<int>(text.size()), nullptr, 0, nullptr, &lossy);
  if (n <= 0 || lossy) return false;
  out->assign(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                      out->data(), n, nullptr, &lossy);
  return !lossy;
}

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  // Paths may be longer than MAX_PATH; the call truncates and says so by
  // filling the whole buffer.
  while (path.size() <= 32768) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
  return {};
}

}  // namespace

std::string ExecutableDirectory() {
  const std::wstring exe = ModulePath();
  const std::size_t sep = exe.find_last_of(L"\\/");
  if (sep == std::wstring::npos || sep == 0) return ".";
  std::wstring dir = exe.substr(0, sep);
  for (wchar_t& c : dir) {
    if (c == L'/') c = L'\\';
  }
  std::string narrow;
  if (NarrowExactly(dir, &narrow)) return narrow;
  // A directory name outside the code page still has an 8.3 name made of
  // plain letters, when the volume keeps such names.
  std::wstring shortDir(dir.size() + 1, L'\0');
  const DWORD n =
      GetShortPathNameW(dir.c_str(), shortDir.data(), static_cast<DWORD>(shortDir.size()));
  if (n > 0 && n < shortDir.size()) {
    shortDir.resize(n);
    if (NarrowExactly(shortDir, &narrow)) return narrow;
  }
  return ".";
}

void BinaryStandardStreams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
}

}  // namespace sb::platform
