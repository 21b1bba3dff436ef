// The compiler's diagnostics as the editor protocol's: a range over the
// field at fault, severity, code, message with its km post and hint, and the
// related places.
#ifndef SB_TOOLS_LSP_DIAGNOSTICS_H_
#define SB_TOOLS_LSP_DIAGNOSTICS_H_

#include <nlohmann/json.hpp>

#include "tools/lsp/text.h"
#include "tools/lsp/workspace.h"

namespace sb::lsp {

inline constexpr const char* kSource = "scenario-builder";
inline constexpr const char* kUnencodableCode = "unencodable-character";

// The range of the field that begins at the 1-based byte `column` of the
// 1-based `line`: up to the next comma or the line's end, trailing blanks
// excluded. Column 0 is the whole line; line 0 is the first line.
nlohmann::json FieldRange(const SourceText& text, int line, int column, PositionEncoding encoding);

// Every diagnostic of `file`, and a warning for each character its buffer
// could not hold. Related places in other descriptions of `analysis` get
// their ranges from those texts.
nlohmann::json LspDiagnostics(const FileResult& file, const GroupAnalysis& analysis,
                              PositionEncoding encoding);

}  // namespace sb::lsp

#endif  // SB_TOOLS_LSP_DIAGNOSTICS_H_
