// Writing a compiled scenario: the plan profile (when wanted and built),
// the items and the cells, in that order, each replaced whole.
#ifndef SB_APP_COMPILED_FILES_H_
#define SB_APP_COMPILED_FILES_H_

#include <string>
#include <vector>

#include "base/disk.h"
#include "base/status.h"
#include "compiler/scenario.h"

namespace sb {

struct WrittenFiles {
  std::vector<std::string> names;  // file names, in the order written
  Status status;                   // the first failure; it ended the writing
};

WrittenFiles WriteCompiledFiles(const Scenario& s, bool withProfile, Disk& disk,
                                const std::string& dir);

}  // namespace sb

#endif  // SB_APP_COMPILED_FILES_H_
