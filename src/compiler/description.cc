#include "compiler/description.h"

#include <algorithm>
#include <string_view>

#include "compiler/number_hints.h"
#include "description/look_alikes.h"
#include "description/record_walk.h"

namespace sb {
namespace {

// A record as a diagnostic quotes it: one of megabytes is cut short, so
// that a message stays a message.
// Into `out`, whose buffer is reused: the readers quote every line.
void QuoteInto(std::string_view line, std::string* out) {
  out->assign(line.substr(0, kRecordQuoteBytes));
  if (line.size() > kRecordQuoteBytes) out->append(" ...");
}

// The first line of `data`, without its line end.
std::string_view FirstLine(std::string_view data) {
  return data.substr(0, std::min(data.find_first_of("\r\n"), data.size()));
}

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// What a record whose values ran on into the next line lacks on its own
// line: a 0 for each, after the line's last field.
std::string MissingValues(std::string_view line, std::size_t count) {
  const std::size_t last = line.find_last_not_of(" \t");
  std::string text = last != std::string_view::npos && line[last] == ',' ? " 0" : ", 0";
  for (std::size_t i = 1; i < count; ++i) text += ", 0";
  return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A keyword field that holds values a tab or a blank apart ("segnale\t8900",
// "velocita 0"): the author meant them as fields. Keywords of several words
// ("lunghezza percorso") hold no number.
bool SeparatedByBlanks(std::string_view keyword) {
  const std::string_view text = Trimmed(keyword);
  if (text.find('\t') != std::string_view::npos) return true;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i - 1] == ' ' && (IsDigit(text[i]) || text[i] == '-')) return true;
  }
  return false;
}

std::string Count(std::size_t n, const char* noun) {
  return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

}  // namespace

Description::Description(DescriptionSource& source, DescriptionKind which)
    : source_(source), which_(which), name_(source.Name(which)) {}

Status Description::Open() {
  Status st = source_.Read(which_, &data_);
  if (!st.ok()) return Status::Invalid("cannot read " + name() + ": " + st.reason());
  reader_.emplace(data_);
  log_ = source_.FieldLog();
  return Status::Ok();
}

std::optional<RelatedLocation> Description::UnreadNote(const Diagnostic& at, bool trainToo) const {
  const bool line = which_ == DescriptionKind::kLine;
  std::string unread;
  std::uint64_t total = 0;
  if (!data_.empty() && at.line > 0) {
    const RecordCounts counts = CountRecordsAfterLine(data_, line, at.line);
    unread = DescribeRecordCounts(counts);
    for (std::uint64_t n : counts) total += n;
  }
  trainToo = trainToo && line;
  if (unread.empty() && !trainToo) return std::nullopt;
  // The train is not named: a line read once for several trains stops
  // them all.
  if (unread.empty()) {
    return RelatedLocation{at.file, at.line, at.column,
                           "the train description is not read: the reading ends with this error"};
  }
  // The note's place names the file.
  std::string message = "the reading stops here: " + unread + " after this line " +
                        (total == 1 ? "is" : "are") + " not compiled";
  if (trainToo) message += ", and the train description is not read";
  return RelatedLocation{at.file, at.line, at.column, std::move(message)};
}

Status Description::CloseAndDelete() {
  // What fails from now on (the fills up to the end of the line) concerns
  // the description as a whole, not the record read last.
  keywordLine_ = 0;
  keywordRecord_.clear();
  keywordLineText_ = {};
  recordFields_.clear();
  failedField_.reset();
  reader_.reset();
  data_.clear();
  data_.shrink_to_fit();
  return source_.Delete(which_);
}

bool Description::NoteField(const char* what) {
  const FieldPlace place{reader_->line(), reader_->column(), what, reader_->line_begin()};
  // Two fields never begin at the same place: an unchanged place means the
  // read ended at the end of the file before any field.
  if (!recordFields_.empty() && place.line == recordFields_.back().line &&
      place.column == recordFields_.back().column) {
    return false;
  }
  recordFields_.push_back(place);
  if (recordFields_.size() == 2 && warnInto_ != nullptr) {
    valuesFrom_ = warnInto_->diagnostics.size();
  }
  if (log_ != nullptr) log_->push_back({which_, place.line, place.column, what});
  if (place.line != keywordLine_ && borrowedField_ == 0) {
    borrowedField_ = recordFields_.size() - 1;
    borrowedText_.assign(reader_->last_text());
  }
  return true;
}

Status Description::ReadKeyword(std::string* currentLine) {
  if (source_.Cancelled()) return Status::Cancelled();
  if (!reader_->ReadText(currentLine)) return FailRead("a field", nullptr, false);
  recordFields_.clear();
  recordFields_.push_back(
      {reader_->line(), reader_->column(), "the keyword", reader_->line_begin()});
  if (log_ != nullptr) log_->push_back({which_, reader_->line(), reader_->column(), nullptr});
  borrowedField_ = 0;
  splitField_ = 0;
  splits_ = 0;
  valuesFrom_ = warnInto_ != nullptr ? warnInto_->diagnostics.size() : 0;
  // The record's text is taken once per line, at its first keyword: a line
  // of millions of fields would otherwise be copied for each of them, and
  // the reading would grow with the square of the line's length.
  if (reader_->line() != keywordLine_) {
    keywordLine_ = reader_->line();
    keywordLineText_ = reader_->LineText();
    QuoteInto(keywordLineText_, &keywordRecord_);
  }
  return Status::Ok();
}

Status Description::ReadText(std::string* text, const char* what) {
  std::string field;
  const bool read = reader_->ReadText(&field);
  const bool began = NoteField(what);
  if (!read) return FailRead("a text", nullptr, began);
  *text = std::move(field);
  return Status::Ok();
}

Status Description::ReadInt32(const char* what, int32_t* value, const char* not_a_number_note,
                              std::string_view unit) {
  const bool read = reader_->ReadInt32(value);
  const bool began = NoteField(what);
  if (!read) return FailRead(what, "-2147483648 to 2147483647", began);
  CheckNumber(not_a_number_note, unit);
  return Status::Ok();
}

Status Description::ReadInt16(const char* what, int16_t* value, std::string_view unit) {
  const bool read = reader_->ReadInt16(value);
  const bool began = NoteField(what);
  if (!read) return FailRead(what, "-32768 to 32767", began);
  CheckNumber(nullptr, unit);
  return Status::Ok();
}

Status Description::ReadUInt8(const char* what, uint8_t* value, std::string_view unit) {
  const bool read = reader_->ReadUInt8(value);
  const bool began = NoteField(what);
  if (!read) return FailRead(what, "0 to 255", began);
  CheckNumber(nullptr, unit);
  return Status::Ok();
}

bool Description::KeywordQuoted() const {
  if (!reader_ || recordFields_.empty()) return false;
  const std::string_view line = reader_->LineText();
  const std::size_t column = static_cast<std::size_t>(recordFields_.front().column);
  return column >= 1 && column <= line.size() && line[column - 1] == '"';
}

void Description::Warn(Diagnostic d) {
  if (warnInto_ != nullptr) RecordWarning(*warnInto_, std::move(d));
}

void Description::CheckNumber(const char* note, std::string_view unit) {
  if (reader_->last_number_whole()) {
    // A blank between thousands is seen only in metres: elsewhere numbers
    // parted by blanks are the record's own columns ("15 16 30").
    if (warnInto_ != nullptr && unit == "m" &&
        reader_->last_end() == FieldReader::End::kBeforeText) {
      CheckThousandsAcrossBlank(unit);
    }
    return;
  }
  const int field = static_cast<int>(recordFields_.size()) - 1;
  // "15 16 30" are three numbers, but a word that is no number and ends at
  // a blank is most likely a text with blanks ("PASSO ALTO") written where
  // a value is missing: its rest becomes the next value.
  const bool split = reader_->last_end() == FieldReader::End::kBeforeText &&
                     recordFields_.back().line == keywordLine_;
  if (split && splits_++ == 0) splitField_ = recordFields_.size() - 1;
  if (warnInto_ == nullptr || !WantWarning(*warnInto_, Warning::kNotANumber, name_)) return;
  const std::string_view token = reader_->last_text();
  // A quoted number runs to its closing quote, past the comma that ended
  // the field: the author's "16,000" is quoted whole.
  std::string_view written = token;
  if (token.starts_with('"') && (token.size() == 1 || !token.ends_with('"'))) {
    const std::string_view line = reader_->LineText();
    const std::size_t begin = static_cast<std::size_t>(reader_->column() - 1);
    const std::size_t close = line.find('"', begin + 1);
    if (begin < line.size() && close != std::string_view::npos) {
      written = line.substr(begin, close + 1 - begin);
    }
  }
  std::string message = "expected a whole number, found ";
  message += written.empty() ? std::string("nothing") : "'" + std::string(written) + "'";
  message += DescribeLookAlikes(written);
  if (note != nullptr) message += note;
  NumberHint fix = HintForNumber(written, unit);
  Diagnostic d = WarningAt(Warning::kNotANumber, std::move(message), field, std::move(fix.hint));
  if (!fix.whole.empty()) {
    if (auto edit = EditField(field, std::string(written), fix.whole)) {
      d.fixes.push_back({"write " + fix.whole, {std::move(*edit)}});
    }
  }
  if (split) {
    d.related.push_back({name_, keywordLine_, reader_->NextFieldColumn(),
                         "after the blank, '" + std::string(reader_->NextFieldText()) +
                             "' is read as the next field"});
  }
  Warn(std::move(d));
}

void Description::CheckThousandsAcrossBlank(std::string_view unit) {
  const std::string_view token = reader_->last_text();
  const std::string_view next = reader_->NextFieldText();
  if (!ThousandsAcrossBlank(token, next)) return;
  // Only where the record parts its values with commas: the rest of the
  // number ends at one.
  const std::string_view line = reader_->LineText();
  const std::size_t begin = static_cast<std::size_t>(reader_->column() - 1);
  const std::size_t next_end =
      static_cast<std::size_t>(reader_->NextFieldColumn() - 1) + next.size();
  const std::size_t after = line.find_first_not_of(" \t", next_end);
  if (after == std::string_view::npos || line[after] != ',') return;
  if (!WantWarning(*warnInto_, Warning::kNotANumber, name_)) return;
  const std::string_view written = line.substr(begin, next_end - begin);
  const std::string number = std::string(token) + std::string(next);
  const int field = static_cast<int>(recordFields_.size()) - 1;
  Diagnostic d =
      WarningAt(Warning::kNotANumber,
                "expected a whole number, found '" + std::string(written) + "': it reads as " +
                    std::string(token) + ", and '" + std::string(next) + "' as the next value",
                field, HintForNumber(written, unit).hint);
  if (auto edit = EditField(field, std::string(written), number)) {
    d.fixes.push_back({"write " + number, {std::move(*edit)}});
  }
  Warn(std::move(d));
}

void Description::TellShortageFirst() {
  std::vector<Diagnostic>& told = warnInto_->diagnostics;
  if (told.empty()) return;
  // Errors keep their order and warnings never pass one.
  std::size_t first = valuesFrom_;
  for (std::size_t i = told.size() - 1; i > first; --i) {
    if (!told[i - 1].is_warning()) {
      first = i;
      break;
    }
  }
  std::rotate(told.begin() + static_cast<std::ptrdiff_t>(first), told.end() - 1, told.end());
}

void Description::CheckRecordLine(const std::string& keyword, const char* extra_hint) {
  if (warnInto_ == nullptr || !read_values()) return;
  const bool extra = reader_->NextFieldColumn() != 0 && !reader_->NextFieldText().empty();
  const bool split =
      borrowedField_ == 0 && !extra && splits_ > 0 && splitField_ + 1 < recordFields_.size();
  if (borrowedField_ == 0 && !extra && !split) return;  // the common case: nothing to build
  // The line is explained whether or not the warning is wanted: its fields
  // are no unknown records either way.
  explainedLine_ = reader_->line();
  const Warning warning =
      borrowedField_ != 0 || split ? Warning::kMissingValues : Warning::kExtraValues;
  if (!WantWarning(*warnInto_, warning, name_)) return;
  const std::size_t values = recordFields_.size() - 1;
  const std::string shown = "'" + std::string(Trimmed(keyword)) + "'";
  if (split) {
    const FieldPlace& place = recordFields_[splitField_];
    const std::string_view from =
        keywordLineText_.substr(static_cast<std::size_t>(place.column - 1));
    const std::string written(Trimmed(from.substr(0, from.find(','))));
    Warn(WarningAt(
        Warning::kMissingValues,
        shown + " takes " + Count(values, "value") + " but its line holds " +
            std::to_string(values - splits_) + "; " + place.what + " is read from '" + written +
            "' up to its blank, and " + recordFields_[splitField_ + 1].what + " from the rest",
        kKeywordField,
        (splits_ == 1 ? "a value is missing before '" : "values are missing before '") + written +
            "': write all " + std::to_string(values) + ", separated by commas"));
    TellShortageFirst();
    return;
  }
  if (borrowedField_ != 0) {
    const FieldPlace& borrowed = recordFields_[borrowedField_];
    const std::size_t on_line = borrowedField_ - 1;
    // A text split at its blanks filled several of them.
    const std::size_t written = on_line - splits_;
    Diagnostic d =
        WarningAt(Warning::kMissingValues,
                  shown + " takes " + Count(values, "value") + " but its line holds " +
                      std::to_string(written) + "; " + borrowed.what + " is read from line " +
                      std::to_string(borrowed.line) + " ('" + borrowedText_ + "')");
    d.related.push_back(
        {name_, borrowed.line, borrowed.column, std::string(borrowed.what) + " is read from here"});
    // No value can be guessed: a 0 for each keeps the next line its own.
    const std::string zeros = MissingValues(keywordLineText_, values - on_line);
    const std::size_t end = keywordLineText_.find_last_not_of(" \t");
    const int column = end == std::string_view::npos ? 1 : static_cast<int>(end) + 2;
    d.fixes.push_back({"add the missing values as 0: '" + zeros.substr(zeros.find('0')) + "'",
                       {{keywordLine_, column, {}, zeros}}});
    if (SeparatedByBlanks(keyword)) {
      d.hint = "separate the values with commas: a tab or a blank does not end a field";
    }
    Warn(std::move(d));
    TellShortageFirst();
    return;
  }
  const int column = reader_->NextFieldColumn();
  const std::string_view next = reader_->NextFieldText();
  // Typographic quotes quote nothing: the comma between them ended the text.
  const std::string plain = ReplaceLookAlikes(keywordLineText_, false);
  if (std::count(plain.begin(), plain.end(), '"') >
      std::count(keywordLineText_.begin(), keywordLineText_.end(), '"')) {
    extra_hint =
        "write the quotes as '\"': a typographic quote quotes nothing, so a comma ends the text";
  }
  Diagnostic d = WarningAt(Warning::kExtraValues,
                           "expected " + Count(values, "value") + " for " + shown +
                               ", found more on its line: '" + std::string(next) + "'" +
                               DescribeLookAlikes(next) + " is read as the next keyword",
                           kKeywordField, extra_hint);
  d.column = column;
  Warn(std::move(d));
}

Diagnostic Description::WarningAtStart(Warning warning, std::string message,
                                       std::string hint) const {
  Diagnostic d = AtStart(ErrorCode::kNone, std::move(message), std::move(hint));
  d.severity = Severity::kWarning;
  d.warning = warning;
  return d;
}

Status Description::FailRead(const char* what, const char* range, bool began) {
  failedField_ = began ? static_cast<int>(recordFields_.size()) - 1 : kNoField;
  if (reader_->eof()) {
    return Status::Invalid(std::string("the file ends where ") + what + " was expected");
  }
  return Status::Invalid(std::string(what) + " is outside " + (range ? range : "its range"));
}

std::string_view Description::KeywordLineWithEnd() const {
  if (keywordLineText_.data() == nullptr) return {};
  const std::size_t begin = static_cast<std::size_t>(keywordLineText_.data() - data_.data());
  std::size_t end = begin + keywordLineText_.size();
  if (end < data_.size() && data_[end] == '\r') ++end;
  if (end < data_.size() && data_[end] == '\n') ++end;
  return std::string_view(data_).substr(begin, end - begin);
}

std::optional<TextEdit> Description::EditField(int field, std::string replaced,
                                               std::string text) const {
  if (field < 0 || static_cast<std::size_t>(field) >= recordFields_.size()) return std::nullopt;
  const FieldPlace& place = recordFields_[static_cast<std::size_t>(field)];
  return TextEdit{place.line, place.column, std::move(replaced), std::move(text)};
}

int Description::ColumnOf(int field) const {
  if (field < 0 || static_cast<std::size_t>(field) >= recordFields_.size()) return 0;
  const FieldPlace& place = recordFields_[static_cast<std::size_t>(field)];
  return place.line == keywordLine_ ? place.column : 0;
}

Diagnostic Description::At(ErrorCode code, std::optional<int64_t> position, std::string message,
                           int field) const {
  Diagnostic d;
  d.code = code;
  d.position = position;
  d.file = name_;
  d.line = keywordLine_;
  d.column = ColumnOf(field);
  d.record = keywordRecord_;
  d.message = std::move(message);
  return d;
}

Diagnostic Description::AtStart(ErrorCode code, std::string message, std::string hint) const {
  Diagnostic d;
  d.code = code;
  d.file = name_;
  d.line = 1;
  d.column = 1;
  QuoteInto(FirstLine(data_), &d.record);
  d.message = std::move(message);
  d.hint = std::move(hint);
  return d;
}

Diagnostic Description::WarningAt(Warning warning, std::string message, int field,
                                  std::string hint) const {
  Diagnostic d = At(ErrorCode::kNone, std::nullopt, std::move(message), field);
  d.severity = Severity::kWarning;
  d.warning = warning;
  d.hint = std::move(hint);
  if (field <= kKeywordField || static_cast<std::size_t>(field) >= recordFields_.size()) return d;
  const FieldPlace& place = recordFields_[static_cast<std::size_t>(field)];
  if (place.line == keywordLine_) return d;
  // A value read from a later line is told where it stands, the record
  // that read it beside it: quoting the record's own line would point at a
  // field that is not there.
  const std::string_view rest = std::string_view(data_).substr(place.lineBegin);
  QuoteInto(rest.substr(0, std::min(rest.find_first_of("\r\n"), rest.size())), &d.record);
  d.line = place.line;
  d.column = place.column;
  d.related.push_back({name_, keywordLine_, recordFields_.front().column,
                       std::string("read as ") + place.what +
                           " by the record on this line, whose values run on into line " +
                           std::to_string(place.line)});
  return d;
}

Diagnostic Description::FailureAt(std::string message) const {
  return At(ErrorCode::kUnreadable, std::nullopt, std::move(message),
            failedField_.value_or(kKeywordField));
}

void NoteReadingStop(Scenario& s, const Description& d, Diagnostic& diag, bool rest) {
  s.readingStops.push_back({d.name(), diag.line, rest});
  if (std::optional<RelatedLocation> note = d.UnreadNote(diag, rest)) {
    diag.related.push_back(std::move(*note));
  }
}

void RecordError(Scenario& s, Diagnostic d, std::optional<int32_t> position) {
  s.errorCode = d.code;
  if (position) s.errorPosition = *position;
  s.diagnostics.push_back(std::move(d));
}

bool WantWarning(Scenario& s, Warning w, const std::string& file) {
  if (!s.keepWarnings) return false;
  const auto index = static_cast<std::size_t>(w);
  if (index >= kWarningCount || s.silencedWarnings[index]) return false;
  if (s.warningsKept[index] >= kMaxWarningsKept) {
    ++s.warningsNotKept[{file, w}];
    return false;
  }
  return true;
}

void RecordWarning(Scenario& s, Diagnostic d) {
  if (!WantWarning(s, d.warning, d.file)) return;
  ++s.warningsKept[static_cast<std::size_t>(d.warning)];
  d.severity = Severity::kWarning;
  s.diagnostics.push_back(std::move(d));
}

// An error recorded before (by the line, or by a record whose reading
// went on) stops the reading at the next feature placed: the message says
// that it is that earlier error, not this record, that stops it.
Diagnostic StandingError(const Scenario& s, const Description& d, int32_t position) {
  Diagnostic diag = d.At(s.errorCode, position,
                         "error " + std::to_string(Number(s.errorCode)) +
                             " recorded earlier still stands, so the reading stops at this record",
                         kPositionField);
  for (auto it = s.diagnostics.rbegin(); it != s.diagnostics.rend(); ++it) {
    if (it->is_warning() || it->code != s.errorCode) continue;
    if (!it->file.empty() && it->line > 0) {
      diag.related.push_back({it->file, it->line, it->column,
                              "error " + std::to_string(Number(it->code)) + " was recorded here"});
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
