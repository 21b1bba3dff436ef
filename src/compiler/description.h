// Reading one description file inside the compiler: the field reader plus
// the file's identity, so every error can point at its file, line, column
// and record.
//
// A read failure (end of file inside a record, a number out of range), a
// description that cannot be opened or deleted, and any other failure that
// stops the readers are returned as a Status (kInvalid, or kIoError for the
// deletion) and carried up to memorizza_dati, which records error 25.
#ifndef SB_COMPILER_DESCRIPTION_H_
#define SB_COMPILER_DESCRIPTION_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "compiler/description_source.h"
#include "compiler/scenario.h"
#include "description/field_reader.h"

namespace sb {

// A field of the current record: 0 is its keyword, 1 the first value, ...
inline constexpr int kKeywordField = 0;
// Every record that places a feature gives its position first.
inline constexpr int kPositionField = 1;

class Description {
 public:
  // The description `which` of `source`, named as the source names it.
  Description(DescriptionSource& source, DescriptionKind which);

  // Loads the whole description; Invalid, "cannot read <name>: <reason>",
  // when the source cannot give it.
  Status Open();
  bool is_open() const { return reader_.has_value(); }
  // Forgets the contents and has the source delete the description; an
  // I/O error when it cannot be deleted.
  Status CloseAndDelete();

  bool eof() const { return reader_->eof(); }

  // Reads the next field as text into `currentLine`, remembering it as the
  // keyword field of the record that begins here.
  Status ReadKeyword(std::string* currentLine);
  // The value reads: the next field of the current record. On failure the
  // destination is unchanged and the Status says what was expected.
  Status ReadText(std::string* text, const char* what = "the text");
  // `not_a_number_note` ends the not-a-number warning's message, for a
  // field whose 0 has a consequence worth telling; `unit`, the column's
  // ("m", "km/h"), decides what its hint takes a mistyped number for.
  Status ReadInt32(const char* what, int32_t* value, const char* not_a_number_note = nullptr,
                   std::string_view unit = {});
  Status ReadInt16(const char* what, int16_t* value, std::string_view unit = {});
  Status ReadUInt8(const char* what, uint8_t* value, std::string_view unit = {});

  const std::string& name() const { return name_; }

  // Warnings found while reading fields (not-a-number) and while checking a
  // record's line go to `s`; until this is called there are none.
  void WarnInto(Scenario& s) { warnInto_ = &s; }

  // After a record's values are read: missing-values when one of them came
  // from a later line, or when a text holding a blank stood where a number
  // is read and its rest gave the next value; else extra-values when more
  // fields follow on the line of the last one (`extra_hint` the likely
  // fix). Either explains the rest of that line, which is then no unknown
  // record. Missing values are told before the warnings the record's values
  // gave, which most likely follow from them.
  void CheckRecordLine(const std::string& keyword, const char* extra_hint = "");
  // True when the current record read a value.
  bool read_values() const { return recordFields_.size() > 1; }
  // The current keyword's line was explained by a warning already, or is to
  // be left alone (curves read without a profile): its fields are not
  // unknown records.
  bool LineExplained() const { return explainedLine_ == keywordLine_; }
  void ExplainLine() { explainedLine_ = keywordLine_; }
  // The current keyword field was written in double quotes.
  bool KeywordQuoted() const;
  // Where the current record's `field` is, for a related location.
  RelatedLocation Here(std::string message, int field = kKeywordField) const {
    return {name_, keywordLine_, ColumnOf(field), std::move(message)};
  }
  // The current record's line, and the column of its `field` (0 when on
  // another line): cheap to keep for every record.
  int keyword_line() const { return keywordLine_; }
  int column_of(int field) const { return ColumnOf(field); }
  // Edits of the current record, for a fix: `replaced`, the text of its
  // `field` as written, becomes `text` (nothing when the record has no such
  // field); a line inserted above the record's keyword line.
  std::optional<TextEdit> EditField(int field, std::string replaced, std::string text) const;
  TextEdit InsertLineAbove(const std::string& line) const {
    return {keywordLine_, 1, {}, line + "\n"};
  }
  // The current keyword's line with its line end, as written.
  std::string_view KeywordLineWithEnd() const;
  // The whole description, for a fix that looks beyond the current record.
  std::string_view data() const { return data_; }
  // A warning at line 1, column 1 of the description.
  Diagnostic WarningAtStart(Warning warning, std::string message, std::string hint) const;

  // What an error on `line` that ends the reading of this description
  // leaves unread, as a note at `at`: the records after that line, by
  // kind, and, when `trainToo`, the train description, which is then not
  // read at all. Nothing when nothing is left; asked before the contents
  // are forgotten.
  std::optional<RelatedLocation> UnreadNote(const Diagnostic& at, bool trainToo) const;

  // The current record: file, keyword line, position field and its text.
  SourceRef Source() const {
    return {name_, keywordLine_, ColumnOf(kPositionField), keywordRecord_};
  }

  // A diagnostic pointing at the current record's keyword line and at
  // `field` of the record.
  Diagnostic At(ErrorCode code, std::optional<int64_t> position, std::string message = {},
                int field = kKeywordField) const;
  // A diagnostic about something missing from the whole file, pointing at
  // its first line, where it was expected.
  Diagnostic AtStart(ErrorCode code, std::string message, std::string hint) const;
  // A warning pointing at the current record's keyword line and at `field`;
  // at the field's own line when the record read it from a later one, with
  // a note at the record that explains why.
  Diagnostic WarningAt(Warning warning, std::string message, int field = kKeywordField,
                       std::string hint = {}) const;
  // The diagnostic of a failure that ended the reading (error 25): it
  // points at the field whose read failed, at no field when the file ended
  // first, and at the record's keyword for any other failure.
  Diagnostic FailureAt(std::string message) const;

 private:
  struct FieldPlace {
    int line;
    int column;
    const char* what;
    std::size_t lineBegin;  // in data_
  };
  static constexpr int kNoField = -1;

  // `began`: the failed read began a field (a number out of range), which
  // is then the field at fault.
  Status FailRead(const char* what, const char* range, bool began);
  // Notes where the field just read began; false when the read began none.
  bool NoteField(const char* what);
  // After a number was read: not-a-number when its text was no number, or
  // when a blank parted its thousands.
  void CheckNumber(const char* note, std::string_view unit);
  // A whole number whose next field is the rest of it after a blank
  // ("16 000"): what it reads as, and the number meant.
  void CheckThousandsAcrossBlank(std::string_view unit);
  // The record's missing-values warning, told before the warnings that
  // follow from it: it was recorded last.
  void TellShortageFirst();
  void Warn(Diagnostic d);
  // The column of `field`, or 0 when the record has no such field or it
  // lies on another line than the keyword.
  int ColumnOf(int field) const;

  DescriptionSource& source_;
  DescriptionKind which_;
  std::string name_;
  std::string data_;
  std::optional<FieldReader> reader_;
  std::vector<FieldRead>* log_ = nullptr;  // the source's, taken on opening
  int keywordLine_ = 0;
  std::string keywordRecord_;
  // The keyword's whole line, in data_.
  std::string_view keywordLineText_;
  // Where each field of the current record began, the keyword first.
  std::vector<FieldPlace> recordFields_;
  // Set by a failed read: the field it began, or kNoField.
  std::optional<int> failedField_;
  Scenario* warnInto_ = nullptr;
  int explainedLine_ = 0;
  // The first value of the current record read from a later line than its
  // keyword: its index in recordFields_ (0 when none) and its text.
  std::size_t borrowedField_ = 0;
  std::string borrowedText_;
  // The first number field of the current record whose text was no number
  // and ended at a blank, the rest of its text read as the next value: its
  // index in recordFields_ (0 when none), and how many such the record has.
  std::size_t splitField_ = 0;
  std::size_t splits_ = 0;
  // How many diagnostics the run state held when the current record began
  // to read its values: those after follow from them.
  std::size_t valuesFrom_ = 0;
};

// Notes that the reading of `d` ends at `diag`, an error not yet recorded:
// where (Scenario::readingStops; `rest` when nothing after it is read,
// the train included) and, in a note of `diag`, what is left unread.
void NoteReadingStop(Scenario& s, const Description& d, Diagnostic& diag, bool rest);

// Records an error in the run state: errorCode always, errorPosition when
// `position` is given; the diagnostic is kept for the report.
void RecordError(Scenario& s, Diagnostic d, std::optional<int32_t> position);

// Keeps a warning for the report. It touches no run state: a warning never
// changes what is compiled.
void RecordWarning(Scenario& s, Diagnostic d);

// Whether a warning `w` of `file` is to be built: false when warnings are
// not kept or `w` is silenced, and when as many of `w` as are kept have
// been, after counting this one. The checks a flood can come from ask
// first, so that a warning nobody will see costs no message.
bool WantWarning(Scenario& s, Warning w, const std::string& file);

// The error that stops the reading at a feature because an earlier one
// still stands in the run state: it keeps that error's code.
Diagnostic StandingError(const Scenario& s, const Description& d, int32_t position);

// The words of error 15 for `what` at `position`, whose position + `reach`
// metres must lie inside the grid: plainly "no line length" when none was
// read.
void DescribeBeyondGrid(const Scenario& s, const char* what, int32_t position, int32_t reach,
                        Diagnostic& d);

// Why `index` names no cell: no grid yet, or outside it.
Status NoCellAt(const Scenario& s, int64_t index, const char* what);

// Sets `*cell` to the cell at `index`; fails when there is no grid yet or
// the index lies outside it. Inline: the per-stretch writers call it for
// every cell of the line.
inline Status CellAt(Scenario& s, int64_t index, const char* what, TrackCell** cell) {
  if (!s.ValidCell(index)) return NoCellAt(s, index, what);
  *cell = &s.cells[static_cast<std::size_t>(index)];
  return Status::Ok();
}

}  // namespace sb

#endif  // SB_COMPILER_DESCRIPTION_H_
