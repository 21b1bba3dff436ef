#include "app/inspect_command.h"

#include <filesystem>

#include "base/exit_status.h"
#include "base/file_io.h"
#include "base/printable.h"
#include "format/cell_codec.h"
#include "format/item_codec.h"
#include "format/profile_codec.h"
#include "model/file_names.h"

namespace sb {
namespace {

// The path is the user's and may hold control bytes.
int Fail(std::ostream& err, const std::string& path, const std::string& what, int status) {
  err << "scenario-builder: " << EscapeControls(path) << ": " << what << "\n";
  return status;
}

// The largest file each kind can be (a line of 1000000 m): a bound checked
// before reading, so a wrong file of gigabytes is not loaded to be rejected.
std::uintmax_t MaxFileSize(CompiledFileKind kind) {
  return kind == CompiledFileKind::kCells   ? kMaxCellFileSize
         : kind == CompiledFileKind::kItems ? kMaxItemFileSize
                                            : kMaxProfileFileSize;
}

}  // namespace

int Inspect(const std::string& path, InspectFormat format, std::ostream& out, std::ostream& err) {
  const CompiledFileKind kind = KindFromName(path);
  if (kind == CompiledFileKind::kUnknown) {
    return Fail(err, path,
                "cannot tell the kind of compiled file from its name (expected <ID>_linea.dat, "
                "<ID>_<N>.sim or <ID>_<N>.dat)",
                kExitUsage);
  }
  std::string bytes;
  Status st = ReadWholeFile(path, &bytes, MaxFileSize(kind));
  if (st.IsTooLarge()) {
    return Fail(err, path, st.reason() + " (the largest file of its kind)", kExitDataError);
  }
  if (!st.ok()) {
    err << "scenario-builder: " << EscapeControls(st.Message("read")) << "\n";
    return kExitIo;
  }
  const Status printed =
      PrintCompiledFile(std::filesystem::path(path).filename().string(), kind, bytes, format, out);
  if (!printed.ok()) return Fail(err, path, printed.reason(), kExitDataError);
  return kExitOk;
}

}  // namespace sb
