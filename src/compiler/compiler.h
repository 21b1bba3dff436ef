// The compiler: reads a line and a train description, encodes them into the
// scenario model, completes the route, stores the identity codes and writes
// the three compiled files.
//
// Errors of the descriptions are recorded in the run state (errorCode,
// errorPosition, diagnostics) and the compiled files are written all the
// same, except when no grid exists or the identity cell was already taken.
#ifndef SB_COMPILER_COMPILER_H_
#define SB_COMPILER_COMPILER_H_

#include <cstdint>
#include <string>
#include <vector>

#include "compiler/scenario.h"
#include "base/file_io.h"

namespace sb {

struct CompilerDirs {
  // Where the descriptions lie, under the names the readers expect; the
  // readers delete them.
  std::string descriptions;
  // Where the compiled files go.
  std::string output;
};

enum class RunEnd {
  kWritten,   // the compiled files were written (errorCode may be set)
  kNoGrid,    // reading stopped before a line length sized the grid
  kReported,  // 1250 or 1251: the run ends with the error report
  kIoError,   // a compiled file could not be written
};

struct CompileResult {
  RunEnd end = RunEnd::kWritten;
  int32_t reportedCode = 0;  // 1250 or 1251 for kReported
  IoStatus io;               // for kIoError
  // A description that could not be read or deleted: the compile went on
  // as the run state says (error 25), but the run must not end as if only
  // the description were at fault.
  IoStatus descriptionIo;
  std::vector<std::string> written;  // file names, in the order written
};

// Reads both descriptions (the line first) into `s`. Never throws. A
// description that cannot be read or deleted is the readers' error 25 in
// the run state; the returned status names the file and the reason, so the
// caller can tell the user that the file system failed, not the author.
IoStatus memorizza_dati(Scenario& s, const CompilerDirs& dirs);

// The whole compile. `s.lineId` and `s.trainNumber` must be set; j non-zero
// builds and writes the plan profile.
CompileResult memorizza_percorso(Scenario& s, int32_t j, const CompilerDirs& dirs);

}  // namespace sb

#endif  // SB_COMPILER_COMPILER_H_
