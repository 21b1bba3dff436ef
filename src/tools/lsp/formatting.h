// textDocument/formatting: the records of a description aligned
// (description/record_alignment.h), as the editor's text edits.
#ifndef SB_TOOLS_LSP_FORMATTING_H_
#define SB_TOOLS_LSP_FORMATTING_H_

#include <nlohmann/json.hpp>

#include "tools/lsp/text.h"
#include "tools/lsp/workspace.h"

namespace sb::lsp {

// One edit for each run of blanks that changes, its range in `encoding`;
// an empty array for a text aligned already.
nlohmann::json FormattingEdits(const SourceText& text, PositionEncoding encoding);

}  // namespace sb::lsp

#endif  // SB_TOOLS_LSP_FORMATTING_H_
