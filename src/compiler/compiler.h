// The compiler: reads a line and a train description, encodes them into the
// scenario model, completes the route and stores the identity codes. It
// touches no file: the descriptions come from a DescriptionSource, and the
// compiled files are the caller's to write from the model.
//
// Errors of the descriptions are recorded in the run state (errorCode,
// errorPosition, diagnostics); the model is complete all the same, except
// when no grid exists or the identity cell was already taken.
#ifndef SB_COMPILER_COMPILER_H_
#define SB_COMPILER_COMPILER_H_

#include <atomic>
#include <cstdint>
#include <string>

#include "base/status.h"
#include "compiler/description_source.h"
#include "compiler/scenario.h"

namespace sb {

enum class CompileEnd {
  kCompiled,  // the model is complete: the compiled files are to be written
  kNoGrid,    // reading stopped before a line length sized the grid
  kReported,  // 1250 or 1251: the run ends with the error report
  // The source asked for the compile to stop (DescriptionSource::Cancelled):
  // the run state is half built and is to be thrown away.
  kCancelled,
};

struct CompileResult {
  CompileEnd end = CompileEnd::kCompiled;
  ErrorCode reportedCode = ErrorCode::kNone;  // 1250 or 1251 for kReported
  // A description that could not be read or deleted: the compile went on
  // as the run state says (error 25), but the run must not end as if only
  // the description were at fault.
  Status descriptionIo;
};

// Reads both descriptions (the line first) into `s`. Never throws. A
// description that cannot be read or deleted is the readers' error 25 in
// the run state; the returned status names the description and the
// reason, so the caller can tell the user that the file system failed, not
// the author.
Status memorizza_dati(Scenario& s, DescriptionSource& source);

// The whole compile. `s.lineId` and `s.trainNumber` must be set;
// `withProfile` builds the plan profile.
CompileResult memorizza_percorso(Scenario& s, bool withProfile, DescriptionSource& source);

// The whole compile, with the plan profile, of two descriptions held in
// memory, as the editor server and render --watch compile what an author
// is writing. `s.lineId` and `s.trainNumber` must be set. When `cancel`
// turns true the compile stops at its next record (kCancelled).
CompileResult CompileInMemory(Scenario& s, const std::string& line, const std::string& train,
                              const std::atomic<bool>* cancel = nullptr);

}  // namespace sb

#endif  // SB_COMPILER_COMPILER_H_
