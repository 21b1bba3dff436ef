// The colours of a description as the readers take it: keywords as the
// reader matches them ("velocità", "curva destra 3"), values by their
// column's type, section headers, and as comments what the reader ignores
// (the preamble, fields holding '-' dropped in a keyword's place, fields
// that name no record, the text after a closing quote). Also the folds,
// one a section.
#ifndef SB_TOOLS_LSP_SEMANTIC_TOKENS_H_
#define SB_TOOLS_LSP_SEMANTIC_TOKENS_H_

#include <nlohmann/json.hpp>

#include "tools/lsp/text.h"
#include "tools/lsp/workspace.h"

namespace sb::lsp {

// The token types and modifiers the tokens' numbers index, for the
// server's capabilities.
nlohmann::json SemanticTokensLegend();

// The tokens of lines `first` to `last` (0-based, inclusive), in the
// protocol's relative encoding: {"data": [...]}.
nlohmann::json SemanticTokens(const SourceText& text, bool lineDescription, int first, int last,
                              PositionEncoding encoding);

// A folding range for each section: from its header to its last line that
// is not blank.
nlohmann::json FoldingRanges(const SourceText& text, bool lineDescription);

}  // namespace sb::lsp

#endif  // SB_TOOLS_LSP_SEMANTIC_TOKENS_H_
