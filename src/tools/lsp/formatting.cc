#include "tools/lsp/formatting.h"

#include <string>
#include <vector>

#include "description/record_alignment.h"

namespace sb::lsp {

nlohmann::json FormattingEdits(const SourceText& text, PositionEncoding encoding) {
  nlohmann::json edits = nlohmann::json::array();
  const std::vector<BlankEdit> blanks = AlignmentEdits(text.bytes);
  if (blanks.empty()) return edits;
  // Every character of the buffer is one byte of the code page, so a byte
  // column is a character index into the editor's line.
  const std::vector<std::string_view> lines = SplitLines(text.utf8);
  for (const BlankEdit& e : blanks) {
    if (static_cast<std::size_t>(e.line) >= lines.size()) break;
    const std::string_view line = lines[static_cast<std::size_t>(e.line)];
    const int end = e.column + static_cast<int>(e.end - e.begin);
    edits.push_back(
        {{"range",
          {{"start", {{"line", e.line}, {"character", ToLspCharacter(line, e.column, encoding)}}},
           {"end", {{"line", e.line}, {"character", ToLspCharacter(line, end, encoding)}}}}},
         {"newText", std::string(static_cast<std::size_t>(e.spaces), ' ')}});
  }
  return edits;
}

}  // namespace sb::lsp
