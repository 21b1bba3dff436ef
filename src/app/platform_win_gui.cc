// The platform layer of the Windows players' program: the window Form1
// with its label "Attendere", and the error report as a message box.
#include <windows.h>

#include "app/platform.h"
#include "app/platform_win.h"

namespace sb::platform {
namespace {

// The window's layout is given in twips, 15 to a pixel.
constexpr int Pixels(int twips) { return (2 * twips + 15) / 30; }

constexpr wchar_t kFormClass[] = L"Form1";
constexpr int kLabel1Id = 1;
constexpr int kClientWidth = Pixels(4200);   // 280
constexpr int kClientHeight = Pixels(2688);  // 179
constexpr int kLabelLeft = Pixels(960);      // 64
constexpr int kLabelTop = Pixels(960);       // 64
constexpr int kLabelWidth = Pixels(2652);    // 177
constexpr int kLabelHeight = Pixels(792);    // 53
constexpr int kLabelPoints = 24;
constexpr wchar_t kLabelFace[] = L"MS Sans Serif";
constexpr wchar_t kLabelCaption[] = L"Attendere";

constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kFormExStyle = 0;

// The program has one window and one thread: the form lives here while a
// BusyIndicator does, and the error report's message box belongs to it.
struct Form {
  HWND window = nullptr;
  HFONT font = nullptr;
};
Form form;

LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CTLCOLORSTATIC: {
      // The label takes the form's colours.
      HDC dc = reinterpret_cast<HDC>(wparam);
      SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_CLOSE:
      // The window goes when the run ends, not before.
      return 0;
    default: return DefWindowProcW(window, message, wparam, lparam);
  }
}

bool RegisterFormClass(HINSTANCE instance) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(instance, kFormClass, &existing)) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = FormProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT));
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = kFormClass;
  return RegisterClassExW(&wc) != 0;
}

HFONT CreateLabelFont() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return CreateFontW(-MulDiv(kLabelPoints, dpi, 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     VARIABLE_PITCH | FF_SWISS, kLabelFace);
}

// The outer size that gives the client area, centred in the work area.
RECT FormRect() {
  RECT r{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&r, kFormStyle, FALSE, kFormExStyle);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int left = work.left + ((work.right - work.left) - width) / 2;
  const int top = work.top + ((work.bottom - work.top) - height) / 2;
  return RECT{left, top, left + width, top + height};
}

void DispatchPending() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void DestroyForm() {
  if (form.window != nullptr) DestroyWindow(form.window);
  if (form.font != nullptr) DeleteObject(form.font);
  form = Form{};
}

}  // namespace

BusyIndicator::BusyIndicator() {
  if (form.window != nullptr) return;  // already shown by an outer indicator
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!RegisterFormClass(instance)) return;
  const RECT r = FormRect();
  form.window =
      CreateWindowExW(kFormExStyle, kFormClass, win::kApplicationTitle, kFormStyle, r.left, r.top,
                      r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance, nullptr);
  // Without a window the run goes on all the same: it only shows that the
  // program is busy.
  if (form.window == nullptr) return;
  HWND label =
      CreateWindowExW(0, L"STATIC", kLabelCaption, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                      kLabelLeft, kLabelTop, kLabelWidth, kLabelHeight, form.window,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLabel1Id)), instance, nullptr);
  form.font = CreateLabelFont();
  if (label != nullptr && form.font != nullptr) {
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(form.font), FALSE);
  }
  // Shown and painted before the work starts: the run processes no
  // messages until it ends, so this is the picture the player sees.
  ShowWindow(form.window, SW_SHOWNORMAL);
  UpdateWindow(form.window);
  DispatchPending();
  GdiFlush();
  shown_ = true;
}

BusyIndicator::~BusyIndicator() {
  if (shown_) DestroyForm();
}

// The window already says "Attendere"; the player has nothing to do.
void WaitingForAnotherRun(const std::string&) {}

void errore(const std::string& code) {
  // OK only, no icon, the program's title; modal to the form while it is
  // shown.
  const std::wstring text = L" Errore n. " + win::Widen(code);
  MessageBoxW(form.window, text.c_str(), win::kApplicationTitle, MB_OK);
}

}  // namespace sb::platform
