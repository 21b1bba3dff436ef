#include "compiler/record_checks.h"

#include <array>
#include <cstdio>
#include <cstdlib>

#include "base/printable.h"
#include "base/rounding.h"
#include "base/windows1252.h"
#include "description/keyword_suggestion.h"
#include "description/keywords.h"
#include "description/look_alikes.h"
#include "description/record_schema.h"

namespace sb {
namespace {

// Fields of the records, counted from the keyword (0).
constexpr int kSecondField = 2;
constexpr int kMountainTypeField = 3;
constexpr int kSlowdownSpeedField = 2;
constexpr int kSlowdownWholeTrainField = 4;
constexpr int kSlowdownSecondSpeedField = 6;

bool MatchesAny(RecordPart part, const std::string& field) {
  for (const RecordSchema& record : RecordsOf(part)) {
    if (record.test.Matches(field)) return true;
  }
  return false;
}

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Appended rather than added: g++ 12 sees a false overlap in "'" + text.
std::string Quoted(const std::string& field) {
  std::string out(1, '\'');
  out.append(Trimmed(field)).push_back('\'');
  return out;
}

bool IsHeader(const std::string& field) {
  return field.find('[') != std::string::npos && field.find(']') != std::string::npos;
}

std::string Metres(int64_t position) { return std::to_string(position) + " m"; }

std::string WithSign(int64_t value) {
  std::string out = value > 0 ? "+" : "";
  out.append(std::to_string(value));
  return out;
}

void ValueRange(Scenario& s, const Description& d, int field, std::string message,
                std::string hint = {}) {
  RecordWarning(s, d.WarningAt(Warning::kValueRange, std::move(message), field, std::move(hint)));
}

// A value kept in one byte: what it becomes when it does not fit 0..255.
void CheckByte(Scenario& s, const Description& d, int field, const std::string& name,
               int64_t value) {
  if (value >= 0 && value <= 255) return;
  ValueRange(s, d, field,
             name + " " + std::to_string(value) + " is outside 0 to 255 (one byte): it becomes " +
                 std::to_string(Low8(value)));
}

void CheckInt16(Scenario& s, const Description& d, int field, const std::string& name,
                int64_t value, const char* unit = "") {
  if (value >= -32768 && value <= 32767) return;
  ValueRange(s, d, field,
             name + " " + std::to_string(value) + unit +
                 " is outside -32768 to 32767 (16 bits): it becomes " +
                 std::to_string(Low16(value)));
}

// A speed limit that is no whole step of 5 km/h but would be one, or near
// it, in metres per second: 22 is 79.2 km/h, a step of 80.
struct MetresPerSecond {
  std::string shown;  // the speed in km/h, to a tenth: "79.2"
  std::string step;   // the nearest step of 5 km/h: "80"
};
std::optional<MetresPerSecond> AsMetresPerSecond(int32_t speed) {
  // Past 70 m/s (252 km/h) no line is run; below 3 it is no speed.
  if (speed < 3 || speed > 70) return std::nullopt;
  const int32_t tenths = speed * 36;  // km/h, in tenths
  const int32_t step = (tenths + 25) / 50 * 5;
  if (std::abs(tenths - step * 10) > 10) return std::nullopt;
  std::string shown = std::to_string(tenths / 10);
  if (tenths % 10 != 0) shown += "." + std::to_string(tenths % 10);
  return MetresPerSecond{shown, std::to_string(step)};
}

// A slowdown whose end falls on its start cell has no end: the start is
// written over it.
void CheckSlowdownEnd(Scenario& s, const Description& d, const SlowdownRecord& slowdown) {
  constexpr int kLengthField = 3;
  const int64_t start = CellIndex(slowdown.start, 1.0);
  if (SlowdownEndCell(slowdown.start, slowdown.length) != start) return;
  if (!WantWarning(s, Warning::kValueRange, d.name())) return;
  ValueRange(s, d, kLengthField,
             "the slowdown's length, " + std::to_string(slowdown.length) +
                 " m, puts its end on its start cell (" + std::to_string(start) +
                 "): the slowdown has no end, and runs on to the next slowdown's end",
             "l is the length in metres, such as 600; the end cell is (x + l) / 50 + 1");
}

std::string_view SectionName(RecordPart section) {
  switch (section) {
    case RecordPart::kLineGeneral: return "the line description's general section";
    case RecordPart::kLineFeature: return "the line description";
    case RecordPart::kTrain: return "the train description";
  }
  return {};
}

// The header the built-in line description puts a feature record under.
std::string_view HeaderOf(const std::string& field) {
  for (const RecordSchema& record : RecordsOf(RecordPart::kLineFeature)) {
    if (!record.test.Matches(field)) continue;
    switch (record.record) {
      case Record::kGradient: return "[pendenze]";
      case Record::kMountain: return "[montagne]";
      case Record::kSpeedBoard: return "[cartelli]";
      case Record::kTextBoard: return "[indicazioni]";
      default: return "[curve]";
    }
  }
  return "[curve]";
}

// A text's UTF-8 sequences as the Windows-1252 letters they stand for;
// nothing when one of them is no letter of the code page.
std::optional<std::string> CodePageLetters(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = Utf8SequenceAt(text, i);
    if (length == 0) {
      out.push_back(text[i++]);
      continue;
    }
    const std::string_view sequence = text.substr(i, length);
    std::optional<char> letter;
    for (int byte = 0x80; byte <= 0xFF && !letter; ++byte) {
      if (Windows1252ToUtf8(std::string(1, static_cast<char>(byte))) == sequence) {
        letter = static_cast<char>(byte);
      }
    }
    if (!letter) return std::nullopt;
    out.push_back(*letter);
    i += length;
  }
  return out;
}

// The first line whose first field is a record of `part`, 1 when none is.
int FirstRecordLine(std::string_view data, RecordPart part) {
  FieldReader reader(data);
  std::string field;
  while (reader.ReadText(&field)) {
    if (MatchesAny(part, field)) return reader.line();
  }
  return 1;
}

}  // namespace

void CheckUnknownRecord(Scenario& s, Description& d, RecordPart section, const std::string& field,
                        const std::optional<RelatedLocation>& general_end) {
  // Two quotes at a line's start (the editors' comment token) are the empty
  // text, and the reader drops what follows them up to the comma: a record
  // commented out so, whose values name no record either.
  if (Trimmed(field).empty() && !d.LineExplained() && d.KeywordQuoted()) d.ExplainLine();
  if (d.LineExplained() || IsHeader(field) || Trimmed(field).empty()) return;
  if (MatchesAny(section, field)) return;
  d.ExplainLine();
  if (!WantWarning(s, Warning::kUnknownRecord, d.name())) return;
  const std::string shown = Quoted(field);
  if (section != RecordPart::kTrain && MatchesAny(RecordPart::kTrain, field)) {
    RecordWarning(s, d.WarningAt(Warning::kUnknownRecord,
                                 shown + " is a record of the train description, not of the line "
                                         "description"));
    return;
  }
  if (section == RecordPart::kTrain && (MatchesAny(RecordPart::kLineGeneral, field) ||
                                        MatchesAny(RecordPart::kLineFeature, field))) {
    RecordWarning(s, d.WarningAt(Warning::kUnknownRecord,
                                 shown + " is a record of the line description, not of the train "
                                         "description"));
    return;
  }
  if (section == RecordPart::kLineFeature && MatchesAny(RecordPart::kLineGeneral, field)) {
    Diagnostic w = d.WarningAt(
        Warning::kUnknownRecord, shown + " is a record of the general section, which has ended",
        kKeywordField, "move it above the line that ends the general section");
    if (general_end) {
      w.related.push_back(*general_end);
      const std::string_view line = d.KeywordLineWithEnd();
      const std::string_view text = line.substr(0, line.find_first_of("\r\n"));
      w.fixes.push_back({"move it above line " + std::to_string(general_end->line),
                         {{general_end->line, 1, {}, std::string(text) + "\n"},
                          {d.keyword_line(), 1, std::string(line), {}}}});
    }
    RecordWarning(s, std::move(w));
    return;
  }
  if (section == RecordPart::kLineGeneral && MatchesAny(RecordPart::kLineFeature, field)) {
    Diagnostic w = d.WarningAt(Warning::kUnknownRecord,
                               shown +
                                   " is a feature record, read only after the general "
                                   "section ends",
                               kKeywordField,
                               "end the general section with a bracketed line such as '[curve]' "
                               "above it");
    const std::string header(HeaderOf(field));
    w.fixes.push_back({"add '" + header + "' above it", {d.InsertLineAbove(header)}});
    RecordWarning(s, std::move(w));
    return;
  }
  // A keyword or a comment's dash typed as a look-alike: the plain
  // characters are what was meant.
  const std::string look_alikes = DescribeLookAlikes(field);
  if (!look_alikes.empty()) {
    const std::string plain = Trimmed(ReplaceLookAlikes(field, false));
    Diagnostic w =
        d.WarningAt(Warning::kUnknownRecord,
                    shown + look_alikes + " is no record of " + std::string(SectionName(section)),
                    kKeywordField, "write " + Quoted(plain) + " with plain characters");
    if (auto edit = d.EditField(kKeywordField, Trimmed(field), plain)) {
      w.fixes.push_back({"write " + Quoted(plain), {std::move(*edit)}});
    }
    RecordWarning(s, std::move(w));
    return;
  }
  const std::string_view near = NearestKeyword(field, KeywordsAsWritten(section));
  std::string hint;
  if (!near.empty()) hint = "did you mean '" + std::string(near) + "'?";
  Diagnostic w = d.WarningAt(Warning::kUnknownRecord,
                             shown + " is no record of " + std::string(SectionName(section)),
                             kKeywordField, std::move(hint));
  if (!near.empty()) {
    if (auto edit = d.EditField(kKeywordField, Trimmed(field), std::string(near))) {
      w.fixes.push_back({"write '" + std::string(near) + "'", {std::move(*edit)}});
    }
  }
  RecordWarning(s, std::move(w));
}

void CheckSkippedField(Scenario& s, Description& d, RecordPart section, const std::string& field) {
  if (!MatchesAny(section, field)) return;
  // The record's values, read as keywords next, are no records either.
  d.ExplainLine();
  if (!WantWarning(s, Warning::kHyphenKeyword, d.name())) return;
  RecordWarning(
      s, d.WarningAt(Warning::kHyphenKeyword,
                     Quoted(field) + " is skipped as a separator because it holds '-'; a keyword "
                                     "may not hold a hyphen"));
}

void CheckHyphenRun(Scenario& s, Description& d, const std::string& field, int skips) {
  if (field.find('-') == std::string::npos) return;
  d.ExplainLine();
  if (!WantWarning(s, Warning::kHyphenRun, d.name())) return;
  RecordWarning(
      s, d.WarningAt(Warning::kHyphenRun,
                     Quoted(field) + " holds '-' but is read as a keyword: only " +
                         std::to_string(skips) + " fields holding '-' in a row are skipped"));
}

void OrderCheck::Check(Scenario& s, const Description& d, int64_t start, int64_t end) {
  if (any_ && start < previousEnd_ && WantWarning(s, Warning::kOutOfOrder, d.name())) {
    const bool overlap = previousEnd_ != previousStart_;
    Diagnostic w =
        d.WarningAt(Warning::kOutOfOrder,
                    overlap ? std::string("the ") + kind_ + " from " + Metres(start) +
                                  " overlaps the previous one (" + Metres(previousStart_) + " to " +
                                  Metres(previousEnd_) + ")"
                            : std::string("the ") + kind_ + " at " + Metres(start) +
                                  " comes before the previous one (" + Metres(previousStart_) +
                                  "): records of one kind go in position order",
                    kPositionField);
    w.related.push_back(
        {d.name(), previousLine_, previousColumn_, std::string("the previous ") + kind_});
    RecordWarning(s, std::move(w));
  }
  any_ = true;
  previousStart_ = start;
  previousEnd_ = end;
  previousLine_ = d.keyword_line();
  previousColumn_ = d.column_of(kPositionField);
}

void StretchChecks::Check(Scenario& s, const Description& d, int32_t position, int32_t value) {
  // Until the first record the cells keep 0; one at 0 m writes none of them.
  if (!any_ && CellIndex(position) > 0) {
    Diagnostic w =
        d.WarningAt(Warning::kNoStartRecord,
                    std::string("no '") + keyword_ + "' record at 0 m: the " + kind_ + " is 0" +
                        unit_ + " from 0 m to " + Metres(position),
                    kPositionField, std::string("add '") + keyword_ + ", 0, <value>' before it");
    // The value most likely meant from 0 m is the first record's own.
    const std::string record = std::string(keyword_) + ", 0, " + std::to_string(value);
    w.fixes.push_back({"add '" + record + "' before it", {d.InsertLineAbove(record)}});
    RecordWarning(s, std::move(w));
  }
  any_ = true;
  order_.Check(s, d, position, position);
  CheckPastLineEnd(s, d, kind_, position);
}

void StretchChecks::CheckAny(Scenario& s, const std::optional<Diagnostic>& general_header) const {
  if (any_ || !general_header) return;
  Diagnostic w = *general_header;
  w.warning = Warning::kNoStartRecord;
  w.message =
      std::string("no '") + keyword_ + "' record: the " + kind_ + " is 0 along the whole line";
  w.hint = std::string("add '") + keyword_ + ", 0, <value>'";
  // No value can be guessed: 0 says what the cells hold now. The header's
  // line is quoted whole unless it is long.
  const std::string record = std::string(keyword_) + ", 0, 0";
  if (w.line > 0 && w.record.size() < kRecordQuoteBytes) {
    w.fixes.push_back({"add '" + record + "' (then write its value)",
                       {{w.line, static_cast<int>(w.record.size()) + 1, {}, "\n" + record}}});
  }
  RecordWarning(s, std::move(w));
}

void NoteGeneralHeaderSlip(const Description& d, const std::string& field,
                           std::optional<Diagnostic>* slip) {
  if (*slip) return;
  constexpr std::string_view kHeader = "[generale]";
  const std::string_view candidates[] = {kHeader};
  if (NearestKeyword(field, candidates).empty()) return;
  Diagnostic at = d.At(ErrorCode::kNone, std::nullopt, Quoted(field), kKeywordField);
  at.hint = "did you mean '" + std::string(kHeader) + "'?";
  if (auto edit = d.EditField(kKeywordField, Trimmed(field), std::string(kHeader))) {
    at.fixes.push_back({"write '" + std::string(kHeader) + "'", {std::move(*edit)}});
  }
  *slip = std::move(at);
}

void PointAtGeneralHeaderSlip(const Diagnostic& slip, const char* consequence, Diagnostic& d) {
  d.line = slip.line;
  d.column = slip.column;
  d.record = slip.record;
  d.message = slip.message + " is no \"[generale]\" line: " + consequence;
  d.hint = slip.hint;
  d.fixes = slip.fixes;
}

void WarnNoGeneralSection(Scenario& s, const Description& d,
                          const std::optional<Diagnostic>& slip) {
  if (!WantWarning(s, Warning::kNoGeneralSection, d.name())) return;
  Diagnostic w = d.WarningAtStart(Warning::kNoGeneralSection,
                                  "no \"[generale]\" line: the train description holds no records",
                                  "add a line \"[generale]\" above the records");
  if (slip) {
    PointAtGeneralHeaderSlip(*slip, "the train description holds no records", w);
    RecordWarning(s, std::move(w));
    return;
  }
  // Above the first record, not the first line: what stands before it is
  // no record and would be warned about.
  w.fixes.push_back({"add \"[generale]\" above the records",
                     {{FirstRecordLine(d.data(), RecordPart::kTrain), 1, {}, "[generale]\n"}}});
  RecordWarning(s, std::move(w));
}

void CheckPastLineEnd(Scenario& s, const Description& d, const char* what, int64_t position) {
  const int64_t length = s.items[kSlotTotals].end;
  if (!s.hasGrid || position <= length) return;
  if (!WantWarning(s, Warning::kPastLineEnd, d.name())) return;
  RecordWarning(s, d.WarningAt(Warning::kPastLineEnd,
                               std::string("the ") + what + " at " + Metres(position) +
                                   " lies past the end of the line (" + Metres(length) + ")",
                               kPositionField));
}

void CheckGradient(Scenario& s, const Description& d, int32_t gradient) {
  if (gradient >= -100 && gradient <= 155) return;
  ValueRange(s, d, kSecondField,
             "gradient " + std::to_string(gradient) +
                 " is outside -100 to 155 (stored as value + 100 in one byte): it becomes " +
                 WithSign(int64_t{Low8(int64_t{gradient} + 100)} - 100));
}

void CheckSpeed(Scenario& s, const Description& d, int32_t speed) {
  if (speed % 5 == 0) return;
  const std::optional<uint8_t> units = ToUInt8(static_cast<double>(speed) / 5.0);
  if (!units) return;  // an error when it is written
  const std::string becomes = std::to_string(int{*units} * 5);
  const std::string written = std::to_string(speed);
  Diagnostic w = d.WarningAt(
      Warning::kValueRange,
      "speed " + written + " km/h is stored in 5 km/h steps: it becomes " + becomes + " km/h",
      kSecondField, "write " + becomes);
  if (const std::optional<MetresPerSecond> meant = AsMetresPerSecond(speed)) {
    w.hint = written + " looks like metres per second: " + written + " m/s is " + meant->shown +
             " km/h; speeds are in km/h, in steps of 5: write " + meant->step + ", or " + becomes +
             " for " + written + " km/h";
    if (auto edit = d.EditField(kSecondField, written, meant->step)) {
      w.fixes.push_back({"write " + meant->step + " (" + written + " m/s)", {std::move(*edit)}});
    }
  }
  if (auto edit = d.EditField(kSecondField, written, becomes)) {
    w.fixes.push_back({"write " + becomes, {std::move(*edit)}});
  }
  RecordWarning(s, std::move(w));
}

void CheckAdhesion(Scenario& s, const Description& d, int32_t adhesion) {
  CheckByte(s, d, kSecondField, "adhesion", adhesion);
}

void CheckMountainType(Scenario& s, const Description& d, int32_t type) {
  // Types above 10 ask for marks and are stored less 10.
  const int64_t stored = type > 10 ? int64_t{type} - 10 : type;
  if (stored >= 0 && stored <= 255) return;
  ValueRange(s, d, kMountainTypeField,
             "mountain type " + std::to_string(type) + " is stored as " + std::to_string(stored) +
                 ", outside 0 to 255 (one byte): it becomes " + std::to_string(Low8(stored)));
}

void CheckSignal(Scenario& s, const Description& d, const SignalRecord& signal) {
  static constexpr struct {
    int32_t SignalRecord::*value;
    const char* name;
    int field;
    int32_t max;
  } kLimits[] = {{&SignalRecord::sSide, "sx", 2, 2},        {&SignalRecord::sDigit1, "s1", 3, 9},
                 {&SignalRecord::sDigit2, "s2", 4, 9},      {&SignalRecord::sDigit3, "s3", 5, 9},
                 {&SignalRecord::extraDigit, "rapp", 6, 9}, {&SignalRecord::dSide, "dx", 7, 2},
                 {&SignalRecord::dDigit1, "d1", 8, 9},      {&SignalRecord::dDigit2, "d2", 9, 9},
                 {&SignalRecord::dDigit3, "d3", 10, 9}};
  for (const auto& limit : kLimits) {
    const int32_t value = signal.*limit.value;
    if (value >= 0 && value <= limit.max) continue;
    ValueRange(s, d, limit.field,
               std::string(limit.name) + " " + std::to_string(value) + " is outside 0 to " +
                   std::to_string(limit.max) +
                   (limit.max == 9 ? " (digits are packed as tens and units)" : ""));
  }
  constexpr int kTimeField = 11;
  if (signal.sSide == 2) CheckByte(s, d, kTimeField, "tempo", signal.time);
}

void CheckSlowdown(Scenario& s, const Description& d, const SlowdownRecord& slowdown) {
  CheckInt16(s, d, kSlowdownSpeedField, "v", slowdown.speed, " km/h");
  CheckInt16(s, d, kSlowdownWholeTrainField, "f_tt", slowdown.wholeTrain);
  CheckInt16(s, d, kSlowdownSecondSpeedField, "d_v", slowdown.secondSpeed, " km/h");
  CheckSlowdownEnd(s, d, slowdown);
}

void CheckSpeedPointValue(Scenario& s, const Description& d, int32_t value) {
  if (value <= 32767) return;
  ValueRange(s, d, kSecondField,
             "speed point value " + std::to_string(value) + " km/h" +
                 " is above 32767 (16 bits): it becomes " + std::to_string(Low16(value)));
}

void CheckStoredText(Scenario& s, const Description& d, int field, const char* what,
                     std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(text[i]);
    // A line break comes only from a quoted text its author spread over
    // lines on purpose.
    if (byte == '\r' || byte == '\n') continue;
    const bool control = byte < 0x20 || byte == 0x7F;
    if (!control && (byte < 0x80 || Utf8SequenceAt(text, i) == 0)) continue;
    // One warning per text, told by its first doubtful byte.
    if (!WantWarning(s, Warning::kTextEncoding, d.name())) return;
    if (control) {
      char code[8];
      std::snprintf(code, sizeof code, "0x%02X", byte);
      Diagnostic w = d.WarningAt(Warning::kTextEncoding,
                                 std::string("the ") + what + " '" + std::string(text) +
                                     "' holds the control byte " + code +
                                     ", which the simulator shows as no letter",
                                 field, "remove it");
      std::string kept(text);
      std::erase_if(kept, [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return (b < 0x20 && b != '\r' && b != '\n') || b == 0x7F;
      });
      if (auto edit = d.EditField(field, std::string(text), kept)) {
        w.fixes.push_back({std::string("remove the control byte ") + code, {std::move(*edit)}});
      }
      RecordWarning(s, std::move(w));
      return;
    }
    Diagnostic w = d.WarningAt(Warning::kTextEncoding,
                               Quoted(std::string(text)) +
                                   " looks like UTF-8: the simulator reads Windows-1252 "
                                   "and shows " +
                                   Quoted(Windows1252ToUtf8(text)),
                               field, "save the file as Windows-1252");
    w.subject = text;
    // An editor that shows the file as Windows-1252 holds the UTF-8 bytes as
    // letters of their own: it takes the letters they stand for instead.
    if (std::optional<std::string> letters = CodePageLetters(text)) {
      if (auto edit = d.EditField(field, std::string(text), *letters)) {
        w.fixes.push_back({"write " + Quoted(*letters), {std::move(*edit)}});
      }
    }
    RecordWarning(s, std::move(w));
    return;
  }
}

void CheckStopMarkCell(Scenario& s, const Description& d, int64_t cell, uint8_t kind,
                       const std::string& station) {
  if (kind == kKindEmpty || kind == kKindMountainMark) return;
  const std::string holder = CellHolder(s, cell);
  Diagnostic w = d.WarningAt(Warning::kReplacedFeature,
                             "the stop mark of station " + station + " replaces " + holder +
                                 " on cell " + std::to_string(cell),
                             kPositionField);
  if (auto owner = s.cellOwners.find(cell); owner != s.cellOwners.end()) {
    const SourceRef& source = owner->second.source;
    w.related.push_back(
        {source.file, source.line, source.column, holder + " was placed by this record"});
  }
  RecordWarning(s, std::move(w));
}

}  // namespace sb
