// What the compiler tells an author: an error (the numeric code kept in the
// run state) or a warning (an identifier; no run state), where in which
// description it arose, related places and a likely fix.
#ifndef SB_COMPILER_DIAGNOSTICS_H_
#define SB_COMPILER_DIAGNOSTICS_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/error_codes.h"
#include "compiler/warnings.h"

namespace sb {

enum class Severity { kError, kWarning };

// Another place that explains a diagnostic: the record that put a feature on
// a taken cell, the record a misplaced one follows.
struct RelatedLocation {
  std::string file;
  int line = 0;    // 1-based
  int column = 0;  // 1-based byte column; 0 when none applies
  std::string message;
};

struct Diagnostic {
  Severity severity = Severity::kError;
  ErrorCode code = ErrorCode::kNone;  // errors: the code recorded in the run state
  Warning warning = {};               // warnings: which one
  // Position along the line in metres, when the error concerns one.
  std::optional<int64_t> position;
  std::string file;  // description file name; empty for route completion
  int line = 0;      // 1-based line in that file; 0 when none applies
  // 1-based byte column, on that line, of the field at fault; 0 when no one
  // field is at fault or it lies on another line.
  int column = 0;
  std::string record;   // the text of that line, as written
  std::string message;  // plain words: what is wrong
  std::string hint;     // the likely fix, when there is one
  std::vector<RelatedLocation> related;
  // The author's text the diagnostic is about, as stored (Windows-1252),
  // where a reader of it other than a terminal words the message its own
  // way: a text that looks like UTF-8 (-Wtext-encoding).
  std::string subject;

  bool is_warning() const { return severity == Severity::kWarning; }
};

// The description record that placed a feature.
struct SourceRef {
  std::string file;
  int line = 0;
  int column = 0;  // of the record's position field
  std::string record;
};

// What the diagnostic says: its message, or when it has none the meaning of
// its error code or the summary of its warning.
std::string DiagnosticMessage(const Diagnostic& d);

// A record longer than this is quoted cut short, with " ..." after it.
inline constexpr std::size_t kRecordQuoteBytes = 200;

// The form compilers use, so that editors read it unconfigured:
//   file:line:column: error: message (at P m, km K) [8]
//   file:line:column: warning: message [-Wextra-values]
// then the record quoted (4 blanks in), a caret under the field at fault
// (column > 0 and within the quote), "file:line:column: note: ..." for each
// related location and "hint: ..." when there is one. Parts of a location
// that are 0 or empty are left out, the whole location without a file. An
// error without a message shows its code's meaning. For a terminal: control
// bytes in the author's texts are shown as \xNN (base/printable.h).
std::string FormatDiagnostic(const Diagnostic& d, const std::string& km = "");

}  // namespace sb

#endif  // SB_COMPILER_DIAGNOSTICS_H_
