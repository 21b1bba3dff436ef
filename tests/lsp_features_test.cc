// What the editor is told about a description, in process: a fixture marks
// the cursor with `^`, the server (reading the files beside it from a memory
// disk) is asked at the marker, and the whole answer is compared.
#include <gtest/gtest.h>

#include <map>
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

// A line of 20 km whose km posts start at km 111.
constexpr const char* kLine =
    "[generale]\n"
    "lunghezza percorso, 20000\n"
    "progressiva chilometrica uno, 0, 111000, 0\n"
    "[fine]\n";

constexpr const char* kTrain =
    "[generale]\n"
    "numero vetture, 6\n"
    "[stazioni]\n"
    "stazione, 1000, 12, 400, 0,0,0, 1,1,0, 4,1,1, 0, 15,17,0, ALFA\n"
    "[segnali]\n"
    "segnale, 3000, 2, 4, 0,0,0, 0,0,0,0,0\n"
    "[fine]\n";

// A fixture without its marker, and where the marker was (the fixtures
// are ASCII: a character is one code unit).
struct Marked {
  std::string text;
  int line = 0;
  int character = 0;
};

Marked Mark(std::string_view fixture) {
  const std::size_t at = fixture.find('^');
  EXPECT_NE(at, std::string_view::npos) << "no ^ in " << fixture;
  Marked m;
  m.text = std::string(fixture.substr(0, at)) + std::string(fixture.substr(at + 1));
  for (std::size_t i = 0; i < at; ++i) {
    if (fixture[i] == '\n') {
      ++m.line;
      m.character = 0;
    } else {
      ++m.character;
    }
  }
  return m;
}

// An editor on a folder of a memory disk that holds the line description;
// it takes completion snippets, as VS Code does, unless told otherwise.
class Editor {
 public:
  explicit Editor(json capabilities = {{"textDocument",
                                        {{"completion",
                                          {{"completionItem", {{"snippetSupport", true}}}}}}}})
      : server_(disk_) {
    EXPECT_TRUE(disk_.MakeDirs(kFolder).ok());
    EXPECT_TRUE(disk_.WriteFile(kLinePath, kLine).ok());
    Send(Request("initialize", {{"capabilities", std::move(capabilities)}}));
  }

  MemoryDisk& disk() { return disk_; }

  std::vector<json> Notify(const std::string& method, json params) {
    return Send({{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}});
  }
  std::vector<json> Open(const std::string& path, const std::string& text) {
    return Notify("textDocument/didOpen",
                  {{"textDocument", {{"uri", PathToUri(path)}, {"version", 1}, {"text", text}}}});
  }
  // The result of a request about `path`; `extra` adds to its params.
  json Ask(const std::string& method, const std::string& path, json extra = json::object()) {
    return AskUri(method, PathToUri(path), std::move(extra))["result"];
  }
  // The whole answer to a request about the document `uri`.
  json AskUri(const std::string& method, const std::string& uri, json extra = json::object()) {
    json params = {{"textDocument", {{"uri", uri}}}};
    params.update(extra);
    const std::vector<json> out = Send(Request(method, std::move(params)));
    EXPECT_EQ(out.size(), 1u);
    return out.empty() ? json() : out[0];
  }

 private:
  json Request(const std::string& method, json params) {
    return {{"jsonrpc", "2.0"}, {"id", ++id_}, {"method", method}, {"params", std::move(params)}};
  }
  std::vector<json> Send(const json& message) { return server_.Handle(message); }

  MemoryDisk disk_;
  Server server_;
  int id_ = 0;
};

json At(const Marked& m) { return {{"line", m.line}, {"character", m.character}}; }

json Range(int line, int begin, int end) {
  return {{"start", {{"line", line}, {"character", begin}}},
          {"end", {{"line", line}, {"character", end}}}};
}

// The diagnostics published for `path` among `messages`; null when none.
json PublishedFor(const std::vector<json>& messages, const std::string& path) {
  for (const json& m : messages) {
    if (m["params"]["uri"] == PathToUri(path)) return m["params"]["diagnostics"];
  }
  return nullptr;
}

// `text` with the cursor at the `^` of `fragment`, which is a piece of
// `text` with the marker added.
Marked MarkIn(std::string text, std::string_view fragment) {
  const std::size_t marker = fragment.find('^');
  const std::string plain =
      std::string(fragment.substr(0, marker)) + std::string(fragment.substr(marker + 1));
  const std::size_t at = text.find(plain);
  EXPECT_NE(at, std::string::npos) << plain;
  if (at != std::string::npos) text.replace(at, plain.size(), fragment);
  return Mark(text);
}

struct HoverCase {
  const char* name;
  const char* path;      // the description opened: the line or the train
  const char* text;      // its text
  const char* fragment;  // a piece of it, `^` at the cursor
  const char* markdown;
  json range;  // null: no hover at all
};

TEST(LspFeatures, HoverTellsTheRecordTheColumnAndTheCompiledCell) {
  const std::vector<HoverCase> cases = {
      {"the keyword of a station", kTrainPath, kTrain, "staz^ione, 1000",
       R"(**Station** (`stazione`): a station, its stopping zone and its stop mark

values: position kind length option column5 column6 column7 column8 column9 column10 column11 column12 column13 hour minute second name)",
       Range(3, 0, 8)},
      {"a station's position: its km post", kTrainPath, kTrain, "stazione, 10^00",
       R"(**Station** (`stazione`): a station, its stopping zone and its stop mark

value 1 of 17: **position** (m), multiple of 50 (error 8): where the station stands

km 112+000)",
       Range(3, 10, 14)},
      {"a signal's position: its km post, its cell and what was compiled there", kTrainPath, kTrain,
       "segnale, 3^000",
       R"(**Signal** (`segnale`): a signal; the four cells before it get approach codes

value 1 of 11: **posizione** (m), 0 to the line length: where the signal stands; its cell must be free (error 16)

km 114+000, cell 61 (position / 50 + 1)

compiled cell: signal, s 4-0-0, d 0-0-0, rapp 0, sx 2 dx 0, time 0)",
       Range(5, 9, 13)},
      {"a position off the cell grid", kTrainPath,
       "[generale]\n[segnali]\nsegnale, 99000, 2, 4, 0,0,0, 0,0,0,0,0\n[fine]\n", "segnale, 9^9000",
       R"(**Signal** (`segnale`): a signal; the four cells before it get approach codes

value 1 of 11: **posizione** (m), 0 to the line length: where the signal stands; its cell must be free (error 16)

km 210+000, cell 1981 (position / 50 + 1): outside the cell grid)",
       Range(2, 9, 14)},
      {"a field past the record's values", kTrainPath,
       "[generale]\n[segnali]\nsegnale, 3000, 2, 4, 0,0,0, 0,0,0,0,0, 7000\n[fine]\n",
       "0,0,0,0,0, 7^000",
       R"(**Signal** (`segnale`): a signal; the four cells before it get approach codes

this field is past the record's values: it is read as the next keyword)",
       Range(2, 39, 43)},
      {"the line's length", kLinePath, kLine, "20^000",
       R"(**Line length** (`lunghezza percorso`): the length of the line

value 1 of 1: **length** (m), 0 to 1000000: length of the line; sizes the cell grid (the line plus 7000 m, in 50 m cells) and the plan profile)",
       Range(1, 20, 25)},
      // A curve's keyword is the author's: the hover tells what it makes of it.
      {"a curve whose keyword turns it left by a stray 's'", kLinePath,
       "[generale]\nlunghezza percorso, 20000\n[curve]\ncurva destra 5, 1000, 500\n[fine]\n",
       "cur^va destra 5",
       R"(**Curve** (`curva destra 5`): a circular curve; the keyword's first digit 1 to 6 is its curvature, an 's' turns left

radius 500 m, turning left (an 's' stands in the keyword)

values: start length)",
       Range(3, 0, 14)},
      {"a curve to the right, on its length", kLinePath,
       "[generale]\nlunghezza percorso, 20000\n[curve]\ncurvad6, 1000, 500\n[fine]\n", "1000, 5^00",
       R"(**Curve** (`curvad6`): a circular curve; the keyword's first digit 1 to 6 is its curvature, an 's' turns left

radius 333 m, turning right (no 's' in the keyword)

value 2 of 2: **length** (m), 0 to the line length: length of the circular curve; it must end by the line length + 7000 m)",
       Range(3, 15, 18)},
      {"a section header", kTrainPath, kTrain, "[staz^ioni]", "", nullptr},
      {"the empty line after the end", kTrainPath, kTrain, "[fine]\n^", "", nullptr},
  };
  for (const HoverCase& c : cases) {
    SCOPED_TRACE(c.name);
    Editor editor;
    const Marked m = MarkIn(c.text, c.fragment);
    editor.Open(c.path, m.text);
    const json expected =
        c.range.is_null()
            ? json(nullptr)
            : json{{"contents", {{"kind", "markdown"}, {"value", c.markdown}}}, {"range", c.range}};
    const json answer = editor.Ask("textDocument/hover", c.path, {{"position", At(m)}});
    EXPECT_EQ(answer.dump(2), expected.dump(2));
  }
}

struct RequestCase {
  const char* name;
  const char* method;
  const char* path;      // the description opened: the line or the train
  const char* text;      // its text
  const char* fragment;  // a piece of it, `^` at the cursor
  const char* answer;    // the whole result, as JSON
};

// Completion at the marker; the outline and the hints of the whole text.
TEST(LspFeatures, CompletionOutlineAndHintsAreAnsweredWhole) {
  const std::vector<RequestCase> cases = {
      // A header still being written belongs to the part it follows.
      {"completion of a header begun among the line's features", "textDocument/completion",
       kLinePath, "[generale]\nlunghezza percorso, 20000\n[curve]\n[pe\n[fine]\n", "[pe^",
       R"json([
  {"detail":"Gradient","documentation":"the gradient from here to the next gradient record","insertTextFormat":2,"kind":14,"label":"pendenza","textEdit":{"newText":"pendenza, ${1:position}, ${2:gradient}","range":{"end":{"character":3,"line":3},"start":{"character":0,"line":3}}}},
  {"detail":"Curve","documentation":"a circular curve; the keyword's first digit 1 to 6 is its curvature, an 's' turns left","insertTextFormat":2,"kind":14,"label":"curvas1","textEdit":{"newText":"curvas1, ${1:start}, ${2:length}","range":{"end":{"character":3,"line":3},"start":{"character":0,"line":3}}}},
  {"detail":"Mountain section","documentation":"the terrain type of a stretch of cells","insertTextFormat":2,"kind":14,"label":"montagna","textEdit":{"newText":"montagna, ${1:start}, ${2:end}, ${3:type}","range":{"end":{"character":3,"line":3},"start":{"character":0,"line":3}}}},
  {"detail":"Maximum-speed indicator board","documentation":"a board with three speeds and stripes on each side","insertTextFormat":2,"kind":14,"label":"indicatori_vmax","textEdit":{"newText":"indicatori_vmax, ${1:position}, ${2:vas}, ${3:vbs}, ${4:vcs}, ${5:strisces}, ${6:vad}, ${7:vbd}, ${8:vcd}, ${9:strisced}","range":{"end":{"character":3,"line":3},"start":{"character":0,"line":3}}}},
  {"detail":"Text board","documentation":"a board showing a text","insertTextFormat":2,"kind":14,"label":"cartello_indicatore","textEdit":{"newText":"cartello_indicatore, ${1:position}, ${2:text}","range":{"end":{"character":3,"line":3},"start":{"character":0,"line":3}}}},
  {"detail":"section","insertTextFormat":1,"kind":9,"label":"[generale]","textEdit":{"newText":"[generale]","range":{"end":{"character":3,"line":3},"start":{"character":0,"line":3}}}},
  {"detail":"section","insertTextFormat":1,"kind":9,"label":"[curve]","textEdit":{"newText":"[curve]","range":{"end":{"character":3,"line":3},"start":{"character":0,"line":3}}}},
  {"detail":"section","insertTextFormat":1,"kind":9,"label":"[pendenze]","textEdit":{"newText":"[pendenze]","range":{"end":{"character":3,"line":3},"start":{"character":0,"line":3}}}},
  {"detail":"section","insertTextFormat":1,"kind":9,"label":"[montagne]","textEdit":{"newText":"[montagne]","range":{"end":{"character":3,"line":3},"start":{"character":0,"line":3}}}},
  {"detail":"section","insertTextFormat":1,"kind":9,"label":"[cartelli]","textEdit":{"newText":"[cartelli]","range":{"end":{"character":3,"line":3},"start":{"character":0,"line":3}}}},
  {"detail":"section","insertTextFormat":1,"kind":9,"label":"[indicazioni]","textEdit":{"newText":"[indicazioni]","range":{"end":{"character":3,"line":3},"start":{"character":0,"line":3}}}},
  {"detail":"section","insertTextFormat":1,"kind":9,"label":"[fine]","textEdit":{"newText":"[fine]","range":{"end":{"character":3,"line":3},"start":{"character":0,"line":3}}}}
])json"},
      {"no completion past the keyword", "textDocument/completion", kTrainPath, kTrain,
       "segnale, 3^000", "[]"},
      {"the outline of a train: sections, stations by name, signals by position",
       "textDocument/documentSymbol", kTrainPath, kTrain, "^[generale]",
       R"json([
  {"children":[],"detail":"","kind":3,"name":"[generale]","range":{"end":{"character":17,"line":1},"start":{"character":0,"line":0}},"selectionRange":{"end":{"character":10,"line":0},"start":{"character":0,"line":0}}},
  {"children":[
     {"children":[],"detail":"km 112+000","kind":20,"name":"ALFA","range":{"end":{"character":62,"line":3},"start":{"character":0,"line":3}},"selectionRange":{"end":{"character":8,"line":3},"start":{"character":0,"line":3}}}
   ],"detail":"","kind":3,"name":"[stazioni]","range":{"end":{"character":62,"line":3},"start":{"character":0,"line":2}},"selectionRange":{"end":{"character":10,"line":2},"start":{"character":0,"line":2}}},
  {"children":[
     {"children":[],"detail":"km 114+000","kind":24,"name":"Signal 3000","range":{"end":{"character":37,"line":5},"start":{"character":0,"line":5}},"selectionRange":{"end":{"character":7,"line":5},"start":{"character":0,"line":5}}}
   ],"detail":"","kind":3,"name":"[segnali]","range":{"end":{"character":37,"line":5},"start":{"character":0,"line":4}},"selectionRange":{"end":{"character":9,"line":4},"start":{"character":0,"line":4}}},
  {"children":[],"detail":"","kind":3,"name":"[fine]","range":{"end":{"character":6,"line":6},"start":{"character":0,"line":6}},"selectionRange":{"end":{"character":6,"line":6},"start":{"character":0,"line":6}}}
])json"},
      {"the outline of a line: its sections", "textDocument/documentSymbol", kLinePath, kLine,
       "^[generale]",
       R"json([
  {"children":[],"detail":"","kind":3,"name":"[generale]","range":{"end":{"character":42,"line":2},"start":{"character":0,"line":0}},"selectionRange":{"end":{"character":10,"line":0},"start":{"character":0,"line":0}}},
  {"children":[],"detail":"","kind":3,"name":"[fine]","range":{"end":{"character":6,"line":3},"start":{"character":0,"line":3}},"selectionRange":{"end":{"character":6,"line":3},"start":{"character":0,"line":3}}}
])json"},
      {"the outline of a line's features: gradients, curves and the rest too",
       "textDocument/documentSymbol", kLinePath,
       "[generale]\nlunghezza percorso, 20000\n[pendenze]\npendenza, 0, 105\n[curve]\n"
       "curvas3, 1000, 500\n[fine]\n",
       "^[generale]",
       R"json([
  {"children":[],"detail":"","kind":3,"name":"[generale]","range":{"end":{"character":25,"line":1},"start":{"character":0,"line":0}},"selectionRange":{"end":{"character":10,"line":0},"start":{"character":0,"line":0}}},
  {"children":[{"children":[],"detail":"km 0+000","kind":7,"name":"Gradient 0","range":{"end":{"character":16,"line":3},"start":{"character":0,"line":3}},"selectionRange":{"end":{"character":8,"line":3},"start":{"character":0,"line":3}}}],"detail":"","kind":3,"name":"[pendenze]","range":{"end":{"character":16,"line":3},"start":{"character":0,"line":2}},"selectionRange":{"end":{"character":10,"line":2},"start":{"character":0,"line":2}}},
  {"children":[{"children":[],"detail":"km 1+000","kind":7,"name":"Curve 1000","range":{"end":{"character":18,"line":5},"start":{"character":0,"line":5}},"selectionRange":{"end":{"character":7,"line":5},"start":{"character":0,"line":5}}}],"detail":"","kind":3,"name":"[curve]","range":{"end":{"character":18,"line":5},"start":{"character":0,"line":4}},"selectionRange":{"end":{"character":7,"line":4},"start":{"character":0,"line":4}}},
  {"children":[],"detail":"","kind":3,"name":"[fine]","range":{"end":{"character":6,"line":6},"start":{"character":0,"line":6}},"selectionRange":{"end":{"character":6,"line":6},"start":{"character":0,"line":6}}}
])json"},
      {"a km post after each position", "textDocument/inlayHint", kTrainPath, kTrain, "^[generale]",
       R"json([
  {"label":"km 112+000","paddingLeft":true,"position":{"character":14,"line":3}},
  {"label":"km 114+000","paddingLeft":true,"position":{"character":13,"line":5}}
])json"},
  };
  for (const RequestCase& c : cases) {
    SCOPED_TRACE(c.name);
    Editor editor;
    const Marked m = MarkIn(c.text, c.fragment);
    editor.Open(c.path, m.text);
    json extra = {{"position", At(m)}};
    if (std::string_view(c.method) == "textDocument/inlayHint") {
      extra = {{"range",
                {{"start", {{"line", 0}, {"character", 0}}},
                 {"end", {{"line", 99}, {"character", 0}}}}}};
    }
    const json answer = editor.Ask(c.method, c.path, extra);
    EXPECT_EQ(answer.dump(2), json::parse(c.answer).dump(2));
  }
}

// Companions come from the disk the server was given: a train beside the
// open one is found by listing the folder and read again when its stamp
// changes (here with its size unchanged); a description of a scenario
// nobody opened is answered from its text alone.
TEST(LspFeatures, CompanionsAreReadFromTheDisk) {
  Editor editor;
  const std::string companion = "/s/Demo_2-.txt";
  ASSERT_TRUE(editor.disk().WriteFile(companion, kTrain).ok());
  const std::vector<json> opened = editor.Open(kTrainPath, kTrain);
  // The same text as the open train's: the same diagnostics.
  ASSERT_TRUE(PublishedFor(opened, companion).is_array());
  EXPECT_EQ(PublishedFor(opened, companion), PublishedFor(opened, kTrainPath));

  std::string moved = kTrain;
  moved.replace(moved.find("stazione, 1000"), 14, "stazione, 1010");
  ASSERT_TRUE(editor.disk().WriteFile(companion, moved).ok());
  const std::vector<json> saved =
      editor.Notify("textDocument/didSave", {{"textDocument", {{"uri", PathToUri(companion)}}}});
  const json movedDiagnostics = json::parse(R"json([
  {"code":8,"message":"station position is not a multiple of 50 (at 1010 m, km 112+010)","range":{"end":{"character":14,"line":3},"start":{"character":10,"line":3}},"severity":1,"source":"scenario-builder"}
])json");
  EXPECT_EQ(PublishedFor(saved, companion).dump(2), movedDiagnostics.dump(2));

  ASSERT_TRUE(editor.disk().MakeDirs("/t").ok());
  ASSERT_TRUE(editor.disk().WriteFile("/t/Solo_1-.txt", kTrain).ok());
  const Marked m = MarkIn(kTrain, "segnale, 3^000");
  const json alone = editor.Ask("textDocument/hover", "/t/Solo_1-.txt", {{"position", At(m)}});
  // No compile: the cell the position falls in, but no km post and nothing compiled.
  EXPECT_EQ(alone["contents"]["value"],
            R"(**Signal** (`segnale`): a signal; the four cells before it get approach codes

value 1 of 11: **posizione** (m), 0 to the line length: where the signal stands; its cell must be free (error 16)

cell 61 (position / 50 + 1))");
  EXPECT_EQ(alone["range"], Range(5, 9, 13));
}

// A client that takes no snippets (one that says nothing of them, or says
// no) gets each keyword as plain text, not the placeholders' names.
TEST(LspFeatures, CompletionIsPlainTextForAClientWithoutSnippets) {
  const json refusing = {
      {"textDocument", {{"completion", {{"completionItem", {{"snippetSupport", false}}}}}}}};
  for (const json& capabilities : {json::object(), refusing}) {
    Editor editor(capabilities);
    const Marked m = Mark("[generale]\nlunghezza percorso, 20000\n[curve]\npend^\n[fine]\n");
    editor.Open(kLinePath, m.text);
    const json items = editor.Ask("textDocument/completion", kLinePath, {{"position", At(m)}});
    ASSERT_FALSE(items.empty()) << capabilities;
    EXPECT_EQ(items[0].dump(),
              R"({"detail":"Gradient","documentation":"the gradient from here to the next )"
              R"(gradient record","insertTextFormat":1,"kind":14,"label":"pendenza",)"
              R"("textEdit":{"newText":"pendenza, ","range":{"end":{"character":4,"line":3},)"
              R"("start":{"character":0,"line":3}}}})")
        << capabilities;
  }
}

// A document that is no file (an untitled buffer, a version control view)
// is answered empty, not refused: an editor shows a refusal as a failure.
// A file that is no description is still refused.
TEST(LspFeatures, DocumentsThatAreNoFilesAreAnsweredEmpty) {
  struct Case {
    const char* uri;
    const char* method;
    const char* answer;  // the whole answer but its id
  };
  const json place = {{"position", {{"line", 0}, {"character", 0}}}};
  const json lines = {{"range", Range(0, 0, 0)}};
  const Case cases[] = {
      {"untitled:Untitled-1", "textDocument/hover", R"({"jsonrpc":"2.0","result":null})"},
      {"untitled:Untitled-1", "textDocument/completion", R"({"jsonrpc":"2.0","result":[]})"},
      {"git:/s/Demo_linea.txt?%7B%7D", "textDocument/documentSymbol",
       R"({"jsonrpc":"2.0","result":[]})"},
      {"vscode-notebook-cell:/s/a.txt#x", "textDocument/inlayHint",
       R"({"jsonrpc":"2.0","result":[]})"},
      {"file:///s/notes.txt", "textDocument/hover",
       R"({"error":{"code":-32602,"message":"not a description (<ID>_linea.txt or )"
       R"(<ID>_<N>-.txt): file:///s/notes.txt"},"jsonrpc":"2.0"})"},
  };
  Editor editor;
  for (const Case& c : cases) {
    json extra = std::string(c.method) == "textDocument/inlayHint" ? lines : place;
    json answer = editor.AskUri(c.method, c.uri, extra);
    answer.erase("id");
    EXPECT_EQ(answer.dump(), c.answer) << c.uri << " " << c.method;
  }
  // Opening one is no failure either: nothing is answered or published.
  EXPECT_TRUE(editor
                  .Notify("textDocument/didOpen",
                          {{"textDocument",
                            {{"uri", "untitled:Untitled-1"}, {"version", 1}, {"text", "segnale"}}}})
                  .empty());
}

// Diagnostics carry the version of the text they were found in, so that an
// editor can drop those of a text it has changed since; a document the
// editor does not have open gets none.
TEST(LspFeatures, DiagnosticsCarryTheVersionOfTheirText) {
  Editor editor;
  const auto versionOf = [](const std::vector<json>& out, const std::string& path) {
    for (const json& m : out) {
      if (m["params"]["uri"] == PathToUri(path)) return m["params"].value("version", json());
    }
    return json("not published");
  };
  const std::vector<json> opened = editor.Open(kTrainPath, kTrain);
  EXPECT_EQ(versionOf(opened, kTrainPath), 1);
  EXPECT_EQ(versionOf(opened, kLinePath), json());  // on the disk only
  const std::string broken = std::string(kTrain) + "stazione, 1010\n";
  const std::vector<json> changed = editor.Notify(
      "textDocument/didChange", {{"textDocument", {{"uri", PathToUri(kTrainPath)}, {"version", 7}}},
                                 {"contentChanges", {{{"text", broken}}}}});
  EXPECT_EQ(versionOf(changed, kTrainPath), 7);
}

// Diagnostics of an open document name it by the URI the editor gave, in
// whatever spelling ("file:///C:/..." or "file:///c%3A/..."): an editor may
// compare URIs as strings. A companion gets the server's own.
TEST(LspFeatures, DiagnosticsNameADocumentAsTheEditorDid) {
  Editor editor;
  const std::string spelled = "file:///s/Demo%5F1-.txt";  // "_" encoded
  const std::vector<json> out =
      editor.Notify("textDocument/didOpen",
                    {{"textDocument", {{"uri", spelled}, {"version", 1}, {"text", kTrain}}}});
  std::vector<std::string> uris;
  for (const json& m : out) uris.push_back(m["params"]["uri"]);
  EXPECT_EQ(uris, (std::vector<std::string>{PathToUri(kLinePath), spelled}));
  const std::vector<json> closed =
      editor.Notify("textDocument/didClose", {{"textDocument", {{"uri", spelled}}}});
  ASSERT_FALSE(closed.empty());
  EXPECT_EQ(closed[0]["params"]["uri"], spelled);
}

// A description saved as UTF-16 reads well in the editor, which decodes it,
// but compile and the simulator read its bytes: the editor is told so at
// the top of the file, and no more once it is saved as Windows-1252.
TEST(LspFeatures, AFileSavedAsUtf16IsSaidToBe) {
  Editor editor;
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string(kTrain)) utf16 += std::string{c, '\0'};
  ASSERT_TRUE(editor.disk().WriteFile(kTrainPath, utf16).ok());
  const json opened = PublishedFor(editor.Open(kTrainPath, kTrain), kTrainPath);
  ASSERT_TRUE(opened.is_array() && !opened.empty()) << opened;
  EXPECT_EQ(opened[0].dump(),
            R"x({"message":"this file is saved as UTF-16: compile and the simulator read its )x"
            R"x(bytes as Windows-1252 and find none of its records (error 102 for a line )x"
            R"x(description); save it as Windows-1252 (VS Code: Save with Encoding, Western )x"
            R"x((Windows 1252))","range":{"end":{"character":0,"line":0},"start":{"character":0,)x"
            R"x("line":0}},"severity":1,"source":"scenario-builder"})x");
  ASSERT_TRUE(editor.disk().WriteFile(kTrainPath, kTrain).ok());
  const json saved = PublishedFor(
      editor.Notify("textDocument/didSave", {{"textDocument", {{"uri", PathToUri(kTrainPath)}}}}),
      kTrainPath);
  // The train's own diagnostics stay; the one about its encoding goes.
  json rest = opened;
  rest.erase(rest.begin());
  EXPECT_EQ(saved, rest);
}

// What the editor shows after `messages`: by URI, the last diagnostics
// published for it.
void Shown(std::map<std::string, json>& shown, const std::vector<json>& messages) {
  for (const json& m : messages) {
    if (m.value("method", "") == "textDocument/publishDiagnostics") {
      shown[m["params"]["uri"]] = m["params"]["diagnostics"];
    }
  }
}

json WatchedChange(const std::string& path, int type) {
  return {{"uri", PathToUri(path)}, {"type", type}};
}
constexpr int kCreated = 1;
constexpr int kChanged = 2;
constexpr int kDeleted = 3;

// The train with its station 10 m off the 50 m step (error 8), of the same
// size as the right one.
std::string Misplaced() {
  std::string text = kTrain;
  text.replace(text.find("stazione, 1000"), 14, "stazione, 1010");
  return text;
}

// Descriptions change behind the editor: the server asks a client that can
// register watchers for the descriptions' names, and a client that cannot
// is asked nothing.
TEST(LspFeatures, WatchersOfDescriptionsAreRegisteredWhenTheClientCan) {
  const json registration = json::parse(R"json([{"id":"watch-descriptions",
    "jsonrpc":"2.0","method":"client/registerCapability","params":{"registrations":[
    {"id":"watch-descriptions","method":"workspace/didChangeWatchedFiles","registerOptions":
    {"watchers":[{"globPattern":"**/*_linea.txt"},{"globPattern":"**/*_*-.txt"}]}}]}}])json");
  const struct {
    const char* name;
    json capabilities;
    json expected;
  } cases[] = {
      {"dynamic registration",
       {{"workspace", {{"didChangeWatchedFiles", {{"dynamicRegistration", true}}}}}},
       registration},
      {"none",
       {{"workspace", {{"didChangeWatchedFiles", {{"dynamicRegistration", false}}}}}},
       json::array()},
      {"nothing said", json::object(), json::array()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Editor editor(c.capabilities);
    EXPECT_EQ(json(editor.Notify("initialized", json::object())), c.expected);
  }
}

// A companion changed on disk (here keeping its size and stamp) is read
// again when the watcher tells of it; one deleted is told it has nothing.
TEST(LspFeatures, CompanionsChangedOnDiskAreCheckedAgain) {
  Editor editor;
  const std::string companion = "/s/Demo_2-.txt";
  ASSERT_TRUE(editor.disk().WriteFile(companion, kTrain).ok());
  std::map<std::string, json> shown;
  Shown(shown, editor.Open(kTrainPath, kTrain));
  const json unchanged = shown[PathToUri(companion)];
  ASSERT_EQ(unchanged, shown[PathToUri(kTrainPath)]);  // the same text

  editor.disk().files()[companion] = Misplaced();
  const auto told = [&](const std::string& path, int type) {
    Shown(shown, editor.Notify("workspace/didChangeWatchedFiles",
                               {{"changes", {WatchedChange(path, type)}}}));
  };
  told(companion, kChanged);
  const json& misplaced = shown[PathToUri(companion)];
  ASSERT_EQ(misplaced.size(), 1u);  // the error stops the reading
  EXPECT_EQ(misplaced[0]["code"], 8);

  ASSERT_TRUE(editor.disk().RemoveFile(companion).ok());
  told(companion, kDeleted);
  EXPECT_EQ(shown[PathToUri(companion)], json::array());
  EXPECT_EQ(shown[PathToUri(kTrainPath)], unchanged);

  // A file of no description's name is no concern of the server's.
  EXPECT_TRUE(editor
                  .Notify("workspace/didChangeWatchedFiles",
                          {{"changes", {WatchedChange("/s/notes.txt", kCreated)}}})
                  .empty());
}

// An open train renamed in the editor (Demo_1 to Demo_2): it is closed under
// its old name and opened under the new, before or after, and the file
// moves on disk before the editor says so or after it (then a watcher tells
// of it). The old name keeps no diagnostics; the new one has the train's.
TEST(LspFeatures, ARenamedDescriptionLeavesNothingUnderItsOldName) {
  const std::string renamed = "/s/Demo_2-.txt";
  const struct {
    const char* name;
    bool openFirst;  // the new name opened before the old one is closed
    bool movedLate;  // the file moves after both, and the watcher tells
    bool lineOpen;   // the line description is open too
  } cases[] = {
      {"closed, opened", false, false, false},
      {"opened, closed", true, false, false},
      {"closed, opened, moved", false, true, false},
      {"opened, closed, moved", true, true, false},
      {"closed, opened, moved, line open", false, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Editor editor;
    ASSERT_TRUE(editor.disk().WriteFile(kTrainPath, Misplaced()).ok());
    std::map<std::string, json> shown;
    if (c.lineOpen) Shown(shown, editor.Open(kLinePath, kLine));
    Shown(shown, editor.Open(kTrainPath, Misplaced()));
    const json misplaced = shown[PathToUri(kTrainPath)];
    ASSERT_EQ(misplaced[0]["code"], 8);

    const auto move = [&] {
      ASSERT_TRUE(editor.disk().RemoveFile(kTrainPath).ok());
      ASSERT_TRUE(editor.disk().WriteFile(renamed, Misplaced()).ok());
    };
    const auto close = [&] {
      Shown(shown, editor.Notify("textDocument/didClose",
                                 {{"textDocument", {{"uri", PathToUri(kTrainPath)}}}}));
    };
    if (!c.movedLate) move();
    if (!c.openFirst) close();
    Shown(shown, editor.Open(renamed, Misplaced()));
    if (c.openFirst) close();
    if (c.movedLate) {
      move();
      Shown(shown,
            editor.Notify(
                "workspace/didChangeWatchedFiles",
                {{"changes",
                  {WatchedChange(kTrainPath, kDeleted), WatchedChange(renamed, kCreated)}}}));
    }
    EXPECT_EQ(shown[PathToUri(kTrainPath)], json::array());
    EXPECT_EQ(shown[PathToUri(renamed)], misplaced);
  }
}

}  // namespace
}  // namespace sb::lsp
