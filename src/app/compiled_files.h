// Writing a compiled scenario: the plan profile (when wanted and built),
// the items and the cells, in that order, replaced as a set. Each is
// written whole beside the old one; only when all are complete are they
// put in place, so a failed write leaves the earlier set as it was. And
// reading one compiled file back, for inspect and render.
#ifndef SB_APP_COMPILED_FILES_H_
#define SB_APP_COMPILED_FILES_H_

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/disk.h"
#include "base/status.h"
#include "compiler/scenario.h"
#include "model/file_names.h"

namespace sb {

struct WrittenFiles {
  std::vector<std::string> names;  // file names put in place, in order
  Status status;                   // the first failure; it ended the writing
  bool refused = false;            // the documents could not be drawn
};

// A document written with the compiled files, as part of their set.
struct DocumentFile {
  std::string name;
  std::string bytes;
};

// The names WriteCompiledFiles may write for `s`.
std::vector<std::string> CompiledFileNames(const Scenario& s, bool withProfile);

// The documents to write with a compiled set, asked for once the compiled
// files are staged (they may be drawn meanwhile): nothing when they could
// not be drawn.
using DocumentSource = std::function<std::optional<std::vector<DocumentFile>>()>;

// `documents` are staged after the compiled files and put in place with
// them: either the whole set is replaced or none of it. When the source
// gives nothing, nothing is written and `refused` is set, even if staging
// a compiled file failed first.
WrittenFiles WriteCompiledFiles(const Scenario& s, bool withProfile, Disk& disk,
                                const std::string& dir, const DocumentSource& documents = {});

// Reads the compiled file of `kind` at `path` whole, if it is no larger
// than the largest of its kind (a line of 1000000 m): a bound checked
// before reading, so a wrong file of gigabytes is not loaded to be
// rejected. A failure carries the sentence its user reads: Invalid,
// "<path>: <reason> (the largest file of its kind)", for a file too large;
// the I/O error, "cannot read '<path>': <reason>", otherwise.
Status ReadCompiledFile(Disk& disk, const std::string& path, CompiledFileKind kind,
                        std::string* bytes);

}  // namespace sb

#endif  // SB_APP_COMPILED_FILES_H_
