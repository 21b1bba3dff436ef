#include "app/command_status.h"

#include <array>
#include <csignal>

#include "base/exit_status.h"
#include "base/printable.h"

namespace sb {
namespace {

// Indexed by Status::Kind.
constexpr std::array<int, Status::kKindCount> kExitOfKind = {
    kExitOk,                   // kOk
    kExitIo,                   // kIoError
    kExitIo,                   // kTooLarge
    kExitDataError,            // kInvalid
    kExitIo,                   // kOutOfMemory
    kExitCantCreate,           // kExists
    kExitSignalBase + SIGINT,  // kCancelled, when no signal is named
    kExitUsage,                // kUsage
};
static_assert(static_cast<int>(Status::Kind::kOk) == 0 &&
                  static_cast<int>(Status::Kind::kUsage) == Status::kKindCount - 1,
              "kExitOfKind follows Status::Kind");

}  // namespace

int ExitStatusOf(const Status& status) {
  if (status.IsCancelled() && status.signal() != 0) return kExitSignalBase + status.signal();
  return kExitOfKind[static_cast<std::size_t>(status.kind())];
}

int FinishCommand(const Status& status, std::ostream& err) {
  if (!status.ok() && !status.IsCancelled()) {
    err << "scenario-builder: " << EscapeControls(status.reason()) << "\n";
  }
  return ExitStatusOf(status);
}

}  // namespace sb
