#include "app/inspect_command.h"

#include <filesystem>

#include "app/compiled_files.h"
#include "model/file_names.h"

namespace sb {

Status Inspect(Disk& disk, const std::string& path, InspectFormat format, std::ostream& out) {
  const CompiledFileKind kind = KindFromName(path);
  if (kind == CompiledFileKind::kUnknown) {
    return Status::Usage(path +
                         ": cannot tell the kind of compiled file from its name (expected "
                         "<ID>_linea.dat, <ID>_<N>.sim or <ID>_<N>.dat)");
  }
  std::string bytes;
  SB_RETURN_IF_ERROR(ReadCompiledFile(disk, path, kind, &bytes));
  const Status printed =
      PrintCompiledFile(std::filesystem::path(path).filename().string(), kind, bytes, format, out);
  return printed.WithReason(path + ": " + printed.reason());
}

}  // namespace sb
