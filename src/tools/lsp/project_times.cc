#include "tools/lsp/project_times.h"

#include <filesystem>
#include <set>
#include <utility>

#include "running_time/running_time.h"
#include "running_time/timing_warnings.h"
#include "tools/lsp/params.h"

namespace sb::lsp {
namespace {

// The project names its descriptions from its own folder, where "./x" and
// "sub/../x" are "x" as well.
std::string Normal(const std::string& path) {
  return std::filesystem::path(path).lexically_normal().generic_string();
}

}  // namespace

const ProjectTimes::Parsed& ProjectTimes::ProjectIn(const Workspace& workspace,
                                                    const std::string& folder) {
  Parsed& parsed = parsed_[folder];
  std::shared_ptr<const SourceText> text =
      reader_ ? workspace.Text(folder + "/" + std::string(kProjectFileName)) : nullptr;
  if (text == parsed.text) return parsed;
  parsed.text = std::move(text);
  parsed.train.reset();
  // An open buffer holds what the editor shows; a file on disk its bytes,
  // which for a project file are UTF-8.
  if (parsed.text)
    parsed.train = reader_(parsed.text->open ? parsed.text->utf8 : parsed.text->bytes);
  return parsed;
}

void ProjectTimes::Apply(const Workspace& workspace, GroupAnalysis& analysis) {
  const std::string& folder = analysis.group.folder;
  const Parsed& project = ProjectIn(workspace, folder);
  std::string trainPath;
  if (project.train) {
    const std::string linePath = Normal(folder + "/" + project.train->lineDescription);
    const bool sameLine = !analysis.files.empty() && IsLineDescription(analysis.files[0].path) &&
                          Normal(analysis.files[0].path) == linePath;
    if (sameLine) trainPath = Normal(folder + "/" + project.train->trainDescription);
  }
  for (FileResult& f : analysis.files) {
    if (IsLineDescription(f.path)) continue;
    const bool named = !trainPath.empty() && Normal(f.path) == trainPath && f.scenario &&
                       f.scenario->errorCode == ErrorCode::kNone;
    if (!named) {
      if (!f.timing.empty()) f.reused = false;
      f.timing.clear();
      f.timingProject.reset();
      continue;
    }
    if (f.reused && f.timingProject == project.text) continue;
    const Scenario& s = *f.scenario;
    const running::RunningTime rt =
        running::ComputeRunningTime(s, running::ResolveTrain(project.train->train, s));
    f.timing = running::RunningTimeWarnings(s, rt, {});
    f.timingProject = project.text;
    f.reused = false;
  }
}

}  // namespace sb::lsp
