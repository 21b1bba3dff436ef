#include "compiler/description.h"

#include <algorithm>
#include <string_view>

namespace sb {
namespace {

// The most of a record's line that a diagnostic quotes.
constexpr std::size_t kRecordShown = 200;

}  // namespace

Description::Description(DescriptionSource& source, DescriptionKind which)
    : source_(source), which_(which), name_(source.Name(which)) {}

bool Description::Open(std::string* reason) {
  Status st = source_.Read(which_, &data_);
  if (!st.ok()) {
    *reason = st.reason();
    return false;
  }
  reader_.emplace(data_);
  return true;
}

Status Description::CloseAndDelete() {
  // What fails from now on (the fills up to the end of the line) concerns
  // the description as a whole, not the record read last.
  keyword_line_ = 0;
  keyword_record_.clear();
  record_fields_.clear();
  failed_field_.reset();
  reader_.reset();
  data_.clear();
  data_.shrink_to_fit();
  return source_.Delete(which_);
}

bool Description::NoteField() {
  const FieldPlace place{reader_->line(), reader_->column()};
  // Two fields never begin at the same place: an unchanged place means the
  // read ended at the end of the file before any field.
  if (!record_fields_.empty() && place.line == record_fields_.back().line &&
      place.column == record_fields_.back().column) {
    return false;
  }
  record_fields_.push_back(place);
  return true;
}

Status Description::ReadKeyword(std::string* currentLine) {
  if (!reader_->ReadText(currentLine)) return FailRead("a field", nullptr, false);
  record_fields_.clear();
  record_fields_.push_back({reader_->line(), reader_->column()});
  // The record's text is taken once per line, at its first keyword: a line
  // of millions of fields would otherwise be copied for each of them, and
  // the reading would grow with the square of the line's length.
  if (reader_->line() != keyword_line_) {
    keyword_line_ = reader_->line();
    // Diagnostics quote the line; one of megabytes is cut short, so that a
    // message stays a message.
    const std::string_view text = reader_->LineText();
    keyword_record_.assign(text.substr(0, kRecordShown));
    if (text.size() > kRecordShown) keyword_record_.append(" ...");
  }
  return Status::Ok();
}

Status Description::ReadText(std::string* text) {
  std::string field;
  const bool read = reader_->ReadText(&field);
  const bool began = NoteField();
  if (!read) return FailRead("a text", nullptr, began);
  *text = std::move(field);
  return Status::Ok();
}

Status Description::ReadInt32(const char* what, int32_t* value) {
  const bool read = reader_->ReadInt32(value);
  const bool began = NoteField();
  return read ? Status::Ok() : FailRead(what, "-2147483648 to 2147483647", began);
}

Status Description::ReadInt16(const char* what, int16_t* value) {
  const bool read = reader_->ReadInt16(value);
  const bool began = NoteField();
  return read ? Status::Ok() : FailRead(what, "-32768 to 32767", began);
}

Status Description::ReadUInt8(const char* what, uint8_t* value) {
  const bool read = reader_->ReadUInt8(value);
  const bool began = NoteField();
  return read ? Status::Ok() : FailRead(what, "0 to 255", began);
}

Status Description::FailRead(const char* what, const char* range, bool began) {
  failed_field_ = began ? static_cast<int>(record_fields_.size()) - 1 : kNoField;
  if (reader_->eof()) {
    return Status::Invalid(std::string("the file ends where ") + what + " was expected");
  }
  return Status::Invalid(std::string(what) + " is outside " + (range ? range : "its range"));
}

int Description::ColumnOf(int field) const {
  if (field < 0 || static_cast<std::size_t>(field) >= record_fields_.size()) return 0;
  const FieldPlace& place = record_fields_[static_cast<std::size_t>(field)];
  return place.line == keyword_line_ ? place.column : 0;
}

Diagnostic Description::At(int32_t code, std::optional<int64_t> position, std::string message,
                           int field) const {
  Diagnostic d;
  d.code = code;
  d.position = position;
  d.file = name_;
  d.line = keyword_line_;
  d.column = ColumnOf(field);
  d.record = keyword_record_;
  d.message = std::move(message);
  return d;
}

Diagnostic Description::AtStart(int32_t code, std::string message, std::string hint) const {
  Diagnostic d;
  d.code = code;
  d.file = name_;
  d.line = 1;
  d.column = 1;
  const std::string_view text(data_);
  const std::string_view first = text.substr(0, std::min(text.find_first_of("\r\n"), text.size()));
  d.record.assign(first.substr(0, kRecordShown));
  if (first.size() > kRecordShown) d.record.append(" ...");
  d.message = std::move(message);
  d.hint = std::move(hint);
  return d;
}

Diagnostic Description::WarningAt(Warning warning, std::string message, int field,
                                  std::string hint) const {
  Diagnostic d = At(kNoError, std::nullopt, std::move(message), field);
  d.severity = Severity::kWarning;
  d.warning = warning;
  d.hint = std::move(hint);
  return d;
}

Diagnostic Description::FailureAt(std::string message) const {
  return At(kErrorUnreadable, std::nullopt, std::move(message),
            failed_field_.value_or(kKeywordField));
}

void RecordError(Scenario& s, Diagnostic d, std::optional<int32_t> position) {
  s.errorCode = d.code;
  if (position) s.errorPosition = *position;
  s.diagnostics.push_back(std::move(d));
}

void RecordWarning(Scenario& s, Diagnostic d) {
  d.severity = Severity::kWarning;
  s.diagnostics.push_back(std::move(d));
}

// An error recorded before (by the line, or by a record whose reading
// went on) stops the reading at the next feature placed: the message says
// that it is that earlier error, not this record, that stops it.
Diagnostic StandingError(const Scenario& s, const Description& d, int32_t position) {
  Diagnostic diag = d.At(s.errorCode, position,
                         "error " + std::to_string(s.errorCode) +
                             " recorded earlier still stands, so the reading stops at this record",
                         kPositionField);
  for (auto it = s.diagnostics.rbegin(); it != s.diagnostics.rend(); ++it) {
    if (it->is_warning() || it->code != s.errorCode) continue;
    if (!it->file.empty() && it->line > 0) {
      diag.related.push_back({it->file, it->line, it->column,
                              "error " + std::to_string(it->code) + " was recorded here"});
    }
    break;
  }
  return diag;
}

void DescribeBeyondGrid(const Scenario& s, const char* what, int32_t position, int32_t reach,
                        Diagnostic& d) {
  const std::string at = std::string(what) + " at " + std::to_string(position) + " m";
  if (!s.hasGrid) {
    d.message = at + " comes before any line length record: the line has no cells yet";
    d.hint =
        "give the line length in the general section of the line description, for example "
        "'lunghezza percorso, 30000'";
    return;
  }
  const int32_t length = s.items[kSlotTotals].end;
  d.message = at + " lies beyond the cell grid: its position + " + std::to_string(reach) +
              " m must not pass " + std::to_string(int64_t{s.lastCell} * 50) +
              " m, where the last cell (" + std::to_string(s.lastCell) +
              ") begins; the grid runs 7000 m past the end of the " + std::to_string(length) +
              " m line";
}

Status NoCellAt(const Scenario& s, int64_t index, const char* what) {
  if (!s.hasGrid) {
    return Status::Invalid(std::string("no line length record was read, so there is no cell for ") +
                           what);
  }
  return Status::Invalid(std::string(what) + " falls on cell " + std::to_string(index) +
                         ", outside the grid (cells 0 to " + std::to_string(s.lastCell) + ")");
}

}  // namespace sb
