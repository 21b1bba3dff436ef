#include "compiler/diagnostics.h"

#include "base/printable.h"

namespace sb {
namespace {

constexpr const char* kQuoteIndent = "    ";
constexpr std::string_view kCutMark = " ...";

// "file:line:column: " with the parts that are 0 or empty left out; nothing
// at all without a file.
std::string Location(const std::string& file, int line, int column) {
  if (file.empty()) return {};
  std::string out = EscapeControls(file);
  if (line > 0) {
    out.append(":").append(std::to_string(line));
    if (column > 0) out.append(":").append(std::to_string(column));
  }
  return out.append(": ");
}

// The blanks that bring a caret under byte `offset` of `record` as the
// terminal shows the escaped record: a TAB stays a TAB (it moves the cursor
// the same way in both lines), an escaped byte takes the four places of
// "\xNN", a UTF-8 character one place (a C1 control, escaped, eight).
std::string CaretPadding(std::string_view record, std::size_t offset) {
  std::string out;
  std::size_t at = 0;
  while (at < offset) {
    const char ch = record[at];
    if (ch == '\t') {
      out += '\t';
      ++at;
    } else if (const std::size_t sequence = Utf8SequenceAt(record, at); sequence > 0) {
      const std::size_t shown = EscapeControls(record.substr(at, sequence)).size();
      out.append(shown > sequence ? shown : 1, ' ');
      at += sequence;
    } else {
      out.append(EscapeControls(std::string_view(&record[at], 1)).size(), ' ');
      ++at;
    }
  }
  return out;
}

// The record quoted, and a caret under the field at fault when the quote
// still holds it (a record of megabytes is quoted cut short).
std::string QuotedRecord(const std::string& record, int column) {
  std::string out = std::string("\n") + kQuoteIndent + EscapeControls(record);
  if (column <= 0) return out;
  std::size_t shown = record.size();
  if (shown > kRecordQuoteBytes && std::string_view(record).ends_with(kCutMark)) {
    shown -= kCutMark.size();
  }
  const auto offset = static_cast<std::size_t>(column - 1);
  // A field may begin where the line ends (a value that is missing).
  if (offset > shown || (offset == shown && shown != record.size())) return out;
  return out.append("\n").append(kQuoteIndent).append(CaretPadding(record, offset)).append("^");
}

}  // namespace

void AddMoveFixes(Diagnostic& d, int64_t from, const std::vector<int64_t>& to, const char* verb) {
  if (d.line <= 0 || d.column <= 0) return;
  for (int64_t place : to) {
    d.fixes.push_back({verb + std::to_string(place) + " m",
                       {{d.line, d.column, std::to_string(from), std::to_string(place)}}});
  }
  d.fixesToTry = true;
}

int64_t NearestMultiple(int64_t value, int64_t step) {
  const int64_t shifted = value + step / 2;
  // Floor division: a negative position rounds the same way.
  const int64_t below = shifted / step - (shifted % step < 0 ? 1 : 0);
  return below * step;
}

std::string DiagnosticMessage(const Diagnostic& d) {
  if (!d.message.empty()) return d.message;
  if (!d.is_warning()) return ErrorMeaning(d.code);
  return std::string(WarningTable()[static_cast<std::size_t>(d.warning)].summary);
}

// The file, the texts and the record may hold the author's bytes (a name,
// a field, the line itself) and go to a terminal: their control bytes are
// shown escaped. The Diagnostic itself keeps them as they are.
std::string FormatDiagnostic(const Diagnostic& d, const std::string& km) {
  std::string out = Location(d.file, d.line, d.column);
  out.append(d.is_warning() ? "warning: " : "error: ");
  out.append(EscapeControls(DiagnosticMessage(d)));
  if (d.position) {
    out.append(" (at ").append(std::to_string(*d.position)).append(" m");
    if (!km.empty()) out.append(", ").append(km);
    out.append(")");
  }
  if (d.is_warning()) {
    out.append(" [-W").append(WarningId(d.warning)).append("]");
  } else if (d.code != ErrorCode::kNone) {
    out.append(" [").append(std::to_string(Number(d.code))).append("]");
  }
  if (!d.record.empty()) out.append(QuotedRecord(d.record, d.column));
  for (const RelatedLocation& r : d.related) {
    out.append("\n").append(Location(r.file, r.line, r.column));
    out.append("note: ").append(EscapeControls(r.message));
  }
  if (!d.hint.empty()) out.append("\nhint: ").append(EscapeControls(d.hint));
  return out;
}

}  // namespace sb
