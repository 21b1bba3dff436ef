// What the editor is told about a description, in process: a fixture marks
// the cursor with `^`, the server (reading the files beside it from a memory
// disk) is asked at the marker, and the whole answer is compared.
#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/editor_projects.h"
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
                                          {{"completionItem", {{"snippetSupport", true}}}}}}}},
                  ProjectReader projects = {})
      : server_(disk_, std::move(projects)) {
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

written at 3000 m, the signal stands one cell (50 m) on, at 3050 m (km 114+050): every signal, slowdown and board stands one cell on

compiled cell: signal, s 4-0-0, d 0-0-0, rapp 0, sx 2 dx 0, time 0)",
       Range(5, 9, 13)},
      {"a signal off the 50 m steps: the cell it stands on", kTrainPath,
       "[generale]\n[segnali]\nsegnale, 1025, 2, 4, 0,0,0, 0,0,0,0,0\n[fine]\n", "segnale, 10^25",
       R"(**Signal** (`segnale`): a signal; the four cells before it get approach codes

value 1 of 11: **posizione** (m), 0 to the line length: where the signal stands; its cell must be free (error 16)

km 112+025, cell 22 (position / 50 + 1)

written at 1025 m, the signal stands on cell 22, at 1100 m (km 112+100) (position / 50 + 1, a half rounded to even): every signal, slowdown and board stands one cell on

compiled cell: signal, s 4-0-0, d 0-0-0, rapp 0, sx 2 dx 0, time 0)",
       Range(2, 9, 13)},
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
  {"code":8,"message":"station position is not a multiple of 50 (at 1010 m, km 112+010)","range":{"end":{"character":14,"line":3},"start":{"character":10,"line":3}},
   "relatedInformation":[{"location":{"range":{"end":{"character":14,"line":3},"start":{"character":10,"line":3}},"uri":"file:///s/Demo_2-.txt"},"message":"the reading stops here: 1 signal after this line is not compiled"}],
   "severity":1,"source":"scenario-builder"},
  {"code":"not-read","message":"not read: the reading stopped at line 4","range":{"end":{"character":6,"line":6},"start":{"character":0,"line":4}},"severity":4,"source":"scenario-builder","tags":[1]}
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

cell 61 (position / 50 + 1)

written at 3000 m, the signal stands one cell (50 m) on, at 3050 m: every signal, slowdown and board stands one cell on)");
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
      {"untitled:Untitled-1", "textDocument/formatting", R"({"jsonrpc":"2.0","result":[]})"},
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

// Formatting aligns the buffer as the editor holds it, in the units it
// counts in: "à" is one UTF-16 unit and two UTF-8 ones.
TEST(LspFeatures, FormattingAlignsTheBufferInTheEditorsUnits) {
  const std::string text =
      "[vel_limite]\n"
      " velocit\u00e0,0,  110\n"
      "velocit\u00e0, 2950, 60\n";
  auto edit = [](int line, int begin, int end, int spaces) {
    return json{{"range", Range(line, begin, end)}, {"newText", std::string(spaces, ' ')}};
  };
  struct Case {
    const char* encoding;
    json edits;
  };
  const Case cases[] = {
      {"utf-16", {edit(1, 0, 1, 0), edit(1, 10, 10, 4), edit(1, 12, 14, 1), edit(2, 15, 16, 2)}},
      {"utf-8", {edit(1, 0, 1, 0), edit(1, 11, 11, 4), edit(1, 13, 15, 1), edit(2, 16, 17, 2)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.encoding);
    Editor editor(json{{"general", {{"positionEncodings", json::array({c.encoding})}}}});
    editor.Open(kTrainPath, text);
    EXPECT_EQ(editor.Ask("textDocument/formatting", kTrainPath), c.edits);
  }
  // An aligned buffer, and a companion on the disk, get no edit.
  Editor editor;
  editor.Open(kTrainPath, "[vel_limite]\nvelocita,    0, 110\nvelocita, 2950,  60\n");
  EXPECT_EQ(editor.Ask("textDocument/formatting", kTrainPath), json::array());
  EXPECT_EQ(editor.Ask("textDocument/formatting", kLinePath), json::array());
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

// A name saved as UTF-8 and shown by the editor as Windows-1252 (the
// setting a description wants) stands in the buffer as the simulator will
// show it: the warning quotes it as it stands, and what was likely meant.
TEST(LspFeatures, AUtf8NameIsQuotedAsTheSimulatorShowsIt) {
  Editor editor;
  // "FORLÌ" saved as UTF-8 (C3 8C), read as Windows-1252: "FORLÃŒ".
  const std::string train =
      std::string(kTrain).replace(std::string(kTrain).find("ALFA"), 4, "FORL\xC3\x83\xC5\x92");
  const json published = PublishedFor(editor.Open(kTrainPath, train), kTrainPath);
  ASSERT_TRUE(published.is_array() && !published.empty()) << published;
  EXPECT_EQ(published[0]["code"], "text-encoding");
  EXPECT_EQ(published[0]["message"],
            "'FORL\xC3\x83\xC5\x92' looks like UTF-8 read as Windows-1252: the simulator shows "
            "it as it stands here, not as 'FORL\xC3\x8C'\nhint: write 'FORL\xC3\x8C' if that is "
            "what is meant");
}

// Column guidance: the record of the line, its columns, the one the cursor
// is in active; nothing on the keyword or past the values.
TEST(LspFeatures, SignatureHelpNamesTheColumnUnderTheCursor) {
  const std::string line =
      "[generale]\nlunghezza percorso, 20000\n[pendenze]\npendenza, 0, -5\n"
      "[cartelli]\nindicatori_vmax, 2950, 140, 160, 170, 0, 140, 160, 170, 0\n[fine]\n";
  const std::string train = std::string(kTrain) + "segnale, 5000,\n";
  const std::string extra = "[generale]\nsegnale, 3000, 2, 4, 0,0,0, 0,0,0,0,0, 7000\n[fine]\n";
  struct Case {
    const char* name;
    const char* path;
    const std::string& text;
    const char* fragment;
    const char* answer;  // the whole result
  };
  const Case cases[] = {
      {"a gradient's value", kLinePath, line, "pendenza, 0, -^5",
       R"json({"activeParameter":1,"activeSignature":0,"signatures":[{"documentation":{"kind":"markdown","value":"**Gradient**: the gradient from here to the next gradient record"},"label":"pendenza, position, gradient","parameters":[
 {"documentation":{"kind":"markdown","value":"**position** (m), 0 to the line length: where the gradient takes over"},"label":[10,18]},
 {"documentation":{"kind":"markdown","value":"**gradient**, -100 to 155: gradient up to the next gradient record; stored as gradient + 100 in one byte"},"label":[20,28]}]}]})json"},
      {"a signal's last column, after a comma being typed", kTrainPath, train, "segnale, 5000,^",
       R"json({"activeParameter":1,"activeSignature":0,"signatures":[{"documentation":{"kind":"markdown","value":"**Signal**: a signal; the four cells before it get approach codes"},"label":"segnale, posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo","parameters":[
 {"documentation":{"kind":"markdown","value":"**posizione** (m), 0 to the line length: where the signal stands; its cell must be free (error 16)"},"label":[9,18]},
 {"documentation":{"kind":"markdown","value":"**sx**, 0 to 2: value of the s side"},"label":[20,22]},
 {"documentation":{"kind":"markdown","value":"**s1**, 0 to 9: first digit of the s side"},"label":[24,26]},
 {"documentation":{"kind":"markdown","value":"**s2**, 0 to 9: second digit of the s side"},"label":[28,30]},
 {"documentation":{"kind":"markdown","value":"**s3**, 0 to 9: third digit of the s side"},"label":[32,34]},
 {"documentation":{"kind":"markdown","value":"**rapp**, 0 to 9: a further digit"},"label":[36,40]},
 {"documentation":{"kind":"markdown","value":"**dx**, 0 to 2: value of the d side"},"label":[42,44]},
 {"documentation":{"kind":"markdown","value":"**d1**, 0 to 9: first digit of the d side"},"label":[46,48]},
 {"documentation":{"kind":"markdown","value":"**d2**, 0 to 9: second digit of the d side"},"label":[50,52]},
 {"documentation":{"kind":"markdown","value":"**d3**, 0 to 9: third digit of the d side"},"label":[54,56]},
 {"documentation":{"kind":"markdown","value":"**tempo**, 0 to 255: signal time, kept only when sx is 2; 1 to 100 count as 101"},"label":[58,63]}]}]})json"},
      {"on the keyword", kTrainPath, train, "segn^ale, 5000", "null"},
      {"past the values", kTrainPath, extra, "0,0,0,0,0, 7^000", "null"},
      {"a header", kTrainPath, kTrain, "[segn^ali]", "null"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Editor editor;
    const Marked m = MarkIn(c.text, c.fragment);
    editor.Open(c.path, m.text);
    const json answer = editor.Ask("textDocument/signatureHelp", c.path, {{"position", At(m)}});
    EXPECT_EQ(answer.dump(2), json::parse(c.answer).dump(2));
  }
  // The long records: which column is active, and what it says.
  const struct {
    const char* path;
    const std::string& text;
    const char* fragment;
    int active;
    const char* column;
  } columns[] = {
      {kTrainPath, kTrain, "stazione, 1^000", 0,
       "**position** (m), multiple of 50 (error 8): where "
       "the station stands"},
      {kTrainPath, kTrain, "0, 15,17,0, AL^FA", 16,
       "**name**, text, Windows-1252: the station's name: the rest of the line, up to a comma "
       "unless it is in double quotes"},
      {kTrainPath, kTrain, "4,1,^1", 11, "**column12**, -32768 to 32767: stored as num5"},
      {kLinePath, line, "2950, 140, 160, 1^70", 3, "**vcs** (km/h): third speed of the s side"},
  };
  for (const auto& c : columns) {
    SCOPED_TRACE(c.fragment);
    Editor editor;
    const Marked m = MarkIn(c.text, c.fragment);
    editor.Open(c.path, m.text);
    const json answer = editor.Ask("textDocument/signatureHelp", c.path, {{"position", At(m)}});
    ASSERT_TRUE(answer.is_object()) << answer;
    EXPECT_EQ(answer["activeParameter"], c.active);
    EXPECT_EQ(answer["signatures"][0]["parameters"][c.active]["documentation"]["value"], c.column);
  }
}

// The tokens as "line:character:length type", decoded from the protocol's
// relative encoding.
std::vector<std::string> DecodeTokens(const json& result) {
  static const char* const kTypes[] = {"keyword", "number", "string", "comment", "namespace"};
  std::vector<std::string> out;
  const json& data = result["data"];
  int line = 0;
  int character = 0;
  for (std::size_t i = 0; i + 5 <= data.size(); i += 5) {
    const int deltaLine = data[i];
    line += deltaLine;
    character = deltaLine == 0 ? character + data[i + 1].get<int>() : data[i + 1].get<int>();
    out.push_back(std::to_string(line) + ":" + std::to_string(character) + ":" +
                  data[i + 2].dump() + " " + kTypes[data[i + 3].get<int>()]);
  }
  return out;
}

// Coloured as read: keywords as the reader matches them, values by their
// column, headers, and as comments what the reader ignores, a record
// commented out with two quotes among them; a record after two comment
// lines is read again, and coloured so.
TEST(LspFeatures, SemanticTokensColourWhatTheReaderReads) {
  const std::string train =
      "-- preamble\n"                                                           // 0
      "[generale]\n"                                                            // 1
      "velocit\xC3\xA0, 0, 100\n"                                               // 2
      "\"\" aderenza, 0, 100\n"                                                 // 3
      "-- one\n"                                                                // 4
      "-- two\n"                                                                // 5
      "-- sabbia, 60\n"                                                         // 6
      "stazione, 1000, 12, 400, 0,0,0, 1,1,0, 4,1,1, 0, 15,17,0, \"ALFA\" x\n"  // 7
      "[fine]\n";                                                               // 8
  const std::string line =
      "[generale]\nlunghezza percorso, 20000\n[curve]\ncurva destra 3, 900, 1000\n[fine]\n";
  struct Case {
    const char* path;
    const std::string& text;
    std::vector<std::string> tokens;
  };
  const Case cases[] = {
      {kTrainPath, train, {"0:0:11 comment", "1:0:10 namespace", "2:0:8 keyword", "2:10:1 number",
                           "2:13:3 number",  "3:0:19 comment",   "4:0:6 comment", "5:0:6 comment",
                           "6:0:9 keyword",  "6:11:2 number",    "7:0:8 keyword", "7:10:4 number",
                           "7:16:2 number",  "7:20:3 number",    "7:25:1 number", "7:27:1 number",
                           "7:29:1 number",  "7:32:1 number",    "7:34:1 number", "7:36:1 number",
                           "7:39:1 number",  "7:41:1 number",    "7:43:1 number", "7:46:1 number",
                           "7:49:2 number",  "7:52:2 number",    "7:55:1 number", "7:58:6 string",
                           "7:65:1 comment", "8:0:6 namespace"}},
      {kLinePath,
       line,
       {"0:0:10 namespace", "1:0:18 keyword", "1:20:5 number", "2:0:7 namespace", "3:0:14 keyword",
        "3:16:3 number", "3:21:4 number", "4:0:6 namespace"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    Editor editor;
    editor.Open(c.path, c.text);
    EXPECT_EQ(DecodeTokens(editor.Ask("textDocument/semanticTokens/full", c.path)), c.tokens);
  }
  // A range gives the tokens of its lines, encoded from its first.
  Editor editor;
  editor.Open(kTrainPath, train);
  const json range = {
      {"range",
       {{"start", {{"line", 2}, {"character", 0}}}, {"end", {{"line", 3}, {"character", 5}}}}}};
  const json some = editor.Ask("textDocument/semanticTokens/range", kTrainPath, range);
  EXPECT_EQ(some["data"][0], 2);
  EXPECT_EQ(DecodeTokens(some), (std::vector<std::string>{"2:0:8 keyword", "2:10:1 number",
                                                          "2:13:3 number", "3:0:19 comment"}));
}

TEST(LspFeatures, FoldingRangesAreTheSections) {
  Editor editor;
  const std::string train = "-- preamble\n" + std::string(kTrain) + "\n\n";
  editor.Open(kTrainPath, train);
  EXPECT_EQ(editor.Ask("textDocument/foldingRange", kTrainPath).dump(),
            R"([{"endLine":2,"kind":"region","startLine":1},)"
            R"({"endLine":4,"kind":"region","startLine":3},)"
            R"({"endLine":6,"kind":"region","startLine":5}])");
}

// An error that ends the reading leaves the rest of the file unread: the
// editor fades it, says where the reading stopped, and checks what it can of
// the rest without the model. A train whose line stopped is not read at all.
TEST(LspFeatures, TheRestAfterAStopIsFadedAndCheckedWithoutTheModel) {
  Editor editor;
  const std::string train =
      "[generale]\n"
      "numero vetture, 6\n"
      "[stazioni]\n"
      "stazione, 1010, 12, 400, 0,0,0, 1,1,0, 4,1,1, 0, 15,17,0, ALFA\n"
      "[segnali]\n"
      "segnale, 3000, 7, 4, 0,0,0, 0,0,0,0,0\n"
      "segnale, 4000, 2x, 4, 0,0,0, 0,0,0,0,0\n"
      "segnalle, 5000, 2, 4, 0,0,0, 0,0,0,0,0\n"
      "[fine]\n";
  json published = PublishedFor(editor.Open(kTrainPath, train), kTrainPath);
  ASSERT_TRUE(published.is_array()) << published;
  json told = json::array();
  for (const json& d : published) {
    if (d["severity"] == 4 || d["severity"] == 3) told.push_back(d);
  }
  EXPECT_EQ(told.dump(1), json::parse(R"json([
 {"code":"not-read","message":"not read: the reading stopped at line 4","range":{"end":{"character":6,"line":8},"start":{"character":0,"line":4}},"severity":4,"source":"scenario-builder","tags":[1]},
 {"code":"value-range","message":"sx 7 is outside 0 to 2 (in the part not read: checked without the model)","range":{"end":{"character":16,"line":5},"start":{"character":15,"line":5}},"severity":3,"source":"scenario-builder"},
 {"code":"not-a-number","message":"sx: expected a whole number, found '2x' (in the part not read: checked without the model)","range":{"end":{"character":17,"line":6},"start":{"character":15,"line":6}},"severity":3,"source":"scenario-builder"},
 {"code":"unknown-record","message":"'segnalle' is no record (in the part not read: checked without the model)\nhint: did you mean 'segnale'?","range":{"end":{"character":8,"line":7},"start":{"character":0,"line":7}},"severity":3,"source":"scenario-builder"}
])json")
                              .dump(1));
  // The line stops (two boards on one cell): its train is not read.
  Editor broken;
  const std::string line = std::string(kLine).replace(
      std::string(kLine).find("[fine]"), 6,
      "[cartelli]\ncartello_indicatore, 500, A\ncartello_indicatore, 500, B\n[fine]");
  ASSERT_TRUE(broken.disk().WriteFile(kLinePath, line).ok());
  published = PublishedFor(broken.Open(kTrainPath, kTrain), kTrainPath);
  ASSERT_TRUE(published.is_array() && !published.empty()) << published;
  EXPECT_EQ(published[0]["message"], "not read: the reading stopped at line 6 of Demo_linea.txt");
  EXPECT_EQ(published[0]["range"], json::parse(R"({"start":{"line":0,"character":0},
                                                   "end":{"line":6,"character":6}})"));
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
    {"watchers":[{"globPattern":"**/*_linea.txt"},{"globPattern":"**/*_*-.txt"},
    {"globPattern":"**/scenario.toml"}]}}]}}])json");
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
  ASSERT_EQ(misplaced.size(), 2u);  // the error, and the rest it left unread
  EXPECT_EQ(misplaced[0]["code"], 8);
  EXPECT_EQ(misplaced[1]["code"], "not-read");

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
    // The same, its notes pointing into the file under its new name.
    json moved = misplaced;
    for (json& d : moved) {
      if (!d.contains("relatedInformation")) continue;
      for (json& r : d["relatedInformation"]) r["location"]["uri"] = PathToUri(renamed);
    }
    EXPECT_EQ(shown[PathToUri(renamed)], moved);
  }
}

// With a project file beside the descriptions that names them, the train's
// running times are worked out after each compile and what they find is
// told with the compile's diagnostics; a project file changed or removed on
// disk is read again when the watcher tells of it.
TEST(LspFeatures, RunningTimeWarningsComeFromTheProjectFileBesideTheDescriptions) {
  Editor editor(json::object(), EditorProjectReader());
  const std::string project = "/s/scenario.toml";
  // BETA, 11 km on, two minutes after ALFA.
  const std::string train =
      "[generale]\n"
      "numero vetture, 6\n"
      "[vel_limite]\n"
      "velocita, 0, 160\n"
      "[stazioni]\n"
      "stazione, 1000, 12, 400, 0,0,0, 1,1,0, 4,1,1, 0, 15,17,0, ALFA\n"
      "stazione, 12000, 12, 400, 0,0,0, 1,1,0, 4,1,1, 0, 15,19,0, BETA\n"
      "[fine]\n";
  std::map<std::string, json> shown;
  const auto codes = [&] {
    std::vector<std::string> out;
    for (const json& d : shown[PathToUri(kTrainPath)]) {
      if (d["code"].is_string()) out.push_back(d["code"]);
    }
    return out;
  };
  const auto told = [&](const std::string& text, int type) {
    if (type == kDeleted) {
      ASSERT_TRUE(editor.disk().RemoveFile(project).ok());
    } else {
      ASSERT_TRUE(editor.disk().WriteFile(project, text).ok());
    }
    Shown(shown, editor.Notify("workspace/didChangeWatchedFiles",
                               {{"changes", {WatchedChange(project, type)}}}));
  };
  const std::vector<std::string> unkeepable = {"no-start-record", "unkeepable-time"};
  const std::vector<std::string> none = {"no-start-record"};

  Shown(shown, editor.Open(kTrainPath, train));
  EXPECT_EQ(codes(), none);  // no project file
  told("line = \"Demo\"\ntrain = \"1\"\n", kCreated);
  EXPECT_EQ(codes(), unkeepable);
  const json& warning = shown[PathToUri(kTrainPath)].back();
  EXPECT_EQ(warning["range"], Range(6, 50, 52));  // the hour of BETA
  EXPECT_EQ(warning["relatedInformation"][0]["location"]["range"], Range(5, 49, 51));
  told("line = \"Demo\"\ntrain = \"2\"\n", kChanged);  // another train
  EXPECT_EQ(codes(), none);
  told("line = \"Demo\"\ntrain = 1\n", kChanged);  // not valid: build tells it
  EXPECT_EQ(codes(), none);
  told("line = \"Demo\"\ntrain = \"1\"\n", kChanged);
  EXPECT_EQ(codes(), unkeepable);
  told("", kDeleted);
  EXPECT_EQ(codes(), none);
}

}  // namespace
}  // namespace sb::lsp
