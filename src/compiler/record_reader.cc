#include "compiler/record_reader.h"

#include <utility>

#include "compiler/error_codes.h"

namespace sb {
namespace {

bool HasDash(const std::string& field) { return field.find('-') != std::string::npos; }

}  // namespace

Status Stop(Scenario& s, Description& d, Diagnostic diag, std::optional<int32_t> position,
            Outcome* outcome) {
  // What is left unread is told from the contents, before they go.
  std::optional<RelatedLocation> unread = d.UnreadNote(diag, true);
  SB_RETURN_IF_ERROR(d.CloseAndDelete());
  s.readingStops.push_back({d.name(), diag.line, true});
  if (unread) diag.related.push_back(std::move(*unread));
  RecordError(s, std::move(diag), position);
  *outcome = Outcome::kStopped;
  return Status::Ok();
}

bool Beyond(Scenario& s, Description& d, const char* what, int32_t position, double reach,
            Outcome* outcome) {
  if ((static_cast<double>(position) + reach) / 50.0 <= static_cast<double>(s.lastCell)) {
    return false;
  }
  Diagnostic diag = d.At(ErrorCode::kBeyondGrid, position, {}, kPositionField);
  DescribeBeyondGrid(s, what, position, static_cast<int32_t>(reach), diag);
  NoteReadingStop(s, d, diag, false);
  RecordError(s, std::move(diag), position);
  *outcome = Outcome::kEndOfReading;
  return true;
}

Status SkipDashedFields(Scenario& s, Description& d, const PartRules& rules, bool* atEnd) {
  for (int i = 0; i < rules.dashSkips && HasDash(s.currentLine); ++i) {
    CheckSkippedField(s, d, rules.part, s.currentLine);
    SB_RETURN_IF_ERROR(d.ReadKeyword(&s.currentLine));
    if (rules.endAmongSkips && d.eof()) {
      *atEnd = true;
      break;
    }
  }
  return Status::Ok();
}

void CheckRecordEnd(Scenario& s, Description& d, RecordPart part, const std::string& keyword,
                    const RecordSchema* last, const std::optional<RelatedLocation>& related) {
  if (d.read_values()) {
    // A station's name and a board's text are their records' last values: a
    // comma in one ends it early, unless the text is quoted.
    const char* hint = "";
    if (last != nullptr && last->record == Record::kStation) {
      hint = "a comma ends the station's name: put the name in double quotes to keep its comma";
    } else if (last != nullptr && last->record == Record::kTextBoard) {
      hint = "a comma ends the board's text: put the text in double quotes to keep its comma";
    }
    d.CheckRecordLine(keyword, hint);
  } else {
    CheckUnknownRecord(s, d, part, keyword, related);
  }
}

}  // namespace sb
