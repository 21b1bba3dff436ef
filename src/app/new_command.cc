#include "app/new_command.h"

#include <CLI/CLI.hpp>
#include <filesystem>

#include "base/printable.h"
#include "base/user_file.h"
#include "content/templates.h"
#include "model/file_names.h"

namespace sb {
namespace fs = std::filesystem;
namespace {

std::string InDir(const std::string& dir, const std::string& name) {
  return dir.empty() ? name : (fs::path(dir) / name).string();
}

}  // namespace

Status WriteTemplatePair(const NewRequest& request, std::ostream& out) {
  for (const std::string* id : {&request.lineId, &request.train}) {
    if (!UsableInFileName(*id)) return Status::Usage("'" + *id + "' cannot be part of a file name");
  }
  const std::string linePath = InDir(request.dir, LineDescriptionName(request.lineId));
  const std::string trainPath =
      InDir(request.dir, TrainDescriptionName(request.lineId, request.train));
  // Each file is made new, never written through whatever stands under
  // its name: a file, a dangling link or a FIFO there is the author's, and
  // so is a link that appears while we write. A refusal leaves the folder
  // as it was.
  const Status st = CreateNewFiles(
      {{linePath, content::TemplateLineBytes()}, {trainPath, content::TemplateTrainBytes()}});
  if (st.IsExists()) {
    return st.WithReason("'" + st.path() + "' already exists; remove it or choose another name");
  }
  SB_RETURN_IF_ERROR(st.WithReason(st.Message("write")));
  out << "wrote " << EscapeControls(linePath) << " and " << EscapeControls(trainPath)
      << "\ncompile them with: scenario-builder compile --line " << EscapeControls(linePath)
      << " --train " << EscapeControls(trainPath) << "\n";
  return Status::Ok();
}

void NewCommand::Add(CLI::App& app) {
  command_ = app.add_subcommand("new", "Write a template line and train description to edit");
  command_->add_option("NAME", request_.lineId, "Line identifier: writes NAME_linea.txt")
      ->required();
  command_->add_option("TRAIN", request_.train, "Train number: writes NAME_TRAIN-.txt")
      ->capture_default_str();
  command_->add_option("--dir", request_.dir, "Directory to write into (default: current)");
}

bool NewCommand::chosen() const { return command_ != nullptr && command_->parsed(); }

Status NewCommand::Run(const std::string& runDir, std::ostream& out) const {
  if (!runDir.empty()) {
    return Status::Usage("--dir applies to the scenario run; give it after 'new'");
  }
  return WriteTemplatePair(request_, out);
}

}  // namespace sb
