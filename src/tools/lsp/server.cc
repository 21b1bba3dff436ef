#include "tools/lsp/server.h"

#include <limits>
#include <stdexcept>

#include "model/file_names.h"
#include "sb_version.h"
#include "tools/lsp/diagnostics.h"
#include "tools/lsp/features.h"

namespace sb::lsp {
namespace {

constexpr int kTextDocumentSyncFull = 1;

// Params that are not what the method reads: -32602.
struct InvalidParams : std::runtime_error {
  using std::runtime_error::runtime_error;
};

const nlohmann::json& Member(const nlohmann::json& object, const char* key) {
  if (!object.is_object()) throw InvalidParams("params must be an object");
  auto it = object.find(key);
  if (it == object.end()) throw InvalidParams(std::string("missing '") + key + "'");
  return *it;
}

std::string StringMember(const nlohmann::json& object, const char* key) {
  const nlohmann::json& value = Member(object, key);
  if (!value.is_string()) throw InvalidParams(std::string("'") + key + "' must be a string");
  return value.get<std::string>();
}

int IntMember(const nlohmann::json& object, const char* key) {
  const nlohmann::json& value = Member(object, key);
  if (!value.is_number_integer() || value.get<int64_t>() < 0 ||
      value.get<int64_t>() > std::numeric_limits<int>::max()) {
    throw InvalidParams(std::string("'") + key + "' must be a whole number from 0");
  }
  return value.get<int>();
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
std::string DocumentPath(const nlohmann::json& params) {
  const std::string uri = StringMember(Member(params, "textDocument"), "uri");
  std::optional<std::string> path = UriToPath(uri);
  if (!path) throw InvalidParams("only file: URIs are served: " + uri);
  if (path->find('\0') != std::string::npos) {
    throw InvalidParams("the URI names a path with a NUL: " + uri);
  }
  const std::string name = path->substr(path->rfind('/') + 1);
  if (!IsLineDescription(name) && !IsTrainDescription(name)) {
    throw InvalidParams("not a description (<ID>_linea.txt or <ID>_<N>-.txt): " + uri);
  }
  return *path;
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

nlohmann::json Publish(const std::string& path, nlohmann::json diagnostics) {
  return {{"jsonrpc", "2.0"},
          {"method", "textDocument/publishDiagnostics"},
          {"params", {{"uri", PathToUri(path)}, {"diagnostics", std::move(diagnostics)}}}};
}

}  // namespace

nlohmann::json ErrorResponse(const nlohmann::json& id, int code, const std::string& message) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}};
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
  try {
    if (!params.is_object() && !params.is_array()) throw InvalidParams("params must be an object");
    if (hasId) {
      Request(method, params, id, out);
    } else {
      Notification(method, params, out);
    }
  } catch (const InvalidParams& e) {
    if (hasId) out.push_back(ErrorResponse(id, kInvalidParams, e.what()));
  } catch (const nlohmann::json::exception& e) {
    if (hasId) out.push_back(ErrorResponse(id, kInvalidParams, e.what()));
  }
  return out;
}

void Server::Request(const std::string& method, const nlohmann::json& params,
                     const nlohmann::json& id, Out& out) {
  const auto reply = [&](nlohmann::json result) {
    out.push_back({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
  };
  if (shutdown_) {
    out.push_back(ErrorResponse(id, kInvalidRequest, "the server is shutting down"));
  } else if (method == "initialize") {
    // Once only: a second one would change the position encoding under the
    // client's feet.
    if (initialized_) {
      out.push_back(ErrorResponse(id, kInvalidRequest, "the server is already initialized"));
    } else {
      reply(Initialize(params));
    }
  } else if (!initialized_) {
    out.push_back(ErrorResponse(id, kServerNotInitialized, "initialize first"));
  } else if (method == "shutdown") {
    shutdown_ = true;
    reply(nullptr);
  } else if (method == "textDocument/hover" || method == "textDocument/completion" ||
             method == "textDocument/documentSymbol" || method == "textDocument/inlayHint") {
    reply(DocumentRequest(method, params));
  } else {
    out.push_back(ErrorResponse(id, kMethodNotFound, "no method " + method));
  }
}

void Server::Notification(const std::string& method, const nlohmann::json& params, Out& out) {
  if (method == "exit") {
    exited_ = true;
  } else if (!initialized_ || shutdown_) {
    return;
  } else if (method == "textDocument/didOpen") {
    DidOpen(params, out);
  } else if (method == "textDocument/didChange") {
    DidChange(params, out);
  } else if (method == "textDocument/didSave") {
    DidSave(params, out);
  } else if (method == "textDocument/didClose") {
    DidClose(params, out);
  }
}

nlohmann::json Server::Initialize(const nlohmann::json& params) {
  if (!params.is_object()) throw InvalidParams("params must be an object");
  initialized_ = true;
  encoding_ = OffersUtf8(params) ? PositionEncoding::kUtf8 : PositionEncoding::kUtf16;
  return {{"capabilities",
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
}

nlohmann::json Server::DocumentRequest(const std::string& method, const nlohmann::json& params) {
  const std::string path = DocumentPath(params);
  TextPlace place;
  if (method == "textDocument/hover" || method == "textDocument/completion") {
    const nlohmann::json& position = Member(params, "position");
    place = {IntMember(position, "line"), IntMember(position, "character")};
  }
  int first = 0;
  int last = std::numeric_limits<int>::max();
  if (method == "textDocument/inlayHint") {
    const nlohmann::json& range = Member(params, "range");
    first = IntMember(Member(range, "start"), "line");
    last = IntMember(Member(range, "end"), "line");
  }
  const bool isLine = IsLineDescription(path);
  // Only the scenarios open in the editor are kept compiled; a request
  // about any other file is answered from its text alone, and nothing of
  // it is kept.
  const std::optional<Group> group = workspace_.GroupOf(path);
  const auto analysis = group ? analyses_.find(*group) : analyses_.end();
  const FileResult* file = analysis != analyses_.end() ? analysis->second.Find(path) : nullptr;
  FileResult alone;
  if (!file) {
    alone.text = workspace_.Peek(path);
    if (!alone.text)
      return method == "textDocument/hover" ? nlohmann::json(nullptr) : nlohmann::json::array();
    alone.path = path;
    file = &alone;
  }
  if (method == "textDocument/hover") return Hover(*file, isLine, place, encoding_);
  if (method == "textDocument/completion") return Completion(*file, isLine, place, encoding_);
  if (method == "textDocument/documentSymbol") return DocumentSymbols(*file, isLine, encoding_);
  return InlayHints(*file, isLine, first, last, encoding_);
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
    if (f.reused && it != published.end()) {
      now.emplace(f.path, std::move(it->second));
      continue;
    }
    nlohmann::json diagnostics = LspDiagnostics(f, analysis, encoding_);
    if (it == published.end() || it->second != diagnostics)
      out.push_back(Publish(f.path, diagnostics));
    now.emplace(f.path, std::move(diagnostics));
  }
  // A description that left the group (renamed, deleted) keeps nothing.
  for (const auto& [path, diagnostics] : published) {
    if (!now.count(path) && path != closed && !diagnostics.empty()) {
      out.push_back(Publish(path, nlohmann::json::array()));
    }
  }
  published = std::move(now);
  analyses_[group] = std::move(analysis);
}

void Server::DidOpen(const nlohmann::json& params, Out& out) {
  const std::string path = DocumentPath(params);
  workspace_.Open(path, StringMember(Member(params, "textDocument"), "text"));
  if (std::optional<Group> group = workspace_.GroupOf(path)) Refresh(*group, out);
}

void Server::DidChange(const nlohmann::json& params, Out& out) {
  const std::string path = DocumentPath(params);
  const nlohmann::json& changes = Member(params, "contentChanges");
  if (!changes.is_array()) throw InvalidParams("'contentChanges' must be an array");
  if (changes.empty()) return;
  // Full sync: the last change holds the whole text.
  workspace_.Open(path, StringMember(changes.back(), "text"));
  if (std::optional<Group> group = workspace_.GroupOf(path)) Refresh(*group, out);
}

void Server::DidSave(const nlohmann::json& params, Out& out) {
  const std::string path = DocumentPath(params);
  if (params.contains("text") && workspace_.IsOpen(path)) {
    workspace_.Open(path, StringMember(params, "text"));
  }
  // A scenario with nothing open is neither compiled nor kept: a save can
  // name any file.
  const std::optional<Group> group = workspace_.GroupOf(path);
  if (group && workspace_.AnyOpenIn(*group)) Refresh(*group, out);
}

void Server::DidClose(const nlohmann::json& params, Out& out) {
  const std::string path = DocumentPath(params);
  workspace_.Close(path);
  out.push_back(Publish(path, nlohmann::json::array()));
  const std::optional<Group> group = workspace_.GroupOf(path);
  if (!group) return;
  published_[*group].erase(path);
  if (workspace_.AnyOpenIn(*group)) {
    Refresh(*group, out, path);
  } else {
    // Nothing of the scenario is open any more: its companions are cleared
    // too, and nothing of it is kept.
    for (const auto& [other, diagnostics] : published_[*group]) {
      if (!diagnostics.empty()) out.push_back(Publish(other, nlohmann::json::array()));
    }
    analyses_.erase(*group);
    published_.erase(*group);
    workspace_.ForgetFilesIn(group->folder);
  }
}

}  // namespace sb::lsp
