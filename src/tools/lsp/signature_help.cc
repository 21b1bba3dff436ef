#include "tools/lsp/signature_help.h"

#include <string>
#include <string_view>
#include <vector>

#include "tools/lsp/record_line.h"

namespace sb::lsp {

nlohmann::json SignatureHelp(const SourceText& text, bool lineDescription, TextPlace place,
                             PositionEncoding encoding) {
  const std::vector<std::string_view> lines = SplitLines(text.bytes);
  std::vector<std::string_view> utf8 = SplitLines(text.utf8);
  if (utf8.size() != lines.size()) utf8 = lines;
  if (place.line < 0 || place.line >= static_cast<int>(lines.size())) return nullptr;
  const std::size_t line = static_cast<std::size_t>(place.line);
  const LineView view = ViewLines(lines, lineDescription)[line];
  if (!view.record) return nullptr;
  const RecordSchema& r = *view.record;
  const int field = FieldAt(view.fields, FromLspCharacter(utf8[line], place.character, encoding));
  if (field < 1 || field > static_cast<int>(r.columns.size())) return nullptr;

  // The label is ASCII: its offsets are the same in every encoding.
  std::string label(r.keyword);
  nlohmann::json parameters = nlohmann::json::array();
  for (const ColumnSchema& c : r.columns) {
    label += ", ";
    const std::size_t begin = label.size();
    label += c.name;
    parameters.push_back({{"label", {begin, label.size()}},
                          {"documentation", {{"kind", "markdown"}, {"value", ColumnText(c)}}}});
  }
  std::string documentation = "**";
  documentation.append(r.title).append("**: ").append(r.meaning);
  return {{"signatures",
           {{{"label", label},
             {"documentation", {{"kind", "markdown"}, {"value", documentation}}},
             {"parameters", std::move(parameters)}}}},
          {"activeSignature", 0},
          {"activeParameter", field - 1}};
}

}  // namespace sb::lsp
