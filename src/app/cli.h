// The command line of scenario-builder.
//   scenario-builder                 the scenario run beside the executable
//   scenario-builder --dir DIR       the same run in DIR
//   scenario-builder compile --line FILE --train FILE [--line-id ID]
//       [--train-number N] [--out DIR] [--no-profile] [--json] [--quiet]
//       [-Wno-<id>] [-W<id>] [--werror]
//   scenario-builder new NAME [TRAIN] [--dir DIR]   a template pair to edit
#ifndef SB_APP_CLI_H_
#define SB_APP_CLI_H_

#include <ostream>

namespace sb {

// Returns the exit status.
int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace sb

#endif  // SB_APP_CLI_H_
