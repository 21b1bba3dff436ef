#include "app/project_load.h"

#include <utility>

#include "base/exit_status.h"
#include "base/file_io.h"
#include "model/file_names.h"

namespace sb {

int LoadProject(Disk& disk, const std::string& dir, Project* project,
                std::vector<Diagnostic>* errors) {
  const std::string projectPath = JoinPath(dir, std::string(kProjectFileName));
  std::string bytes;
  if (Status st = disk.ReadFile(projectPath, &bytes, kMaxProjectBytes); !st.ok()) {
    errors->push_back(UnreadableProject(projectPath, st));
    return kExitIo;
  }
  ProjectParse parse = ParseProject(bytes, projectPath);
  if (!parse.ok()) {
    *errors = std::move(parse.diagnostics);
    return kExitDataError;
  }
  *project = std::move(parse.project);
  for (const auto& [id, place] : {std::pair{&project->lineId, project->lineIdPlace},
                                  std::pair{&project->train, project->trainPlace}}) {
    if (UsableInFileName(*id)) continue;
    errors->push_back(ProjectDiagnostic(*project, place,
                                        "'" + *id + "' cannot be part of a file name",
                                        "write letters, digits, '-' and '_'"));
    return kExitDataError;
  }
  return kExitOk;
}

CompileRequest ProjectCompileRequest(const Project& project, const std::string& dir) {
  CompileRequest compile;
  compile.linePath = JoinPath(dir, project.lineDescription);
  compile.trainPath = JoinPath(dir, project.trainDescription);
  compile.lineId = project.lineId;
  compile.trainNumber = project.train;
  compile.withProfile = true;
  return compile;
}

}  // namespace sb
