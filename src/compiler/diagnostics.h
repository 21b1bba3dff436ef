// What the compiler tells an author about an error: the numeric code kept in
// the run state, plus where in which description it arose.
#ifndef SB_COMPILER_DIAGNOSTICS_H_
#define SB_COMPILER_DIAGNOSTICS_H_

#include <cstdint>
#include <optional>
#include <string>

#include "compiler/error_codes.h"

namespace sb {

struct Diagnostic {
  int32_t code = 0;
  // Position along the line in metres, when the error concerns one.
  std::optional<int64_t> position;
  std::string file;  // description file name; empty for route completion
  int line = 0;      // 1-based line in that file; 0 when none applies
  // 1-based byte column, on that line, of the field at fault; 0 when no one
  // field is at fault or it lies on another line.
  int column = 0;
  std::string record;   // the text of that line, as written
  std::string message;  // plain words: what is wrong
};

// The description record that placed a feature.
struct SourceRef {
  std::string file;
  int line = 0;
  int column = 0;  // of the record's position field
  std::string record;
};

// "file:line:column: error N: message (at P m, km K)" with the record quoted on a
// second line, or a shorter form when no file, line, column or km post
// applies. For a terminal: control bytes in the file, message and record are
// shown as \xNN (base/printable.h).
std::string FormatDiagnostic(const Diagnostic& d, const std::string& km = "");

}  // namespace sb

#endif  // SB_COMPILER_DIAGNOSTICS_H_
