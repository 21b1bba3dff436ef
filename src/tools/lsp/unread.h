// What an error that ends the reading leaves unread, told in the editor
// only: compile says nothing of it, and what it compiles is unchanged.
#ifndef SB_TOOLS_LSP_UNREAD_H_
#define SB_TOOLS_LSP_UNREAD_H_

#include <nlohmann/json.hpp>

#include "tools/lsp/text.h"
#include "tools/lsp/workspace.h"

namespace sb::lsp {

inline constexpr const char* kNotReadCode = "not-read";

// When the reading of `file` stopped early (or, for a train, its line's
// stopped, so that it was not read at all): a hint over the rest, tagged
// unnecessary so that the editor fades it, "not read: the reading stopped at
// line N"; then what of the rest can be checked without the model, as
// information: values that are no whole number or outside their column's
// range, and fields that look like a misspelt keyword. Empty otherwise.
nlohmann::json UnreadDiagnostics(const FileResult& file, bool lineDescription,
                                 PositionEncoding encoding);

}  // namespace sb::lsp

#endif  // SB_TOOLS_LSP_UNREAD_H_
