// scenario-builder fmt FILE... [--check]: aligns the records of each
// description in place (description/record_alignment.h), replacing a file
// whole and only when its text changes. With --check nothing is written:
// the files that would change are named, and the exit status says whether
// any would.
#ifndef SB_APP_FMT_COMMAND_H_
#define SB_APP_FMT_COMMAND_H_

#include <ostream>
#include <string>
#include <vector>

#include "base/disk.h"
#include "base/status.h"

namespace CLI {
class App;
}

namespace sb {

struct FmtRequest {
  std::vector<std::string> files;
  bool check = false;
};

// Aligns the files in order, naming on `out` each one it rewrites (or,
// with check, would rewrite); `*changed` tells whether any did. The first
// file that cannot be read or written ends the command with its status;
// the files before it stay as they were left.
Status AlignFiles(Disk& disk, const FmtRequest& request, std::ostream& out, bool* changed);

// The subcommand on the command line.
class FmtCommand {
 public:
  void Add(CLI::App& app);
  bool chosen() const;
  // The exit status: kExitOk, kExitNotAligned for a check that found a
  // file to align, or a failure's status, printed on `err`. `runDir` is
  // the top-level --dir, which belongs to the scenario run.
  int Run(const std::string& runDir, std::ostream& out, std::ostream& err) const;

 private:
  CLI::App* command_ = nullptr;
  FmtRequest request_;
};

}  // namespace sb

#endif  // SB_APP_FMT_COMMAND_H_
