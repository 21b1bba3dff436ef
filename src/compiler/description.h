// Reading one description file inside the compiler: the field reader plus
// the file's identity, so every error can point at its file, line and record.
//
// A read failure (end of file inside a record, a number out of range) and
// any other run-time failure of the readers are raised as ReadFailure and
// caught by the failure handler of memorizza_dati; they never leave the
// compiler.
#ifndef SB_COMPILER_DESCRIPTION_H_
#define SB_COMPILER_DESCRIPTION_H_

#include <cstdint>
#include <optional>
#include <string>

#include "compiler/scenario.h"
#include "description/field_reader.h"
#include "base/status.h"
#include "compiler/description_source.h"

namespace sb {

struct ReadFailure {
  ReadFailure(std::string m, Status status = Status::Ok())
      : message(std::move(m)), io(std::move(status)) {}

  std::string message;
  // Set when a file operation failed (the file and the system's reason).
  Status io;
};

class Description {
 public:
  // The description `which` of `source`, named as the source names it.
  Description(DescriptionSource& source, DescriptionKind which);

  // Loads the whole description; false when the source cannot give it.
  bool Open(std::string* reason);
  bool is_open() const { return reader_.has_value(); }
  // Forgets the contents and has the source delete the description;
  // raises ReadFailure when it cannot be deleted.
  void CloseAndDelete();

  bool eof() const { return reader_->eof(); }

  // Reads the next field as text into `currentLine`, remembering it as the
  // keyword field of the record that begins here.
  void ReadKeyword(std::string* currentLine);
  std::string ReadText();
  int32_t ReadInt32(const char* what);
  int16_t ReadInt16(const char* what);
  uint8_t ReadUInt8(const char* what);

  const std::string& name() const { return name_; }

  // The current record: file, keyword line and its text.
  SourceRef Source() const { return {name_, keyword_line_, keyword_record_}; }

  // A diagnostic pointing at the current record's keyword line.
  Diagnostic At(int32_t code, std::optional<int64_t> position, std::string message = {}) const;

 private:
  [[noreturn]] void FailRead(const char* what, const char* range) const;

  DescriptionSource& source_;
  DescriptionKind which_;
  std::string name_;
  std::string data_;
  std::optional<FieldReader> reader_;
  int keyword_line_ = 0;
  std::string keyword_record_;
};

// Records an error in the run state: errorCode always, errorPosition when
// `position` is given; the diagnostic is kept for the report.
void RecordError(Scenario& s, Diagnostic d, std::optional<int32_t> position);

// The cell at `index`; raises ReadFailure when there is no grid yet or the
// index lies outside it.
TrackCell& CellAt(Scenario& s, int64_t index, const char* what);

}  // namespace sb

#endif  // SB_COMPILER_DESCRIPTION_H_
