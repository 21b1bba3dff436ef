#include "app/new_command.h"

#include <CLI/CLI.hpp>
#include <filesystem>

#include "base/exit_status.h"
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

int WriteTemplatePair(const NewRequest& request, std::ostream& out, std::ostream& err) {
  for (const std::string* id : {&request.lineId, &request.train}) {
    if (!UsableInFileName(*id)) {
      err << "scenario-builder: '" << EscapeControls(*id) << "' cannot be part of a file name\n";
      return kExitUsage;
    }
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
    err << "scenario-builder: '" << EscapeControls(st.path())
        << "' already exists; remove it or choose another name\n";
    return kExitCantCreate;
  }
  if (!st.ok()) {
    err << "scenario-builder: " << EscapeControls(st.Message("write")) << "\n";
    return kExitIo;
  }
  out << "wrote " << EscapeControls(linePath) << " and " << EscapeControls(trainPath)
      << "\ncompile them with: scenario-builder compile --line " << EscapeControls(linePath)
      << " --train " << EscapeControls(trainPath) << "\n";
  return kExitOk;
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

int NewCommand::Run(const std::string& runDir, std::ostream& out, std::ostream& err) const {
  if (!runDir.empty()) {
    err << "scenario-builder: --dir applies to the scenario run; give it after 'new'\n";
    return kExitUsage;
  }
  return WriteTemplatePair(request_, out, err);
}

}  // namespace sb
