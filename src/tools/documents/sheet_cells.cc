#include "tools/documents/sheet_cells.h"

#include <cstdio>

namespace sb::sheet {

Diagnostic FactError(const FactPlace& place, std::string message, std::string hint) {
  Diagnostic d;
  d.file = kFactsFile;
  d.line = place.line;
  d.column = place.line > 0 ? place.column : 0;
  d.message = std::move(message);
  d.hint = std::move(hint);
  return d;
}

std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  quoted += text;
  quoted += '"';
  return quoted;
}

void CheckWidth(std::string_view text, std::size_t width, std::string_view what,
                const FactPlace& place, std::vector<Diagnostic>* out) {
  if (text.size() <= width) return;
  out->push_back(FactError(
      place,
      std::string(what) + " " + Quoted(text) + " has " + std::to_string(text.size()) +
          " characters; its cell holds " + std::to_string(width),
      "shorten it to " + std::to_string(width) + " characters: the sheet cuts it at its cell"));
}

std::string KmCell(std::optional<int64_t> km) {
  if (!km || *km < 0 || *km > kMaxKmPost) return "          ";
  char buf[16];
  std::snprintf(buf, sizeof buf, " %03d.%03d  ", static_cast<int>(*km / 1000),
                static_cast<int>(*km % 1000));
  return buf;
}

}  // namespace sb::sheet
