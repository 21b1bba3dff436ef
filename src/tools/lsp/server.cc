#include "tools/lsp/server.h"

#include <cctype>
#include <limits>
#include <optional>

#include "model/file_names.h"
#include "sb_version.h"
#include "tools/lsp/diagnostics.h"
#include "tools/lsp/features.h"

namespace sb::lsp {
namespace {

constexpr int kTextDocumentSyncFull = 1;

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

// "<ID>_<N>-.txt" with neither part empty. Which underscore ends the line
// identifier is only known beside the line description; the first that
// leaves both parts some text tells whether there is any.
bool IsTrainDescription(const std::string& name) {
  const std::size_t underscore = name.find('_', 1);
  return underscore != std::string::npos &&
         TrainNumberFromName(name, name.substr(0, underscore)).has_value();
}

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

// The diagnostics of `path`, with the version of the text they were found
// in when the editor has the document open: an editor can then drop those
// of a text it has already changed.
nlohmann::json Publish(const std::string& uri, nlohmann::json diagnostics,
                       std::optional<int64_t> version = std::nullopt) {
  nlohmann::json params = {{"uri", uri}, {"diagnostics", std::move(diagnostics)}};
  if (version) params["version"] = *version;
  return {{"jsonrpc", "2.0"},
          {"method", "textDocument/publishDiagnostics"},
          {"params", std::move(params)}};
}

// An open document whose file is UTF-16: the editor shows it decoded, so
// what it checks is not what compile and the simulator read.
nlohmann::json Utf16Diagnostic() {
  return {{"range",
           {{"start", {{"line", 0}, {"character", 0}}}, {"end", {{"line", 0}, {"character", 0}}}}},
          {"severity", 1},
          {"source", "scenario-builder"},
          {"message",
           "this file is saved as UTF-16: compile and the simulator read its bytes as "
           "Windows-1252 and find none of its records (error 102 for a line description); "
           "save it as Windows-1252 (VS Code: Save with Encoding, Western (Windows 1252))"}};
}

// The version a didOpen or didChange gives its document, when it gives one.
std::optional<int64_t> VersionOf(const nlohmann::json& params) {
  const auto document = params.find("textDocument");
  if (document == params.end() || !document->is_object()) return std::nullopt;
  const auto version = document->find("version");
  if (version == document->end() || !version->is_number_integer()) return std::nullopt;
  return version->get<int64_t>();
}

}  // namespace

nlohmann::json ErrorResponse(const nlohmann::json& id, int code, const std::string& message) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}};
}

const Server::RequestMethod* Server::FindRequest(std::string_view method) {
  static constexpr RequestMethod kRequests[] = {
      {"initialize", Stage::kOpening, &Server::Initialize},
      {"shutdown", Stage::kSession, &Server::Shutdown},
      {"textDocument/hover", Stage::kSession, &Server::HoverRequest, "null"},
      {"textDocument/completion", Stage::kSession, &Server::CompletionRequest, "[]"},
      {"textDocument/documentSymbol", Stage::kSession, &Server::SymbolsRequest, "[]"},
      {"textDocument/inlayHint", Stage::kSession, &Server::HintsRequest, "[]"},
  };
  for (const RequestMethod& m : kRequests) {
    if (m.name == method) return &m;
  }
  return nullptr;
}

const Server::NotificationMethod* Server::FindNotification(std::string_view method) {
  static constexpr NotificationMethod kNotifications[] = {
      {"exit", Stage::kAlways, &Server::Exit},
      {"textDocument/didOpen", Stage::kSession, &Server::DidOpen},
      {"textDocument/didChange", Stage::kSession, &Server::DidChange},
      {"textDocument/didSave", Stage::kSession, &Server::DidSave},
      {"textDocument/didClose", Stage::kSession, &Server::DidClose},
  };
  for (const NotificationMethod& m : kNotifications) {
    if (m.name == method) return &m;
  }
  return nullptr;
}

std::vector<nlohmann::json> Server::Handle(const nlohmann::json& m) {
  Out out;
  if (!m.is_object()) {
    out.push_back(ErrorResponse(nullptr, kInvalidRequest, "a message must be a JSON object"));
    return out;
  }
  // The message is read in place, never copied: a copy of a deeply nested
  // value recurses.
  static const nlohmann::json kNull = nullptr;
  static const nlohmann::json kNoParams = nlohmann::json::object();
  const bool hasId = m.contains("id");
  const nlohmann::json& id = hasId ? m["id"] : kNull;
  if (hasId && !id.is_string() && !id.is_number_integer()) {
    out.push_back(ErrorResponse(nullptr, kInvalidRequest, "id must be a string or an integer"));
    return out;
  }
  if (!m.contains("method")) {
    // A response to a request of ours; the server sends none, so it is dropped.
    if (hasId && (m.contains("result") || m.contains("error"))) return out;
    out.push_back(ErrorResponse(id, kInvalidRequest, "no method"));
    return out;
  }
  if (!m["method"].is_string() || m.value("jsonrpc", nlohmann::json()) != "2.0") {
    out.push_back(ErrorResponse(id, kInvalidRequest, "not a JSON-RPC 2.0 request"));
    return out;
  }
  const std::string method = m["method"].get<std::string>();
  const bool noParams = !m.contains("params") || m["params"].is_null();
  const nlohmann::json& params = noParams ? kNoParams : m["params"];
  Status st;
  // The JSON library's own exceptions end here, as params the method could
  // not read: none may leave the server.
  try {
    if (!params.is_object() && !params.is_array()) {
      st = Status::Invalid("params must be an object");
    } else if (hasId) {
      st = Request(method, params, id, out);
    } else {
      st = Notification(method, params, out);
    }
  } catch (const nlohmann::json::exception& e) {
    st = Status::Invalid(e.what());
  }
  // A notification is never answered, whatever its params hold.
  if (!st.ok() && hasId) out.push_back(ErrorResponse(id, kInvalidParams, st.reason()));
  return out;
}

Status Server::Request(const std::string& method, const nlohmann::json& params,
                       const nlohmann::json& id, Out& out) {
  if (shutdown_) {
    out.push_back(ErrorResponse(id, kInvalidRequest, "the server is shutting down"));
    return Status::Ok();
  }
  const RequestMethod* served = FindRequest(method);
  if (!served) {
    out.push_back(initialized_ ? ErrorResponse(id, kMethodNotFound, "no method " + method)
                               : ErrorResponse(id, kServerNotInitialized, "initialize first"));
    return Status::Ok();
  }
  switch (served->stage) {
    case Stage::kOpening:
      // Once only: a second initialize would change the position encoding
      // under the client's feet.
      if (initialized_) {
        out.push_back(ErrorResponse(id, kInvalidRequest, "the server is already initialized"));
        return Status::Ok();
      }
      break;
    case Stage::kSession:
      if (!initialized_) {
        out.push_back(ErrorResponse(id, kServerNotInitialized, "initialize first"));
        return Status::Ok();
      }
      break;
    case Stage::kAlways: break;
  }
  nlohmann::json result;
  if (served->answerForNoFile && NamesNoFile(params)) {
    // Answered empty, not refused: an editor shows a refusal as a failure.
    result = nlohmann::json::parse(served->answerForNoFile);
  } else {
    SB_RETURN_IF_ERROR((this->*served->handle)(params, &result));
  }
  out.push_back({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
  return Status::Ok();
}

Status Server::Notification(const std::string& method, const nlohmann::json& params, Out& out) {
  const NotificationMethod* served = FindNotification(method);
  if (!served) return Status::Ok();
  switch (served->stage) {
    case Stage::kOpening:
      if (initialized_ || shutdown_) return Status::Ok();
      break;
    case Stage::kSession:
      if (!initialized_ || shutdown_) return Status::Ok();
      break;
    case Stage::kAlways: break;
  }
  return (this->*served->handle)(params, out);
}

Status Server::Initialize(const nlohmann::json& params, nlohmann::json* result) {
  if (!params.is_object()) return Status::Invalid("params must be an object");
  initialized_ = true;
  encoding_ = OffersUtf8(params) ? PositionEncoding::kUtf8 : PositionEncoding::kUtf16;
  snippets_ = TakesSnippets(params);
  *result = {{"capabilities",
              {{"positionEncoding", encoding_ == PositionEncoding::kUtf8 ? "utf-8" : "utf-16"},
               {"textDocumentSync",
                {{"openClose", true},
                 {"change", kTextDocumentSyncFull},
                 {"save", {{"includeText", true}}}}},
               {"hoverProvider", true},
               {"completionProvider", {{"triggerCharacters", {"["}}}},
               {"documentSymbolProvider", true},
               {"inlayHintProvider", true}}},
             {"serverInfo", {{"name", "scenario-builder"}, {"version", kProgramVersion}}}};
  return Status::Ok();
}

Status Server::Shutdown(const nlohmann::json&, nlohmann::json* result) {
  shutdown_ = true;
  *result = nullptr;
  return Status::Ok();
}

const FileResult* Server::FileFor(const std::string& path, FileResult* alone) const {
  // Only the scenarios open in the editor are kept compiled; a request
  // about any other file is answered from its text alone, and nothing of
  // it is kept.
  const std::optional<Group> group = workspace_.GroupOf(path);
  const auto analysis = group ? analyses_.find(*group) : analyses_.end();
  if (analysis != analyses_.end()) {
    if (const FileResult* file = analysis->second.Find(path)) return file;
  }
  alone->text = workspace_.Peek(path);
  if (!alone->text) return nullptr;
  alone->path = path;
  return alone;
}

Status Server::HoverRequest(const nlohmann::json& params, nlohmann::json* result) {
  std::string path;
  SB_RETURN_IF_ERROR(DocumentPath(params, &path));
  TextPlace place;
  SB_RETURN_IF_ERROR(PlaceOf(params, &place));
  FileResult alone;
  const FileResult* file = FileFor(path, &alone);
  *result = file ? Hover(*file, IsLineDescription(path), place, encoding_) : nullptr;
  return Status::Ok();
}

Status Server::CompletionRequest(const nlohmann::json& params, nlohmann::json* result) {
  std::string path;
  SB_RETURN_IF_ERROR(DocumentPath(params, &path));
  TextPlace place;
  SB_RETURN_IF_ERROR(PlaceOf(params, &place));
  FileResult alone;
  const FileResult* file = FileFor(path, &alone);
  *result = file ? Completion(*file, IsLineDescription(path), place, snippets_, encoding_)
                 : nlohmann::json::array();
  return Status::Ok();
}

Status Server::SymbolsRequest(const nlohmann::json& params, nlohmann::json* result) {
  std::string path;
  SB_RETURN_IF_ERROR(DocumentPath(params, &path));
  FileResult alone;
  const FileResult* file = FileFor(path, &alone);
  *result =
      file ? DocumentSymbols(*file, IsLineDescription(path), encoding_) : nlohmann::json::array();
  return Status::Ok();
}

Status Server::HintsRequest(const nlohmann::json& params, nlohmann::json* result) {
  std::string path;
  SB_RETURN_IF_ERROR(DocumentPath(params, &path));
  int first = 0;
  int last = 0;
  SB_RETURN_IF_ERROR(LinesOf(params, &first, &last));
  FileResult alone;
  const FileResult* file = FileFor(path, &alone);
  *result = file ? InlayHints(*file, IsLineDescription(path), first, last, encoding_)
                 : nlohmann::json::array();
  return Status::Ok();
}

void Server::Refresh(const Group& group, Out& out, const std::string& closed) {
  const auto earlier = analyses_.find(group);
  GroupAnalysis analysis =
      Analyze(group, workspace_, earlier != analyses_.end() ? &earlier->second : nullptr, cancel_);
  if (analysis.cancelled) return;
  // What each description was last told: only what changes is sent again,
  // so a change to one train of many says nothing of the others.
  std::map<std::string, nlohmann::json>& published = published_[group];
  std::map<std::string, nlohmann::json> now;
  for (const FileResult& f : analysis.files) {
    if (f.path == closed) continue;
    const auto it = published.find(f.path);
    // A result taken whole from the last compile says what it said then.
    if (f.reused && it != published.end() && !encodingTold_.count(f.path)) {
      now.emplace(f.path, std::move(it->second));
      continue;
    }
    nlohmann::json diagnostics = LspDiagnostics(f, analysis, encoding_);
    if (utf16_.count(f.path)) diagnostics.insert(diagnostics.begin(), Utf16Diagnostic());
    if (it == published.end() || it->second != diagnostics)
      out.push_back(Publish(UriOf(f.path), diagnostics, OpenVersion(f.path)));
    now.emplace(f.path, std::move(diagnostics));
  }
  // A description that left the group (renamed, deleted) keeps nothing.
  for (const auto& [path, diagnostics] : published) {
    if (!now.count(path) && path != closed && !diagnostics.empty()) {
      out.push_back(Publish(UriOf(path), nlohmann::json::array()));
    }
  }
  published = std::move(now);
  analyses_[group] = std::move(analysis);
  encodingTold_.clear();
}

Status Server::Exit(const nlohmann::json&, Out&) {
  exited_ = true;
  return Status::Ok();
}

Status Server::DidOpen(const nlohmann::json& params, Out& out) {
  std::string path;
  SB_RETURN_IF_ERROR(DocumentPath(params, &path));
  const nlohmann::json* document = nullptr;
  SB_RETURN_IF_ERROR(Member(params, "textDocument", &document));
  std::string text;
  SB_RETURN_IF_ERROR(StringMember(*document, "text", &text));
  workspace_.Open(path, text);
  SetVersion(path, VersionOf(params));
  uris_[path] = params["textDocument"]["uri"].get<std::string>();
  NoteEncoding(path);
  if (std::optional<Group> group = workspace_.GroupOf(path)) Refresh(*group, out);
  return Status::Ok();
}

Status Server::DidChange(const nlohmann::json& params, Out& out) {
  std::string path;
  SB_RETURN_IF_ERROR(DocumentPath(params, &path));
  const nlohmann::json* changes = nullptr;
  SB_RETURN_IF_ERROR(Member(params, "contentChanges", &changes));
  if (!changes->is_array()) return Status::Invalid("'contentChanges' must be an array");
  if (changes->empty()) return Status::Ok();
  // Full sync: the last change holds the whole text.
  std::string text;
  SB_RETURN_IF_ERROR(StringMember(changes->back(), "text", &text));
  workspace_.Open(path, text);
  SetVersion(path, VersionOf(params));
  uris_[path] = params["textDocument"]["uri"].get<std::string>();
  if (std::optional<Group> group = workspace_.GroupOf(path)) Refresh(*group, out);
  return Status::Ok();
}

Status Server::DidSave(const nlohmann::json& params, Out& out) {
  std::string path;
  SB_RETURN_IF_ERROR(DocumentPath(params, &path));
  if (params.contains("text") && workspace_.IsOpen(path)) {
    std::string text;
    SB_RETURN_IF_ERROR(StringMember(params, "text", &text));
    workspace_.Open(path, text);
  }
  if (workspace_.IsOpen(path)) NoteEncoding(path);
  // A scenario with nothing open is neither compiled nor kept: a save can
  // name any file.
  const std::optional<Group> group = workspace_.GroupOf(path);
  if (group && workspace_.AnyOpenIn(*group)) Refresh(*group, out);
  return Status::Ok();
}

Status Server::DidClose(const nlohmann::json& params, Out& out) {
  std::string path;
  SB_RETURN_IF_ERROR(DocumentPath(params, &path));
  workspace_.Close(path);
  out.push_back(Publish(UriOf(path), nlohmann::json::array()));
  versions_.erase(path);
  uris_.erase(path);
  utf16_.erase(path);
  const std::optional<Group> group = workspace_.GroupOf(path);
  if (!group) return Status::Ok();
  published_[*group].erase(path);
  if (workspace_.AnyOpenIn(*group)) {
    Refresh(*group, out, path);
  } else {
    // Nothing of the scenario is open any more: its companions are cleared
    // too, and nothing of it is kept.
    for (const auto& [other, diagnostics] : published_[*group]) {
      if (!diagnostics.empty()) out.push_back(Publish(UriOf(other), nlohmann::json::array()));
    }
    analyses_.erase(*group);
    published_.erase(*group);
    workspace_.ForgetFilesIn(group->folder);
  }
  return Status::Ok();
}

void Server::SetVersion(const std::string& path, std::optional<int64_t> version) {
  if (version) {
    versions_[path] = *version;
  } else {
    versions_.erase(path);
  }
}

std::optional<int64_t> Server::OpenVersion(const std::string& path) const {
  const auto it = versions_.find(path);
  if (it == versions_.end()) return std::nullopt;
  return it->second;
}

std::string Server::UriOf(const std::string& path) const {
  const auto it = uris_.find(path);
  return it != uris_.end() ? it->second : PathToUri(path);
}

void Server::NoteEncoding(const std::string& path) {
  const bool utf16 = workspace_.SavedAsUtf16(path);
  if (utf16 == (utf16_.count(path) != 0)) return;
  if (utf16) {
    utf16_.insert(path);
  } else {
    utf16_.erase(path);
  }
  encodingTold_.insert(path);
}

}  // namespace sb::lsp
