// The platform layer of the Windows command-line program: a console does
// the work of the window.
#include <windows.h>

#include <cstdio>

#include "app/platform.h"

namespace sb::platform {
namespace {

bool StderrIsConsole() {
  DWORD mode = 0;
  const HANDLE h = GetStdHandle(STD_ERROR_HANDLE);
  return h != nullptr && h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode) != 0;
}

}  // namespace

BusyIndicator::BusyIndicator() {
  // A redirected stderr (a file, a pipe, NUL) gets nothing.
  if (StderrIsConsole()) {
    std::fputs("Attendere", stderr);
    std::fflush(stderr);
    shown_ = true;
  }
}

BusyIndicator::~BusyIndicator() {
  if (shown_) {
    std::fputs("\r         \r", stderr);
    std::fflush(stderr);
  }
}

void WaitingForAnotherRun(const std::string& dir) {
  const bool console = StderrIsConsole();
  std::fprintf(stderr, "%sscenario-builder: waiting for another run into '%s' to finish\n",
               console ? "\r" : "", dir.c_str());
  std::fflush(stderr);
}

void errore(const std::string& code) {
  std::fprintf(stderr, " Errore n. %s\n", code.c_str());
  std::fflush(stderr);
}

}  // namespace sb::platform
