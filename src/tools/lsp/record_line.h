// A description read line by line for the editor: which part each line is
// in, which record it holds and where its fields are. The compiler reads a
// stream of fields; authors write one record a line, and this view serves
// hover, completion, the outline and the hints.
#ifndef SB_TOOLS_LSP_RECORD_LINE_H_
#define SB_TOOLS_LSP_RECORD_LINE_H_

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "description/record_schema.h"

namespace sb::lsp {

// A field's characters, leading and trailing blanks excluded (a quoted
// text's quotes included).
struct FieldSpan {
  int begin = 0;
  int end = 0;
  int from = 0;  // where its place begins: after the separator before it
};

// The fields of one line as the compiler reads them: a quoted text runs to
// its closing quote, commas and all, and a number ends at the blanks after
// it. The keyword, and any field past the values of `record` (the line's
// record, or nullptr), is read as a text, each value as its column's type.
std::vector<FieldSpan> SplitFields(std::string_view line, const RecordSchema* record);

// Where a diagnostic's field runs: from `begin` to the next comma or the
// line's end, trailing blanks excluded (never before `begin`).
FieldSpan FieldFrom(std::string_view line, int begin);

struct LineView {
  std::optional<RecordPart> part;  // nothing in the preamble
  bool header = false;             // a bracketed section header
  const RecordSchema* record = nullptr;
  std::vector<FieldSpan> fields;
};

// Every line of a description (Windows-1252 bytes, split by SplitLines).
std::vector<LineView> ViewLines(const std::vector<std::string_view>& lines, bool lineDescription);

// A field that is a decimal number (a sign allowed, nothing else) within
// 64 bits, as its value.
std::optional<int64_t> WholeNumber(std::string_view field);

// The field holding character `character`, or the one it follows: 0 is the
// keyword, 1 the first value.
int FieldAt(const std::vector<FieldSpan>& fields, int character);

}  // namespace sb::lsp

#endif  // SB_TOOLS_LSP_RECORD_LINE_H_
