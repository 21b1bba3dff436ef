// The editor server as an editor meets it: the real executable, spoken to
// through pipes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"
#include "tools/lsp/text.h"

namespace sb::lsp {
namespace {

using nlohmann::json;
using sb::testing::ReadFile;
using sb::testing::TempDir;
using sb::testing::WriteFile;

constexpr int kWaitMs = 10000;

// `scenario-builder lsp` as a child process.
class ServerProcess {
 public:
  ServerProcess() {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      close(in[1]);
      close(out[0]);
      execl(SB_EXECUTABLE, SB_EXECUTABLE, "lsp", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    toServer_ = in[1];
    fromServer_ = out[0];
    signal(SIGPIPE, SIG_IGN);
  }
  ~ServerProcess() {
    if (toServer_ >= 0) close(toServer_);
    if (pid_ > 0 && !exitCode_) Wait();
    if (fromServer_ >= 0) close(fromServer_);
  }

  void SendRaw(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = write(toServer_, bytes.data() + done, bytes.size() - done);
      if (n <= 0) return;
      done += static_cast<std::size_t>(n);
    }
  }
  void Send(const json& message) {
    const std::string body = message.dump();
    SendRaw("Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
  }
  void Request(int id, const std::string& method, json params) {
    Send({{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", std::move(params)}});
  }
  void Notify(const std::string& method, json params) {
    Send({{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}});
  }

  // The next message, or nothing when none comes in time or the output ends.
  std::optional<json> Receive() {
    std::string header;
    while (header.find("\r\n\r\n") == std::string::npos) {
      char c;
      if (!ReadSome(&c, 1)) return std::nullopt;
      header.push_back(c);
    }
    std::smatch m;
    if (!std::regex_search(header, m, std::regex("Content-Length: ([0-9]+)"))) return std::nullopt;
    std::string body(std::stoul(m[1]), '\0');
    if (!ReadSome(body.data(), body.size())) return std::nullopt;
    return json::parse(body);
  }
  // The response to request `id`, skipping notifications.
  json ResponseTo(int id) {
    for (std::optional<json> m = Receive(); m; m = Receive()) {
      if (m->contains("id") && (*m)["id"] == id) return *m;
    }
    return nullptr;
  }
  // The next diagnostics published for `uri`.
  json DiagnosticsFor(const std::string& uri) {
    for (std::optional<json> m = Receive(); m; m = Receive()) {
      if (m->value("method", "") == "textDocument/publishDiagnostics" &&
          (*m)["params"]["uri"] == uri) {
        return (*m)["params"]["diagnostics"];
      }
    }
    return nullptr;
  }

  void CloseInput() {
    close(toServer_);
    toServer_ = -1;
  }
  // What the server holds in memory now, in KiB; -1 when unknown.
  long ResidentKib() const {
    std::istringstream status(ReadFile("/proc/" + std::to_string(pid_) + "/status"));
    for (std::string line; std::getline(status, line);) {
      if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
  }

  // The exit status; -1 when it did not exit in time or was killed.
  int Wait() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        exitCode_ = -1;
        return -1;
      }
      usleep(10000);
    }
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return *exitCode_;
  }

 private:
  bool ReadSome(char* into, std::size_t count) {
    while (count > 0) {
      pollfd p{fromServer_, POLLIN, 0};
      if (poll(&p, 1, kWaitMs) <= 0) return false;
      const ssize_t n = read(fromServer_, into, count);
      if (n <= 0) return false;
      into += n;
      count -= static_cast<std::size_t>(n);
    }
    return true;
  }

  pid_t pid_ = -1;
  int toServer_ = -1;
  int fromServer_ = -1;
  std::optional<int> exitCode_;
};

// The built-in scenario's descriptions as "Demo", line and train 7, in a
// fresh folder; the editor opens the train.
class LspProtocol : public ::testing::Test {
 protected:
  void SetUp() override {
    line_ = ReadFile(std::string(SB_SOURCE_DIR) + "/src/content/data/linea.txt");
    train_ = ReadFile(std::string(SB_SOURCE_DIR) + "/src/content/data/treno.txt");
    WriteFile(dir_.file("Demo_linea.txt"), line_);
    WriteFile(dir_.file("Demo_7-.txt"), train_);
    lineUri_ = PathToUri(dir_.file("Demo_linea.txt"));
    trainUri_ = PathToUri(dir_.file("Demo_7-.txt"));
    // As VS Code declares it: completion items may be snippets.
    server_.Request(
        1, "initialize",
        {{"capabilities",
          {{"textDocument", {{"completion", {{"completionItem", {{"snippetSupport", true}}}}}}}}}});
    ASSERT_TRUE(server_.ResponseTo(1).contains("result"));
    server_.Notify("initialized", json::object());
  }
  void Open(const std::string& uri, const std::string& text) {
    server_.Notify("textDocument/didOpen",
                   {{"textDocument",
                     {{"uri", uri}, {"languageId", "scenario"}, {"version", 1}, {"text", text}}}});
  }
  void Change(const std::string& uri, const std::string& text, int version) {
    server_.Notify("textDocument/didChange",
                   {{"textDocument", {{"uri", uri}, {"version", version}}},
                    {"contentChanges", {{{"text", text}}}}});
  }
  json At(const std::string& uri, int line, int character) {
    return {{"textDocument", {{"uri", uri}}},
            {"position", {{"line", line}, {"character", character}}}};
  }
  // The train with one station moved off the 50 m step.
  std::string MisplacedStation() const {
    std::string text = train_;
    const std::size_t at = text.find("stazione,    5250");
    text.replace(at, 17, "stazione,    5260");
    return text;
  }

  TempDir dir_;
  std::string line_, train_, lineUri_, trainUri_;
  ServerProcess server_;
};

TEST_F(LspProtocol, AMistakeIsShownAtItsFieldAndTheFixClearsIt) {
  Open(trainUri_, train_);
  EXPECT_EQ(server_.DiagnosticsFor(lineUri_), json::array());
  EXPECT_EQ(server_.DiagnosticsFor(trainUri_), json::array());

  Change(trainUri_, MisplacedStation(), 2);
  const json diagnostics = server_.DiagnosticsFor(trainUri_);
  // The error, then the rest it left unread.
  ASSERT_EQ(diagnostics.size(), 2u) << diagnostics.dump();
  EXPECT_EQ(diagnostics[1]["code"], "not-read");
  const json& d = diagnostics[0];
  EXPECT_EQ(d["code"], 8);
  EXPECT_EQ(d["severity"], 1);
  EXPECT_EQ(d["source"], "scenario-builder");
  EXPECT_EQ(d["message"], "station position is not a multiple of 50 (at 5260 m, km 116+260)");
  // "stazione,    5260, 28, ..." on line 39: the field 5260.
  EXPECT_EQ(d["range"], json::parse(R"({"start":{"line":38,"character":13},
                                        "end":{"line":38,"character":17}})"));

  Change(trainUri_, train_, 3);
  EXPECT_EQ(server_.DiagnosticsFor(trainUri_), json::array());
}

TEST_F(LspProtocol, WarningsCarryTheirIdentifierAndRelatedPlaces) {
  Open(trainUri_, train_);
  EXPECT_EQ(server_.DiagnosticsFor(trainUri_), json::array());
  std::string text = train_;
  // A speed limit behind the others, and a letter Windows-1252 cannot hold.
  text.insert(text.rfind("[fine]"), "velocita, 1000, 100\r\n");
  text.replace(text.find("RIMINI"), 1, "\xc5\x81");  // U+0141
  Change(trainUri_, text, 2);
  const json diagnostics = server_.DiagnosticsFor(trainUri_);
  std::vector<std::string> codes;
  for (const json& d : diagnostics) {
    codes.push_back(d["code"].get<std::string>());
    EXPECT_EQ(d["severity"], 2);
  }
  ASSERT_EQ(codes, (std::vector<std::string>{"out-of-order", "unencodable-character"}))
      << diagnostics.dump();
  const json& order = diagnostics[0];
  ASSERT_EQ(order["relatedInformation"].size(), 1u) << order.dump();
  EXPECT_EQ(order["relatedInformation"][0]["location"]["uri"], trainUri_);
  EXPECT_EQ(order["relatedInformation"][0]["message"], "the previous speed limit");
}

TEST_F(LspProtocol, AnOpenBufferTakesPrecedenceOverTheFileOnDisk) {
  // The line on disk is broken; the open buffer of it is not.
  WriteFile(dir_.file("Demo_linea.txt"), "[generale]\nlunghezza percorso, 2000000\n[fine]\n");
  Open(lineUri_, line_);
  EXPECT_EQ(server_.DiagnosticsFor(lineUri_), json::array());
  EXPECT_EQ(server_.DiagnosticsFor(trainUri_), json::array());
  server_.Notify("textDocument/didClose", {{"textDocument", {{"uri", lineUri_}}}});
  EXPECT_EQ(server_.DiagnosticsFor(lineUri_), json::array());
  // Reopened from the disk's text, the train is compiled with it.
  Open(trainUri_, train_);
  const json line = server_.DiagnosticsFor(lineUri_);
  ASSERT_EQ(line.size(), 2u) << line.dump();  // the error, and the rest unread
  EXPECT_EQ(line[0]["code"], 1);
}

TEST_F(LspProtocol, ATrainWithoutItsLineSaysSo) {
  std::filesystem::remove(dir_.file("Demo_linea.txt"));
  Open(trainUri_, train_);
  const json d = server_.DiagnosticsFor(trainUri_);
  ASSERT_EQ(d.size(), 1u);
  EXPECT_NE(d[0]["message"].get<std::string>().find("Demo_linea.txt was not found"),
            std::string::npos);
}

TEST_F(LspProtocol, HoverNamesTheColumnAndWhatTheCellHolds) {
  Open(trainUri_, train_);
  // "segnale,    8900,   2, 3, 1,  1, 0,    2,  2,1,1, 0": on 8900.
  const std::size_t row =
      std::count(train_.begin(), train_.begin() + train_.find("segnale,    8900"), '\n');
  server_.Request(2, "textDocument/hover", At(trainUri_, static_cast<int>(row), 13));
  const std::string text = server_.ResponseTo(2)["result"]["contents"]["value"];
  EXPECT_NE(text.find("**Signal**"), std::string::npos) << text;
  EXPECT_NE(text.find("**posizione** (m)"), std::string::npos) << text;
  EXPECT_NE(text.find("km 119+900, cell 179 (position / 50 + 1)"), std::string::npos) << text;
  EXPECT_NE(text.find("compiled cell: signal"), std::string::npos) << text;
  // On the keyword: the record and its values.
  server_.Request(3, "textDocument/hover", At(trainUri_, static_cast<int>(row), 2));
  const std::string keyword = server_.ResponseTo(3)["result"]["contents"]["value"];
  EXPECT_NE(keyword.find("values: posizione sx s1 s2 s3 rapp dx d1 d2 d3 tempo"), std::string::npos)
      << keyword;
}

TEST_F(LspProtocol, CompletionOffersTheRecordsOfTheSection) {
  const std::string line = "[generale]\nlung\n[curve]\npend\n[fine]\n";
  Open(lineUri_, line);
  server_.Request(2, "textDocument/completion", At(lineUri_, 1, 4));
  server_.Request(3, "textDocument/completion", At(lineUri_, 3, 4));
  const json general = server_.ResponseTo(2)["result"];
  const json features = server_.ResponseTo(3)["result"];
  const auto find = [](const json& items, const std::string& label) {
    for (const json& i : items) {
      if (i["label"] == label) return i;
    }
    return json();
  };
  const json length = find(general, "lunghezza percorso");
  EXPECT_EQ(length["textEdit"]["newText"], "lunghezza percorso, ${1:length}");
  EXPECT_EQ(length["insertTextFormat"], 2);
  EXPECT_TRUE(find(general, "pendenza").is_null());
  EXPECT_EQ(find(features, "pendenza")["textEdit"]["newText"],
            "pendenza, ${1:position}, ${2:gradient}");
  EXPECT_TRUE(find(features, "lunghezza percorso").is_null());
  EXPECT_FALSE(find(features, "[montagne]").is_null());
  EXPECT_TRUE(find(features, "stazione").is_null());
}

TEST_F(LspProtocol, SymbolsListSectionsAndStations) {
  Open(trainUri_, train_);
  server_.Request(2, "textDocument/documentSymbol", {{"textDocument", {{"uri", trainUri_}}}});
  const json symbols = server_.ResponseTo(2)["result"];
  std::vector<std::string> sections;
  for (const json& s : symbols) sections.push_back(s["name"]);
  EXPECT_EQ(sections,
            (std::vector<std::string>{"[generale]", "[aderenze]", "[vel_limite]", "[stazioni]",
                                      "[rallentamenti]", "[segnali]", "[codici]", "[fine]"}));
  const json& stations = symbols[3]["children"];
  ASSERT_FALSE(stations.empty());
  EXPECT_EQ(stations[0]["name"], "RIMINI");
  EXPECT_EQ(stations[0]["detail"], "km 111+000");
  EXPECT_EQ(stations[2]["name"], "RICCIONE");
  EXPECT_EQ(stations[2]["detail"], "km 121+000");
}

TEST_F(LspProtocol, InlayHintsGiveTheKmPostAfterEachPosition) {
  Open(trainUri_, train_);
  server_.Request(
      2, "textDocument/inlayHint",
      {{"textDocument", {{"uri", trainUri_}}},
       {"range",
        {{"start", {{"line", 0}, {"character", 0}}}, {"end", {{"line", 6}, {"character", 0}}}}}});
  const json hints = server_.ResponseTo(2)["result"];
  // "aderenza,   0,    100" on line 6 is the only position up to there.
  ASSERT_EQ(hints.size(), 1u) << hints.dump();
  EXPECT_EQ(hints[0]["label"], "km 111+000");
  EXPECT_EQ(hints[0]["position"], json::parse(R"({"line":6,"character":13})"));
}

TEST_F(LspProtocol, MalformedFramesGetErrorsAndTheServerGoesOn) {
  server_.SendRaw("Content-Length: 5\r\n\r\n{oops");
  EXPECT_EQ(server_.Receive().value()["error"]["code"], -32700);
  server_.SendRaw("Content-Length: zero\r\n\r\n");
  EXPECT_EQ(server_.Receive().value()["error"]["code"], -32700);
  server_.SendRaw("Content-Length: 2\r\n\r\n[]");
  EXPECT_EQ(server_.Receive().value()["error"]["code"], -32600);
  server_.Request(2, "textDocument/hover", {{"textDocument", {{"uri", 5}}}});
  EXPECT_EQ(server_.ResponseTo(2)["error"]["code"], -32602);
  server_.Request(3, "workspace/symbol", json::object());
  EXPECT_EQ(server_.ResponseTo(3)["error"]["code"], -32601);
  // "exit" as a request, or with params of no kind, ends nothing.
  server_.Request(5, "exit", nullptr);
  EXPECT_EQ(server_.ResponseTo(5)["error"]["code"], -32601);
  server_.Notify("exit", 5);
  server_.Request(6, "textDocument/documentSymbol", {{"textDocument", {{"uri", lineUri_}}}});
  EXPECT_TRUE(server_.ResponseTo(6).contains("result"));
  server_.Notify("workspace/didChangeConfiguration", json::object());
  server_.Request(4, "shutdown", nullptr);
  EXPECT_EQ(server_.ResponseTo(4)["result"], nullptr);
  server_.Notify("exit", nullptr);
  EXPECT_EQ(server_.Wait(), 0);
}

// Messages made to exhaust the server: each is refused with -32600 and the
// server goes on answering.
TEST_F(LspProtocol, HostileMessagesAreRefusedAndTheServerGoesOn) {
  const auto frame = [](const std::string& body) {
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
  };
  std::string nested = "{\"jsonrpc\":\"2.0\",\"id\":9,\"method\":\"x\",\"params\":";
  for (int i = 0; i < 100000; ++i) nested += "{\"a\":";
  nested.append("1").append(100000, '}').append("}");
  std::string wide = "[";
  for (int i = 0; i < 1100000; ++i) wide += i == 0 ? "{}" : ",{}";
  wide += "]";
  struct Case {
    const char* name;
    std::string bytes;
    const char* message;
  };
  const Case cases[] = {
      {"100000 nested objects", frame(nested), "nests deeper than 64 levels"},
      {"an array of 1100000 objects", frame(wide), "holds more than 1000000 values"},
      // The next frame's header follows the body on its line, as it does
      // from any client.
      {"a length no body can have", "Content-Length: 18446744073709551615\r\n\r\n{}", "refused"},
      {"a length too long to be a number", "Content-Length: 99999999999999999999999\r\n\r\n{}",
       "refused"},
  };
  int id = 100;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    server_.SendRaw(c.bytes);
    const json refused = server_.Receive().value_or(json());
    EXPECT_EQ(refused["error"]["code"], -32600) << refused.dump();
    EXPECT_NE(refused["error"]["message"].get<std::string>().find(c.message), std::string::npos)
        << refused.dump();
    server_.Request(++id, "textDocument/documentSymbol", {{"textDocument", {{"uri", lineUri_}}}});
    EXPECT_TRUE(server_.ResponseTo(id).contains("result"));
  }
}

// Requests about descriptions of a scenario with nothing open, under any
// number of names, keep nothing: a save compiles nothing, and hovers hold
// no copy of the text they read.
TEST_F(LspProtocol, UnopenedDescriptionsKeepNothing) {
  server_.Notify("textDocument/didSave", {{"textDocument", {{"uri", trainUri_}}}});
  // Two megabytes, one dot and one record each on its line.
  WriteFile(dir_.file("Big_linea.txt"), std::string(1 << 21, '.'));
  const int before = 10;
  for (int i = 0; i < 100; ++i) {
    std::string path = dir_.path();
    for (int k = 0; k < i; ++k) path += "/.";
    server_.Request(before + i, "textDocument/hover", At(PathToUri(path + "/Big_linea.txt"), 0, 0));
  }
  server_.Request(before + 100, "textDocument/documentSymbol",
                  {{"textDocument", {{"uri", lineUri_}}}});
  for (std::optional<json> m = server_.Receive(); m; m = server_.Receive()) {
    ASSERT_TRUE(m->contains("id")) << "published: " << m->dump().substr(0, 200);
    if ((*m)["id"] == before + 100) break;
  }
  // Each copy kept would be 4 MB (the text in both encodings).
#ifndef SB_UNDER_ASAN
  EXPECT_LT(server_.ResidentKib(), 100 * 1024);
#endif
}

// A change to one train of many publishes that train alone: the others,
// and the line, whose diagnostics stay as they were, are told nothing.
TEST_F(LspProtocol, AChangeToOneTrainPublishesThatTrainOnly) {
  for (const char* n : {"8", "9"}) WriteFile(dir_.file(std::string("Demo_") + n + "-.txt"), train_);
  // The URIs published before the answer to a request sent as a marker.
  int marker = 10;
  const auto publishedUntilMarker = [&] {
    server_.Request(++marker, "textDocument/documentSymbol",
                    {{"textDocument", {{"uri", lineUri_}}}});
    std::multiset<std::string> uris;
    for (std::optional<json> m = server_.Receive(); m; m = server_.Receive()) {
      if (m->contains("id")) break;
      uris.insert((*m)["params"]["uri"].get<std::string>());
    }
    return uris;
  };
  Open(trainUri_, train_);
  EXPECT_EQ(publishedUntilMarker().size(), 4u);  // the line and its three trains
  Change(trainUri_, MisplacedStation(), 2);
  EXPECT_EQ(publishedUntilMarker(), std::multiset<std::string>{trainUri_});
  Change(trainUri_, MisplacedStation() + "\r\n", 3);  // the same diagnostics
  EXPECT_TRUE(publishedUntilMarker().empty());
}

// A client that lets the server register watchers is asked to watch the
// descriptions, and a companion deleted behind the editor loses its
// diagnostics when the client tells of it.
TEST_F(LspProtocol, WatchedDescriptionsAreRegisteredAndADeletedOneIsCleared) {
  ServerProcess watching;
  watching.Request(
      1, "initialize",
      {{"capabilities",
        {{"workspace", {{"didChangeWatchedFiles", {{"dynamicRegistration", true}}}}}}}});
  ASSERT_TRUE(watching.ResponseTo(1).contains("result"));
  watching.Notify("initialized", json::object());
  const std::optional<json> registration = watching.Receive();
  ASSERT_TRUE(registration);
  EXPECT_EQ((*registration)["method"], "client/registerCapability");
  EXPECT_EQ((*registration)["params"]["registrations"][0]["method"],
            "workspace/didChangeWatchedFiles");
  watching.Send({{"jsonrpc", "2.0"}, {"id", (*registration)["id"]}, {"result", nullptr}});

  WriteFile(dir_.file("Demo_8-.txt"), MisplacedStation());
  const std::string companionUri = PathToUri(dir_.file("Demo_8-.txt"));
  watching.Notify("textDocument/didOpen",
                  {{"textDocument", {{"uri", trainUri_}, {"version", 1}, {"text", train_}}}});
  const json before = watching.DiagnosticsFor(companionUri);
  ASSERT_TRUE(before.is_array() && !before.empty()) << before;
  ASSERT_EQ(std::remove(dir_.file("Demo_8-.txt").c_str()), 0);
  watching.Notify("workspace/didChangeWatchedFiles",
                  {{"changes", {{{"uri", companionUri}, {"type", 3}}}}});
  EXPECT_EQ(watching.DiagnosticsFor(companionUri), json::array());
}

// Changes that come faster than they compile: a change already followed by
// a newer one of the same document is skipped, or its compile stopped, and
// only the last text is published.
TEST_F(LspProtocol, OnlyTheLastOfQuickChangesIsPublished) {
  Open(trainUri_, train_);
  Change(trainUri_, MisplacedStation(), 2);
  server_.Request(20, "textDocument/documentSymbol", {{"textDocument", {{"uri", lineUri_}}}});
  ASSERT_TRUE(server_.ResponseTo(20).contains("result"));
  // Seconds of compiling: two million records of no kind.
  std::string slow = "[generale]\r\n";
  for (int i = 0; i < 2000000; ++i) slow += "xx\r\n";
  Change(trainUri_, slow, 3);
  Change(trainUri_, train_, 4);
  server_.Request(21, "textDocument/documentSymbol", {{"textDocument", {{"uri", lineUri_}}}});
  std::vector<json> published;
  for (std::optional<json> m = server_.Receive(); m && !m->contains("id"); m = server_.Receive()) {
    if ((*m)["params"]["uri"] == trainUri_) published.push_back((*m)["params"]["diagnostics"]);
  }
  ASSERT_EQ(published.size(), 1u);
  EXPECT_EQ(published[0], json::array());
}

// A shutdown while a long compile is under way, or queued behind it, stops
// it: nothing of it would ever be shown.
TEST_F(LspProtocol, AShutdownStopsTheCompileUnderWay) {
  Open(trainUri_, train_);
  server_.Request(20, "textDocument/documentSymbol", {{"textDocument", {{"uri", lineUri_}}}});
  ASSERT_TRUE(server_.ResponseTo(20).contains("result"));
  // Seconds of compiling, and thousands of warnings.
  std::string slow = "[generale]\r\n";
  for (int i = 0; i < 2000000; ++i) slow += "xx\r\n";
  Change(trainUri_, slow, 2);
  server_.Request(21, "shutdown", nullptr);
  for (std::optional<json> m = server_.Receive(); m; m = server_.Receive()) {
    if (m->contains("id")) {
      EXPECT_EQ((*m)["id"], 21);
      break;
    }
    ADD_FAILURE() << "published: " << m->dump().substr(0, 200);
  }
  server_.Notify("exit", nullptr);
  EXPECT_EQ(server_.Wait(), 0);
}

TEST_F(LspProtocol, AnOversizedFrameIsRefusedUnreadAndEndOfInputEndsTheServer) {
  server_.SendRaw("Content-Length: 67108865\r\n\r\n");
  const json refused = server_.Receive().value();
  EXPECT_EQ(refused["error"]["code"], -32600);
  EXPECT_NE(refused["error"]["message"].get<std::string>().find("refused"), std::string::npos);
  // The author hears of it: the document is not checked, rather than clean.
  EXPECT_EQ(server_.Receive().value().dump(),
            R"({"jsonrpc":"2.0","method":"window/showMessage","params":{"message":)"
            R"("scenario-builder: message of 67108865 bytes refused (limit 67108864); the )"
            R"(editor server reads messages of at most 64 MiB, so a document that large is )"
            R"(not checked: compile it with scenario-builder compile","type":1}})");
  server_.CloseInput();
  EXPECT_EQ(server_.Wait(), 1);  // no shutdown came first
}

}  // namespace
}  // namespace sb::lsp
