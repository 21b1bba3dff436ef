#include "tools/lsp/semantic_tokens.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "description/record_walk.h"
#include "tools/lsp/record_line.h"

namespace sb::lsp {
namespace {

// Indexes into the legend's types.
enum TokenType { kKeyword, kNumber, kString, kComment, kSection };

struct Piece {
  std::size_t begin;
  std::size_t end;
  TokenType type;
};

bool IsSectionHeader(std::string_view field) {
  return !field.empty() && field.front() != '-' && field.find('[') != std::string_view::npos &&
         field.find(']') != std::string_view::npos;
}

// The pieces of one field: its own characters, then as a comment what the
// reader drops after a closing quote (from its first non-blank).
void AddPieces(std::string_view bytes, const WalkedField& f, std::vector<Piece>& out) {
  auto add = [&out](std::size_t begin, std::size_t end, TokenType type) {
    if (end > begin) out.push_back({begin, end, type});
  };
  TokenType type = kComment;
  switch (f.role) {
    case FieldRole::kPreamble:
    case FieldRole::kSkipped: break;
    case FieldRole::kOpening: type = kSection; break;
    case FieldRole::kKeyword: type = kKeyword; break;
    case FieldRole::kValue:
      type = f.record->columns[static_cast<std::size_t>(f.column)].type == ValueType::kText
                 ? kString
                 : kNumber;
      break;
    case FieldRole::kNoRecord:
      if (IsSectionHeader(f.text)) type = kSection;
      break;
  }
  if (type == kComment) {
    add(f.begin, f.dropEnd, kComment);
    return;
  }
  add(f.begin, f.end, type);
  std::size_t dropped = f.end;
  while (dropped < f.dropEnd && (bytes[dropped] == ' ' || bytes[dropped] == '\t')) ++dropped;
  add(dropped, f.dropEnd, kComment);
}

// Where each line of `bytes` begins, lines split as SplitLines splits them.
std::vector<std::size_t> LineStarts(std::string_view bytes,
                                    const std::vector<std::string_view>& lines) {
  std::vector<std::size_t> starts;
  starts.reserve(lines.size());
  for (std::string_view l : lines)
    starts.push_back(static_cast<std::size_t>(l.data() - bytes.data()));
  return starts;
}

}  // namespace

nlohmann::json SemanticTokensLegend() {
  return {{"tokenTypes", {"keyword", "number", "string", "comment", "namespace"}},
          {"tokenModifiers", nlohmann::json::array()}};
}

nlohmann::json SemanticTokens(const SourceText& text, bool lineDescription, int first, int last,
                              PositionEncoding encoding) {
  const std::vector<std::string_view> lines = SplitLines(text.bytes);
  std::vector<std::string_view> utf8 = SplitLines(text.utf8);
  if (utf8.size() != lines.size()) utf8 = lines;
  const std::vector<std::size_t> starts = LineStarts(text.bytes, lines);

  std::vector<Piece> pieces;
  for (const WalkedField& f : WalkDescription(text.bytes, lineDescription))
    AddPieces(text.bytes, f, pieces);

  nlohmann::json data = nlohmann::json::array();
  int previousLine = 0;
  int previousStart = 0;
  // A comment waiting for the next piece: the ignored fields of one line
  // are one comment, commas and all.
  std::optional<Piece> pending;
  int pendingLine = 0;
  auto emit = [&](int line, std::size_t begin, std::size_t end, TokenType type) {
    if (line < first || line > last) return;
    const std::string_view utf8Line = utf8[static_cast<std::size_t>(line)];
    const std::size_t lineStart = starts[static_cast<std::size_t>(line)];
    const int from = ToLspCharacter(utf8Line, static_cast<int>(begin - lineStart), encoding);
    const int to = ToLspCharacter(utf8Line, static_cast<int>(end - lineStart), encoding);
    if (to <= from) return;
    data.push_back(line - previousLine);
    data.push_back(line == previousLine ? from - previousStart : from);
    data.push_back(to - from);
    data.push_back(static_cast<int>(type));
    data.push_back(0);
    previousLine = line;
    previousStart = from;
  };
  auto flush = [&] {
    if (pending) emit(pendingLine, pending->begin, pending->end, kComment);
    pending.reset();
  };
  for (const Piece& p : pieces) {
    // A quoted text may span lines: a token each line.
    std::size_t begin = p.begin;
    while (begin < p.end) {
      const auto after = std::upper_bound(starts.begin(), starts.end(), begin);
      const int line = static_cast<int>(after - starts.begin()) - 1;
      const std::size_t lineEnd =
          starts[static_cast<std::size_t>(line)] + lines[static_cast<std::size_t>(line)].size();
      const std::size_t end = std::min(p.end, lineEnd);
      if (p.type == kComment && pending && pendingLine == line) {
        pending->end = end;
      } else {
        flush();
        if (p.type == kComment) {
          pending = Piece{begin, end, kComment};
          pendingLine = line;
        } else {
          emit(line, begin, end, p.type);
        }
      }
      if (after == starts.end()) break;
      begin = std::max(end, *after);
    }
  }
  flush();
  return {{"data", std::move(data)}};
}

nlohmann::json FoldingRanges(const SourceText& text, bool lineDescription) {
  const std::vector<std::string_view> lines = SplitLines(text.bytes);
  const std::vector<LineView> views = ViewLines(lines, lineDescription);
  nlohmann::json ranges = nlohmann::json::array();
  const int count = static_cast<int>(lines.size());
  for (int header = 0; header < count; ++header) {
    if (!views[static_cast<std::size_t>(header)].header) continue;
    int last = header;
    for (int i = header + 1; i < count && !views[static_cast<std::size_t>(i)].header; ++i) {
      if (lines[static_cast<std::size_t>(i)].find_first_not_of(" \t") != std::string_view::npos) {
        last = i;
      }
    }
    if (last > header) {
      ranges.push_back({{"startLine", header}, {"endLine", last}, {"kind", "region"}});
    }
  }
  return ranges;
}

}  // namespace sb::lsp
