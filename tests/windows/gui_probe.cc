// Drives the players' program's window and message box under Wine, for
// tools/windows-test.sh, and prints what it finds as "key=value" lines.
//   gui_probe window SECONDS   shows the busy window, describes it, keeps it
//                              SECONDS without processing messages (as the
//                              run does), then removes it
//   gui_probe errore CODE      shows the busy window and the error report
//                              (blocks until the box is closed; exit 2)
//   gui_probe close-box SECONDS  waits for the error report's box, describes
//                              it and presses its OK button
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/platform.h"
#include "app/platform_win.h"

namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

std::wstring Text(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

void Put(const char* key, const std::string& value) { std::printf("%s=%s\n", key, value.c_str()); }
void Put(const char* key, long value) { std::printf("%s=%ld\n", key, value); }

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND OwnForm() {
  HWND form = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM out) -> BOOL {
        if (ClassOf(window) != L"Form1") return TRUE;
        *reinterpret_cast<HWND*>(out) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&form));
  return form;
}

// Pixels of the label's area darker than mid-grey: the painted letters.
long DarkPixels(HWND label) {
  RECT r;
  GetClientRect(label, &r);
  HDC dc = GetDC(label);
  long dark = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      const COLORREF c = GetPixel(dc, x, y);
      if (c != CLR_INVALID && GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 96) ++dark;
    }
  }
  ReleaseDC(label, dc);
  return dark;
}

void DescribeForm(HWND form) {
  Put("form.title", Utf8(Text(form)));
  Put("form.visible", IsWindowVisible(form) ? 1 : 0);
  RECT client;
  GetClientRect(form, &client);
  Put("form.client", std::to_string(client.right) + "x" + std::to_string(client.bottom));
  RECT outer;
  GetWindowRect(form, &outer);
  Put("form.screen", std::to_string(outer.left) + "," + std::to_string(outer.top) + "," +
                         std::to_string(outer.right - outer.left) + "," +
                         std::to_string(outer.bottom - outer.top));
  const std::vector<HWND> children = Children(form);
  Put("form.controls", static_cast<long>(children.size()));
  for (HWND label : children) {
    Put("label.id", GetDlgCtrlID(label));
    Put("label.class", Utf8(ClassOf(label)));
    Put("label.text", Utf8(Text(label)));
    RECT r;
    GetWindowRect(label, &r);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
    Put("label.rect", std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                          std::to_string(r.right - r.left) + "," +
                          std::to_string(r.bottom - r.top));
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    if (font != nullptr && GetObjectW(font, sizeof lf, &lf) != 0) {
      Put("label.font", Utf8(lf.lfFaceName));
      HDC screen = GetDC(nullptr);
      Put("label.points", MulDiv(-lf.lfHeight, 72, GetDeviceCaps(screen, LOGPIXELSY)));
      Put("label.weight", lf.lfWeight);
      HGDIOBJ old = SelectObject(screen, font);
      wchar_t face[LF_FACESIZE] = {};
      GetTextFaceW(screen, LF_FACESIZE, face);
      SelectObject(screen, old);
      ReleaseDC(nullptr, screen);
      Put("label.face-used", Utf8(face));
    }
    Put("label.dark-pixels", DarkPixels(label));
  }
}

int ShowWindowFor(int seconds) {
  {
    sb::platform::BusyIndicator busy;
    HWND form = OwnForm();
    if (form == nullptr) {
      std::puts("form=none");
      return 1;
    }
    DescribeForm(form);
    std::puts("ready");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(seconds) * 1000);
  }
  Put("form.after", OwnForm() == nullptr ? "gone" : "still there");
  return 0;
}

int ShowErrore(const char* code) {
  sb::platform::BusyIndicator busy;
  sb::platform::errore(code);
  std::puts("errore returned");
  return 2;
}

// The box once it is shown: it exists a moment before its controls do.
HWND FindShownBox() {
  HWND box = FindWindowW(L"#32770", sb::platform::win::kApplicationTitle);
  if (box == nullptr || !IsWindowVisible(box)) return nullptr;
  HWND ok = GetDlgItem(box, IDOK);
  return ok != nullptr && IsWindowVisible(ok) ? box : nullptr;
}

int CloseBox(int seconds) {
  HWND box = nullptr;
  for (int waited = 0; box == nullptr && waited < seconds * 10; ++waited) {
    box = FindShownBox();
    if (box == nullptr) Sleep(100);
  }
  if (box == nullptr) {
    std::puts("box=none");
    return 1;
  }
  Sleep(200);  // let it finish painting
  Put("box.title", Utf8(Text(box)));
  RECT outer;
  GetWindowRect(box, &outer);
  Put("box.screen", std::to_string(outer.left) + "," + std::to_string(outer.top) + "," +
                        std::to_string(outer.right - outer.left) + "," +
                        std::to_string(outer.bottom - outer.top));
  HWND owner = GetWindow(box, GW_OWNER);
  Put("box.owner", owner != nullptr ? Utf8(ClassOf(owner)) : "none");
  HWND ok = nullptr;
  long buttons = 0;
  long icons = 0;
  for (HWND child : Children(box)) {
    if (!IsWindowVisible(child)) continue;
    const std::wstring cls = ClassOf(child);
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    if (_wcsicmp(cls.c_str(), L"Button") == 0) {
      ++buttons;
      Put("box.button", Utf8(Text(child)));
      if (GetDlgCtrlID(child) == IDOK) ok = child;
    } else if (_wcsicmp(cls.c_str(), L"Static") == 0) {
      if ((style & SS_TYPEMASK) == SS_ICON) {
        // The box keeps its icon control and leaves it empty when asked
        // for no icon.
        if (SendMessageW(child, STM_GETICON, 0, 0) != 0) ++icons;
      } else if (!Text(child).empty()) {
        // Brackets show the leading blank.
        std::string quoted = "[";
        quoted += Utf8(Text(child));
        quoted += ']';
        Put("box.text", quoted);
      }
    }
  }
  Put("box.buttons", buttons);
  Put("box.icons", icons);
  std::fflush(stdout);
  if (ok == nullptr) return 1;
  // Let the screenshot be taken first, when the script asks for one.
  if (const char* pause = std::getenv("SB_PROBE_PAUSE_MS"))
    Sleep(static_cast<DWORD>(std::atoi(pause)));
  SendMessageW(ok, BM_CLICK, 0, 0);
  std::puts("box closed");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "window" && argc == 3) return ShowWindowFor(std::atoi(argv[2]));
  if (mode == "errore" && argc == 3) return ShowErrore(argv[2]);
  if (mode == "close-box" && argc == 3) return CloseBox(std::atoi(argv[2]));
  std::fputs("usage: gui_probe window SECONDS | errore CODE | close-box SECONDS\n", stderr);
  return 64;
}
