// What the editor asks of a description besides its diagnostics: hover,
// completion, the outline and the km posts shown after positions. Each reads
// the description's text and the model its compile built.
#ifndef SB_TOOLS_LSP_FEATURES_H_
#define SB_TOOLS_LSP_FEATURES_H_

#include <nlohmann/json.hpp>
#include <string>

#include "description/record_schema.h"
#include "tools/lsp/text.h"
#include "tools/lsp/workspace.h"

namespace sb::lsp {

// The place a request points at, in the negotiated encoding's units.
struct TextPlace {
  int line = 0;
  int character = 0;
};

// The record and column under the place (null when there is none); on a
// position, also its cell, km post and what the compiled cell holds.
nlohmann::json Hover(const FileResult& file, bool lineDescription, TextPlace place,
                     PositionEncoding encoding);

// Record keywords valid where the place is, and section headers; nothing
// past the keyword field. A keyword comes with a snippet of all its columns
// for a client that takes snippets (`snippets`), otherwise as plain text,
// the keyword and its first separator: a client without snippets would
// insert the placeholders' names as they stand.
nlohmann::json Completion(const FileResult& file, bool lineDescription, TextPlace place,
                          bool snippets, PositionEncoding encoding);

// Section headers, and inside them stations, signals, slowdowns and boards.
nlohmann::json DocumentSymbols(const FileResult& file, bool lineDescription,
                               PositionEncoding encoding);

// A column as hover and column guidance tell it: its name, unit, range and
// meaning, in markdown.
std::string ColumnText(const ColumnSchema& column);

// "km 121+020" after each position field of the lines `first` to `last`.
nlohmann::json InlayHints(const FileResult& file, bool lineDescription, int first, int last,
                          PositionEncoding encoding);

}  // namespace sb::lsp

#endif  // SB_TOOLS_LSP_FEATURES_H_
