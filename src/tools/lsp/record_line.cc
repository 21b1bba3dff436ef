#include "tools/lsp/record_line.h"

#include "description/keywords.h"

namespace sb::lsp {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsHeader(std::string_view field) {
  return !field.empty() && field.front() != '-' && field.find('[') != std::string_view::npos &&
         field.find(']') != std::string_view::npos;
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

std::vector<FieldSpan> SplitFields(std::string_view line) {
  std::vector<FieldSpan> fields;
  const int size = static_cast<int>(line.size());
  int start = 0;
  for (;;) {
    int begin = start;
    while (begin < size && IsBlank(line[begin])) ++begin;
    const FieldSpan f = FieldFrom(line, begin);
    fields.push_back(f);
    int comma = f.end;
    while (comma < size && line[comma] != ',') ++comma;
    if (comma >= size) break;
    start = comma + 1;
  }
  return fields;
}

std::vector<LineView> ViewLines(const std::vector<std::string_view>& lines, bool lineDescription) {
  std::vector<LineView> views(lines.size());
  std::optional<RecordPart> part;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    LineView& v = views[i];
    v.fields = SplitFields(lines[i]);
    const std::string_view keyword =
        lines[i].substr(v.fields[0].begin, v.fields[0].end - v.fields[0].begin);
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
  }
  return views;
}

int FieldAt(const std::vector<FieldSpan>& fields, std::string_view line, int character) {
  int commas = 0;
  for (int i = 0; i < character && i < static_cast<int>(line.size()); ++i) {
    if (line[i] == ',') ++commas;
  }
  const int last = static_cast<int>(fields.size()) - 1;
  return commas < last ? commas : last;
}

}  // namespace sb::lsp
