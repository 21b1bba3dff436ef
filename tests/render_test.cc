// The picture of a compiled scenario: a well-formed SVG holding the plan,
// the strips and every feature of the scenario, with labels kept apart.
#include "tools/render.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <iostream>
#include <pugixml.hpp>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/compiled_files.h"
#include "base/disk.h"
#include "content/content.h"
#include "format/cell_codec.h"
#include "format/item_codec.h"
#include "format/profile_codec.h"
#include "model/file_names.h"
#include "test_support.h"
#include "tools/render_loader.h"

namespace sb {
namespace {

using testing::ReadFile;
using testing::TempDir;

// What an XML parser lets pass but a document may not hold, in a text or
// attribute value as written: a '<', an '&' that starts no known entity, a
// control character. Returns "" or what is wrong.
std::string BadCharacters(const char* text) {
  static const std::regex kEntity("^&(amp|lt|gt|quot|apos|#[0-9]+|#x[0-9a-fA-F]+);");
  for (const char* p = text; *p != '\0'; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    if (c == '<') return "'<' in \"" + std::string(text) + "\"";
    if (c == '&' && !std::regex_search(p, kEntity))
      return "bare '&' in \"" + std::string(text) + "\"";
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return "control character in a text";
  }
  return "";
}

// Parses `svg` with an XML parser and checks what the parser leaves to the
// caller: one root element, <svg>, and no text outside it; the declaration,
// if any, at the very start; only known entities and no '<' or control
// character in any text or attribute value. Returns "" or what is wrong.
std::string WellFormed(const std::string& svg) {
  pugi::xml_document doc;
  // Entities kept as written, so they can be checked; text outside the
  // root kept, so it can be seen.
  const unsigned flags =
      (pugi::parse_default & ~pugi::parse_escapes) | pugi::parse_declaration | pugi::parse_fragment;
  const pugi::xml_parse_result parsed =
      doc.load_buffer(svg.data(), svg.size(), flags, pugi::encoding_utf8);
  if (!parsed) return std::string(parsed.description()) + " at " + std::to_string(parsed.offset);
  int roots = 0;
  for (const pugi::xml_node& n : doc.children()) {
    if (n.type() == pugi::node_element) {
      ++roots;
      if (std::string(n.name()) != "svg") return std::string("root element <") + n.name() + ">";
    } else if (n.type() == pugi::node_declaration) {
      if (svg.rfind("<?xml", 0) != 0) return "declaration not at the start";
    } else if (n.type() != pugi::node_comment) {
      return "text outside the root";
    }
  }
  if (roots != 1) return std::to_string(roots) + " root elements";
  struct Walker : pugi::xml_tree_walker {
    std::string problem;
    bool for_each(pugi::xml_node& n) override {
      if (n.type() == pugi::node_pcdata) problem = BadCharacters(n.value());
      for (const pugi::xml_attribute& a : n.attributes()) {
        if (problem.empty()) problem = BadCharacters(a.value());
      }
      return problem.empty();
    }
  } walker;
  doc.traverse(walker);
  return walker.problem;
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

struct Label {
  double x = 0, y = 0;
  bool endAnchored = false;
  std::string text;
};

// The <text> elements of a class, with their place and their text
// (apostrophes and ampersands unescaped).
std::vector<Label> Labels(const std::string& svg, const std::string& cls) {
  std::vector<Label> out;
  const std::regex re(
      "<text class=\"" + cls +
      "\" x=\"([-0-9.]+)\" y=\"([-0-9.]+)\"( text-anchor=\"(start|end)\")?>([^<]*)</text>");
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), re); it != std::sregex_iterator();
       ++it) {
    Label l;
    l.x = std::stod((*it)[1]);
    l.y = std::stod((*it)[2]);
    l.endAnchored = (*it)[4] == "end";
    l.text = (*it)[5];
    for (const auto& [entity, c] :
         {std::pair<std::string, std::string>{"&apos;", "'"}, {"&amp;", "&"}}) {
      for (std::size_t at = l.text.find(entity); at != std::string::npos;
           at = l.text.find(entity)) {
        l.text.replace(at, entity.size(), c);
      }
    }
    out.push_back(l);
  }
  return out;
}

// No two labels overlap, each taken at the narrowest a sans-serif font
// would draw it (half the size per character) and its font size high.
void ExpectApart(const std::vector<Label>& labels, double size) {
  auto box = [&](const Label& l) {
    const double w = 0.5 * size * static_cast<double>(l.text.size());
    const double x0 = l.endAnchored ? l.x - w : l.x;
    return std::array<double, 4>{x0, l.y - size * 0.75, x0 + w, l.y + size * 0.2};
  };
  for (std::size_t a = 0; a < labels.size(); ++a) {
    for (std::size_t b = a + 1; b < labels.size(); ++b) {
      const auto p = box(labels[a]), q = box(labels[b]);
      const bool overlap = p[0] < q[2] && q[0] < p[2] && p[1] < q[3] && q[1] < p[3];
      EXPECT_FALSE(overlap) << labels[a].text << " and " << labels[b].text;
    }
  }
}

constexpr const char* kLine = "Lungomare_Nord";
constexpr const char* kTrain = "911";

// The scenario compiled once into a directory shared by the tests.
class RenderTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    TextDescriptions source(kLine, kTrain);
    source.line = std::string(content::RawBytes(content::Document::kLine));
    source.train = std::string(content::RawBytes(content::Document::kTrain));
    Scenario s;
    s.lineId = kLine;
    s.trainNumber = kTrain;
    CompileResult r = memorizza_percorso(s, true, source);
    ASSERT_EQ(r.end, CompileEnd::kCompiled);
    ASSERT_EQ(s.errorCode, 0);
    RealDisk disk;
    ASSERT_TRUE(WriteCompiledFiles(s, true, disk, dir_->path()).status.ok());
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static std::string Path(const std::string& name) { return dir_->file(name); }

  static TempDir* dir_;
};

TempDir* RenderTest::dir_ = nullptr;

TEST_F(RenderTest, ScenarioPictureHoldsEveryFeature) {
  TempDir out;
  std::ostringstream err;
  ASSERT_EQ(Render(dir_->path(), kLine, kTrain, out.file("s.svg"), std::cout, err), 0) << err.str();
  EXPECT_EQ(err.str(), "");
  const std::string svg = ReadFile(out.file("s.svg"));
  EXPECT_LT(svg.size(), 2u * 1024 * 1024);
  EXPECT_EQ(WellFormed(svg), "");

  for (const char* id : {"plan", "plan-line", "plan-stations", "scale-bar", "north", "legend",
                         "strip-gradient", "strip-speed", "strip-slowdowns", "strip-signals",
                         "strip-stations", "strip-mountains", "strip-boards", "km-axis"}) {
    EXPECT_EQ(Count(svg, std::string("id=\"") + id + "\""), 1) << id;
  }
  EXPECT_EQ(Count(svg, "class=\"signal\""), 121);
  EXPECT_EQ(Count(svg, "class=\"slowdown\""), 4);
  EXPECT_EQ(Count(svg, "class=\"slowdown-warning\""), 4);
  EXPECT_EQ(Count(svg, "class=\"station\""), 35);
  EXPECT_EQ(Count(svg, "class=\"stopping-zone\""), 35);
  EXPECT_EQ(Count(svg, "class=\"plan-station\""), 35);
  EXPECT_EQ(Count(svg, "class=\"speed-board\""), 36);
  EXPECT_EQ(Count(svg, "class=\"text-board\""), 2);
  EXPECT_EQ(Count(svg, "class=\"mountain\""), 2);
  EXPECT_EQ(Count(svg, "class=\"speed-point\""), 20);

  // Every station is named in the strip, the first and last on the plan.
  const std::vector<Label> strip = Labels(svg, "station-label");
  std::vector<std::string> names;
  for (const Label& l : strip) names.push_back(l.text);
  EXPECT_EQ(names.size(), 35u);
  for (const char* name : {"RIMINI", "ANCONA", "CIVITANOVA MARCHE-MONTEGRANARO", "PORTO D'ASCOLI",
                           "PESCARA CENTRALE"}) {
    EXPECT_EQ(std::count(names.begin(), names.end(), name), 1) << name;
  }
  const std::vector<Label> plan = Labels(svg, "plan-station-label");
  EXPECT_GE(plan.size(), 30u);
  EXPECT_EQ(Count(svg, ">RIMINI</text>"), 2);
  EXPECT_EQ(Count(svg, ">PESCARA CENTRALE</text>"), 2);
  EXPECT_EQ(Count(svg, ">(Km 208+500)</text>"), 1);

  ExpectApart(strip, 11);
  ExpectApart(plan, 11);
}

TEST_F(RenderTest, ScenarioIsFoundWhenNotNamed) {
  TempDir out;
  std::ostringstream err;
  ASSERT_EQ(Render(dir_->path(), "", "", out.file("a.svg"), std::cout, err), 0) << err.str();
  ASSERT_EQ(Render(dir_->path(), kLine, "", out.file("b.svg"), std::cout, err), 0) << err.str();
  EXPECT_EQ(ReadFile(out.file("a.svg")), ReadFile(out.file("b.svg")));
  const auto found = FindCompiledScenarios(dir_->path());
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0], std::make_pair(std::string(kLine), std::string(kTrain)));

  TempDir empty;
  std::ostringstream none;
  EXPECT_EQ(Render(empty.path(), "", "", out.file("c.svg"), std::cout, none), 64);
  EXPECT_NE(none.str().find("no compiled scenario"), std::string::npos) << none.str();
  std::ostringstream other;
  EXPECT_EQ(Render(dir_->path(), "Other", "", out.file("c.svg"), std::cout, other), 64);
}

// Copies of the scenario's files with one of them changed.
TEST_F(RenderTest, MissingOrBrokenFiles) {
  const std::string cells = ReadFile(Path(CellFileName(kLine, kTrain)));
  const std::string items = ReadFile(Path(ItemFileName(kLine, kTrain)));
  const std::string profile = ReadFile(Path(ProfileFileName(kLine)));
  struct Case {
    const char* what;
    std::string cells, items, profile;  // "-" = no such file
    int status;
    const char* message;
  };
  const Case cases[] = {
      {"no profile", cells, items, "-", 0, ""},
      {"no cell file", "-", items, profile, 74, "cannot read"},
      {"no item file", cells, "-", profile, 74, "cannot read"},
      {"cell file cut short", cells.substr(1), items, profile, 65,
       "not a whole number of 15-byte cells"},
      {"item file with a byte more", cells, items + "x", profile, 65, "after the 87th record"},
      {"profile cut short", cells, items, profile.substr(0, profile.size() - 3), 65, "ends inside"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    auto put = [&](const std::string& name, const std::string& bytes) {
      if (bytes != "-") testing::WriteFile(dir.file(name), bytes);
    };
    put(CellFileName(kLine, kTrain), c.cells);
    put(ItemFileName(kLine, kTrain), c.items);
    put(ProfileFileName(kLine), c.profile);
    std::ostringstream err;
    EXPECT_EQ(Render(dir.path(), kLine, kTrain, dir.file("p.svg"), std::cout, err), c.status);
    EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
    if (c.status == 0) {
      const std::string svg = ReadFile(dir.file("p.svg"));
      EXPECT_EQ(WellFormed(svg), "");
      EXPECT_NE(svg.find("No plan"), std::string::npos);
      EXPECT_EQ(Count(svg, "class=\"signal\""), 121);
    } else {
      EXPECT_FALSE(testing::Exists(dir.file("p.svg")));
    }
  }
}

// Texts from the files are escaped, and a model without any feature still
// gives a whole picture.
TEST(RenderSvgTest, EscapesTextsAndDrawsAnEmptyModel) {
  RenderInput in;
  in.lineId = "A&B";
  in.trainNumber = "<1>";
  in.cells.resize(141);
  in.items[1].kind = 12;
  in.items[1].position = 2000;
  in.items[1].start = 1800;
  in.items[1].end = 2200;
  in.items[1].text = "Q&A \"<x>\" \x01";
  in.items[80].text = "<b>";
  in.cells[40].kind = kKindTextBoard;
  in.cells[40].value1 = 80;
  in.cells[50].kind = kKindTextBoard;
  in.cells[50].value1 = -7;  // no such slot
  ProfileTable profile(7000);
  in.profile = &profile;  // nothing computed
  const std::string svg = RenderSvg(in);
  EXPECT_EQ(WellFormed(svg), "");
  EXPECT_NE(svg.find("Q&amp;A &quot;&lt;x&gt;&quot;"), std::string::npos);
  EXPECT_NE(svg.find("&lt;b&gt;"), std::string::npos);
  EXPECT_NE(svg.find("A&amp;B"), std::string::npos);

  RenderInput bare;
  bare.cells.resize(141);
  EXPECT_EQ(WellFormed(RenderSvg(bare)), "");
}

}  // namespace
}  // namespace sb
