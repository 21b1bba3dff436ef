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

 private:
  // Reads the next field as a text or a number into a new entry; false when
  // nothing is left. A number out of its column's range is read all the same.
  bool Read(bool text, FieldRole role, std::size_t* index);
  bool ReadRecords(RecordPart part);

  std::string_view bytes_;
  FieldReader reader_;
  std::vector<WalkedField> out_;
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
  }
  return true;
}

std::vector<WalkedField> Walk::Run(bool lineDescription) {
  for (;;) {
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

}  // namespace sb
