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

void Description::CloseAndDelete() {
  reader_.reset();
  data_.clear();
  data_.shrink_to_fit();
  Status st = source_.Delete(which_);
  if (!st.ok()) throw ReadFailure{st.Message("delete"), st};
}

void Description::ReadKeyword(std::string* currentLine) {
  if (!reader_->ReadText(currentLine)) FailRead("a field", nullptr);
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
}

std::string Description::ReadText() {
  std::string text;
  if (!reader_->ReadText(&text)) FailRead("a text", nullptr);
  return text;
}

int32_t Description::ReadInt32(const char* what) {
  int32_t v;
  if (!reader_->ReadInt32(&v)) FailRead(what, "-2147483648 to 2147483647");
  return v;
}

int16_t Description::ReadInt16(const char* what) {
  int16_t v;
  if (!reader_->ReadInt16(&v)) FailRead(what, "-32768 to 32767");
  return v;
}

uint8_t Description::ReadUInt8(const char* what) {
  uint8_t v;
  if (!reader_->ReadUInt8(&v)) FailRead(what, "0 to 255");
  return v;
}

void Description::FailRead(const char* what, const char* range) const {
  if (reader_->eof()) {
    throw ReadFailure{std::string("the file ends where ") + what + " was expected"};
  }
  throw ReadFailure{std::string(what) + " is outside " + (range ? range : "its range")};
}

Diagnostic Description::At(int32_t code, std::optional<int64_t> position,
                           std::string message) const {
  Diagnostic d;
  d.code = code;
  d.position = position;
  d.file = name_;
  d.line = keyword_line_;
  d.record = keyword_record_;
  d.message = std::move(message);
  return d;
}

void RecordError(Scenario& s, Diagnostic d, std::optional<int32_t> position) {
  s.errorCode = d.code;
  if (position) s.errorPosition = *position;
  s.diagnostics.push_back(std::move(d));
}

TrackCell& CellAt(Scenario& s, int64_t index, const char* what) {
  if (!s.hasGrid) {
    throw ReadFailure{std::string(what) +
                      " comes before the line length record has sized the grid"};
  }
  if (index < 0 || index > s.lastCell) {
    throw ReadFailure{std::string(what) + " falls on cell " + std::to_string(index) +
                      ", outside the grid (cells 0 to " + std::to_string(s.lastCell) + ")"};
  }
  return s.cells[static_cast<std::size_t>(index)];
}

}  // namespace sb
