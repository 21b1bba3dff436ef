// Run control: the scenario run and the compile command, with their exit
// statuses.
//   0  no error recorded
//   1  a reader, encoder or route completion recorded an error
//   2  the run ended with the error report (1250, 1251)
//   64 usage error
//   74 a file could not be created, written, read or deleted
//   129, 130, 143 interrupted (base/interrupt_cleanup.h)
// Both take the lock of the folder they write into for the whole run
// (base/directory_lock.h).
#ifndef SB_APP_SCENARIO_RUN_H_
#define SB_APP_SCENARIO_RUN_H_

#include <cstdint>
#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "app/compiled_files.h"
#include "app/warning_folds.h"
#include "app/warning_options.h"
#include "base/disk.h"
#include "base/exit_status.h"
#include "compiler/compiler.h"
#include "compiler/scenario.h"

namespace sb {

inline constexpr const char* kScenarioLineId = "Lungomare_Nord";
inline constexpr const char* kScenarioTrainNumber = "911";

enum class RunEnd {
  kNotRun,            // a file failed before the compile
  kWritten,           // the compiled files were written (errorCode may be set)
  kNoGrid,            // reading stopped before a line length sized the grid
  kReported,          // 1250 or 1251: the run ends with the error report
  kIoError,           // a compiled file could not be written
  kDocumentsRefused,  // the documents could not be drawn: nothing written
  kCompiledOnly,      // compiled in memory: nothing was to be written
};

struct RunOutcome {
  int exitCode = kExitOk;
  RunEnd end = RunEnd::kNotRun;
  Scenario scenario;
  CompileResult compile;
  std::vector<std::string> written;  // compiled file names, in the order written
  std::string ioMessage;             // for exit status 74, or 64 for outputs among the inputs
};

// The scenario run: writes the five documents into `dir`, compiles the two
// descriptions with the profile on (deleting them), and leaves six files.
RunOutcome Form_Load(Disk& disk, const std::string& dir);
RunOutcome Form_Load(const std::string& dir);  // on the real disk

struct CompileRequest {
  std::string linePath;
  std::string trainPath;
  std::string lineId;
  std::string trainNumber;
  std::string outDir;
  bool withProfile = true;
  // Warnings the author silenced: never kept, only checked for.
  std::set<Warning> silencedWarnings;
  // The documents to write with the compiled files, drawn from the compiled
  // scenario once it is compiled; their names join the set the compile
  // replaces. False: they cannot be drawn, and nothing is written (the
  // outcome ends kDocumentsRefused). It runs on a thread of its own while
  // the compiled files are written beside the old ones (the player waits
  // on the disk for the plan profile's megabytes anyway), so it may read
  // the scenario and what it owns, nothing else that the run touches.
  std::function<bool(const Scenario&, std::vector<DocumentFile>*)> documents;
  // The names those documents will have, for the stale temporaries and the
  // check that no input is among the outputs.
  std::vector<std::string> documentNames;
};

// Compiles two given descriptions where they lie, without touching them;
// messages name them by the paths given. A description that is one of the
// files to be written (by name, link or hard link) ends it with 64 before
// anything is read. Both are read before anything is
// written: one that cannot be (missing, refused, not a regular file, larger
// than kMaxDescriptionBytes) ends the compile with 74, nothing written, and
// the code the compiler gives it (101 line, 25 train) in the diagnostics.
RunOutcome CompileDescriptions(Disk& disk, const CompileRequest& request);
RunOutcome CompileDescriptions(const CompileRequest& request);  // on the real disk

// Compiles as CompileDescriptions does, with the same diagnostics and exit
// statuses, but writes nothing: no folder is made, locked or cleaned, and
// `outDir` and the documents are not looked at. For the commands that only
// report on a scenario.
RunOutcome CompileDescriptionsInMemory(Disk& disk, const CompileRequest& request);

// The outcome's diagnostics that `warnings` reports, in order, each
// position also as a kilometre post, and the warnings like one another
// marked; after them one for each file and warning past the number kept,
// with how many were not. They are visited
// one at a time: a report of very many needs no second copy of them all.
struct ReportedDiagnostic {
  Diagnostic diagnostic;
  std::string km;  // empty when the diagnostic has no position
  // How many more warnings this one stands for; 0 for one found as it is.
  std::uint64_t notShown = 0;
  // The later warnings like this one, which the text report folds into it
  // (app/warning_folds.h); `folded` for each of those.
  WarningFolds::Like likeIt;
  bool folded = false;
};
void ForEachReported(const RunOutcome& outcome, const WarningOptions& warnings,
                     const std::function<void(const ReportedDiagnostic&)>& visit);

// Prints the outcome's reported diagnostics on `err`, then a line naming
// the run state's error when one made the run fail (nothing when all went
// well).
void ReportOutcome(const RunOutcome& outcome, std::ostream& err,
                   const WarningOptions& warnings = {});

}  // namespace sb

#endif  // SB_APP_SCENARIO_RUN_H_
