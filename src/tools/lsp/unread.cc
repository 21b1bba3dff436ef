#include "tools/lsp/unread.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/windows1252.h"
#include "description/keyword_suggestion.h"
#include "description/record_walk.h"
#include "tools/lsp/diagnostics.h"
#include "tools/lsp/record_line.h"

namespace sb::lsp {
namespace {

constexpr int kSeverityInformation = 3;
constexpr int kSeverityHint = 4;
constexpr int kTagUnnecessary = 1;

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Byte offsets into a description's bytes as the editor's positions. Every
// character of the buffer is one byte, so an offset within a line is a
// character index into the same line of the UTF-8 text.
class Places {
 public:
  Places(const SourceText& text, PositionEncoding encoding)
      : lines_(SplitLines(text.utf8)), encoding_(encoding) {
    std::size_t at = 0;
    for (const std::string_view line : SplitLines(text.bytes)) {
      starts_.push_back(at);
      at += line.size();
      // The line end that follows: CR LF, LF or CR.
      if (at < text.bytes.size() && text.bytes[at] == '\r') ++at;
      if (at < text.bytes.size() && text.bytes[at] == '\n') ++at;
    }
  }
  int LineOf(std::size_t offset) const {
    const auto next = std::upper_bound(starts_.begin(), starts_.end(), offset);
    return static_cast<int>(next - starts_.begin()) - 1;
  }
  std::size_t LineStart(int line) const { return starts_[static_cast<std::size_t>(line)]; }
  int LineCount() const { return static_cast<int>(starts_.size()); }
  nlohmann::json At(std::size_t offset) const {
    const int line = std::max(LineOf(offset), 0);
    const int character = static_cast<int>(offset - LineStart(line));
    return {{"line", line}, {"character", Units(line, character)}};
  }
  int Units(int line, int characters) const {
    const std::string_view utf8 =
        line < static_cast<int>(lines_.size()) ? lines_[static_cast<std::size_t>(line)] : "";
    return ToLspCharacter(utf8, characters, encoding_);
  }
  int LineLength(int line) const {
    return line < static_cast<int>(lines_.size())
               ? Units(line, static_cast<int>(lines_[static_cast<std::size_t>(line)].size()))
               : 0;
  }

 private:
  std::vector<std::string_view> lines_;
  std::vector<std::size_t> starts_;
  PositionEncoding encoding_;
};

bool IsBlank(std::string_view text) {
  return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// Digits after an optional minus, of any length: what the reader takes
// for a whole number, though it may lie past every range.
bool AllDigits(std::string_view token) {
  if (!token.empty() && token[0] == '-') token.remove_prefix(1);
  return !token.empty() &&
         std::all_of(token.begin(), token.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "0 to 9", "-100 to 155": the bounds of a column whose range is two
// numbers; nothing for "multiple of 50", "0 to the line length" and such.
std::optional<std::pair<int64_t, int64_t>> Bounds(std::string_view range) {
  const std::size_t to = range.find(" to ");
  if (to == std::string_view::npos) return std::nullopt;
  int64_t low = 0;
  int64_t high = 0;
  const std::string_view a = range.substr(0, to);
  const std::string_view b = range.substr(to + 4);
  const auto ra = std::from_chars(a.data(), a.data() + a.size(), low);
  const auto rb = std::from_chars(b.data(), b.data() + b.size(), high);
  if (ra.ec != std::errc() || ra.ptr != a.data() + a.size()) return std::nullopt;
  if (rb.ec != std::errc() || rb.ptr != b.data() + b.size()) return std::nullopt;
  return std::make_pair(low, high);
}

std::vector<std::string_view> Candidates(bool lineDescription) {
  std::vector<std::string_view> out;
  const RecordPart parts[] = {RecordPart::kLineGeneral, RecordPart::kLineFeature};
  if (lineDescription) {
    for (RecordPart part : parts) {
      for (std::string_view k : KeywordsAsWritten(part)) out.push_back(k);
    }
  } else {
    for (std::string_view k : KeywordsAsWritten(RecordPart::kTrain)) out.push_back(k);
  }
  return out;
}

nlohmann::json Checked(const Places& places, const WalkedField& f, const char* code,
                       std::string message, const std::string& hint = {}) {
  message += " (in the part not read: checked without the model)";
  if (!hint.empty()) message += "\nhint: " + hint;
  return {{"range", {{"start", places.At(f.begin)}, {"end", places.At(f.end)}}},
          {"severity", kSeverityInformation},
          {"code", code},
          {"source", kSource},
          {"message", Windows1252ToUtf8(message)}};
}

// What of the fields from `from` on can be told without the model.
void CheckRest(const SourceText& text, bool lineDescription, std::size_t from, const Places& places,
               nlohmann::json& out) {
  const std::vector<std::string_view> candidates = Candidates(lineDescription);
  for (const WalkedField& f : WalkDescription(text.bytes, lineDescription)) {
    if (f.begin < from) continue;
    if (f.role == FieldRole::kValue) {
      const ColumnSchema& column = f.record->columns[static_cast<std::size_t>(f.column)];
      if (column.type == ValueType::kText) continue;
      if (!AllDigits(f.text)) {
        std::string message(column.what);
        message += ": expected a whole number, found ";
        if (f.text.empty()) {
          message += "nothing";
        } else {
          message.append(1, '\'').append(f.text).append(1, '\'');
        }
        out.push_back(Checked(places, f, "not-a-number", std::move(message)));
        continue;
      }
      const std::optional<std::pair<int64_t, int64_t>> bounds = Bounds(column.range);
      const std::optional<int64_t> value = WholeNumber(f.text);
      if (!bounds || !value) continue;
      if (*value < bounds->first || *value > bounds->second) {
        out.push_back(Checked(places, f, "value-range",
                              std::string(column.what) + " " + std::string(f.text) +
                                  " is outside " + std::string(column.range)));
      }
    } else if (f.role == FieldRole::kNoRecord && f.text.find('[') == std::string_view::npos) {
      const std::string_view near = NearestKeyword(f.text, candidates);
      if (near.empty()) continue;
      std::string message(1, '\'');
      message.append(f.text).append("' is no record");
      std::string hint("did you mean '");
      hint.append(near).append("'?");
      out.push_back(Checked(places, f, "unknown-record", std::move(message), hint));
    }
  }
}

}  // namespace

nlohmann::json UnreadDiagnostics(const FileResult& file, bool lineDescription,
                                 PositionEncoding encoding) {
  nlohmann::json out = nlohmann::json::array();
  if (!file.scenario) return out;
  const std::string name = BaseName(file.path);
  // The first line not read (0-based), and what stopped the reading.
  std::optional<int> first;
  std::string why;
  for (const Scenario::ReadingStop& stop : file.scenario->readingStops) {
    if (stop.file == name && stop.line > 0) {
      first = stop.line;
      why = "not read: the reading stopped at line " + std::to_string(stop.line);
      break;
    }
    if (!lineDescription && stop.rest && stop.file != name && stop.line > 0) {
      first = 0;
      why =
          "not read: the reading stopped at line " + std::to_string(stop.line) + " of " + stop.file;
      break;
    }
  }
  if (!first) return out;
  const SourceText& text = *file.text;
  const Places places(text, encoding);
  if (*first >= places.LineCount()) return out;
  const std::size_t from = places.LineStart(*first);
  if (IsBlank(std::string_view(text.bytes).substr(from))) return out;
  // Up to the end of the last line that holds anything: blank lines after
  // it change nothing read.
  const std::size_t content = text.bytes.find_last_not_of(" \t\r\n");
  const int last = places.LineOf(content);
  out.push_back({{"range",
                  {{"start", {{"line", *first}, {"character", 0}}},
                   {"end", {{"line", last}, {"character", places.LineLength(last)}}}}},
                 {"severity", kSeverityHint},
                 {"tags", {kTagUnnecessary}},
                 {"code", kNotReadCode},
                 {"source", kSource},
                 {"message", why}});
  CheckRest(text, lineDescription, from, places, out);
  return out;
}

}  // namespace sb::lsp
