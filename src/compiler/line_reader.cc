#include <algorithm>
#include <charconv>
#include <new>
#include <optional>
#include <string_view>
#include <vector>

#include "base/rounding.h"
#include "compiler/curve_keyword.h"
#include "compiler/error_codes.h"
#include "compiler/progressions.h"
#include "compiler/readers.h"
#include "compiler/record_checks.h"
#include "compiler/record_reader.h"
#include "description/keywords.h"

namespace sb {
namespace {

constexpr PartRules kGeneralRules{
    .part = RecordPart::kLineGeneral,
    .dashSkips = DashRuleOf(RecordPart::kLineGeneral).skips,
    .endAmongSkips = DashRuleOf(RecordPart::kLineGeneral).endAmongSkips};
constexpr PartRules kFeatureRules{
    .part = RecordPart::kLineFeature,
    .dashSkips = DashRuleOf(RecordPart::kLineFeature).skips,
    .endAmongSkips = DashRuleOf(RecordPart::kLineFeature).endAmongSkips};
// The record's position plus this, in cells, must lie inside the grid.
constexpr double kFeatureReach = 100.0;

// Fields of the records, counted from the keyword (0).
constexpr int kLengthField = 1;
constexpr int kRepetitionStartField = 1;
constexpr int kRepetitionEndField = 2;
constexpr int kCurveLengthField = 2;

// What the warnings about the feature part remember between records.
struct FeatureChecks {
  std::optional<RelatedLocation> generalEnd;  // the field that ended the general section
  OrderCheck gradients{"gradient"};
  OrderCheck curves{"curve"};
  OrderCheck mountains{"mountain"};
};

// --- The general section ---------------------------------------------------

// The grid is sized for the last line length read, once, as the general
// section ends (SizeGridForLength): nothing in the section looks at the
// grid, and sizing it at every record would make a file of many length
// records cost a grid each.
Status ReadLength(Scenario& s, Description& d, Outcome* outcome,
                  std::optional<int32_t>* gridLength) {
  int32_t length = 0;
  SB_RETURN_IF_ERROR(ReadColumn<Record::kLength, 0>(d, &length, "; the line length reads as 0"));
  s.items[kSlotTotals].end = length;
  // A negative length would leave no room for the reserved cell 1 or the
  // profile's seeds; it is as wrong as one above the limit.
  if (length > kMaxLineLength || length < 0) {
    return Stop(s, d,
                d.At(ErrorCode::kLineLength, length,
                     "line length " + std::to_string(length) + " m is outside 0 to 1000000 m",
                     kLengthField),
                std::nullopt, outcome);
  }
  *gridLength = length;
  return Status::Ok();
}

void SizeGridForLength(Scenario& s, std::optional<int32_t>* gridLength) {
  if (!*gridLength) return;
  const int32_t length = **gridLength;
  gridLength->reset();
  s.SizeForLength(length);
}

// The three progressions read the same columns.
Status ReadProgression(Scenario& s, Description& d, ScenarioItem& item) {
  constexpr Record kAny = Record::kProgressionUno;
  SB_RETURN_IF_ERROR(ReadColumn<kAny, 0>(d, &item.start));
  SB_RETURN_IF_ERROR(ReadColumn<kAny, 1>(d, &item.end));
  SB_RETURN_IF_ERROR(ReadColumn<kAny, 2>(d, &item.position));
  constexpr int kValueField = 2;
  s.progressionSources.push_back({item.start, d.Source(), item.end, d.column_of(kValueField)});
  return Status::Ok();
}

// The stretch with signal repetition and its number of codes, named by a
// "4" or a "9" in the keyword field.
Status ReadSignalRepetition(Scenario& s, Description& d, const std::string& field,
                            Outcome* outcome) {
  ScenarioItem& item = s.items[kSlotTrain];
  SB_RETURN_IF_ERROR(ReadColumn<Record::kSignalRepetition, 0>(d, &item.start));
  SB_RETURN_IF_ERROR(ReadColumn<Record::kSignalRepetition, 1>(d, &item.end));
  if (item.start % 50 != 0) {
    return Stop(s, d, d.At(ErrorCode::kRepetitionStart, item.start, {}, kRepetitionStartField),
                std::nullopt, outcome);
  }
  if (item.end % 50 != 0) {
    return Stop(s, d, d.At(ErrorCode::kRepetitionEnd, item.end, {}, kRepetitionEndField),
                std::nullopt, outcome);
  }
  if (Contains(field, "4", Compare::kText)) {
    item.position = 4;
  } else if (Contains(field, "9", Compare::kText)) {
    item.position = 9;
  } else {
    return Stop(s, d, d.At(ErrorCode::kRepetitionCodes, std::nullopt), std::nullopt, outcome);
  }
  if (item.end == 0) item.position = 0;
  return Status::Ok();
}

// One record of the general section.
Status ReadGeneralRecord(Scenario& s, Description& d, const RecordSchema& record,
                         const std::string& field, Outcome* outcome,
                         std::optional<int32_t>* gridLength) {
  // The backgrounds are stored out of order: one, three, two.
  ScenarioItem& backgrounds = s.items[kSlotLine];
  switch (record.record) {
    case Record::kLength: return ReadLength(s, d, outcome, gridLength);
    case Record::kProgressionTre: return ReadProgression(s, d, s.items[kSlotProgressionTre]);
    case Record::kProgressionDue: return ReadProgression(s, d, s.items[kSlotProgressionDue]);
    case Record::kProgressionUno: return ReadProgression(s, d, s.items[kSlotProgressionUno]);
    case Record::kBackgroundUno:
      return ReadColumn<Record::kBackgroundUno, 0>(d, &backgrounds.start);
    case Record::kBackgroundDue:
      return ReadColumn<Record::kBackgroundDue, 0>(d, &backgrounds.position);
    case Record::kBackgroundTre: return ReadColumn<Record::kBackgroundTre, 0>(d, &backgrounds.end);
    case Record::kSignalRepetition: return ReadSignalRepetition(s, d, field, outcome);
    default: return Status::Ok();  // not of the general section
  }
}

// The general section starts after the first field holding "[generale]".
// The first read has no end-of-file test before it: an empty file is a
// read failure, not a missing section.
Status FindGeneralSection(Scenario& s, Description& d, Outcome* outcome) {
  // A field that looks like a misspelt "[generale]" is what the error
  // points at: the file's first line is seldom where the slip is.
  std::optional<Diagnostic> slip;
  for (;;) {
    SB_RETURN_IF_ERROR(d.ReadKeyword(&s.currentLine));
    NoteGeneralHeaderSlip(d, s.currentLine, &slip);
    if (d.eof()) {
      Diagnostic diag =
          d.AtStart(ErrorCode::kNoGeneralSection,
                    "expected a \"[generale]\" line before the line's records, found none "
                    "in the file",
                    "begin the general section with a line [generale]");
      if (slip) {
        PointAtGeneralHeaderSlip(*slip, "the line's records need one before them", diag);
      }
      return Stop(s, d, std::move(diag), std::nullopt, outcome);
    }
    if (OpensRecords(s.currentLine)) return Status::Ok();
  }
}

std::optional<int64_t> WholeNumber(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
  int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Where the line's features end, as their records (one a line) write them:
// the length a fix for a missing line length proposes, so that none of them
// lies past it.
int64_t FeaturesEnd(std::string_view data) {
  int64_t end = 0;
  for (std::size_t begin = 0; begin < data.size();) {
    const std::size_t stop = std::min(data.find_first_of("\r\n", begin), data.size());
    const std::string_view line = data.substr(begin, stop - begin);
    begin = stop + 1;
    std::vector<std::string_view> fields;
    for (std::size_t at = 0; at <= line.size() && fields.size() < 3;) {
      const std::size_t comma = std::min(line.find(',', at), line.size());
      fields.push_back(line.substr(at, comma - at));
      at = comma + 1;
    }
    if (fields.size() < 2 || fields[0].find('-') != std::string_view::npos) continue;
    const std::optional<int64_t> first = WholeNumber(fields[1]);
    const std::optional<int64_t> second = WholeNumber(fields.size() > 2 ? fields[2] : "");
    for (const RecordSchema& record : RecordsOf(RecordPart::kLineFeature)) {
      if (!record.test.Matches(fields[0]) || !first) continue;
      end = std::max(end, *first);
      if (record.record == Record::kCurve && second) end = std::max(end, *first + *second);
      if (record.record == Record::kMountain && second) end = std::max(end, *second);
    }
  }
  return end;
}

// no-line-length, pointing at the field where the general section ended.
void CheckLineLength(Scenario& s, const Description& d, bool sawLength) {
  if (sawLength || !WantWarning(s, Warning::kNoLineLength, d.name())) return;
  Diagnostic w = d.WarningAt(Warning::kNoLineLength,
                             "expected a 'lunghezza percorso' record before the general "
                             "section ends here",
                             kKeywordField, "add 'lunghezza percorso, <metres>' above it");
  // A guess: the next whole kilometre past the last feature.
  constexpr int64_t kKilometre = 1000;
  const int64_t length =
      std::min<int64_t>((FeaturesEnd(d.data()) / kKilometre + 1) * kKilometre, kMaxLineLength);
  const std::string record = "lunghezza percorso, " + std::to_string(length);
  w.fixes.push_back({"add '" + record + "' above it", {d.InsertLineAbove(record)}});
  RecordWarning(s, std::move(w));
}

Status ReadGeneralRecords(Scenario& s, Description& d, FeatureChecks& checks, Outcome* outcome,
                          std::optional<int32_t>* gridLength) {
  bool sawLength = false;
  auto readRecord = [&](Outcome* out) -> Status {
    const std::string field = s.currentLine;
    if (SchemaOf(Record::kLength).test.Matches(field)) sawLength = true;
    SB_RETURN_IF_ERROR(ReadMatchingRecords(
        s, d, RecordPart::kLineGeneral, field,
        [&](const RecordSchema& record) {
          return ReadGeneralRecord(s, d, record, field, out, gridLength);
        },
        out));
    if (*out == Outcome::kGoOn && EndsGeneralSection(field)) {
      checks.generalEnd = d.Here("the general section ends here");
      *out = Outcome::kSectionEnd;
    }
    return Status::Ok();
  };
  SB_RETURN_IF_ERROR(ReadRecordLoop(s, d, kGeneralRules, readRecord, outcome));
  if (*outcome == Outcome::kStopped) return Status::Ok();
  *outcome = Outcome::kGoOn;
  CheckLineLength(s, d, sawLength);
  return Status::Ok();
}

// The general section, however it ends (its end, an error that stops the
// reading, a field that cannot be read), leaves the grid sized for the last
// line length it read.
Status ReadGeneralSection(Scenario& s, Description& d, FeatureChecks& checks, Outcome* outcome) {
  std::optional<int32_t> gridLength;
  Status st;
  try {
    st = ReadGeneralRecords(s, d, checks, outcome, &gridLength);
  } catch (const std::bad_alloc&) {
    SizeGridForLength(s, &gridLength);
    throw;
  }
  SizeGridForLength(s, &gridLength);
  return st;
}

// --- The features ----------------------------------------------------------

// Error 15 (the reading ends) when the record's position lies beyond the grid.
bool Beyond(Scenario& s, Description& d, const char* what, int32_t position, Outcome* outcome) {
  return Beyond(s, d, what, position, kFeatureReach, outcome);
}

Status ReadGradient(Scenario& s, Description& d, LineFeatureState& st, FeatureChecks& checks,
                    Outcome* outcome) {
  int32_t position = 0;
  int32_t gradient = 0;
  SB_RETURN_IF_ERROR(ReadColumn<Record::kGradient, 0>(d, &position));
  SB_RETURN_IF_ERROR(ReadColumn<Record::kGradient, 1>(d, &gradient));
  if (Beyond(s, d, "a gradient", position, outcome)) return Status::Ok();
  checks.gradients.Check(s, d, position, position);
  CheckGradient(s, d, gradient);
  CheckPastLineEnd(s, d, "gradient", position);
  return EncodeGradient(s, st, position, gradient);
}

Status ReadCurve(Scenario& s, Description& d, const std::string& keyword, FeatureChecks& checks,
                 Outcome* outcome) {
  int32_t start = 0;
  int32_t length = 0;
  SB_RETURN_IF_ERROR(ReadColumn<Record::kCurve, 0>(d, &start));
  SB_RETURN_IF_ERROR(ReadColumn<Record::kCurve, 1>(d, &length));
  if (Beyond(s, d, "a curve", start, outcome)) return Status::Ok();
  checks.curves.Check(s, d, start, int64_t{start} + length);
  CheckPastLineEnd(s, d, "curve", start);
  if (!s.profile) {
    TrackCell* unused = nullptr;
    return CellAt(s, 0, "a curve", &unused);  // no line length yet
  }
  CheckCurveKeyword(s, d, keyword);
  std::string problem;
  int field = kCurveLengthField;
  switch (EncodeCurve(s, keyword, start, length)) {
    case CurveResult::kOk:
      s.curveSources.push_back({start, length, CurveCurvature(keyword).value_or(0.0)});
      return Status::Ok();
    case CurveResult::kNoCurvature:
      problem = "curve keyword names none of the curvatures 1 to 6";
      field = kKeywordField;
      break;
    case CurveResult::kPastLimit: problem = "the plan profile passes 1000000 m"; break;
    case CurveResult::kPastProfileEnd:
      problem = "the curve runs past the end of the plan profile (" + std::to_string(s.profileEnd) +
                " m)";
      break;
  }
  return Stop(s, d, d.At(ErrorCode::kCurve, start, std::move(problem), field), std::nullopt,
              outcome);
}

Status ReadMountain(Scenario& s, Description& d, FeatureChecks& checks, Outcome* outcome) {
  int32_t start = 0;
  int32_t end = 0;
  int32_t type = 0;
  SB_RETURN_IF_ERROR(ReadColumn<Record::kMountain, 0>(d, &start));
  SB_RETURN_IF_ERROR(ReadColumn<Record::kMountain, 1>(d, &end));
  SB_RETURN_IF_ERROR(ReadColumn<Record::kMountain, 2>(d, &type));
  if (Beyond(s, d, "a mountain section", start, outcome)) return Status::Ok();
  checks.mountains.Check(s, d, start, start);
  CheckMountainType(s, d, type);
  CheckPastLineEnd(s, d, "mountain", start);
  return memo_montagna(s, start, end, type);
}

Status ReadSpeedBoard(Scenario& s, Description& d, Outcome* outcome) {
  // In the order of the columns.
  static constexpr std::array<int32_t SpeedBoard::*, 9> kMembers = {
      &SpeedBoard::position, &SpeedBoard::sSpeedA,  &SpeedBoard::sSpeedB,
      &SpeedBoard::sSpeedC,  &SpeedBoard::sStripes, &SpeedBoard::dSpeedA,
      &SpeedBoard::dSpeedB,  &SpeedBoard::dSpeedC,  &SpeedBoard::dStripes};
  SpeedBoard board;
  SB_RETURN_IF_ERROR(ReadInt32Columns<Record::kSpeedBoard>(d, kMembers, &board));
  if (Beyond(s, d, "a maximum-speed indicator board", board.position, outcome)) {
    return Status::Ok();
  }
  ErrorCode code = ErrorCode::kNone;
  SB_RETURN_IF_ERROR(memo_indicatori_v_max(s, board, &code));
  const int64_t cell = CellIndex(board.position, 1.0);
  if (code != ErrorCode::kNone) {
    Diagnostic diag = d.At(code, board.position, {}, kPositionField);
    DescribeTakenCell(s, cell, "maximum-speed indicator board on cell " + std::to_string(cell),
                      diag);
    return Stop(s, d, std::move(diag), board.position, outcome);
  }
  // A code left standing in the run state stops the reading as well.
  if (s.errorCode != ErrorCode::kNone) {
    return Stop(s, d, StandingError(s, d, board.position), board.position, outcome);
  }
  NoteOwner(s, cell, d.Source(), OwnerRole::kSpeedBoard, board.position);
  CheckPastLineEnd(s, d, "maximum-speed board", board.position);
  return Status::Ok();
}

Status ReadTextBoard(Scenario& s, Description& d, LineFeatureState& st, Outcome* outcome) {
  int32_t position = 0;
  SB_RETURN_IF_ERROR(ReadColumn<Record::kTextBoard, 0>(d, &position));
  SB_RETURN_IF_ERROR(ReadColumn<Record::kTextBoard, 1>(d, &s.currentLine));
  if (Beyond(s, d, "a text board", position, outcome)) return Status::Ok();
  constexpr int kBoardTextField = 2;
  CheckStoredText(s, d, kBoardTextField, "board text", s.currentLine);
  ErrorCode code = ErrorCode::kNone;
  const int32_t slot = st.boardSlot;
  SB_RETURN_IF_ERROR(EncodeTextBoard(s, st, position, s.currentLine, &code));
  const int64_t cell = CellIndex(position, 1.0);
  if (code != ErrorCode::kNone) {
    Diagnostic diag = d.At(code, position, {}, kPositionField);
    DescribeTakenCell(s, cell, "text board on cell " + std::to_string(cell), diag);
    return Stop(s, d, std::move(diag), position, outcome);
  }
  NoteOwner(s, cell, d.Source(), OwnerRole::kTextBoard, position, slot);
  CheckPastLineEnd(s, d, "text board", position);
  return Status::Ok();
}

Status ReadFeature(const RecordSchema& record, Scenario& s, Description& d, LineFeatureState& st,
                   FeatureChecks& checks, const std::string& keyword, Outcome* outcome) {
  switch (record.record) {
    case Record::kGradient: return ReadGradient(s, d, st, checks, outcome);
    case Record::kCurve:
      // Without a profile a curve record is no record at all: its line is
      // left alone, values and all.
      if (s.withProfile == 0) {
        d.ExplainLine();
        return Status::Ok();
      }
      return ReadCurve(s, d, keyword, checks, outcome);
    case Record::kMountain: return ReadMountain(s, d, checks, outcome);
    case Record::kSpeedBoard: return ReadSpeedBoard(s, d, outcome);
    case Record::kTextBoard: return ReadTextBoard(s, d, st, outcome);
    default: return Status::Ok();  // not a feature
  }
}

Status ReadFeatures(Scenario& s, Description& d, LineFeatureState& st, FeatureChecks& checks,
                    Outcome* outcome) {
  auto readRecord = [&](Outcome* out) {
    // A text board reads its text into s.currentLine.
    const std::string field = s.currentLine;
    return ReadMatchingRecords(
        s, d, RecordPart::kLineFeature, field,
        [&](const RecordSchema& record) {
          return ReadFeature(record, s, d, st, checks, field, out);
        },
        out, checks.generalEnd);
  };
  return ReadRecordLoop(s, d, kFeatureRules, readRecord, outcome);
}

}  // namespace

Status ReadLineDescription(Scenario& s, Description& d, LineFeatureState& st, PhaseEnd* end) {
  SB_RETURN_IF_ERROR(d.Open());

  d.WarnInto(s);
  Outcome outcome = Outcome::kGoOn;
  *end = PhaseEnd::kStopped;
  FeatureChecks checks;
  SB_RETURN_IF_ERROR(FindGeneralSection(s, d, &outcome));
  if (outcome == Outcome::kStopped) return Status::Ok();
  SB_RETURN_IF_ERROR(ReadGeneralSection(s, d, checks, &outcome));
  if (outcome == Outcome::kStopped) return Status::Ok();

  progressive_ordina(s);
  st = LineFeatureState{};
  s.mountainCount = 0;
  if (s.profile) s.profile->Seed();
  SB_RETURN_IF_ERROR(ReadFeatures(s, d, st, checks, &outcome));
  if (outcome == Outcome::kStopped) return Status::Ok();

  SB_RETURN_IF_ERROR(d.CloseAndDelete());
  SB_RETURN_IF_ERROR(GradientTailFill(s, st));
  if (s.profile) ProfileTail(s);
  *end = PhaseEnd::kFinished;
  return Status::Ok();
}

}  // namespace sb
