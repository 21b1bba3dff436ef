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

// One replacement in a description, in its bytes: `replaced`, found at the
// 1-based byte `column` of the 1-based `line`, becomes `text` (Windows-1252;
// a "\n" in it begins a line). An empty `replaced` inserts. Carrying what it
// replaces lets an editor refuse an edit whose text has changed since.
struct TextEdit {
  int line = 0;
  int column = 0;
  std::string replaced;
  std::string text;
};

// An edit a hint names, whole, as an editor offers it.
struct Fix {
  std::string title;
  std::vector<TextEdit> edits;
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
  // The edits the hint names; no report prints them. When the hint names a
  // place still to be found ("a free cell"), they are the candidates,
  // nearest first, and `fixesToTry` is set: only the first that compiles
  // without an error on its record is meant.
  std::vector<Fix> fixes;
  bool fixesToTry = false;

  bool is_warning() const { return severity == Severity::kWarning; }
};

// The description record that placed a feature.
struct SourceRef {
  std::string file;
  int line = 0;
  int column = 0;  // of the record's position field
  std::string record;
};

// Candidates for a hint that names a place still to be found: the number
// `from`, written in the diagnostic's field, becomes each of `to` in turn,
// each titled `verb` and its metres ("move to 7200 m").
void AddMoveFixes(Diagnostic& d, int64_t from, const std::vector<int64_t>& to, const char* verb);

// The multiple of `step` nearest to `value` (a tie goes up).
int64_t NearestMultiple(int64_t value, int64_t step);

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
// related location and "hint: ..." when there is one. An error of no code
// (the project file's, which the compiler never records) has no "[N]".
// Parts of a location that are 0 or empty are left out, the whole location
// without a file. An error without a message shows its code's meaning. For a terminal: control
// bytes in the author's texts are shown as \xNN (base/printable.h).
std::string FormatDiagnostic(const Diagnostic& d, const std::string& km = "");

}  // namespace sb

#endif  // SB_COMPILER_DIAGNOSTICS_H_
