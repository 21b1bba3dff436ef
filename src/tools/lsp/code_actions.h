// What the editor offers to change at a place of a description: the fixes
// its diagnostics carry, as workspace edits, and the sort of a section's
// records by position.
#ifndef SB_TOOLS_LSP_CODE_ACTIONS_H_
#define SB_TOOLS_LSP_CODE_ACTIONS_H_

#include <nlohmann/json.hpp>
#include <string>

#include "tools/lsp/text.h"
#include "tools/lsp/workspace.h"

namespace sb::lsp {

inline constexpr const char* kSortTitle = "sort the records of this section by position";

// The request's view of the document: its URI as the editor named it, the
// lines asked about (0-based, inclusive), the diagnostics the editor sent
// with it (echoed in the actions they belong to) and the kinds it wants
// (none: all).
struct ActionRequest {
  std::string uri;
  int firstLine = 0;
  int lastLine = 0;
  nlohmann::json diagnostics = nlohmann::json::array();
  nlohmann::json only = nlohmann::json::array();
};

// The actions for `file`, a description of the group `analysis` compiled.
// A fix whose place is still to be found is tried on copies of the text,
// compiled beside the group's line, and only the first that leaves its
// record without an error is offered.
nlohmann::json CodeActions(const FileResult& file, const GroupAnalysis& analysis,
                           const Workspace& workspace, bool lineDescription,
                           const ActionRequest& request, PositionEncoding encoding);

// Whether an action of `kind` is among those `only` asks for.
bool KindWanted(const nlohmann::json& only, const std::string& kind);

}  // namespace sb::lsp

#endif  // SB_TOOLS_LSP_CODE_ACTIONS_H_
