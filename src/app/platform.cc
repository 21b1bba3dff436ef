#include "app/platform.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace sb::platform {

BusyIndicator::BusyIndicator() {
  if (isatty(STDERR_FILENO)) {
    std::fputs("Attendere", stderr);
    std::fflush(stderr);
    shown_ = true;
  }
}

BusyIndicator::~BusyIndicator() {
  if (shown_) {
    // Clear the word so the terminal is left as it was.
    std::fputs("\r         \r", stderr);
    std::fflush(stderr);
  }
}

void errore(const std::string& code) {
  std::fprintf(stderr, " Errore n. %s\n", code.c_str());
  std::fflush(stderr);
}

void WaitingForAnotherRun(const std::string& dir) {
  // On a terminal the line is written over "Attendere", if that is shown.
  const bool terminal = isatty(STDERR_FILENO);
  std::fprintf(stderr, "%sscenario-builder: waiting for another run into '%s' to finish\n",
               terminal ? "\r" : "", dir.c_str());
  std::fflush(stderr);
}

std::string ExecutableDirectory() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || !exe.has_parent_path()) return ".";
  return exe.parent_path().string();
}

void BinaryStandardStreams() {}

}  // namespace sb::platform
