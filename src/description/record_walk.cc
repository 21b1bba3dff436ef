#include "description/record_walk.h"

#include <string>

#include "description/field_reader.h"

namespace sb {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

class Walk {
 public:
  explicit Walk(std::string_view bytes) : bytes_(bytes), reader_(bytes) {}

  std::vector<WalkedField> Run(bool lineDescription);
  // Runs without keeping the fields, counting the records whose keyword
  // begins after `line`.
  RecordCounts Count(bool lineDescription, int line) {
    counting_ = true;
    countAfter_ = line;
    Run(lineDescription);
    return counts_;
  }

 private:
  // Reads the next field as a text or a number into a new entry; false when
  // nothing is left. A number out of its column's range is read all the same.
  bool Read(bool text, FieldRole role, std::size_t* index);
  bool ReadRecords(RecordPart part);

  std::string_view bytes_;
  FieldReader reader_;
  std::vector<WalkedField> out_;
  bool counting_ = false;
  int countAfter_ = 0;
  RecordCounts counts_{};
};

bool Walk::Read(bool text, FieldRole role, std::size_t* index) {
  if (reader_.eof()) return false;
  if (text) {
    std::string unused;
    reader_.ReadText(&unused);
  } else {
    int32_t unused = 0;
    reader_.ReadInt32(&unused);
  }
  WalkedField f;
  f.role = role;
  f.text = reader_.last_text();
  f.line = reader_.line();
  const std::size_t lineBegin = static_cast<std::size_t>(reader_.LineText().data() - bytes_.data());
  f.begin = lineBegin + static_cast<std::size_t>(reader_.column() - 1);
  f.end = static_cast<std::size_t>(f.text.data() - bytes_.data()) + f.text.size();
  const bool quoted = text && f.begin < bytes_.size() && bytes_[f.begin] == '"';
  if (quoted) {
    if (f.end < bytes_.size()) ++f.end;  // the closing quote
  } else {
    while (f.end > f.begin && IsBlank(bytes_[f.end - 1])) --f.end;
  }
  f.dropEnd = f.end;
  if (quoted) {
    while (f.dropEnd < bytes_.size() && bytes_[f.dropEnd] != ',' && !IsLineEnd(bytes_[f.dropEnd])) {
      ++f.dropEnd;
    }
    while (f.dropEnd > f.end && IsBlank(bytes_[f.dropEnd - 1])) --f.dropEnd;
  }
  *index = out_.size();
  out_.push_back(f);
  return true;
}

// The record loop of `part`, and of the feature part after a line's general
// section; false when a read found nothing left.
bool Walk::ReadRecords(RecordPart part) {
  while (!reader_.eof()) {
    std::size_t keyword = 0;
    if (!Read(true, FieldRole::kNoRecord, &keyword)) return false;
    // The last field of the file is never a record.
    if (reader_.eof()) return true;
    const DashRule rule = DashRuleOf(part);
    for (int i = 0; i < rule.skips && out_[keyword].text.find('-') != std::string_view::npos; ++i) {
      out_[keyword].role = FieldRole::kSkipped;
      if (!Read(true, FieldRole::kNoRecord, &keyword)) return false;
      if (rule.endAmongSkips && reader_.eof()) return true;
    }
    const std::string_view field = out_[keyword].text;
    for (const RecordSchema& record : RecordsOf(part)) {
      if (!record.test.Matches(field)) continue;
      if (out_[keyword].role != FieldRole::kKeyword) {
        out_[keyword].role = FieldRole::kKeyword;
        out_[keyword].record = &record;
      }
      for (std::size_t c = 0; c < record.columns.size(); ++c) {
        std::size_t value = 0;
        if (!Read(record.columns[c].type == ValueType::kText, FieldRole::kValue, &value)) {
          return false;
        }
        out_[value].record = &record;
        out_[value].column = static_cast<int>(c);
      }
    }
    if (part == RecordPart::kLineGeneral && EndsGeneralSection(field)) {
      part = RecordPart::kLineFeature;
    }
    if (counting_) {
      const WalkedField& k = out_[keyword];
      if (k.role == FieldRole::kKeyword && k.line > countAfter_) {
        ++counts_[static_cast<std::size_t>(k.record->record)];
      }
      out_.clear();
    }
  }
  return true;
}

std::vector<WalkedField> Walk::Run(bool lineDescription) {
  for (;;) {
    if (counting_) out_.clear();
    std::size_t field = 0;
    if (!Read(true, FieldRole::kPreamble, &field)) return std::move(out_);
    const bool opens = OpensRecords(out_[field].text);
    if (opens) out_[field].role = FieldRole::kOpening;
    // A line description whose opening is its last field is error 102; a
    // train's has no records.
    if (reader_.eof()) return std::move(out_);
    if (opens) break;
  }
  ReadRecords(lineDescription ? RecordPart::kLineGeneral : RecordPart::kTrain);
  return std::move(out_);
}

}  // namespace

std::vector<WalkedField> WalkDescription(std::string_view bytes, bool lineDescription) {
  return Walk(bytes).Run(lineDescription);
}

RecordCounts CountRecordsAfterLine(std::string_view bytes, bool lineDescription, int line) {
  return Walk(bytes).Count(lineDescription, line);
}

std::string DescribeRecordCounts(const RecordCounts& counts) {
  struct Noun {
    Record record;
    const char* one;
    const char* many;
  };
  // The summary line's three first, in its order.
  static constexpr Noun kNouns[] = {
      {Record::kStation, "station", "stations"},
      {Record::kSignal, "signal", "signals"},
      {Record::kSlowdown, "slowdown", "slowdowns"},
      {Record::kLength, "line length", "line lengths"},
      {Record::kProgressionTre, "kilometric progression", "kilometric progressions"},
      {Record::kProgressionDue, "kilometric progression", "kilometric progressions"},
      {Record::kProgressionUno, "kilometric progression", "kilometric progressions"},
      {Record::kBackgroundUno, "background", "backgrounds"},
      {Record::kBackgroundDue, "background", "backgrounds"},
      {Record::kBackgroundTre, "background", "backgrounds"},
      {Record::kSignalRepetition, "signal repetition", "signal repetitions"},
      {Record::kGradient, "gradient", "gradients"},
      {Record::kCurve, "curve", "curves"},
      {Record::kMountain, "mountain section", "mountain sections"},
      {Record::kSpeedBoard, "maximum-speed board", "maximum-speed boards"},
      {Record::kTextBoard, "text board", "text boards"},
      {Record::kBrakedMass, "braked-mass percentage", "braked-mass percentages"},
      {Record::kCars, "number of cars", "numbers of cars"},
      {Record::kSpeedLimit, "speed limit", "speed limits"},
      {Record::kAdhesion, "adhesion", "adhesions"},
      {Record::kClock, "clock", "clocks"},
      {Record::kSand, "sand value", "sand values"},
      {Record::kSpeedPoint, "speed point", "speed points"},
  };
  static_assert(std::size(kNouns) == kRecordCount, "every record has its noun");
  // Records that share a noun are counted together, where the first of
  // them stands.
  std::vector<std::string> parts;
  for (std::size_t i = 0; i < std::size(kNouns); ++i) {
    if (i > 0 && std::string_view(kNouns[i].one) == kNouns[i - 1].one) continue;
    std::uint64_t n = 0;
    for (std::size_t j = i;
         j < std::size(kNouns) && std::string_view(kNouns[j].one) == kNouns[i].one; ++j) {
      n += counts[static_cast<std::size_t>(kNouns[j].record)];
    }
    if (n == 0) continue;
    parts.push_back(std::to_string(n) + " " + (n == 1 ? kNouns[i].one : kNouns[i].many));
  }
  std::string out;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += i + 1 == parts.size() ? " and " : ", ";
    out += parts[i];
  }
  return out;
}

}  // namespace sb
