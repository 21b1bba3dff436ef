// scenario-builder timetable [DIR] [--json | --csv] [--werror] [-W...]: the
// running times of the scenario of DIR/scenario.toml. It loads the project
// as build does, compiles the two descriptions in memory (nothing is
// written or deleted in DIR), resolves the train of the project's [train]
// table and prints one row per station and per change of the speed limit,
// in route order: the km post, the name, the scheduled time, the minimum
// running time, that with the allowance, the time of day the sheet prints,
// the slack in s and in %, and the highest speed since the previous row.
//
// The compile's diagnostics and the running times' warnings go to stderr
// as compile prints them. Exit statuses: those of build for the project
// file (65, 74); the compile's when it records an error (no table then);
// 1 under --werror when a warning was reported; 0 otherwise.
#ifndef SB_APP_TIMETABLE_COMMAND_H_
#define SB_APP_TIMETABLE_COMMAND_H_

#include <ostream>
#include <string>

#include "app/warning_options.h"
#include "base/disk.h"

namespace CLI {
class App;
}

namespace sb {

enum class TimetableFormat { kText, kJson, kCsv };

struct TimetableRequest {
  std::string dir;  // the project's folder; empty: the current one
  TimetableFormat format = TimetableFormat::kText;
  WarningOptions warnings;
};

// Runs the command on `disk`; the exit status, with the table on `out` and
// the diagnostics on `err`.
int RunTimetable(Disk& disk, const TimetableRequest& request, std::ostream& out, std::ostream& err);

// The subcommand on the command line.
class TimetableCommand {
 public:
  void Add(CLI::App& app);
  bool chosen() const;
  // `runDir` is the top-level --dir, which belongs to the scenario run.
  int Run(const std::string& runDir, const WarningOptions& warnings, std::ostream& out,
          std::ostream& err);

 private:
  CLI::App* command_ = nullptr;
  TimetableRequest request_;
  bool json_ = false;
  bool csv_ = false;
};

}  // namespace sb

#endif  // SB_APP_TIMETABLE_COMMAND_H_
