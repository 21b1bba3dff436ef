#include "tools/lsp/record_line.h"

#include <charconv>
#include <string>

#include "description/field_reader.h"
#include "description/keywords.h"

namespace sb::lsp {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsHeader(std::string_view field) {
  return !field.empty() && field.front() != '-' && field.find('[') != std::string_view::npos &&
         field.find(']') != std::string_view::npos;
}

// Reads the next field of `reader` (over `line`) as `type`; false when the
// line holds no more.
bool ReadField(FieldReader& reader, std::string_view line, ValueType type, FieldSpan* field) {
  if (reader.eof()) return false;
  std::string text;
  int32_t number = 0;
  // A number out of range is a field all the same.
  if (type == ValueType::kText) {
    reader.ReadText(&text);
  } else {
    reader.ReadInt32(&number);
  }
  const std::string_view own = reader.last_text();
  const int begin = reader.column() - 1;
  int end = static_cast<int>(own.data() - line.data() + own.size());
  if (type == ValueType::kText) {
    const bool quoted = begin < static_cast<int>(line.size()) && line[begin] == '"';
    if (quoted && end < static_cast<int>(line.size())) ++end;  // the closing quote
    if (!quoted) {
      while (end > begin && IsBlank(line[end - 1])) --end;
    }
  }
  field->begin = begin;
  field->end = end;
  return true;
}

}  // namespace

FieldSpan FieldFrom(std::string_view line, int begin) {
  const int size = static_cast<int>(line.size());
  if (begin > size) begin = size;
  int end = begin;
  while (end < size && line[end] != ',') ++end;
  while (end > begin && IsBlank(line[end - 1])) --end;
  return {begin, end};
}

std::vector<FieldSpan> SplitFields(std::string_view line, const RecordSchema* record) {
  std::vector<FieldSpan> fields;
  FieldReader reader(line);
  const std::size_t values = record ? record->columns.size() : 0;
  auto nextType = [&] {
    const std::size_t next = fields.size();
    return next >= 1 && next <= values ? record->columns[next - 1].type : ValueType::kText;
  };
  FieldSpan field;
  while (ReadField(reader, line, nextType(), &field)) {
    field.from = field.begin;
    if (!fields.empty()) {
      // Blanks alone part numbers; otherwise the place begins after the comma.
      const std::size_t comma = line.find(',', static_cast<std::size_t>(fields.back().end));
      if (comma < static_cast<std::size_t>(field.begin)) field.from = static_cast<int>(comma) + 1;
    }
    fields.push_back(field);
  }
  // A line ending in a comma has an empty field after it, being written.
  const int size = static_cast<int>(line.size());
  if (fields.empty() || reader.last_end() == FieldReader::End::kComma) {
    fields.push_back({size, size, fields.empty() ? 0 : size});
  }
  return fields;
}

std::vector<LineView> ViewLines(const std::vector<std::string_view>& lines, bool lineDescription) {
  std::vector<LineView> views(lines.size());
  std::optional<RecordPart> part;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    LineView& v = views[i];
    // The keyword as the compiler reads it decides the record, whose
    // columns decide how the rest is read.
    FieldReader reader(lines[i]);
    std::string keyword;
    reader.ReadText(&keyword);
    v.header = IsHeader(keyword);
    if (!part) {
      if (Contains(keyword, "[generale]", Compare::kText)) {
        part = lineDescription ? RecordPart::kLineGeneral : RecordPart::kTrain;
      }
    } else if (*part == RecordPart::kLineGeneral && v.header) {
      part = RecordPart::kLineFeature;
    }
    v.part = part;
    if (part && !v.header) v.record = FindRecord(*part, keyword);
    v.fields = SplitFields(lines[i], v.record);
  }
  return views;
}

int FieldAt(const std::vector<FieldSpan>& fields, int character) {
  int field = 0;
  while (field + 1 < static_cast<int>(fields.size()) && fields[field + 1].from <= character) {
    ++field;
  }
  return field;
}

std::optional<int64_t> WholeNumber(std::string_view field) {
  int64_t value = 0;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  if (field.empty() || error != std::errc() || end != field.data() + field.size()) {
    return std::nullopt;
  }
  return value;
}

}  // namespace sb::lsp
