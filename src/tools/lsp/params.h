// What the params of a client's message say: each reader returns an
// Invalid status naming what is not as the method reads it (the request's
// -32602), or, for a capability or a version, what the client left out.
#ifndef SB_TOOLS_LSP_PARAMS_H_
#define SB_TOOLS_LSP_PARAMS_H_

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "base/status.h"
#include "tools/lsp/features.h"

namespace sb::lsp {

Status Member(const nlohmann::json& object, const char* key, const nlohmann::json** value);
Status StringMember(const nlohmann::json& object, const char* key, std::string* value);
Status IntMember(const nlohmann::json& object, const char* key, int* value);

bool IsLineDescription(const std::string& path);
// The path of the description a request names; any other file is refused.
Status DocumentPath(const nlohmann::json& params, std::string* path);
// The place a hover or a completion points at.
Status PlaceOf(const nlohmann::json& params, TextPlace* place);
// The first and last lines of the range inlay hints are asked for.
Status LinesOf(const nlohmann::json& params, int* first, int* last);
// Whether the document named is of a scheme other than file: (untitled:,
// git:): answered empty, not refused.
bool NamesNoFile(const nlohmann::json& params);
// The version a didOpen or didChange gives its document, when it gives one.
std::optional<int64_t> VersionOf(const nlohmann::json& params);

// What initialize says of the client: UTF-8 positions, completion snippets,
// watchers of files registered by the server.
bool OffersUtf8(const nlohmann::json& params);
bool TakesSnippets(const nlohmann::json& params);
// Whether the client is VS Code (or a build of it), by the name it gives.
bool IsVsCode(const nlohmann::json& params);
bool WatchesFilesOnRequest(const nlohmann::json& params);

// The paths of the descriptions and project files a
// workspace/didChangeWatchedFiles names, created, changed or deleted alike;
// other files and schemes are left out.
Status WatchedPaths(const nlohmann::json& params, std::vector<std::string>* paths);

}  // namespace sb::lsp

#endif  // SB_TOOLS_LSP_PARAMS_H_
