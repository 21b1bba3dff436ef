#include "compiler/description.h"

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

Status NoCellAt(const Scenario& s, int64_t index, const char* what) {
  if (!s.hasGrid) {
    return Status::Invalid(std::string(what) +
                           " comes before the line length record has sized the grid");
  }
  return Status::Invalid(std::string(what) + " falls on cell " + std::to_string(index) +
                         ", outside the grid (cells 0 to " + std::to_string(s.lastCell) + ")");
}

}  // namespace sb
