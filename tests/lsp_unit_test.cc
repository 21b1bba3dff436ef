// The editor server's parts in process: framing, the conversion between the
// editor's text and positions and the descriptions', and the dispatch.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/disk.h"
#include "test_support.h"
#include "tools/lsp/features.h"
#include "tools/lsp/framing.h"
#include "tools/lsp/server.h"
#include "tools/lsp/text.h"

namespace sb::lsp {
namespace {

using nlohmann::json;

std::string Framed(const std::string& body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

struct FramingCase {
  const char* name;
  std::string input;
  std::vector<FrameStatus> statuses;  // up to and including the end
  std::vector<std::string> bodies;    // of the kFrame results, in order
};

TEST(LspFraming, ReadsFramesAndRecoversFromBadHeaders) {
  const std::vector<FramingCase> cases = {
      {"two frames",
       Framed("{}") + Framed("[1]"),
       {FrameStatus::kFrame, FrameStatus::kFrame, FrameStatus::kEnd},
       {"{}", "[1]"}},
      {"other headers, any case, bare LF",
       "Content-Type: application/vscode-jsonrpc; charset=utf-8\ncontent-length:  2 \n\n{}",
       {FrameStatus::kFrame, FrameStatus::kEnd},
       {"{}"}},
      {"no length, then a good frame",
       "Content-Type: x\r\n\r\n" + Framed("{}"),
       {FrameStatus::kBadHeader, FrameStatus::kFrame, FrameStatus::kEnd},
       {"{}"}},
      {"length not a number",
       "Content-Length: 1e3\r\n\r\n" + Framed("{}"),
       {FrameStatus::kBadHeader, FrameStatus::kFrame, FrameStatus::kEnd},
       {"{}"}},
      {"negative length",
       "Content-Length: -2\r\n\r\n" + Framed("{}"),
       {FrameStatus::kBadHeader, FrameStatus::kFrame, FrameStatus::kEnd},
       {"{}"}},
      {"a line that is no header",
       "garbage\r\nContent-Length: 2\r\n\r\n{}" + Framed("{}"),
       {FrameStatus::kBadHeader, FrameStatus::kFrame, FrameStatus::kEnd},
       {"{}"}},
      {"overlong header line",
       "X: " + std::string(kMaxHeaderLine, 'x') + "\r\nContent-Length: 2\r\n\r\n{}",
       {FrameStatus::kBadHeader, FrameStatus::kEnd},
       {}},
      {"truncated body", "Content-Length: 10\r\n\r\n{}", {FrameStatus::kEnd}, {}},
      {"truncated header", "Content-Length: 2\r\n", {FrameStatus::kEnd}, {}},
      // A length no body can have: the reader looks for the next header,
      // which follows the dropped body on the same line.
      {"length beyond any size",
       "Content-Length: 99999999999999999999999\r\n\r\n{}" + Framed("{}"),
       {FrameStatus::kTooLarge, FrameStatus::kFrame, FrameStatus::kEnd},
       {"{}"}},
      {"the largest length, then headers begun in a body",
       "Content-Length: 18446744073709551615\r\n\r\n{\"Content-Type\":\"cContent-Length\"}" +
           Framed("[1]") + Framed("[2]"),
       {FrameStatus::kTooLarge, FrameStatus::kFrame, FrameStatus::kFrame, FrameStatus::kEnd},
       {"[1]", "[2]"}},
      {"no header after a length beyond any size",
       "Content-Length: 18446744073709551615\r\n\r\n{\"Content-Length\" 5}",
       {FrameStatus::kTooLarge, FrameStatus::kEnd},
       {}},
      {"empty input", "", {FrameStatus::kEnd}, {}},
  };
  for (const FramingCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::istringstream in(c.input);
    FrameReader reader(in);
    std::vector<std::string> bodies;
    for (FrameStatus expected : c.statuses) {
      const Frame f = reader.Next();
      ASSERT_EQ(f.status, expected);
      if (f.status == FrameStatus::kFrame) bodies.push_back(f.body);
    }
    EXPECT_EQ(bodies, c.bodies);
  }
}

TEST(LspFraming, RefusesAnOversizedFrameAndSkipsItsBody) {
  const std::size_t size = kMaxFrameBytes + 1;
  std::string input = "Content-Length: " + std::to_string(size) + "\r\n\r\n";
  input.append(size, ' ');
  input += Framed("{\"after\":1}");
  std::istringstream in(std::move(input));
  FrameReader reader(in);
  const Frame refused = reader.Next();
  EXPECT_EQ(refused.status, FrameStatus::kTooLarge);
  EXPECT_TRUE(refused.body.empty());
  const Frame next = reader.Next();
  ASSERT_EQ(next.status, FrameStatus::kFrame);
  EXPECT_EQ(next.body, "{\"after\":1}");
}

TEST(LspText, PositionsInEitherEncoding) {
  // a, e acute (2 bytes), G clef (4 bytes, a surrogate pair), b
  const std::string line =
      "a\xC3\xA9\xF0\x9D\x84\x9E"
      "b";
  struct Case {
    int characters;
    int utf16;
    int utf8;
  };
  for (const Case& c :
       std::vector<Case>{{0, 0, 0}, {1, 1, 1}, {2, 2, 3}, {3, 4, 7}, {4, 5, 8}, {9, 5, 8}}) {
    SCOPED_TRACE(c.characters);
    EXPECT_EQ(ToLspCharacter(line, c.characters, PositionEncoding::kUtf16), c.utf16);
    EXPECT_EQ(ToLspCharacter(line, c.characters, PositionEncoding::kUtf8), c.utf8);
    const int back = c.characters > 4 ? 4 : c.characters;
    EXPECT_EQ(FromLspCharacter(line, c.utf16, PositionEncoding::kUtf16), back);
    EXPECT_EQ(FromLspCharacter(line, c.utf8, PositionEncoding::kUtf8), back);
  }
  // Inside a character: that character.
  EXPECT_EQ(FromLspCharacter(line, 3, PositionEncoding::kUtf16), 2);
  EXPECT_EQ(FromLspCharacter(line, 5, PositionEncoding::kUtf8), 2);
}

TEST(LspText, ConvertsToTheCodePageAndMarksWhatItCannotHold) {
  // e acute and the euro sign fit; a G clef and a snowman do not; 0xFF is no UTF-8.
  const EncodedText e =
      Utf8ToWindows1252("\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E\r\nx\xE2\x98\x83\r\xFF");
  EXPECT_EQ(e.bytes, "\xE9\x80?\r\nx?\r?");
  ASSERT_EQ(e.unencodable.size(), 3u);
  EXPECT_EQ(e.unencodable[0].line, 0);
  EXPECT_EQ(e.unencodable[0].character, 2);
  EXPECT_EQ(e.unencodable[0].codePoint, 0x1D11Eu);
  EXPECT_EQ(e.unencodable[1].line, 1);
  EXPECT_EQ(e.unencodable[1].character, 1);
  EXPECT_EQ(e.unencodable[1].codePoint, 0x2603u);
  EXPECT_EQ(e.unencodable[2].line, 2);
  EXPECT_EQ(e.unencodable[2].character, 0);
  EXPECT_EQ(SplitLines("a\r\nb\rc\n").size(), 4u);
}

// The lines an index gives are those the compiler reads: CR LF is one
// line end, a CR or an LF alone another.
TEST(LspText, ALineIndexGivesTheLinesAsSplit) {
  const std::vector<std::vector<std::string>> cases = {
      {""},
      {"a"},
      {"a", ""},               // a text ending in a line end
      {"a", "b", "c", ""},     // CR LF, CR, LF
      {"", "", ""},            // line ends only
      {"a", "", "b"},          // CR, then CR LF: an empty line between
      {"x,  1", "", "", "y"},  // LF, LF, CR
  };
  const std::vector<std::string> texts = {
      "", "a", "a\n", "a\r\nb\rc\n", "\r\n\r", "a\r\r\nb", "x,  1\n\n\ry",
  };
  for (std::size_t i = 0; i < texts.size(); ++i) {
    SCOPED_TRACE(i);
    const LineIndex index(texts[i]);
    std::vector<std::string> lines;
    for (int n = 0; n < index.size(); ++n) lines.emplace_back(index.Line(texts[i], n));
    EXPECT_EQ(lines, cases[i]);
    std::vector<std::string> split;
    for (std::string_view line : SplitLines(texts[i])) split.emplace_back(line);
    EXPECT_EQ(lines, split);
  }
}

TEST(LspText, FileUris) {
  EXPECT_EQ(PathToUri("/tmp/a b/Linea\xC3\xA8_linea.txt"),
            "file:///tmp/a%20b/Linea%C3%A8_linea.txt");
  EXPECT_EQ(UriToPath("file:///tmp/a%20b/Linea%C3%A8_linea.txt"),
            "/tmp/a b/Linea\xC3\xA8_linea.txt");
  EXPECT_EQ(UriToPath("file://localhost/x_linea.txt"), "/x_linea.txt");
  EXPECT_EQ(UriToPath("untitled:Untitled-1"), std::nullopt);
}

// Windows paths as VS Code writes their URIs, both ways: a drive letter
// (its colon encoded or not), a server's share, backslashes.
TEST(LspText, WindowsFileUris) {
  struct Case {
    const char* uri;
    const char* path;
    const char* uriBack;  // as the server writes the path's URI
  };
  const Case cases[] = {
      {"file:///c%3A/Users/a/Costa_42-.txt", "c:/Users/a/Costa_42-.txt",
       "file:///c%3A/Users/a/Costa_42-.txt"},
      {"file:///C:/Users/a%20b/Costa_linea.txt", "C:/Users/a b/Costa_linea.txt",
       "file:///c%3A/Users/a%20b/Costa_linea.txt"},
      {"file://server/share/Costa_linea.txt", "//server/share/Costa_linea.txt",
       "file://server/share/Costa_linea.txt"},
      {"file://localhost/c%3A/x/Costa_linea.txt", "c:/x/Costa_linea.txt",
       "file:///c%3A/x/Costa_linea.txt"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UriToPath(c.uri, UriStyle::kWindows), c.path) << c.uri;
    EXPECT_EQ(PathToUri(c.path, UriStyle::kWindows), c.uriBack) << c.uri;
  }
  EXPECT_EQ(PathToUri("C:\\Users\\a\\Costa_42-.txt", UriStyle::kWindows),
            "file:///c%3A/Users/a/Costa_42-.txt");
  // On POSIX a drive letter is just a folder's name.
  EXPECT_EQ(UriToPath("file:///c%3A/x.txt", UriStyle::kPosix), "/c:/x.txt");
}

json Request(int id, const std::string& method, json params) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", std::move(params)}};
}

json Note(const std::string& method, json params) {
  return {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
}

TEST(LspServer, AnswersEveryMalformedRequestWithItsError) {
  MemoryDisk disk;
  Server server(disk);
  server.Handle(Request(1, "initialize", json::object()));
  const json hover = {{"textDocument", {{"uri", "file:///nowhere/X_linea.txt"}}},
                      {"position", {{"line", "0"}, {"character", 0}}}};
  const json utf8 = {{"general", {{"positionEncodings", {"utf-8"}}}}};
  // The message too: clients show it, and it names what is wrong.
  struct Case {
    const char* name;
    json message;
    int code;
    std::string text;
  };
  const std::string notDescription = "not a description (<ID>_linea.txt or <ID>_<N>-.txt): ";
  const std::vector<Case> cases = {
      {"not an object", json::array({1, 2}), kInvalidRequest, "a message must be a JSON object"},
      {"no method", {{"jsonrpc", "2.0"}, {"id", 3}}, kInvalidRequest, "no method"},
      {"method not a string",
       {{"jsonrpc", "2.0"}, {"id", 3}, {"method", 5}},
       kInvalidRequest,
       "not a JSON-RPC 2.0 request"},
      {"id an object",
       {{"jsonrpc", "2.0"}, {"id", json::object()}, {"method", "shutdown"}},
       kInvalidRequest,
       "id must be a string or an integer"},
      {"not 2.0",
       {{"jsonrpc", "1.0"}, {"id", 3}, {"method", "shutdown"}},
       kInvalidRequest,
       "not a JSON-RPC 2.0 request"},
      {"unknown method", Request(3, "textDocument/rename", json::object()), kMethodNotFound,
       "no method textDocument/rename"},
      {"params a number", Request(3, "textDocument/hover", 7), kInvalidParams,
       "params must be an object"},
      {"params an array", Request(3, "textDocument/hover", json::array()), kInvalidParams,
       "params must be an object"},
      {"missing position",
       Request(3, "textDocument/hover",
               {{"textDocument", {{"uri", "file:///nowhere/X_linea.txt"}}}}),
       kInvalidParams, "missing 'position'"},
      {"a URI that is no URI", Request(3, "textDocument/hover", {{"textDocument", {{"uri", "x"}}}}),
       kInvalidParams, "only file: URIs are served: x"},
      {"line a string", Request(3, "textDocument/hover", hover), kInvalidParams,
       "'line' must be a whole number from 0"},
      {"a hint range without its end",
       Request(3, "textDocument/inlayHint",
               {{"textDocument", {{"uri", "file:///nowhere/X_linea.txt"}}},
                {"range", {{"start", {{"line", 0}}}}}}),
       kInvalidParams, "missing 'end'"},
      {"a file URI with no path",
       Request(3, "textDocument/documentSymbol", {{"textDocument", {{"uri", "file://host"}}}}),
       kInvalidParams, "only file: URIs are served: file://host"},
      {"a URI that decodes to a NUL",
       Request(3, "textDocument/documentSymbol",
               {{"textDocument", {{"uri", "file:///etc/passwd%00/Z_1-.txt"}}}}),
       kInvalidParams, "the URI names a path with a NUL: file:///etc/passwd%00/Z_1-.txt"},
      {"a URI that names no description",
       Request(3, "textDocument/documentSymbol",
               {{"textDocument", {{"uri", "file:///etc/passwd"}}}}),
       kInvalidParams, (notDescription + "file:///etc/passwd")},
      {"a train name without its line identifier",
       Request(3, "textDocument/documentSymbol",
               {{"textDocument", {{"uri", "file:///tmp/Z-.txt"}}}}),
       kInvalidParams, (notDescription + "file:///tmp/Z-.txt")},
      {"a train name without its number",
       Request(3, "textDocument/documentSymbol",
               {{"textDocument", {{"uri", "file:///tmp/Z_-.txt"}}}}),
       kInvalidParams, (notDescription + "file:///tmp/Z_-.txt")},
      {"a second initialize", Request(3, "initialize", {{"capabilities", utf8}}), kInvalidRequest,
       "the server is already initialized"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<json> out = server.Handle(c.message);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0]["error"]["code"], c.code);
    EXPECT_EQ(out[0]["error"]["message"], c.text);
  }
  // The refused initialize changed nothing of the first.
  EXPECT_EQ(server.encoding(), PositionEncoding::kUtf16);
  // Notifications are never answered, whatever they hold.
  EXPECT_TRUE(server.Handle(Note("textDocument/didOpen", {{"textDocument", 3}})).empty());
  EXPECT_TRUE(server.Handle(Note("$/cancelRequest", {{"id", 1}})).empty());
  // The server is still at work.
  EXPECT_EQ(server.Handle(Request(4, "shutdown", nullptr))[0]["result"], nullptr);
  EXPECT_EQ(server.Handle(Request(5, "shutdown", nullptr))[0]["error"]["code"], kInvalidRequest);
  server.Handle(Note("exit", nullptr));
  EXPECT_TRUE(server.exited());
  EXPECT_EQ(server.exitCode(), 0);
}

TEST(LspServer, RequestsBeforeInitializeAreRefusedAndExitWithoutShutdownIsOne) {
  MemoryDisk disk;
  Server server(disk);
  EXPECT_EQ(server.Handle(Request(1, "shutdown", nullptr))[0]["error"]["code"],
            kServerNotInitialized);
  server.Handle(Note("exit", nullptr));
  EXPECT_EQ(server.exitCode(), 1);
}

// A keyword field with characters outside ASCII before the field at fault:
// positions are counted in the encoding the client chose.
TEST(LspServer, DiagnosticRangesFollowTheNegotiatedEncoding) {
  sb::testing::TempDir dir;
  sb::testing::WriteFile(dir.file("E_linea.txt"),
                         "[generale]\nlunghezza percorso, 20000\n[fine]\n");
  // A snowman (3 bytes, 1 UTF-16 unit) and e acute (2 bytes, 1 unit).
  const std::string train =
      "[generale]\n\xE2\x98\x83\xC3\xA9 stazione, 1010, 12, 400, "
      "0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, A\n[fine]\n";
  for (const bool utf8 : {false, true}) {
    SCOPED_TRACE(utf8);
    RealDisk disk;
    Server server(disk);
    json caps = json::object();
    if (utf8) caps = {{"general", {{"positionEncodings", {"utf-16", "utf-8"}}}}};
    const json init = server.Handle(Request(1, "initialize", {{"capabilities", caps}}))[0];
    EXPECT_EQ(init["result"]["capabilities"]["positionEncoding"], utf8 ? "utf-8" : "utf-16");
    const std::string uri = PathToUri(dir.file("E_1-.txt"));
    const std::vector<json> out =
        server.Handle(Note("textDocument/didOpen",
                           {{"textDocument", {{"uri", uri}, {"version", 1}, {"text", train}}}}));
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0]["params"]["diagnostics"], json::array());  // the line
    EXPECT_EQ(out[1]["params"]["uri"], uri);
    const json& diagnostics = out[1]["params"]["diagnostics"];
    ASSERT_EQ(diagnostics.size(), 3u) << diagnostics.dump();  // the last: the rest not read
    const json& position = diagnostics[0];
    EXPECT_EQ(position["code"], 8);
    EXPECT_EQ(position["severity"], 1);
    EXPECT_EQ(position["source"], "scenario-builder");
    EXPECT_EQ(position["range"],
              json::parse(
                  utf8 ? R"({"start":{"line":1,"character":16},"end":{"line":1,"character":20}})"
                       : R"({"start":{"line":1,"character":13},"end":{"line":1,"character":17}})"));
    const json& snowman = diagnostics[1];
    EXPECT_EQ(snowman["code"], "unencodable-character");
    EXPECT_EQ(snowman["severity"], 2);
    EXPECT_EQ(
        snowman["range"],
        json::parse(utf8 ? R"({"start":{"line":1,"character":0},"end":{"line":1,"character":3}})"
                         : R"({"start":{"line":1,"character":0},"end":{"line":1,"character":1}})"));
  }
}

// Fields are split as the compiler reads them: a quoted text runs to its
// closing quote, commas and all, and a number ends at the blanks after it.
// The line's `|` marks the place hovered; it is not part of the text.
TEST(LspFeatures, HoverSplitsFieldsAsTheCompilerReadsThem) {
  const std::string lineHeader = "[generale]\nlunghezza percorso, 20000\n[indicazioni]\n";
  const std::string boardText =
      "**Text board** (`cartello_indicatore`): a board showing a text\n\nvalue 2 of 2: "
      "**text**, at most 65535 bytes, Windows-1252: the board's text, up to the next comma "
      "unless it is in double quotes";
  const std::string pastValues =
      "**Text board** (`cartello_indicatore`): a board showing a text\n\nthis field is past "
      "the record's values: it is read as the next keyword";
  struct Case {
    const char* name;
    bool lineDescription;
    std::string before;  // the lines above the one hovered
    std::string line;    // holds '|' where the hover points
    std::string text;    // the hover's whole text
    int begin, end;      // the range it names on the line
  };
  const std::vector<Case> cases = {
      {"inside a quoted text", true, lineHeader, "cartello_indicatore, 2000, \"Km 1, k|m 2\"",
       boardText, 27, 39},
      {"after a quoted text", true, lineHeader, "cartello_indicatore, 2000, \"A, B\", |7",
       pastValues, 35, 36},
      {"numbers apart by blanks", false, "[generale]\n", "orologio,    15      1|6      30",
       "**Clock** (`orologio`): copied to item slot 86 num3, num4, num5\n\nvalue 2 of 3: "
       "**minutes** (min), -32768 to 32767",
       21, 23},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::size_t marker = c.line.find('|');
    std::string line = c.line;
    line.erase(marker, 1);
    auto text = std::make_shared<SourceText>();
    text->bytes = c.before + line + "\n";
    text->utf8 = text->bytes;
    FileResult file;
    file.text = text;
    const int row = static_cast<int>(std::count(c.before.begin(), c.before.end(), '\n'));
    const json hover =
        Hover(file, c.lineDescription, {row, static_cast<int>(marker)}, PositionEncoding::kUtf16);
    EXPECT_EQ(hover["contents"]["value"], c.text);
    EXPECT_EQ(hover["range"], json({{"start", {{"line", row}, {"character", c.begin}}},
                                    {"end", {{"line", row}, {"character", c.end}}}}));
  }
}

}  // namespace
}  // namespace sb::lsp
