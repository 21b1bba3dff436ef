#include "app/new_command.h"

#include <CLI/CLI.hpp>
#include <filesystem>

#include "app/scenario_run.h"
#include "base/disk.h"
#include "base/printable.h"
#include "base/user_file.h"
#include "content/content.h"
#include "content/content_writer.h"
#include "content/templates.h"
#include "model/file_names.h"
#include "tools/project/project_file.h"

namespace sb {
namespace fs = std::filesystem;
namespace {

std::string InDir(const std::string& dir, const std::string& name) {
  return dir.empty() ? name : (fs::path(dir) / name).string();
}

// The template's project file for `request`'s names. TOML holds UTF-8
// only: a name that is not is left for the author to write in.
std::string TemplateProject(const NewRequest& request) {
  std::string text(content::TemplateProjectBytes());
  const std::pair<std::string_view, const std::string*> slots[] = {{"@LINE@", &request.lineId},
                                                                   {"@TRAIN@", &request.train}};
  for (const auto& [marker, value] : slots) {
    const std::size_t at = text.find(marker);
    if (at == std::string::npos) continue;
    if (std::optional<std::string> quoted = TomlString(*value)) {
      text.replace(at, marker.size(), *quoted);
    } else {
      // Comment the key out: the file still parses and tells what is missing.
      const std::size_t begin = text.rfind('\n', at) + 1;
      text.replace(at, marker.size(), "\"\"  # the name is not UTF-8: write it here");
      text.insert(begin, "# ");
    }
  }
  return text;
}

}  // namespace

Status WriteTemplatePair(const NewRequest& request, std::ostream& out) {
  NewRequest names = request;
  std::string lineBytes, trainBytes, projectBytes;
  if (request.example) {
    // The bytes the scenario run writes, so that the project compiles to
    // the run's files.
    names.lineId = kScenarioLineId;
    names.train = kScenarioTrainNumber;
    lineBytes = RenderLines(content::Lines(content::Document::kLine));
    trainBytes = RenderLines(content::Lines(content::Document::kTrain));
    projectBytes = content::ExampleProjectBytes();
  } else {
    lineBytes = content::TemplateLineBytes();
    trainBytes = content::TemplateTrainBytes();
  }
  for (const std::string* id : {&names.lineId, &names.train}) {
    if (!UsableInFileName(*id)) return Status::Usage("'" + *id + "' cannot be part of a file name");
  }
  if (!request.example) projectBytes = TemplateProject(names);
  const std::string linePath = InDir(request.dir, LineDescriptionName(names.lineId));
  const std::string trainPath = InDir(request.dir, TrainDescriptionName(names.lineId, names.train));
  const std::string projectPath = InDir(request.dir, std::string(kProjectFileName));
  // Each file is made new, never written through whatever stands under
  // its name: a file, a dangling link or a FIFO there is the author's, and
  // so is a link that appears while we write. A refusal leaves the folder
  // as it was.
  // A folder named for the new scenario is made for it, as `build --out`
  // makes its own; one that is there already is used as it stands.
  if (!request.dir.empty()) {
    RealDisk disk;
    if (Status made = disk.MakeDirs(request.dir); !made.ok()) {
      return made.WithReason(made.Message("create"));
    }
  }
  const Status st =
      CreateNewFiles({{linePath, lineBytes}, {trainPath, trainBytes}, {projectPath, projectBytes}});
  if (st.IsExists()) {
    return st.WithReason("'" + st.path() + "' already exists; remove it or choose another name");
  }
  SB_RETURN_IF_ERROR(st.WithReason(st.Message("write")));
  out << "wrote " << EscapeControls(linePath) << ", " << EscapeControls(trainPath) << " and "
      << EscapeControls(projectPath) << "\nbuild the scenario with: scenario-builder build"
      << (request.dir.empty() ? "" : " " + EscapeControls(request.dir)) << "\n";
  return Status::Ok();
}

void NewCommand::Add(CLI::App& app) {
  command_ = app.add_subcommand(
      "new", "Write a template line and train description and their scenario.toml to edit");
  CLI::Option* name =
      command_->add_option("NAME", request_.lineId, "Line identifier: writes NAME_linea.txt");
  CLI::Option* train =
      command_->add_option("TRAIN", request_.train, "Train number: writes NAME_TRAIN-.txt")
          ->capture_default_str();
  command_
      ->add_flag("--example", request_.example,
                 "Write the built-in scenario (Lungomare_Nord, train 911) as a project instead")
      ->excludes(name)
      ->excludes(train);
  command_->add_option("--dir", request_.dir, "Directory to write into (default: current)");
  // NAME is required unless --example stands for it; CLI11 tells it the way
  // it tells any missing argument.
  command_->final_callback([this, name] {
    if (!request_.example && name->count() == 0) throw CLI::RequiredError("NAME");
  });
}

bool NewCommand::chosen() const { return command_ != nullptr && command_->parsed(); }

Status NewCommand::Run(const std::string& runDir, std::ostream& out) const {
  if (!runDir.empty()) {
    return Status::Usage("--dir applies to the scenario run; give it after 'new'");
  }
  return WriteTemplatePair(request_, out);
}

}  // namespace sb
