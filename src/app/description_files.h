// The descriptions as files on a disk, handed to the compiler: the scenario
// run's, which the compiler deletes as it reads them, and an author's,
// which stay where they are.
#ifndef SB_APP_DESCRIPTION_FILES_H_
#define SB_APP_DESCRIPTION_FILES_H_

#include <cstdint>
#include <optional>
#include <string>

#include "base/disk.h"
#include "compiler/description_source.h"

namespace sb {

// Only regular files of at most kMaxDescriptionBytes are read; anything
// else is refused before it is read (Disk::ReadFile).
class DescriptionFiles : public DescriptionSource {
 public:
  enum class Afterwards { kDelete, kKeep };

  struct File {
    std::string path;
    std::string name;  // what messages call it
  };

  DescriptionFiles(Disk& disk, File line, File train, Afterwards afterwards);

  // Reads a description now, so that a file that cannot be read is the
  // caller's to report; the compiler is then handed these bytes.
  Status Preload(DescriptionKind which);

  bool LineExists() override;
  Status Read(DescriptionKind which, std::string* bytes) override;
  // Deletes the file if it is still there (kDelete); nothing for kKeep.
  Status Delete(DescriptionKind which) override;
  std::string Name(DescriptionKind which) const override;

 private:
  const File& Of(DescriptionKind which) const {
    return which == DescriptionKind::kLine ? line_ : train_;
  }
  std::optional<std::string>& Preloaded(DescriptionKind which) {
    return which == DescriptionKind::kLine ? preloadedLine_ : preloadedTrain_;
  }

  Disk& disk_;
  File line_;
  File train_;
  Afterwards afterwards_;
  std::optional<std::string> preloadedLine_;
  std::optional<std::string> preloadedTrain_;
};

}  // namespace sb

#endif  // SB_APP_DESCRIPTION_FILES_H_
