// Where the compiler gets its two descriptions from, and what it tells the
// owner of them. The compiler touches no file: a driver hands it the bytes
// and deletes the descriptions when it is told to.
#ifndef SB_COMPILER_DESCRIPTION_SOURCE_H_
#define SB_COMPILER_DESCRIPTION_SOURCE_H_

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/status.h"

namespace sb {

// The largest description read, by compile, the editor server and render
// --watch alike: far beyond any line of 1000000 m, and a bound on what a
// wrong file (a disk image, an endless log) can cost.
inline constexpr std::uint64_t kMaxDescriptionBytes = std::uint64_t{256} << 20;

enum class DescriptionKind { kLine, kTrain };

// A field the readers read: where it begins (1-based line and byte
// column) and, for a value, what messages call it (nullptr for a field
// read in a keyword's place).
struct FieldRead {
  DescriptionKind which;
  int line;
  int column;
  const char* what;
};

class DescriptionSource {
 public:
  virtual ~DescriptionSource() = default;

  // Asked first: without a line description the compile is error 101.
  virtual bool LineExists() = 0;
  // The whole description. The train description is asked for only when
  // its phase starts; a failure is the readers' error 25, its reason
  // quoted in the message.
  virtual Status Read(DescriptionKind which, std::string* bytes) = 0;
  // Called wherever the compiler is done with a description; deletes it
  // only where it still exists. A failure ends the run as the file
  // system's fault.
  virtual Status Delete(DescriptionKind which) = 0;
  // What messages call the description.
  virtual std::string Name(DescriptionKind which) const = 0;
  // Asked at every record: true stops the compile where it is, its result
  // to be thrown away (a newer text came, the user pressed Ctrl-C).
  virtual bool Cancelled() const { return false; }
  // Where the readers note every field they read, in order; nowhere by
  // default. The editor's view of how a description is read is held to it.
  virtual std::vector<FieldRead>* FieldLog() { return nullptr; }
};

// Descriptions held as text, for tests and fuzzers: a description that is
// absent reads as a missing file, and Delete forgets it.
class TextDescriptions : public DescriptionSource {
 public:
  // Named as the compiler's files for `lineId` and `trainNumber` would be.
  TextDescriptions(const std::string& lineId, const std::string& trainNumber);

  std::optional<std::string> line;
  std::optional<std::string> train;
  // When set, deleting that description fails with this reason.
  std::optional<std::string> lineDeleteFailure;
  std::optional<std::string> trainDeleteFailure;
  // When set, the compile stops at the next record once it is true. Read
  // relaxed: the flag hands over no data, and a record later is soon enough.
  const std::atomic<bool>* cancel = nullptr;
  // When set, every field read is noted here.
  std::vector<FieldRead>* fieldLog = nullptr;

  bool LineExists() override { return line.has_value(); }
  Status Read(DescriptionKind which, std::string* bytes) override;
  Status Delete(DescriptionKind which) override;
  std::string Name(DescriptionKind which) const override;
  bool Cancelled() const override {
    return cancel != nullptr && cancel->load(std::memory_order_relaxed);
  }
  std::vector<FieldRead>* FieldLog() override { return fieldLog; }

 private:
  std::string lineName_;
  std::string trainName_;
};

}  // namespace sb

#endif  // SB_COMPILER_DESCRIPTION_SOURCE_H_
