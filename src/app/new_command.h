// scenario-builder new NAME [TRAIN] [--dir DIR]: writes the template pair
// of descriptions, NAME_linea.txt and NAME_<TRAIN>-.txt (TRAIN 1 unless
// given), for an author to edit. An existing file is never replaced.
#ifndef SB_APP_NEW_COMMAND_H_
#define SB_APP_NEW_COMMAND_H_

#include <ostream>
#include <string>

namespace CLI {
class App;
}

namespace sb {

struct NewRequest {
  std::string lineId;
  std::string train = "1";
  std::string dir;  // empty: the current directory
};

// Writes both descriptions into `request.dir` and returns the exit status:
// 0 written; 64 an identifier that cannot be part of a file name; 73 a file
// of either name already exists (named on `err`, neither file written);
// 74 a file could not be written (the other is removed again).
int WriteTemplatePair(const NewRequest& request, std::ostream& out, std::ostream& err);

// The subcommand on the command line.
class NewCommand {
 public:
  void Add(CLI::App& app);
  bool chosen() const;
  // `runDir` is the top-level --dir, which belongs to the scenario run.
  int Run(const std::string& runDir, std::ostream& out, std::ostream& err) const;

 private:
  CLI::App* command_ = nullptr;
  NewRequest request_;
};

}  // namespace sb

#endif  // SB_APP_NEW_COMMAND_H_
