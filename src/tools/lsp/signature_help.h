// Column guidance while a record is typed: the record's keyword and the
// names of its columns, the one under the cursor active.
#ifndef SB_TOOLS_LSP_SIGNATURE_HELP_H_
#define SB_TOOLS_LSP_SIGNATURE_HELP_H_

#include <nlohmann/json.hpp>

#include "tools/lsp/features.h"
#include "tools/lsp/text.h"
#include "tools/lsp/workspace.h"

namespace sb::lsp {

// The record of the place's line with its columns, the one the place is in
// active; null on the keyword, past the record's values and on a line that
// holds no record.
nlohmann::json SignatureHelp(const SourceText& text, bool lineDescription, TextPlace place,
                             PositionEncoding encoding);

}  // namespace sb::lsp

#endif  // SB_TOOLS_LSP_SIGNATURE_HELP_H_
