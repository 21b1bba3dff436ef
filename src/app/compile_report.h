// What `compile` tells its user after the compile: the diagnostics it
// reports on stderr, the JSON report on stdout when asked, and a summary
// line last on stderr. The scenario run reports through ReportOutcome alone
// and gets no summary.
#ifndef SB_APP_COMPILE_REPORT_H_
#define SB_APP_COMPILE_REPORT_H_

#include <ostream>
#include <string>

#include "app/scenario_run.h"
#include "app/warning_options.h"

namespace sb {

struct CompileReportOptions {
  WarningOptions warnings;
  bool json = false;   // the JSON report on `out`
  bool quiet = false;  // no summary line
};

// Reports `outcome` and returns the exit status: the outcome's, or 1 under
// --werror for a compile that would exit 0 and reported a warning.
int ReportCompile(const RunOutcome& outcome, const CompileReportOptions& options, std::ostream& out,
                  std::ostream& err);

// "Costa: 30000 m, 2 stations, 4 signals, 1 slowdown, 1 error, 2 warnings;
// wrote Costa_linea.dat, Costa_42.sim, Costa_42.dat". The figures of the line
// are left out when the compile did not complete the model; errors are
// counted only when there are any; "no file written" when none was.
// Empty when the compile never ran (a description could not be read).
std::string CompileSummary(const RunOutcome& outcome, const WarningOptions& warnings);

// The JSON report: the run state's errorCode, errorPosition and message,
// the files written and every reported diagnostic.
void PrintJson(const RunOutcome& outcome, const WarningOptions& warnings, std::ostream& out);

}  // namespace sb

#endif  // SB_APP_COMPILE_REPORT_H_
