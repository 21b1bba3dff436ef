#include "tools/lsp/server.h"

#include <optional>
#include <set>

#include "model/file_names.h"
#include "sb_version.h"
#include "tools/lsp/code_actions.h"
#include "tools/lsp/diagnostics.h"
#include "tools/lsp/params.h"
#include "tools/lsp/semantic_tokens.h"

namespace sb::lsp {
namespace {

constexpr int kTextDocumentSyncFull = 1;
constexpr int kMessageInfo = 3;
// The command that saves a description in its code page, where the editor
// has none of its own to offer.
constexpr const char* kSaveAsCommand = "scenario-builder.saveAsWindows1252";
constexpr const char* kSaveAsTitle = "save the file as Windows-1252";

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

// Diagnostics as the server keeps what it told the editor.
std::string Told(const nlohmann::json& diagnostics) {
  return diagnostics.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}
constexpr std::string_view kNothingTold = "[]";

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

// No edit re-encodes a file: the editor has to save it in the code page.
// VS Code has a command for it (it asks which encoding, and to save or
// reopen); another editor runs ours, which it may define itself (Neovim:
// vim.lsp.commands) or leave to the server to explain.
nlohmann::json SaveAsAction(const std::string& uri, bool vscode) {
  const nlohmann::json command =
      vscode ? nlohmann::json{{"title", kSaveAsTitle},
                              {"command", "workbench.action.editor.changeEncoding"}}
             : nlohmann::json{
                   {"title", kSaveAsTitle}, {"command", kSaveAsCommand}, {"arguments", {uri}}};
  return {{"title", std::string(kSaveAsTitle) + (vscode ? " (Save with Encoding)" : "")},
          {"kind", "quickfix"},
          {"command", command}};
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
      {"textDocument/formatting", Stage::kSession, &Server::FormattingRequest, "[]"},
      {"textDocument/codeAction", Stage::kSession, &Server::CodeActionRequest, "[]"},
      {"workspace/executeCommand", Stage::kSession, &Server::ExecuteCommand},
      {"textDocument/signatureHelp", Stage::kSession, &Server::SignatureRequest, "null"},
      {"textDocument/semanticTokens/full", Stage::kSession, &Server::TokensRequest,
       R"({"data":[]})"},
      {"textDocument/semanticTokens/range", Stage::kSession, &Server::TokensRequest,
       R"({"data":[]})"},
      {"textDocument/foldingRange", Stage::kSession, &Server::FoldingRequest, "[]"},
  };
  for (const RequestMethod& m : kRequests) {
    if (m.name == method) return &m;
  }
  return nullptr;
}

const Server::NotificationMethod* Server::FindNotification(std::string_view method) {
  static constexpr NotificationMethod kNotifications[] = {
      {"exit", Stage::kAlways, &Server::Exit},
      {"initialized", Stage::kSession, &Server::Initialized},
      {"workspace/didChangeWatchedFiles", Stage::kSession, &Server::DidChangeWatchedFiles},
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
    // A response to a request of ours (the watchers' registration): nothing
    // waits for it, so it is dropped.
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
  for (nlohmann::json& notice : notices_) out.push_back(std::move(notice));
  notices_.clear();
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
  vscode_ = IsVsCode(params);
  watches_ = WatchesFilesOnRequest(params);
  *result = {{"capabilities",
              {{"positionEncoding", encoding_ == PositionEncoding::kUtf8 ? "utf-8" : "utf-16"},
               {"textDocumentSync",
                {{"openClose", true},
                 {"change", kTextDocumentSyncFull},
                 {"save", {{"includeText", true}}}}},
               {"hoverProvider", true},
               {"completionProvider", {{"triggerCharacters", {"["}}}},
               {"documentSymbolProvider", true},
               {"inlayHintProvider", true},
               {"documentFormattingProvider", true},
               {"codeActionProvider", {{"codeActionKinds", {"quickfix", "refactor.rewrite"}}}},
               {"executeCommandProvider", {{"commands", {kSaveAsCommand}}}},
               {"signatureHelpProvider", {{"triggerCharacters", {","}}}},
               {"semanticTokensProvider",
                {{"legend", SemanticTokensLegend()}, {"full", true}, {"range", true}}},
               {"foldingRangeProvider", true}}},
             {"serverInfo", {{"name", "scenario-builder"}, {"version", kProgramVersion}}}};
  return Status::Ok();
}

Status Server::Shutdown(const nlohmann::json&, nlohmann::json* result) {
  shutdown_ = true;
  *result = nullptr;
  return Status::Ok();
}

Status Server::CodeActionRequest(const nlohmann::json& params, nlohmann::json* result) {
  std::string path;
  SB_RETURN_IF_ERROR(DocumentPath(params, &path));
  ActionRequest request;
  SB_RETURN_IF_ERROR(LinesOf(params, &request.firstLine, &request.lastLine));
  request.uri = params["textDocument"]["uri"].get<std::string>();
  if (params.contains("context") && params["context"].is_object()) {
    const nlohmann::json& context = params["context"];
    if (context.contains("diagnostics")) request.diagnostics = context["diagnostics"];
    if (context.contains("only")) request.only = context["only"];
  }
  *result = nlohmann::json::array();
  // Only a compiled scenario has fixes: one open in the editor.
  const std::optional<Group> group = workspace_.GroupOf(path);
  const auto analysis = group ? analyses_.find(*group) : analyses_.end();
  if (analysis == analyses_.end()) return Status::Ok();
  if (const FileResult* file = analysis->second.Find(path)) {
    *result = CodeActions(*file, analysis->second, workspace_, IsLineDescription(path), request,
                          encoding_);
  }
  if (utf16_.count(path) && request.firstLine == 0 && KindWanted(request.only, "quickfix")) {
    result->push_back(SaveAsAction(request.uri, vscode_));
  }
  return Status::Ok();
}

Status Server::ExecuteCommand(const nlohmann::json& params, nlohmann::json* result) {
  std::string command;
  SB_RETURN_IF_ERROR(StringMember(params, "command", &command));
  if (command != kSaveAsCommand) return Status::Invalid("no command " + command);
  *result = nullptr;
  notices_.push_back(
      {{"jsonrpc", "2.0"},
       {"method", "window/showMessage"},
       {"params",
        {{"type", kMessageInfo},
         {"message",
          "save the file as Windows-1252: in Neovim ':set fileencoding=cp1252 | write', in "
          "VS Code 'Save with Encoding' and 'Western (Windows 1252)'"}}}});
  return Status::Ok();
}

void Server::Refresh(const Group& group, Out& out, const std::string& closed) {
  const auto earlier = analyses_.find(group);
  GroupAnalysis analysis =
      Analyze(group, workspace_, earlier != analyses_.end() ? &earlier->second : nullptr, cancel_);
  if (analysis.cancelled) return;
  projectTimes_.Apply(workspace_, analysis);
  // What each description was last told: only what changes is sent again,
  // so a change to one train of many says nothing of the others.
  std::map<std::string, std::string>& published = published_[group];
  std::map<std::string, std::string> now;
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
    // Kept as text: one string is compared and freed at once, where
    // thousands of diagnostics as values are each compared, copied and freed.
    std::string told = Told(diagnostics);
    if (it == published.end() || it->second != told) {
      out.push_back(Publish(UriOf(f.path), std::move(diagnostics), OpenVersion(f.path)));
    }
    now.emplace(f.path, std::move(told));
  }
  // A description that left the group (renamed, deleted) keeps nothing.
  for (const auto& [path, diagnostics] : published) {
    if (!now.count(path) && path != closed && diagnostics != kNothingTold) {
      out.push_back(Publish(UriOf(path), nlohmann::json::array()));
    }
  }
  published = std::move(now);
  analyses_[group] = std::move(analysis);
  encodingTold_.clear();
}

// Descriptions change on disk behind the editor (another program, a
// version control checkout, a file renamed or deleted): the client is asked
// to tell of those of the names the compiler reads.
Status Server::Initialized(const nlohmann::json&, Out& out) {
  if (!watches_) return Status::Ok();
  const nlohmann::json watchers = {{{"globPattern", "**/" + LineDescriptionName("*")}},
                                   {{"globPattern", "**/" + TrainDescriptionName("*", "*")}},
                                   {{"globPattern", "**/" + std::string(kProjectFileName)}}};
  out.push_back({{"jsonrpc", "2.0"},
                 {"id", "watch-descriptions"},
                 {"method", "client/registerCapability"},
                 {"params",
                  {{"registrations",
                    {{{"id", "watch-descriptions"},
                      {"method", "workspace/didChangeWatchedFiles"},
                      {"registerOptions", {{"watchers", watchers}}}}}}}}});
  return Status::Ok();
}

// A description created, changed or deleted on disk: the scenarios open in
// its folder are compiled again. A file is read again even when its time
// and size look unchanged; one deleted leaves its group, whose refresh then
// sends it an empty list.
Status Server::DidChangeWatchedFiles(const nlohmann::json& params, Out& out) {
  std::vector<std::string> paths;
  SB_RETURN_IF_ERROR(WatchedPaths(params, &paths));
  std::set<std::string> folders;
  for (const std::string& path : paths) {
    workspace_.ForgetFile(path);
    if (std::optional<Group> group = workspace_.GroupOf(path)) folders.insert(group->folder);
    // The project file gives the running times of the scenarios beside it.
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos &&
        path.compare(slash + 1, std::string::npos, kProjectFileName) == 0) {
      folders.insert(path.substr(0, slash));
    }
  }
  // A line description that comes or goes may move trains between the
  // groups of its folder: each open group there is refreshed.
  std::set<Group> groups;
  for (const auto& [path, uri] : uris_) {
    std::optional<Group> group = workspace_.GroupOf(path);
    if (group && folders.count(group->folder)) groups.insert(*group);
  }
  for (const Group& group : groups) Refresh(group, out);
  return Status::Ok();
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
      if (diagnostics != kNothingTold)
        out.push_back(Publish(UriOf(other), nlohmann::json::array()));
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
