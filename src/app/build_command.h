// scenario-builder build [DIR] [--out OUT] [--json] [--quiet] [-W...]:
// an author's scenario made complete. It reads DIR/scenario.toml, compiles
// the two descriptions it names exactly as compile does (the same bytes,
// diagnostics, warning options and exit statuses), draws the timetable
// sheet, the slowdown order and the player notes from the compiled scenario
// and the project file, and writes the six files into OUT as one set.
//
// Exit statuses beyond compile's: 65 when the project file is not valid or
// a document cannot be drawn from it (nothing is written, and nothing is
// compiled for a project file that does not parse); 74 when the project
// file cannot be read.
#ifndef SB_APP_BUILD_COMMAND_H_
#define SB_APP_BUILD_COMMAND_H_

#include <ostream>
#include <string>
#include <vector>

#include "app/compile_report.h"
#include "app/compiled_files.h"
#include "base/disk.h"
#include "compiler/scenario.h"
#include "running_time/running_time.h"
#include "tools/project/project_file.h"

namespace CLI {
class App;
}

namespace sb {

struct BuildRequest {
  std::string dir;  // the project's folder; empty: the current one
  std::string out;  // where the six files go; empty: `dir`
  CompileReportOptions report;
};

// The three documents of `project`'s scenario, named as the scenario run
// names them, or the errors that keep them from being drawn (its texts not
// in the documents' code page, a name too long for its cell...). The
// sheet's arrival and passing times come from `times`.
std::vector<DocumentFile> DrawDocuments(const Scenario& scenario, const Project& project,
                                        const running::RunningTime& times,
                                        std::vector<Diagnostic>* errors);

// Runs the command on `disk`; the exit status, with what it reports on
// `out` (the JSON) and `err`.
int RunBuild(Disk& disk, const BuildRequest& request, std::ostream& out, std::ostream& err);

// The subcommand on the command line.
class BuildCommand {
 public:
  void Add(CLI::App& app);
  bool chosen() const;
  // `runDir` is the top-level --dir, which belongs to the scenario run.
  int Run(const std::string& runDir, const WarningOptions& warnings, std::ostream& out,
          std::ostream& err);

 private:
  CLI::App* command_ = nullptr;
  BuildRequest request_;
};

}  // namespace sb

#endif  // SB_APP_BUILD_COMMAND_H_
