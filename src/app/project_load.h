// What `build` and `timetable` do before they compile: the project file of
// a folder read, parsed and checked, and the compile request it gives.
#ifndef SB_APP_PROJECT_LOAD_H_
#define SB_APP_PROJECT_LOAD_H_

#include <string>
#include <vector>

#include "app/scenario_run.h"
#include "base/disk.h"
#include "compiler/diagnostics.h"
#include "tools/project/project_file.h"

namespace sb {

// Reads `dir`/scenario.toml into `project`. The exit status: 0, 74 when the
// file cannot be read, 65 when it does not parse or names a line or train
// that cannot be part of a file name; `errors` then says why.
int LoadProject(Disk& disk, const std::string& dir, Project* project,
                std::vector<Diagnostic>* errors);

// The compile of the project's two descriptions, which lie in `dir`, with
// the profile; the caller adds the output folder and the documents.
CompileRequest ProjectCompileRequest(const Project& project, const std::string& dir);

}  // namespace sb

#endif  // SB_APP_PROJECT_LOAD_H_
