#include "tools/lsp/params.h"

#include <cctype>
#include <limits>

#include "model/file_names.h"
#include "tools/lsp/project_times.h"

namespace sb::lsp {

// The readers of params: each says, as an Invalid status, what is not as
// the method reads it.
Status Member(const nlohmann::json& object, const char* key, const nlohmann::json** value) {
  if (!object.is_object()) return Status::Invalid("params must be an object");
  auto it = object.find(key);
  if (it == object.end()) return Status::Invalid(std::string("missing '") + key + "'");
  *value = &*it;
  return Status::Ok();
}

Status StringMember(const nlohmann::json& object, const char* key, std::string* value) {
  const nlohmann::json* member = nullptr;
  SB_RETURN_IF_ERROR(Member(object, key, &member));
  if (!member->is_string()) return Status::Invalid(std::string("'") + key + "' must be a string");
  *value = member->get<std::string>();
  return Status::Ok();
}

Status IntMember(const nlohmann::json& object, const char* key, int* value) {
  const nlohmann::json* member = nullptr;
  SB_RETURN_IF_ERROR(Member(object, key, &member));
  if (!member->is_number_integer() || member->get<int64_t>() < 0 ||
      member->get<int64_t>() > std::numeric_limits<int>::max()) {
    return Status::Invalid(std::string("'") + key + "' must be a whole number from 0");
  }
  *value = member->get<int>();
  return Status::Ok();
}

bool IsLineDescription(const std::string& path) { return LineIdFromName(path).has_value(); }

namespace {

// "<ID>_<N>-.txt" with neither part empty. Which underscore ends the line
// identifier is only known beside the line description; the first that
// leaves both parts some text tells whether there is any.
bool IsTrainDescription(const std::string& name) {
  const std::size_t underscore = name.find('_', 1);
  return underscore != std::string::npos &&
         TrainNumberFromName(name, name.substr(0, underscore)).has_value();
}

}  // namespace

// The path of the description a request names. Only descriptions are
// served: any other file (a companion's name is made from the path, so
// one holding a NUL would read the file before it) is refused.
Status DocumentPath(const nlohmann::json& params, std::string* path) {
  const nlohmann::json* document = nullptr;
  SB_RETURN_IF_ERROR(Member(params, "textDocument", &document));
  std::string uri;
  SB_RETURN_IF_ERROR(StringMember(*document, "uri", &uri));
  std::optional<std::string> decoded = UriToPath(uri);
  if (!decoded) return Status::Invalid("only file: URIs are served: " + uri);
  if (decoded->find('\0') != std::string::npos) {
    return Status::Invalid("the URI names a path with a NUL: " + uri);
  }
  const std::string name = decoded->substr(decoded->rfind('/') + 1);
  if (!IsLineDescription(name) && !IsTrainDescription(name)) {
    return Status::Invalid("not a description (<ID>_linea.txt or <ID>_<N>-.txt): " + uri);
  }
  *path = std::move(*decoded);
  return Status::Ok();
}

// The place a hover or a completion points at.
Status PlaceOf(const nlohmann::json& params, TextPlace* place) {
  const nlohmann::json* position = nullptr;
  SB_RETURN_IF_ERROR(Member(params, "position", &position));
  SB_RETURN_IF_ERROR(IntMember(*position, "line", &place->line));
  return IntMember(*position, "character", &place->character);
}

// The first and last lines of the range inlay hints are asked for.
Status LinesOf(const nlohmann::json& params, int* first, int* last) {
  const nlohmann::json* range = nullptr;
  SB_RETURN_IF_ERROR(Member(params, "range", &range));
  const nlohmann::json* start = nullptr;
  SB_RETURN_IF_ERROR(Member(*range, "start", &start));
  SB_RETURN_IF_ERROR(IntMember(*start, "line", first));
  const nlohmann::json* end = nullptr;
  SB_RETURN_IF_ERROR(Member(*range, "end", &end));
  return IntMember(*end, "line", last);
}

bool OffersUtf8(const nlohmann::json& params) {
  const nlohmann::json* p = &params;
  for (const char* key : {"capabilities", "general", "positionEncodings"}) {
    if (!p->is_object() || !p->contains(key)) return false;
    p = &(*p)[key];
  }
  if (!p->is_array()) return false;
  for (const nlohmann::json& e : *p) {
    if (e == "utf-8") return true;
  }
  return false;
}

// Whether the request is about a document of a scheme other than file: (an
// untitled buffer, a version control view): a URI "<scheme>:..." whose
// scheme, of two characters or more, is not "file".
bool NamesNoFile(const nlohmann::json& params) {
  if (!params.is_object() || !params.contains("textDocument")) return false;
  const nlohmann::json& document = params["textDocument"];
  if (!document.is_object() || !document.contains("uri") || !document["uri"].is_string()) {
    return false;
  }
  const std::string& uri = document["uri"].get_ref<const std::string&>();
  const std::size_t colon = uri.find(':');
  if (colon == std::string::npos || colon < 2) return false;
  for (std::size_t i = 0; i < colon; ++i) {
    const char c = uri[i];
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter && (i == 0 || !((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'))) {
      return false;
    }
  }
  std::string scheme = uri.substr(0, colon);
  for (char& c : scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return scheme != "file";
}

// Whether the client declared snippetSupport for completion items: a client
// that says nothing takes plain text.
bool TakesSnippets(const nlohmann::json& params) {
  const nlohmann::json* p = &params;
  for (const char* key :
       {"capabilities", "textDocument", "completion", "completionItem", "snippetSupport"}) {
    if (!p->is_object() || !p->contains(key)) return false;
    p = &(*p)[key];
  }
  return *p == true;
}

// Whether the client lets the server register file watchers itself
// (client/registerCapability): a client that says nothing does not.
bool WatchesFilesOnRequest(const nlohmann::json& params) {
  const nlohmann::json* p = &params;
  for (const char* key :
       {"capabilities", "workspace", "didChangeWatchedFiles", "dynamicRegistration"}) {
    if (!p->is_object() || !p->contains(key)) return false;
    p = &(*p)[key];
  }
  return *p == true;
}

Status WatchedPaths(const nlohmann::json& params, std::vector<std::string>* paths) {
  const nlohmann::json* changes = nullptr;
  SB_RETURN_IF_ERROR(Member(params, "changes", &changes));
  if (!changes->is_array()) return Status::Invalid("'changes' must be an array");
  for (const nlohmann::json& change : *changes) {
    if (!change.is_object()) return Status::Invalid("a change must be an object");
    std::string uri;
    SB_RETURN_IF_ERROR(StringMember(change, "uri", &uri));
    // Only descriptions and the project files beside them matter, and a
    // path with a NUL names none.
    std::optional<std::string> path = UriToPath(uri);
    if (!path || path->find('\0') != std::string::npos) continue;
    const std::string name = path->substr(path->rfind('/') + 1);
    if (IsLineDescription(name) || IsTrainDescription(name) || name == kProjectFileName) {
      paths->push_back(std::move(*path));
    }
  }
  return Status::Ok();
}

// The version a didOpen or didChange gives its document, when it gives one.
std::optional<int64_t> VersionOf(const nlohmann::json& params) {
  const auto document = params.find("textDocument");
  if (document == params.end() || !document->is_object()) return std::nullopt;
  const auto version = document->find("version");
  if (version == document->end() || !version->is_number_integer()) return std::nullopt;
  return version->get<int64_t>();
}

bool IsVsCode(const nlohmann::json& params) {
  if (!params.contains("clientInfo") || !params["clientInfo"].is_object()) return false;
  const nlohmann::json& name = params["clientInfo"].value("name", nlohmann::json());
  if (!name.is_string()) return false;
  const std::string text = name.get<std::string>();
  // "Visual Studio Code", "Visual Studio Code - Insiders", "VSCodium", "Code - OSS".
  return text.find("Code") != std::string::npos || text.find("VSCodium") != std::string::npos;
}

}  // namespace sb::lsp
