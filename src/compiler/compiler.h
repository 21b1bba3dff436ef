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
#include <optional>
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

// A line description read once for several trains: the run state its
// phase left (the line's cells, items, profile, diagnostics, warning
// counts), which each train's compile starts from a copy of. The editor
// server compiles every train of a folder with the line being edited.
struct SharedLine {
  Scenario scenario;
  // The line was read to its end: the trains are to be read.
  bool readTrain = false;
  int32_t boardSlot = 0;  // where the trains' board texts begin
  // The line phase's status: cancelled, or a description that could not
  // be read or deleted.
  Status descriptionIo;
};

// Reads `line` (nothing: a missing line description) as the whole compile
// with the plan profile does before its train. `base` is the run state
// every train is to be compiled from (`lineId` set, the warning settings);
// its train number is not looked at.
SharedLine ReadLineOnce(const Scenario& base, std::optional<std::string> line,
                        const std::atomic<bool>* cancel = nullptr);

// The whole compile of `train` with a line read once: into `s`, whose
// train number must be set and whose other fields the line's run state
// replaces. The same result and run state as the whole compile with the
// plan profile (CompileInMemory) of the line's base and the two descriptions.
CompileResult CompileWithLine(const SharedLine& line, Scenario& s, const std::string& train,
                              const std::atomic<bool>* cancel = nullptr);

}  // namespace sb

#endif  // SB_COMPILER_COMPILER_H_
