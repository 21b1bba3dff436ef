// What the desktop program gets from its window system, done here with a
// terminal: the busy indicator, the error report and the program's own
// directory.
#ifndef SB_APP_PLATFORM_H_
#define SB_APP_PLATFORM_H_

#include <cstdint>
#include <string>

namespace sb::platform {

// Shows "Attendere" while it lives: on stderr, and only when stderr is a
// terminal, so that scripts and tests see nothing.
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
// stderr. The caller then ends the run with exit status 2.
void errore(const std::string& a);

// The directory that holds the running executable, without a trailing
// separator; "." when it cannot be found.
std::string ExecutableDirectory();

}  // namespace sb::platform

#endif  // SB_APP_PLATFORM_H_
