#include "app/fmt_command.h"

#include <CLI/CLI.hpp>

#include "app/command_status.h"
#include "base/exit_status.h"
#include "base/printable.h"
#include "compiler/description_source.h"
#include "description/record_alignment.h"

namespace sb {

Status AlignFiles(Disk& disk, const FmtRequest& request, std::ostream& out, bool* changed) {
  *changed = false;
  for (const std::string& path : request.files) {
    std::string text;
    if (Status st = disk.ReadFile(path, &text, kMaxDescriptionBytes); !st.ok()) {
      return st.WithReason(st.Message("read"));
    }
    const std::string aligned = AlignRecords(text);
    if (aligned == text) continue;
    *changed = true;
    if (request.check) {
      out << "would align " << EscapeControls(path) << "\n";
      continue;
    }
    if (Status st = disk.WriteFile(path, aligned); !st.ok()) {
      return st.WithReason(st.Message("write"));
    }
    out << "aligned " << EscapeControls(path) << "\n";
  }
  return Status::Ok();
}

void FmtCommand::Add(CLI::App& app) {
  command_ = app.add_subcommand(
      "fmt", "Align the columns of descriptions' records in place; what they compile to stays");
  command_->add_option("FILE", request_.files, "Descriptions to align")->required();
  command_->add_flag("--check", request_.check,
                     "Write nothing; name the files that would change and exit with 1 if any");
}

bool FmtCommand::chosen() const { return command_ != nullptr && command_->parsed(); }

int FmtCommand::Run(const std::string& runDir, std::ostream& out, std::ostream& err) const {
  if (!runDir.empty()) {
    return FinishCommand(Status::Usage("--dir applies to the scenario run, not to fmt"), err);
  }
  RealDisk disk;
  bool changed = false;
  const Status st = AlignFiles(disk, request_, out, &changed);
  if (!st.ok()) return FinishCommand(st, err);
  return request_.check && changed ? kExitNotAligned : kExitOk;
}

}  // namespace sb
