// The Windows players' program: no arguments, no console. It performs the
// scenario run in its own directory and ends with the run's exit status.
#include <windows.h>

#include <string>

#include "app/platform.h"
#include "app/platform_win.h"
#include "app/scenario_run.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const sb::RunOutcome outcome = sb::Form_Load(sb::platform::ExecutableDirectory());
  // A file that cannot be written (a read-only directory, a full disk) would
  // otherwise end the program without a word.
  if (outcome.exitCode == sb::kExitIo) {
    const std::wstring text = sb::platform::win::Widen(outcome.ioMessage);
    MessageBoxW(nullptr, text.c_str(), sb::platform::win::kApplicationTitle, MB_OK | MB_ICONERROR);
  }
  return outcome.exitCode;
}
