// `scenario-builder lsp`: the editor server's protocol core. It takes one
// decoded JSON-RPC message at a time and returns what to send back (the
// response, if any, and notifications), so it runs in tests without a pipe.
#ifndef SB_TOOLS_LSP_SERVER_H_
#define SB_TOOLS_LSP_SERVER_H_

#include <atomic>
#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/disk.h"
#include "base/status.h"
#include "tools/lsp/project_times.h"
#include "tools/lsp/text.h"
#include "tools/lsp/workspace.h"

namespace sb::lsp {

// JSON-RPC and protocol error codes.
inline constexpr int kParseError = -32700;
inline constexpr int kInvalidRequest = -32600;
inline constexpr int kMethodNotFound = -32601;
inline constexpr int kInvalidParams = -32602;
inline constexpr int kServerNotInitialized = -32002;
// The type of a window/showMessage that tells of a failure.
inline constexpr int kMessageError = 1;

nlohmann::json ErrorResponse(const nlohmann::json& id, int code, const std::string& message);

class Server {
 public:
  // Descriptions not open in the editor are read from `disk`, and so are
  // the project files beside them, which `projects` reads (none without it).
  explicit Server(Disk& disk, ProjectReader projects = {})
      : workspace_(disk), projectTimes_(std::move(projects)) {}

  // Never throws on what the client sends: a message that is not a valid
  // request gets an error response; an unknown notification is ignored.
  std::vector<nlohmann::json> Handle(const nlohmann::json& message);

  bool exited() const { return exited_; }
  // When set and true, a compile under way stops, and its scenario's
  // diagnostics are neither kept nor sent: a newer message will refresh it.
  void SetCancel(const std::atomic<bool>* cancel) { cancel_ = cancel; }
  // 0 after shutdown then exit; 1 when the server ends any other way.
  int exitCode() const { return exited_ && shutdown_ ? 0 : 1; }
  PositionEncoding encoding() const { return encoding_; }

 private:
  using Out = std::vector<nlohmann::json>;
  // A method's work on its params: a request's gives the result, a
  // notification's the messages to send. Params that are not what the
  // method reads give an Invalid status, whose reason a request's error
  // response carries.
  using RequestHandler = Status (Server::*)(const nlohmann::json& params, nlohmann::json* result);
  using NotificationHandler = Status (Server::*)(const nlohmann::json& params, Out& out);
  // When a method is served.
  enum class Stage {
    kOpening,  // before initialize only: initialize itself
    kSession,  // after initialize and before shutdown
    kAlways,
  };
  struct RequestMethod {
    std::string_view name;
    Stage stage;
    RequestHandler handle;
    // What a request about a document that is no file (an untitled buffer,
    // a "git:" view) is answered, as JSON; null for methods about none.
    const char* answerForNoFile = nullptr;
  };
  struct NotificationMethod {
    std::string_view name;
    Stage stage;
    NotificationHandler handle;
  };
  static const RequestMethod* FindRequest(std::string_view method);
  static const NotificationMethod* FindNotification(std::string_view method);

  Status Request(const std::string& method, const nlohmann::json& params, const nlohmann::json& id,
                 Out& out);
  Status Notification(const std::string& method, const nlohmann::json& params, Out& out);

  Status Initialize(const nlohmann::json& params, nlohmann::json* result);
  Status Shutdown(const nlohmann::json& params, nlohmann::json* result);
  Status HoverRequest(const nlohmann::json& params, nlohmann::json* result);
  Status CompletionRequest(const nlohmann::json& params, nlohmann::json* result);
  Status SymbolsRequest(const nlohmann::json& params, nlohmann::json* result);
  Status HintsRequest(const nlohmann::json& params, nlohmann::json* result);
  Status FormattingRequest(const nlohmann::json& params, nlohmann::json* result);
  Status CodeActionRequest(const nlohmann::json& params, nlohmann::json* result);
  Status ExecuteCommand(const nlohmann::json& params, nlohmann::json* result);
  Status SignatureRequest(const nlohmann::json& params, nlohmann::json* result);
  // semanticTokens/full, and /range with the lines of its range.
  Status TokensRequest(const nlohmann::json& params, nlohmann::json* result);
  Status FoldingRequest(const nlohmann::json& params, nlohmann::json* result);

  Status Initialized(const nlohmann::json& params, Out& out);
  Status DidChangeWatchedFiles(const nlohmann::json& params, Out& out);
  Status Exit(const nlohmann::json& params, Out& out);
  Status DidOpen(const nlohmann::json& params, Out& out);
  Status DidChange(const nlohmann::json& params, Out& out);
  Status DidSave(const nlohmann::json& params, Out& out);
  Status DidClose(const nlohmann::json& params, Out& out);

  // The description at `path` as its scenario's compile left it, or, when
  // the scenario is not open, read alone into `alone` (nothing of it is
  // kept); null when there is no such text.
  const FileResult* FileFor(const std::string& path, FileResult* alone) const;

  // Compiles the group again (the trains whose text or line changed) and
  // publishes the diagnostics of every description whose diagnostics
  // changed (but `closed`'s, whose buffer was just closed).
  void Refresh(const Group& group, Out& out, const std::string& closed = "");

  // The version the editor gave an open document's text, if it gave one.
  void SetVersion(const std::string& path, std::optional<int64_t> version);
  std::optional<int64_t> OpenVersion(const std::string& path) const;
  // The URI the editor named an open document by, so that what is published
  // about it names it alike ("file:///C:/..." and "file:///c%3A/..." are one
  // file to the server, not to every editor); the server's own otherwise.
  std::string UriOf(const std::string& path) const;
  // Looks whether the open document's file is saved as UTF-16 (at its
  // opening and at each save).
  void NoteEncoding(const std::string& path);

  Workspace workspace_;
  ProjectTimes projectTimes_;
  std::map<Group, GroupAnalysis> analyses_;
  // By description: the diagnostics it was last sent, as JSON text.
  std::map<Group, std::map<std::string, std::string>> published_;
  std::map<std::string, int64_t> versions_;  // of the open documents
  std::map<std::string, std::string> uris_;  // of the open documents
  std::set<std::string> utf16_;              // open documents saved as UTF-16
  // Those whose encoding changed since their diagnostics were last sent:
  // sent again even where their compile is reused.
  std::set<std::string> encodingTold_;
  PositionEncoding encoding_ = PositionEncoding::kUtf16;
  bool initialized_ = false;
  bool snippets_ = false;  // the client takes completion snippets
  bool vscode_ = false;    // the client runs VS Code's own commands
  // Notifications a request's handler asks to send after its response.
  std::vector<nlohmann::json> notices_;
  bool watches_ = false;  // the client registers file watchers when asked
  bool shutdown_ = false;
  bool exited_ = false;
  const std::atomic<bool>* cancel_ = nullptr;
};

}  // namespace sb::lsp

#endif  // SB_TOOLS_LSP_SERVER_H_
