// What the program gets from its window system: the busy indicator, the
// error report, the notice of a wait for another run and the program's own
// directory. Each executable links one
// implementation: a terminal's (platform.cc), a Windows console's
// (platform_win_console.cc) or the Windows players' program's window and
// message box (platform_win_gui.cc).
#ifndef SB_APP_PLATFORM_H_
#define SB_APP_PLATFORM_H_

#include <cstdint>
#include <string>

namespace sb::platform {

// Shows "Attendere" while it lives. On a terminal or console: on stderr,
// and only when stderr is one, so that scripts and tests see nothing. In the
// players' program: the window Form1 with its label, shown and painted
// before the work starts and removed when the indicator goes.
class BusyIndicator {
 public:
  BusyIndicator();
  ~BusyIndicator();
  BusyIndicator(const BusyIndicator&) = delete;
  BusyIndicator& operator=(const BusyIndicator&) = delete;

 private:
  bool shown_ = false;
};

// The error report: " Errore n. " and the code, as a line of its own on
// stderr, or in the players' program as a message box (OK only, no icon)
// that waits to be closed. The caller then ends the run with exit status 2.
void errore(const std::string& code);

// Another run holds the folder `dir` and this one has waited for it a
// while: on a terminal or console a line on stderr, once per wait; the
// players' program waits in silence behind its window.
void WaitingForAnotherRun(const std::string& dir);

// Makes stdin and stdout carry bytes as they are, for a protocol that counts
// them (the editor server): on Windows the C library would otherwise turn
// CR LF into LF on input and LF into CR LF on output. Nothing elsewhere.
void BinaryStandardStreams();

// The directory that holds the running executable, without a trailing
// separator; "." when it cannot be found.
std::string ExecutableDirectory();

}  // namespace sb::platform

#endif  // SB_APP_PLATFORM_H_
