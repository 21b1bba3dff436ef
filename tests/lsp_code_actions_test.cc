// The editor's quick fixes and the sort of a section, in process: each case
// compiles a description, asks for the actions at one of its diagnostics,
// applies the one named and compiles again. The diagnostic must be gone and
// no other kind may have come.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "base/disk.h"
#include "tools/lsp/server.h"
#include "tools/lsp/text.h"

namespace sb::lsp {
namespace {

using nlohmann::json;

constexpr const char* kFolder = "/s";
constexpr const char* kLinePath = "/s/Demo_linea.txt";
constexpr const char* kTrainPath = "/s/Demo_1-.txt";

constexpr const char* kLine =
    "[generale]\n"
    "lunghezza percorso, 20000\n"
    "progressiva chilometrica uno, 0, 111000, 0\n"
    "[pendenze]\n"
    "pendenza, 0, 0\n"
    "[fine]\n";

// A train that compiles without a diagnostic.
constexpr const char* kTrain =
    "[generale]\n"
    "numero vetture, 6\n"
    "velocita, 0, 100\n"
    "aderenza, 0, 100\n"
    "[stazioni]\n"
    "stazione, 1000, 12, 400, 0,0,0, 1,1,0, 4,1,1, 0, 15,17,0, ALFA\n"
    "[segnali]\n"
    "segnale, 3000, 2, 4, 0,0,0, 0,0,0,0,0\n"
    "[fine]\n";

class Editor {
 public:
  explicit Editor(json initialize = {{"capabilities", json::object()}}) : server_(disk_) {
    EXPECT_TRUE(disk_.MakeDirs(kFolder).ok());
    EXPECT_TRUE(disk_.WriteFile(kLinePath, kLine).ok());
    Ask("initialize", std::move(initialize));
  }
  MemoryDisk& disk() { return disk_; }

  // The diagnostics `path` is shown after its text becomes `text`.
  json Show(const std::string& path, const std::string& text) {
    const std::string method = opened_ ? "textDocument/didChange" : "textDocument/didOpen";
    json params = {{"textDocument", {{"uri", PathToUri(path)}, {"version", ++version_}}}};
    if (opened_) {
      params["contentChanges"] = json::array({{{"text", text}}});
    } else {
      params["textDocument"]["text"] = text;
    }
    opened_ = true;
    for (const json& m : Send({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}})) {
      if (m["params"]["uri"] == PathToUri(path)) shown_ = m["params"]["diagnostics"];
    }
    // Nothing published: what was shown still holds.
    return shown_;
  }
  std::vector<json> Send(const json& message) { return server_.Handle(message); }
  json Ask(const std::string& method, json params) {
    const std::vector<json> out = Send(
        {{"jsonrpc", "2.0"}, {"id", ++id_}, {"method", method}, {"params", std::move(params)}});
    return out.empty() ? json() : out[0]["result"];
  }

 private:
  MemoryDisk disk_;
  Server server_;
  int id_ = 0;
  int version_ = 0;
  bool opened_ = false;
  json shown_ = json::array();
};

// The byte offset of an LSP position (UTF-16 units) in a UTF-8 text.
std::size_t Offset(const std::string& text, const json& position) {
  std::size_t at = 0;
  for (int line = position["line"]; line > 0; --line) at = text.find('\n', at) + 1;
  for (int units = position["character"]; units > 0 && at < text.size();) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    units -= length == 4 ? 2 : 1;
    at += length;
  }
  return at;
}

std::string Apply(std::string text, const json& edits) {
  std::vector<json> sorted(edits.begin(), edits.end());
  std::sort(sorted.begin(), sorted.end(), [&](const json& a, const json& b) {
    return Offset(text, a["range"]["start"]) > Offset(text, b["range"]["start"]);
  });
  for (const json& e : sorted) {
    const std::size_t from = Offset(text, e["range"]["start"]);
    text.replace(from, Offset(text, e["range"]["end"]) - from, e["newText"].get<std::string>());
  }
  return text;
}

std::string WithReplaced(std::string text, std::string_view from, std::string_view to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

std::vector<std::string> Codes(const json& diagnostics) {
  std::vector<std::string> codes;
  for (const json& d : diagnostics) codes.push_back(d["code"].dump());
  std::sort(codes.begin(), codes.end());
  return codes;
}

struct Case {
  const char* name;
  const char* path;
  std::string text;
  json code;           // of the diagnostic fixed
  const char* title;   // of the action applied
  const char* result;  // a piece of the text once fixed
};

std::vector<Case> Cases() {
  const std::string train = kTrain;
  const std::string line = kLine;
  return {
      {"did you mean", kTrainPath, WithReplaced(train, "segnale,", "segnal,"), "unknown-record",
       "write 'segnale'", "\nsegnale, 3000,"},
      {"a decimal number", kTrainPath, WithReplaced(train, "vetture, 6", "vetture, 6.0"),
       "not-a-number", "write 6", "vetture, 6\n"},
      {"a number with its unit", kTrainPath,
       WithReplaced(train, "stazione, 1000,", "stazione, 1000m,"), "not-a-number", "write 1000",
       "stazione, 1000, 12"},
      {"a thousands separator in metres", kTrainPath,
       WithReplaced(train, "segnale, 3000,", "segnale, 3.000,"), "not-a-number", "write 3000",
       "segnale, 3000, 2"},
      {"a blank between thousands", kTrainPath,
       WithReplaced(train, "segnale, 3000,", "segnale, 3 000,"), "not-a-number", "write 3000",
       "segnale, 3000, 2"},
      {"kilometres in a metres field", kTrainPath,
       WithReplaced(train, "stazione, 1000,", "stazione, 1.0,"), "not-a-number", "write 1000",
       "stazione, 1000, 12"},
      {"a no-break space before a number", kTrainPath,
       WithReplaced(train, "segnale, 3000,",
                    "segnale, \u00A0"
                    "3000,"),
       "not-a-number", "write 3000", "segnale, 3000, 2"},
      {"a speed in metres per second", kTrainPath,
       WithReplaced(train, "0, 100\naderenza", "0, 22\naderenza"), "value-range",
       "write 80 (22 m/s)", "velocita, 0, 80\n"},
      {"an en dash for a comment", kTrainPath,
       WithReplaced(train, "[stazioni]\n", "[stazioni]\n\u2013 the stops\n"), "unknown-record",
       "write '- the stops'", "\n- the stops\n"},
      {"a speed off the 5 km/h step", kTrainPath,
       WithReplaced(train, "0, 100\naderenza", "0, 103\naderenza"), "value-range", "write 105",
       "velocita, 0, 105\n"},
      {"values run on into the next line", kTrainPath,
       WithReplaced(train, "0,0,0,0,0\n", "0,0,0,0\n"), "missing-values",
       "add the missing values as 0: '0'", "0,0,0,0, 0\n[fine]"},
      {"no speed limit from 0 m", kTrainPath, WithReplaced(train, "velocita, 0,", "velocita, 500,"),
       "no-start-record", "add 'velocita, 0, 100' before it",
       "velocita, 0, 100\nvelocita, 500, 100\n"},
      {"no adhesion at all", kTrainPath, WithReplaced(train, "aderenza, 0, 100\n", ""),
       "no-start-record", "add 'aderenza, 0, 0' (then write its value)",
       "[generale]\naderenza, 0, 0\nnumero"},
      {"no general section", kTrainPath, "-- a train\n" + WithReplaced(train, "[generale]\n", ""),
       "no-general-section", "add \"[generale]\" above the records",
       "-- a train\n[generale]\nnumero vetture"},
      {"a control byte in a name", kTrainPath,
       WithReplaced(train, "ALFA",
                    "AL\x07"
                    "FA"),
       "text-encoding", "remove the control byte 0x07", "0, ALFA\n"},
      {"UTF-8 shown as Windows-1252", kTrainPath,
       WithReplaced(train, "ALFA", "FORL\xC3\x83\xC5\x92"), "text-encoding", "write 'FORL\xC3\x8C'",
       "0, FORL\xC3\x8C\n"},
      {"a station off the 50 m step", kTrainPath,
       WithReplaced(train, "stazione, 1000", "stazione, 1010"), 8, "move to 1000 m",
       "stazione, 1000, 12"},
      {"a signal on a taken cell", kTrainPath,
       WithReplaced(train, "[fine]", "segnale, 3010, 2, 4, 0,0,0, 0,0,0,0,0\n[fine]"), 16,
       "move to 2960 m", "segnale, 2960, 2"},
      {"stations too close", kTrainPath,
       WithReplaced(train, "ALFA\n",
                    "ALFA\nstazione, 1200, 12, 400, 0,0,0, 1,1,0, 4,1,1, 0, 15,17,0, BETA\n"),
       22, "move to 1750 m", "stazione, 1750, 12"},
      {"a progression off the step", kLinePath, WithReplaced(line, "0, 111000", "10, 111020"), 2,
       "write 0, 111000", "uno, 0, 111000, 0"},
      {"a general record after the section", kLinePath,
       "[generale]\nprogressiva chilometrica uno, 0, 111000, 0\n[curve]\n"
       "lunghezza percorso, 20000\n[fine]\n",
       "unknown-record", "move it above line 3",
       "[generale]\nprogressiva chilometrica uno, 0, 111000, 0\nlunghezza percorso, 20000\n"
       "[curve]\n[fine]\n"},
      {"a feature in the general section", kLinePath, WithReplaced(line, "[pendenze]\n", ""),
       "unknown-record", "add '[pendenze]' above it", "0\n[pendenze]\npendenza, 0, 0\n"},
      {"no line length", kLinePath,
       WithReplaced(WithReplaced(line, "lunghezza percorso, 20000\n", ""), "pendenza, 0, 0",
                    "pendenza, 0, 0\npendenza, 3000, 5"),
       "no-line-length", "add 'lunghezza percorso, 4000' above it",
       "lunghezza percorso, 4000\n[pendenze]"},
      {"records out of order", kTrainPath,
       WithReplaced(train, "velocita, 0, 100\naderenza, 0, 100\n",
                    "aderenza, 0, 100\n[vel_limite]\n-- speeds\nvelocita, 0, 100\n-- the bridge\n"
                    "velocita, 3000, 80\nvelocita, 2000, 90\n"),
       "out-of-order", "sort the records of this section by position",
       "-- speeds\nvelocita, 0, 100\nvelocita, 2000, 90\n-- the bridge\nvelocita, 3000, 80\n"},
      {"a curve turned by a stray 's'", kLinePath,
       WithReplaced(line, "[pendenze]", "[curve]\ncurva destra 5, 900, 500\n[pendenze]"),
       "curve-keyword", "write 'curvas5' (turns left, as now)", "\ncurvas5, 900, 500\n"},
      {"a curve turned the other way", kLinePath,
       WithReplaced(line, "[pendenze]", "[curve]\ncurva destra 5, 900, 500\n[pendenze]"),
       "curve-keyword", "write 'curvad5' (turns right)", "\ncurvad5, 900, 500\n"},
      {"a quoted curve keyword with two digits", kLinePath,
       WithReplaced(line, "[pendenze]", "[curve]\n\"curvad 4 r1000\", 900, 500\n[pendenze]"),
       "curve-keyword", "write 'curvad1' (turns right, as now)", "\ncurvad1, 900, 500\n"},
      {"a minute past 59", kTrainPath, WithReplaced(train, "15,17,0", "15,65,0"), "time-range",
       "write 16, 5, 0", "0, 16,5,0, ALFA"},
  };
}

TEST(LspCodeActions, EachFixClearsItsDiagnosticAndBringsNoOther) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    Editor editor;
    const json before = editor.Show(c.path, c.text);
    const auto target = std::find_if(before.begin(), before.end(),
                                     [&](const json& d) { return d["code"] == c.code; });
    ASSERT_NE(target, before.end()) << before.dump(1);
    const json actions = editor.Ask("textDocument/codeAction",
                                    {{"textDocument", {{"uri", PathToUri(c.path)}}},
                                     {"range", (*target)["range"]},
                                     {"context", {{"diagnostics", json::array({*target})}}}});
    const auto action = std::find_if(actions.begin(), actions.end(),
                                     [&](const json& a) { return a["title"] == c.title; });
    ASSERT_NE(action, actions.end()) << actions.dump(1);
    EXPECT_EQ((*action)["diagnostics"], json::array({*target}));
    const std::string fixed = Apply(c.text, (*action)["edit"]["changes"][PathToUri(c.path)]);
    EXPECT_NE(fixed.find(c.result), std::string::npos) << fixed;

    const json after = editor.Show(c.path, fixed);
    std::vector<std::string> expected = Codes(before);
    expected.erase(std::find(expected.begin(), expected.end(), c.code.dump()));
    for (const std::string& code : Codes(after)) {
      const auto found = std::find(expected.begin(), expected.end(), code);
      EXPECT_NE(found, expected.end()) << "came: " << code << "\n" << after.dump(1);
      if (found != expected.end()) expected.erase(found);
    }
  }
}

// No edit re-encodes a file saved as UTF-16: VS Code is given its own
// command, which asks for the encoding to save with; another client ours,
// which tells the author how when the client does not run it itself.
TEST(LspCodeActions, AFileSavedAsUtf16IsToBeSavedAgainInTheCodePage) {
  struct Client {
    const char* name;
    const char* action;  // whole
  };
  const Client clients[] = {
      {"Neovim", R"({"command":{"arguments":["file:///s/Demo_1-.txt"],"command":)"
                 R"("scenario-builder.saveAsWindows1252","title":"save the file as Windows-1252"},)"
                 R"("kind":"quickfix","title":"save the file as Windows-1252"})"},
      {"Visual Studio Code",
       R"x({"command":{"command":"workbench.action.editor.changeEncoding","title":)x"
       R"x("save the file as Windows-1252"},"kind":"quickfix","title":)x"
       R"x("save the file as Windows-1252 (Save with Encoding)"})x"},
  };
  for (const Client& client : clients) {
    Editor editor({{"capabilities", json::object()}, {"clientInfo", {{"name", client.name}}}});
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string(kTrain)) utf16 += std::string{c, '\0'};
    ASSERT_TRUE(editor.disk().WriteFile(kTrainPath, utf16).ok());
    editor.Show(kTrainPath, kTrain);
    const json actions = editor.Ask(
        "textDocument/codeAction",
        {{"textDocument", {{"uri", PathToUri(kTrainPath)}}},
         {"range",
          {{"start", {{"line", 0}, {"character", 0}}}, {"end", {{"line", 0}, {"character", 0}}}}},
         {"context", {{"diagnostics", json::array()}}}});
    ASSERT_EQ(actions.size(), 1u) << client.name << actions.dump(1);
    EXPECT_EQ(actions[0].dump(), client.action);
  }
  Editor editor;
  const std::vector<json> out = editor.Send({{"jsonrpc", "2.0"},
                                             {"id", 9},
                                             {"method", "workspace/executeCommand"},
                                             {"params",
                                              {{"command", "scenario-builder.saveAsWindows1252"},
                                               {"arguments", {PathToUri(kTrainPath)}}}}});
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0]["result"], nullptr);
  EXPECT_EQ(out[1]["method"], "window/showMessage");
  EXPECT_EQ(out[1]["params"]["message"],
            "save the file as Windows-1252: in Neovim ':set fileencoding=cp1252 | write', in VS "
            "Code 'Save with Encoding' and 'Western (Windows 1252)'");
}

}  // namespace
}  // namespace sb::lsp
