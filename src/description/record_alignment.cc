#include "description/record_alignment.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <utility>

#include "description/record_schema.h"

namespace sb {
namespace {

// The longest 32-bit number, "-2147483648", has 11 characters.
constexpr std::size_t kMaxNumberBytes = 11;
// Keywords are a few words; a longer field is no keyword to align on.
constexpr std::size_t kMaxKeywordBytes = 64;

constexpr std::size_t MostColumns() {
  std::size_t most = 0;
  for (const RecordSchema& r : kRecordSchemas) most = std::max(most, r.columns.size());
  return most;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

struct Line {
  std::size_t begin = 0;
  std::size_t end = 0;  // where its line end (or the text) begins
};

// The lines as the field reader counts them: CR LF, LF and a lone CR each
// end one.
std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t begin = 0;
  for (;;) {
    std::size_t end = begin;
    while (end < text.size() && !IsLineEnd(text[end])) ++end;
    lines.push_back({begin, end});
    if (end >= text.size()) break;
    begin = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    if (begin >= text.size()) break;
  }
  return lines;
}

// Lines that a quoted text might run through, read one way or another. A
// quote opens a text only as the first byte of a field, so after a blank,
// a comma, a line end or at the start; it runs to the next quote. Which
// quotes open one depends on how the fields before are read, so every
// such quote counts.
std::vector<bool> MaybeQuoted(std::string_view text, const std::vector<Line>& lines) {
  std::vector<bool> quoted(lines.size(), false);
  std::vector<std::pair<std::size_t, std::size_t>> quotes;  // offset, line
  std::size_t line = 0;
  for (std::size_t i = text.find('"'); i != std::string_view::npos; i = text.find('"', i + 1)) {
    while (lines[line].end < i) ++line;
    quotes.emplace_back(i, line);
    quoted[line] = true;
  }
  for (std::size_t q = 0; q < quotes.size(); ++q) {
    const std::size_t at = quotes[q].first;
    const bool opens =
        at == 0 || IsBlank(text[at - 1]) || text[at - 1] == ',' || IsLineEnd(text[at - 1]);
    if (!opens) continue;
    const std::size_t last = q + 1 < quotes.size() ? quotes[q + 1].second : lines.size() - 1;
    for (std::size_t l = quotes[q].second; l <= last; ++l) quoted[l] = true;
  }
  return quoted;
}

// The one record a keyword field names, whatever the part: a field that
// names several (or none) is not aligned.
const RecordSchema* OnlyRecordNamed(std::string_view keyword) {
  const RecordSchema* found = nullptr;
  for (RecordPart part : {RecordPart::kLineGeneral, RecordPart::kLineFeature, RecordPart::kTrain}) {
    for (const RecordSchema& r : RecordsOf(part)) {
      if (!r.test.Matches(keyword)) continue;
      if (found != nullptr) return nullptr;
      found = &r;
    }
  }
  return found;
}

bool IsWholeNumber(std::string_view token) {
  const std::size_t sign = !token.empty() && token[0] == '-' ? 1 : 0;
  if (token.size() == sign || token.size() > kMaxNumberBytes) return false;
  return std::all_of(token.begin() + static_cast<std::ptrdiff_t>(sign), token.end(), IsDigit);
}

// A value of a plain record: the blanks before it and its own text.
struct Value {
  std::size_t blanksBegin = 0;
  std::size_t textBegin = 0;
  std::size_t textSize = 0;
};

struct PlainRecord {
  const RecordSchema* schema = nullptr;
  std::size_t section = 0;
  std::size_t lineBegin = 0;
  std::size_t keywordBegin = 0;
  std::size_t keywordSize = 0;  // up to its comma, trailing blanks and all
  std::vector<Value> values;
  int line = 0;
};

// The line as a plain record, or nothing.
std::optional<PlainRecord> ReadPlainRecord(std::string_view text, const Line& line) {
  const std::string_view content = text.substr(line.begin, line.end - line.begin);
  const std::size_t first = content.find_first_not_of(" \t");
  if (first == std::string_view::npos || content[first] == '[') return std::nullopt;
  const std::size_t comma = content.find(',', first);
  if (comma == std::string_view::npos) return std::nullopt;
  PlainRecord r;
  const std::string_view keyword = content.substr(first, comma - first);
  // A field holding '-' is a comment, skipped before a keyword.
  if (keyword.size() > kMaxKeywordBytes || keyword.find('-') != std::string_view::npos) {
    return std::nullopt;
  }
  r.schema = OnlyRecordNamed(keyword);
  if (r.schema == nullptr) return std::nullopt;
  r.lineBegin = line.begin;
  r.keywordBegin = line.begin + first;
  r.keywordSize = keyword.size();
  std::size_t compact = keyword.size();
  std::size_t at = comma + 1;
  const std::span<const ColumnSchema> columns = r.schema->columns;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (at > content.size()) return std::nullopt;  // fewer values than columns
    const bool last = c + 1 == columns.size();
    std::size_t end = content.find(',', at);
    if (end == std::string_view::npos) end = content.size();
    if (last != (end == content.size())) return std::nullopt;  // more values than columns
    std::size_t begin = at;
    while (begin < end && IsBlank(content[begin])) ++begin;
    // Blanks at the end of the line stay: a text keeps them.
    std::size_t textEnd = end;
    if (last) {
      while (textEnd > begin && IsBlank(content[textEnd - 1])) --textEnd;
    }
    const std::string_view value = content.substr(begin, textEnd - begin);
    if (value.empty() || IsBlank(value.back())) return std::nullopt;
    if (columns[c].type != ValueType::kText && !IsWholeNumber(value)) return std::nullopt;
    r.values.push_back({line.begin + at, line.begin + begin, value.size()});
    compact += 2 + value.size() + (end - textEnd);
    at = end + 1;
  }
  if (compact > kMaxAlignedLineBytes) return std::nullopt;
  return r;
}

void AddEdit(std::string_view text, const PlainRecord& r, std::size_t begin, std::size_t end,
             std::size_t spaces, std::vector<BlankEdit>& edits) {
  const bool same =
      end - begin == spaces &&
      std::all_of(text.begin() + static_cast<std::ptrdiff_t>(begin),
                  text.begin() + static_cast<std::ptrdiff_t>(end), [](char c) { return c == ' '; });
  if (same) return;
  edits.push_back(
      {begin, end, r.line, static_cast<int>(begin - r.lineBegin), static_cast<int>(spaces)});
}

}  // namespace

std::vector<BlankEdit> AlignmentEdits(std::string_view text) {
  if (text.empty()) return {};
  const std::vector<Line> lines = SplitLines(text);
  const std::vector<bool> quoted = MaybeQuoted(text, lines);
  std::vector<PlainRecord> records;
  std::size_t section = 0;
  for (std::size_t l = 0; l < lines.size(); ++l) {
    const std::string_view content = text.substr(lines[l].begin, lines[l].end - lines[l].begin);
    const std::size_t first = content.find_first_not_of(" \t");
    if (first != std::string_view::npos && content[first] == '[') ++section;
    if (quoted[l]) continue;
    if (std::optional<PlainRecord> r = ReadPlainRecord(text, lines[l])) {
      r->section = section;
      r->line = static_cast<int>(l);
      records.push_back(std::move(*r));
    }
  }
  // The widths of each kind of record in each section.
  struct Widths {
    std::size_t keyword = 0;
    std::array<std::size_t, MostColumns()> values{};
  };
  std::map<std::pair<std::size_t, const RecordSchema*>, Widths> widths;
  for (const PlainRecord& r : records) {
    Widths& w = widths[{r.section, r.schema}];
    w.keyword = std::max(w.keyword, r.keywordSize);
    for (std::size_t c = 0; c < r.values.size(); ++c) {
      w.values[c] = std::max(w.values[c], r.values[c].textSize);
    }
  }
  std::vector<BlankEdit> edits;
  for (const PlainRecord& r : records) {
    const Widths& w = widths[{r.section, r.schema}];
    AddEdit(text, r, r.lineBegin, r.keywordBegin, 0, edits);
    for (std::size_t c = 0; c < r.values.size(); ++c) {
      const Value& v = r.values[c];
      std::size_t spaces = 1;
      if (c == 0) spaces += w.keyword - r.keywordSize;
      if (r.schema->columns[c].type != ValueType::kText) spaces += w.values[c] - v.textSize;
      AddEdit(text, r, v.blanksBegin, v.textBegin, spaces, edits);
    }
  }
  return edits;
}

std::string AlignRecords(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t at = 0;
  for (const BlankEdit& e : AlignmentEdits(text)) {
    out.append(text.substr(at, e.begin - at));
    out.append(static_cast<std::size_t>(e.spaces), ' ');
    at = e.end;
  }
  out.append(text.substr(at));
  return out;
}

}  // namespace sb
