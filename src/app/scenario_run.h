// Run control: the scenario run and the compile command, with their exit
// statuses.
//   0  no error recorded
//   1  a reader, encoder or route completion recorded an error
//   2  the run ended with the error report (1250, 1251)
//   64 usage error
//   74 a file could not be created, written, read or deleted
#ifndef SB_APP_SCENARIO_RUN_H_
#define SB_APP_SCENARIO_RUN_H_

#include <ostream>
#include <string>
#include <vector>

#include "base/exit_status.h"
#include "compiler/compiler.h"
#include "compiler/scenario.h"

namespace sb {

inline constexpr const char* kScenarioLineId = "Lungomare_Nord";
inline constexpr const char* kScenarioTrainNumber = "911";

struct RunOutcome {
  int exitCode = kExitOk;
  Scenario scenario;
  CompileResult compile;
  std::string ioMessage;  // for exit status 74
  // The names the readers knew the descriptions by, mapped to the paths
  // the user gave (compile works on private copies).
  std::vector<std::pair<std::string, std::string>> descriptionNames;
};

// The scenario run: writes the five documents into `dir`, compiles the two
// descriptions with the profile on, and leaves six files.
RunOutcome Form_Load(const std::string& dir);

struct CompileRequest {
  std::string linePath;
  std::string trainPath;
  std::string lineId;
  std::string trainNumber;
  std::string outDir;
  bool withProfile = true;
};

// Compiles two given descriptions without touching them: the readers work
// on private copies.
RunOutcome CompileDescriptions(const CompileRequest& request);

// The outcome's diagnostics, with the descriptions named as the user knows
// them and each position also as a kilometre post.
struct ReportedDiagnostic {
  Diagnostic diagnostic;
  std::string km;  // empty when the error has no position
};
std::vector<ReportedDiagnostic> Diagnostics(const RunOutcome& outcome);

// Prints the outcome's errors on `err` (nothing when there are none).
void ReportOutcome(const RunOutcome& outcome, std::ostream& err);

}  // namespace sb

#endif  // SB_APP_SCENARIO_RUN_H_
