// scenario-builder new NAME [TRAIN] [--dir DIR]: writes the template pair
// of descriptions, NAME_linea.txt and NAME_<TRAIN>-.txt (TRAIN 1 unless
// given), and the project file scenario.toml naming them, for an author to
// edit. scenario-builder new --example [--dir DIR] writes the built-in
// scenario the same way. An existing file is never replaced.
#ifndef SB_APP_NEW_COMMAND_H_
#define SB_APP_NEW_COMMAND_H_

#include <ostream>
#include <string>

#include "base/status.h"

namespace CLI {
class App;
}

namespace sb {

struct NewRequest {
  std::string lineId;
  std::string train = "1";
  std::string dir;       // empty: the current directory
  bool example = false;  // the built-in scenario instead of the template
};

// Writes both descriptions and the project file into `request.dir` and
// tells on `out` how to compile them. Fails Usage for an identifier that
// cannot be part of a file name; Exists when a file of any of the three
// names is there (none written); with an I/O error when a file cannot be
// written (the others are removed again).
Status WriteTemplatePair(const NewRequest& request, std::ostream& out);

// The subcommand on the command line.
class NewCommand {
 public:
  void Add(CLI::App& app);
  bool chosen() const;
  // `runDir` is the top-level --dir, which belongs to the scenario run.
  Status Run(const std::string& runDir, std::ostream& out) const;

 private:
  CLI::App* command_ = nullptr;
  NewRequest request_;
};

}  // namespace sb

#endif  // SB_APP_NEW_COMMAND_H_
