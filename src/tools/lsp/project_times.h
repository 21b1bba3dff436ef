// The running times in the editor: when the folder of a scenario's
// descriptions holds a project file that names them, the train it names is
// run over the compiled line after each compile, and what the run finds
// (a time that cannot be kept, a gradient too steep, a stop too short) is
// told with the compile's own diagnostics, on the train description.
#ifndef SB_TOOLS_LSP_PROJECT_TIMES_H_
#define SB_TOOLS_LSP_PROJECT_TIMES_H_

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "running_time/train.h"
#include "tools/lsp/workspace.h"

namespace sb::lsp {

// The project file's name in a scenario's folder.
inline constexpr std::string_view kProjectFileName = "scenario.toml";

// What the running times need of a project file.
struct ProjectTrain {
  std::string lineDescription;  // from the project file's folder
  std::string trainDescription;
  running::TrainTable train;
};

// A project file's bytes read: nothing when they are not a valid project.
// The parser belongs to another tool, which the server does not include;
// the program hands it in.
using ProjectReader = std::function<std::optional<ProjectTrain>(std::string_view bytes)>;

class ProjectTimes {
 public:
  explicit ProjectTimes(ProjectReader reader) : reader_(std::move(reader)) {}

  // Gives the train the folder's project file names its running times'
  // warnings (FileResult::timing) and takes them from every other. A train
  // whose compile and project file are those of its previous result keeps
  // what it had; one whose warnings are worked out again is no longer
  // `reused`, so that they are published.
  void Apply(const Workspace& workspace, GroupAnalysis& analysis);

 private:
  struct Parsed {
    std::shared_ptr<const SourceText> text;
    std::optional<ProjectTrain> train;
  };
  // The project file of `folder`, parsed again only when its text changes.
  const Parsed& ProjectIn(const Workspace& workspace, const std::string& folder);

  ProjectReader reader_;
  std::map<std::string, Parsed> parsed_;  // by folder
};

}  // namespace sb::lsp

#endif  // SB_TOOLS_LSP_PROJECT_TIMES_H_
