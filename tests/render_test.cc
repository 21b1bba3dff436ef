// The picture of a compiled scenario: a well-formed SVG holding the plan,
// the strips and every feature of the scenario, with labels kept apart.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <pugixml.hpp>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/command_status.h"
#include "app/compiled_files.h"
#include "app/render_command.h"
#include "app/scenario_loader.h"
#include "app/watch_command.h"
#include "app_test_support.h"
#include "base/disk.h"
#include "base/exit_status.h"
#include "base/file_io.h"
#include "base/user_file.h"
#include "content/content.h"
#include "content/templates.h"
#include "format/cell_codec.h"
#include "format/item_codec.h"
#include "format/profile_codec.h"
#include "model/file_names.h"
#include "model/km_post.h"
#include "test_support.h"
#include "tools/render/html_page.h"
#include "tools/render/label_layout.h"
#include "tools/render/picture.h"
#include "tools/render/watch_page.h"

namespace sb {
namespace {

namespace fs = std::filesystem;

// The commands as the program runs them: failures printed on `err`, the
// exit status returned.
int RenderCommand(const std::string& dir, const std::string& lineId, const std::string& trainNumber,
                  const std::string& outPath, std::ostream& out, std::ostream& err,
                  RenderFormat format = RenderFormat::kSvg) {
  RealDisk disk;
  return FinishCommand(Render(disk, dir, lineId, trainNumber, outPath, out, format), err);
}
int WatchCommand(const WatchRequest& request, std::ostream& err,
                 const std::function<bool()>& stop) {
  return FinishCommand(RenderWatch(request, err, stop), err);
}
using testing::Quote;
using testing::ReadFile;
using testing::RunTool;
using testing::TempDir;
using testing::ToolRun;

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

// The JSON the page holds in <script id="`id`">, parsed; the test fails
// when it is missing or does not parse.
nlohmann::json EmbeddedJson(const std::string& page, const std::string& id) {
  const std::string open = "<script type=\"application/json\" id=\"" + id + "\">";
  const std::size_t from = page.find(open);
  EXPECT_NE(from, std::string::npos) << id;
  if (from == std::string::npos) return nullptr;
  const std::size_t start = from + open.size();
  const std::size_t end = page.find("</script>", start);
  return nlohmann::json::parse(page.substr(start, end - start));
}

// What would make a page reach outside itself: a URL, or an element that
// loads a file.
void ExpectSelfContained(const std::string& page) {
  for (const char* outside : {"http://", "https://", "src=", "<link", "@import", "url("}) {
    EXPECT_EQ(page.find(outside), std::string::npos) << outside;
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
  ASSERT_EQ(RenderCommand(dir_->path(), kLine, kTrain, out.file("s.svg"), std::cout, err), 0)
      << err.str();
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
  // Every speed point of the built-in train is one route completion adds.
  EXPECT_EQ(Count(svg, "class=\"route-speed-point\""), 20);
  EXPECT_EQ(Count(svg, "class=\"speed-point\""), 0);
  EXPECT_EQ(Count(svg, "class=\"km-jump\""), 0);

  // The legend names the marks of the line's ends; the axes their units,
  // the speed axis up to the highest speed drawn (the points' 180 km/h).
  const auto group = [&](const std::string& id) {
    const std::size_t from = svg.find("<g id=\"" + id + "\"");
    return from == std::string::npos ? "" : svg.substr(from, svg.find("</g>", from) - from);
  };
  for (const auto& [id, text] :
       std::vector<std::pair<std::string, std::string>>{{"legend", ">start of the line</text>"},
                                                        {"legend", ">end of the line</text>"},
                                                        {"strip-gradient", ">+20 \u2030</text>"},
                                                        {"strip-gradient", ">-20 \u2030</text>"},
                                                        {"strip-speed", ">200</text>"}}) {
    EXPECT_EQ(Count(group(id), text), 1) << id << ": " << text;
  }

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
  // The first and the last station stand at the ends of the axis: their
  // names slide inside the plot rather than past its edges.
  for (const Label& l : strip) {
    EXPECT_GE(l.x, render::kAxisLeft) << l.text;
    EXPECT_LE(l.x + render::TextWidth(l.text, render::kLabelSize), render::kAxisRight + 0.05)
        << l.text;
  }
}

TEST_F(RenderTest, ScenarioIsFoundWhenNotNamed) {
  TempDir out;
  std::ostringstream err;
  ASSERT_EQ(RenderCommand(dir_->path(), "", "", out.file("a.svg"), std::cout, err), 0) << err.str();
  ASSERT_EQ(RenderCommand(dir_->path(), kLine, "", out.file("b.svg"), std::cout, err), 0)
      << err.str();
  EXPECT_EQ(ReadFile(out.file("a.svg")), ReadFile(out.file("b.svg")));
  const auto found = FindCompiledScenarios(dir_->path());
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0], std::make_pair(std::string(kLine), std::string(kTrain)));

  TempDir empty;
  std::ostringstream none;
  EXPECT_EQ(RenderCommand(empty.path(), "", "", out.file("c.svg"), std::cout, none), 64);
  EXPECT_NE(none.str().find("no compiled scenario"), std::string::npos) << none.str();
  std::ostringstream other;
  EXPECT_EQ(RenderCommand(dir_->path(), "Other", "", out.file("c.svg"), std::cout, other), 64);
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
    EXPECT_EQ(RenderCommand(dir.path(), kLine, kTrain, dir.file("p.svg"), std::cout, err),
              c.status);
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

// Runs `write` while this thread reads the FIFO at `path`, and returns what
// came through. The reader is there before the writer, so the writer's open
// does not wait; should `write` put something else in the FIFO's place, it
// finishes and nothing comes through.
std::string DrainWhile(const std::string& path, const std::function<int()>& write, int* status) {
  // A reader gone early must fail the write, not end the test program.
  struct IgnorePipeSignal {
    void (*old)(int) = std::signal(SIGPIPE, SIG_IGN);
    ~IgnorePipeSignal() { std::signal(SIGPIPE, old); }
  } ignore;
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
  EXPECT_GE(fd, 0) << std::strerror(errno);
  std::future<int> done = std::async(std::launch::async, write);
  std::string got;
  char buffer[1 << 16];
  bool finished = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < deadline) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
      got.append(buffer, static_cast<std::size_t>(n));
      continue;
    }
    // Once the writer has finished, one more empty read means all is read.
    if (finished) break;
    finished = done.wait_for(std::chrono::milliseconds(1)) == std::future_status::ready;
  }
  close(fd);
  *status = done.get();
  return got;
}

// Copies of the scenario's compiled files in a folder of their own.
struct ScenarioCopy {
  TempDir dir;
  explicit ScenarioCopy(const std::string& from) {
    for (const std::string& name :
         {CellFileName(kLine, kTrain), ItemFileName(kLine, kTrain), ProfileFileName(kLine)}) {
      fs::copy_file(JoinPath(from, name), dir.file(name));
    }
  }
};

// An output the user names is written as what it is: a FIFO through the
// pipe, "-" on standard output, a link where it leads. Each gets the same
// picture as a plain file, and stays what it was.
TEST_F(RenderTest, AnOutputTheUserNamesIsWrittenAsWhatItIs) {
  TempDir out;
  std::ostringstream err;
  ASSERT_EQ(RenderCommand(dir_->path(), kLine, kTrain, out.file("plain.svg"), std::cout, err), 0)
      << err.str();
  const std::string svg = ReadFile(out.file("plain.svg"));

  const std::string fifo = out.file("pipe.svg");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  int status = -1;
  const std::string piped = DrainWhile(
      fifo, [&] { return RenderCommand(dir_->path(), kLine, kTrain, fifo, std::cout, err); },
      &status);
  EXPECT_EQ(status, 0) << err.str();
  EXPECT_TRUE(piped == svg) << piped.size() << " bytes came through the FIFO";
  EXPECT_TRUE(fs::is_fifo(fifo));

  std::ostringstream stdoutText;
  EXPECT_EQ(RenderCommand(dir_->path(), kLine, kTrain, "-", stdoutText, err), 0) << err.str();
  EXPECT_TRUE(stdoutText.str() == svg);
  ToolRun r = RunTool("render " + Quote(dir_->path()) + " -o -");
  EXPECT_EQ(r.exit, 0) << r.err;
  EXPECT_TRUE(r.out == svg) << r.out.size() << " bytes on stdout";
  EXPECT_FALSE(fs::exists("-"));

  const std::string target = out.file("target.svg");
  const std::string link = out.file("link.svg");
  testing::WriteFile(target, "old");
  fs::create_symlink(target, link);
  EXPECT_EQ(RenderCommand(dir_->path(), kLine, kTrain, link, std::cout, err), 0) << err.str();
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_TRUE(ReadFile(target) == svg);

  // Standard output redirected to a file, named through the system's link.
  if (fs::is_symlink("/dev/stdout")) {
    ToolRun viaLink = RunTool("render " + Quote(dir_->path()) + " -o /dev/stdout");
    EXPECT_EQ(viaLink.exit, 0) << viaLink.err;
    EXPECT_TRUE(viaLink.out == svg) << viaLink.out.size() << " bytes on stdout";
    EXPECT_TRUE(fs::is_symlink("/dev/stdout"));
  }
}

// An output that is one of the compiled files read, by its name or through
// a link, is refused before anything is written.
TEST_F(RenderTest, AnOutputThatIsOneOfItsInputsIsRefused) {
  struct Case {
    const char* what;
    std::string file;  // the compiled file the output leads to
    std::function<std::string(const TempDir&, const std::string&)> output;
  };
  const Case cases[] = {
      {"the cell grid by its name", CellFileName(kLine, kTrain),
       [](const TempDir&, const std::string& file) { return file; }},
      {"the item file through a link", ItemFileName(kLine, kTrain),
       [](const TempDir& d, const std::string& file) {
         fs::create_symlink(file, d.file("link.svg"));
         return d.file("link.svg");
       }},
      {"the profile through a hard link", ProfileFileName(kLine),
       [](const TempDir& d, const std::string& file) {
         fs::create_hard_link(file, d.file("hard.svg"));
         return d.file("hard.svg");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScenarioCopy copy(dir_->path());
    const std::string output = c.output(copy.dir, copy.dir.file(c.file));
    const auto before = testing::Files(copy.dir.path());
    std::ostringstream err;
    EXPECT_EQ(RenderCommand(copy.dir.path(), kLine, kTrain, output, std::cout, err), 64);
    EXPECT_NE(err.str().find("is the compiled file '" + copy.dir.file(c.file) + "'"),
              std::string::npos)
        << err.str();
    const auto after = testing::Files(copy.dir.path());
    EXPECT_EQ(after.size(), before.size());
    for (const auto& [name, bytes] : before) {
      EXPECT_TRUE(after.count(name) && after.at(name) == bytes) << name << " changed";
    }
  }
}

// A device is written in place: one that refuses the bytes is a write
// error, and the device stays a device.
TEST_F(RenderTest, AFullDeviceIsAWriteErrorAndStaysADevice) {
  if (geteuid() != 0 || !fs::is_character_file("/dev/full")) {
    GTEST_SKIP() << "needs /dev/full and the superuser, who could replace it";
  }
  ToolRun r = RunTool("render " + Quote(dir_->path()) + " -o /dev/full");
  EXPECT_EQ(r.exit, 74);
  EXPECT_NE(r.err.find("cannot write '/dev/full': " + std::string(std::strerror(ENOSPC))),
            std::string::npos)
      << r.err;
  EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

// Texts from the files are escaped, and a model without any feature still
// gives a whole picture.
TEST_F(RenderTest, PageIsSelfContainedAndHoldsTheScenario) {
  TempDir out;
  std::ostringstream err;
  ASSERT_EQ(RenderCommand(dir_->path(), "", "", "", std::cout, err, RenderFormat::kHtml), 0)
      << err.str();
  // Without -o the page goes beside the compiled files.
  const std::string page = ReadFile(Path(std::string(kLine) + "_" + kTrain + ".html"));
  fs::remove(Path(std::string(kLine) + "_" + kTrain + ".html"));
  EXPECT_LT(page.size(), 2u * 1024 * 1024);
  ExpectSelfContained(page);
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);

  const nlohmann::json data = EmbeddedJson(page, "sb-data");
  EXPECT_EQ(data["line"], kLine);
  EXPECT_EQ(data["train"], kTrain);
  EXPECT_EQ(data["stations"].size(), 35u);
  EXPECT_EQ(data["signals"], 121);
  EXPECT_EQ(data["slowdowns"].size(), 4u);
  EXPECT_TRUE(EmbeddedJson(page, "sb-watch").is_null());

  // The cells as the compiled file holds them, decoded once for the script.
  RenderInput in;
  std::optional<ProfileTable> profile;
  RealDisk disk;
  ASSERT_TRUE(LoadScenario(disk, dir_->path(), kLine, kTrain, &in, &profile).ok());
  const nlohmann::json& cells = data["cells"];
  for (const char* column : {"kind", "v1", "v2", "v3", "v4", "time", "approach", "terrain", "speed",
                             "gradient", "adhesion", "km"}) {
    EXPECT_EQ(cells[column].size(), in.cells.size()) << column;
  }
  int checked = 0;
  for (std::size_t i = 0; i < in.cells.size(); i += 97) {
    const TrackCell& c = in.cells[i];
    EXPECT_EQ(cells["kind"][i], c.kind) << i;
    EXPECT_EQ(cells["speed"][i], c.speedLimit * 5) << i;
    EXPECT_EQ(cells["gradient"][i], c.gradient - 100) << i;
    EXPECT_EQ(cells["adhesion"][i], c.adhesion) << i;
    EXPECT_EQ(cells["km"][i], KilometricValue(in.items, static_cast<int64_t>(i) * 50)) << i;
    ++checked;
  }
  EXPECT_GT(checked, 40);
  // The plan follows the profile: its first point is the seed at 0, 0.
  ASSERT_TRUE(data["plan"].is_object());
  EXPECT_EQ(data["plan"]["x"][0], 0);
  EXPECT_EQ(data["plan"]["x"].size(), data["plan"]["y"].size());
}

TEST(RenderHtmlTest, TextsCannotEndTheScriptThatHoldsThem) {
  RenderInput in;
  in.lineId = "A</script><script>alert(1)</script>";
  in.trainNumber = "1";
  in.cells.resize(141);
  in.items[1].kind = 12;
  in.items[1].position = 2000;
  in.items[1].text = "</SCRIPT> \x93quoted\x94";  // Windows-1252 quotes
  const std::string page = render::RenderHtml(in);
  EXPECT_EQ(Count(page, "</script>"), 3);  // the two data blocks and the script
  const nlohmann::json data = EmbeddedJson(page, "sb-data");
  EXPECT_EQ(data["line"], in.lineId);
  EXPECT_EQ(data["stations"][0]["name"], "</SCRIPT> \u201cquoted\u201d");
  EXPECT_TRUE(data["plan"].is_null());
  EXPECT_NE(page.find("<title>A&lt;/script&gt;"), std::string::npos);
}

// Whatever an author writes, the page's data stays one element that parses
// back to the same texts: no '<' reaches the HTML parser, which would read
// "<!--<script>" as the start of a section that hides the end tag.
TEST(RenderHtmlTest, HostileTextsStayInsideTheirData) {
  const std::string hostile[] = {
      "<!--<script>",           "<!--<script></script>",    "</script><script>alert(1)</script>",
      "<!-- -->--> <\\/x> ]]>", "a&amp;b <b>\"q\"</b> 'x'", "\xe2\x80\xa8line\xe2\x80\xa9para"};
  for (const std::string& text : hostile) {
    // Station names and board texts are Windows-1252: the line separators
    // only reach the page through the identifiers.
    const bool fits1252 = text.find('\xe2') == std::string::npos;
    RenderInput in;
    in.lineId = text;
    in.trainNumber = text;
    in.cells.resize(141);
    in.items[1].kind = 12;
    in.items[1].position = 2000;
    in.items[1].text = fits1252 ? text : "S";
    in.items[2].text = fits1252 ? text : "B";
    in.cells[60].kind = kKindTextBoard;
    in.cells[60].value1 = 2;
    for (const std::string& page :
         {render::RenderHtml(in), render::DiagnosticsHtml(text, {text}, {1, "p.gen.js"})}) {
      const std::size_t data = page.find("id=\"sb-data\">");
      const std::size_t code = page.find("<script>\n");
      ASSERT_NE(data, std::string::npos);
      ASSERT_NE(code, std::string::npos);
      // Between the data and the page's own script only the two blocks'
      // own tags hold a '<'.
      const std::string blocks = page.substr(data, code - data);
      EXPECT_EQ(Count(blocks, "<"), 3) << text;
      EXPECT_EQ(blocks.find("\xe2\x80\xa8"), std::string::npos) << text;
      EXPECT_EQ(blocks.find("\xe2\x80\xa9"), std::string::npos) << text;
    }
    const nlohmann::json data = EmbeddedJson(render::RenderHtml(in), "sb-data");
    EXPECT_EQ(data["line"], text);
    EXPECT_EQ(data["train"], text);
    if (fits1252) {
      EXPECT_EQ(data["stations"][0]["name"], text);
      EXPECT_EQ(data["boardTexts"]["60"], text);
    }
    const nlohmann::json diagnostics =
        EmbeddedJson(render::DiagnosticsHtml(text, {text}, {1, "p.gen.js"}), "sb-data");
    EXPECT_EQ(diagnostics["diagnostics"][0], text);
  }
}

TEST(RenderHtmlTest, DiagnosticsPageListsThemAndWatchesItsSidecar) {
  const render::PageOptions watching{7, "page.html.gen.js"};
  const std::vector<std::string> lines = {
      "Costa_linea.txt:3:1: error: no line length record was read [25]",
      "Costa_1.txt:9:12: warning: <b>bold</b> [-Wextra-values]"};
  const std::string page = render::DiagnosticsHtml("Costa, train 1", lines, watching);
  const nlohmann::json data = EmbeddedJson(page, "sb-data");
  EXPECT_EQ(data["diagnostics"], nlohmann::json(lines));
  const nlohmann::json watch = EmbeddedJson(page, "sb-watch");
  EXPECT_EQ(watch["generation"], 7);
  EXPECT_EQ(watch["sidecarUrl"], "page.html.gen.js");
  EXPECT_EQ(render::SidecarScript(7), "window.sbGeneration && window.sbGeneration(7);\n");
  // The name, byte for byte, as a URL that can lead nowhere but to it.
  const std::pair<std::string, std::string> names[] = {
      {"E#%41_1.html.gen.js", "E%23%2541_1.html.gen.js"},
      {"a b?c:d/e_1.html.gen.js", "a%20b%3Fc%3Ad%2Fe_1.html.gen.js"},
      {"E\xff_1.html.gen.js", "E%FF_1.html.gen.js"},
      {"L\xc3\xadnea~_1.html.gen.js", "L%C3%ADnea~_1.html.gen.js"}};
  for (const auto& [name, url] : names) {
    const std::string named = render::DiagnosticsHtml("t", lines, {1, name});
    EXPECT_EQ(EmbeddedJson(named, "sb-watch")["sidecarUrl"], url) << name;
  }
}

TEST(RenderWatchTest, PageOfACompileOrItsErrors) {
  const std::string line(content::TemplateLineBytes());
  const std::string train(content::TemplateTrainBytes());
  const render::PageOptions options{3, "p.html.gen.js"};

  const std::string good = render::WatchPage(line, train, "Costa", "42", options);
  ExpectSelfContained(good);
  const nlohmann::json data = EmbeddedJson(good, "sb-data");
  EXPECT_FALSE(data.contains("diagnostics"));
  EXPECT_GT(data["stations"].size(), 0u);
  EXPECT_TRUE(data["plan"].is_object());
  EXPECT_EQ(EmbeddedJson(good, "sb-watch")["generation"], 3);

  struct Case {
    const char* name;
    std::optional<std::string> line, train;
    const char* expected;  // in the first diagnostic
  };
  const Case cases[] = {
      {"no line length", std::string("[generale]\n"), train, "Costa_linea.txt"},
      {"train unreadable", line, std::nullopt, "Costa_42-.txt: error: cannot be read"},
  };
  for (const Case& c : cases) {
    const nlohmann::json bad =
        EmbeddedJson(render::WatchPage(c.line, c.train, "Costa", "42", options), "sb-data");
    ASSERT_TRUE(bad.contains("diagnostics")) << c.name;
    ASSERT_FALSE(bad["diagnostics"].empty()) << c.name;
    const std::string first = bad["diagnostics"][0];
    EXPECT_NE(first.find(c.expected), std::string::npos) << c.name << ": " << first;
    EXPECT_NE(first.find("error"), std::string::npos) << c.name << ": " << first;
  }
}

// The template with its line `number` (from 1) replaced by `text`.
std::string TemplateWithLine(std::string bytes, int number, const std::string& text) {
  std::size_t begin = 0;
  for (int n = 1; n < number; ++n) begin = bytes.find('\n', begin) + 1;
  return bytes.replace(begin, bytes.find('\r', begin) - begin, text);
}

// The page lists the warnings, in compile's words, whether the picture is
// drawn or not: a warning may be why the picture is not what was meant, or
// the cause of the error after it.
TEST(RenderWatchTest, PageListsTheWarningsWithThePictureOrTheErrors) {
  const std::string line(content::TemplateLineBytes());
  const std::string train(content::TemplateTrainBytes());
  const render::PageOptions options{1, "p.html.gen.js"};
  const std::string extraValue =
      "Costa_42-.txt:17:31: warning: expected 2 values for 'velocita', found more on its line: "
      "'5' is read as the next keyword [-Wextra-values]\n"
      "    velocita,    2950,    160,    5\n"
      "                                  ^";
  struct Case {
    const char* name;
    std::string line, train;
    const char* key;  // "warnings" beside the picture, "diagnostics" instead of it
    std::vector<std::string> listed;
  };
  const Case cases[] = {
      {"a clean compile lists nothing", line, train, nullptr, {}},
      {"a warning beside the picture",
       line,
       TemplateWithLine(train, 17, "velocita,    2950,    160,    5"),
       "warnings",
       {extraValue}},
      {"a warning before the error it leads to",
       TemplateWithLine(line, 5, "lunghezza percoso,    20000"),
       train,
       "diagnostics",
       {"Costa_linea.txt:5:1: warning: 'lunghezza percoso' is no record of the line "
        "description's general section [-Wunknown-record]\n"
        "    lunghezza percoso,    20000\n"
        "    ^\n"
        "hint: did you mean 'lunghezza percorso'?"}},
  };
  for (const Case& c : cases) {
    const nlohmann::json data =
        EmbeddedJson(render::WatchPage(c.line, c.train, "Costa", "42", options), "sb-data");
    if (c.key == nullptr) {
      EXPECT_FALSE(data.contains("warnings")) << c.name;
      EXPECT_FALSE(data.contains("diagnostics")) << c.name;
      continue;
    }
    ASSERT_TRUE(data.contains(c.key)) << c.name;
    const std::vector<std::string> listed = data[c.key];
    ASSERT_GE(listed.size(), c.listed.size()) << c.name;
    EXPECT_EQ(std::vector<std::string>(listed.begin(), listed.begin() + c.listed.size()), c.listed)
        << c.name;
  }
}

TEST(RenderWatchTest, APageNamingADescriptionIsRefused) {
  TempDir dir;
  const std::string line = dir.file("Costa_linea.txt"), train = dir.file("Costa_42-.txt");
  ASSERT_TRUE(WriteUserFile(line, content::TemplateLineBytes()).ok());
  ASSERT_TRUE(WriteUserFile(train, content::TemplateTrainBytes()).ok());
  for (const std::string& page : {line, train}) {
    std::ostringstream err;
    EXPECT_EQ(WatchCommand({line, train, "", "", page}, err, [] { return true; }), kExitUsage);
    EXPECT_EQ(err.str(), "scenario-builder: '" + page +
                             "' is one of the descriptions to watch; write the page elsewhere\n");
  }
  EXPECT_EQ(testing::ReadFile(line), content::TemplateLineBytes());
  EXPECT_EQ(testing::ReadFile(train), content::TemplateTrainBytes());
}

TEST(RenderWatchTest, RewritesThePageWhenADescriptionChanges) {
  TempDir dir;
  const std::string line = dir.file("Costa_linea.txt"), train = dir.file("Costa_42-.txt");
  ASSERT_TRUE(WriteUserFile(line, content::TemplateLineBytes()).ok());
  ASSERT_TRUE(WriteUserFile(train, content::TemplateTrainBytes()).ok());
  const std::string page = dir.file("Costa_42.html");
  int polls = 0;
  std::string firstPage;
  std::ostringstream err;
  const int rc = WatchCommand({line, train, "", "", ""}, err, [&] {
    ++polls;
    if (polls == 1) {
      firstPage = ReadFile(page);
      // A change of size is seen whatever the clock's resolution.
      EXPECT_TRUE(WriteUserFile(line, "[generale]\n").ok());
    }
    return ReadFile(page + ".gen.js").find("(2)") != std::string::npos;
  });
  EXPECT_EQ(rc, 130) << err.str();
  EXPECT_FALSE(EmbeddedJson(firstPage, "sb-data").contains("diagnostics"));
  const std::string last = ReadFile(page);
  EXPECT_TRUE(EmbeddedJson(last, "sb-data").contains("diagnostics"));
  EXPECT_EQ(EmbeddedJson(last, "sb-watch")["generation"], 2);
  EXPECT_EQ(EmbeddedJson(last, "sb-watch")["sidecarUrl"], "Costa_42.html.gen.js");
}

// The default page and the sidecar are the program's own names: a link put
// under either (a tarball, a shared folder) is replaced, and the file it
// leads to, outside the folder, keeps its bytes.
TEST(RenderWatchTest, LinksUnderThePagesNamesAreReplacedNotFollowed) {
  TempDir dir;
  TempDir elsewhere;
  const std::string line = dir.file("Costa_linea.txt"), train = dir.file("Costa_42-.txt");
  testing::WriteFile(line, std::string(content::TemplateLineBytes()));
  testing::WriteFile(train, std::string(content::TemplateTrainBytes()));
  const std::string page = dir.file("Costa_42.html");
  for (const std::string& name : {page, page + ".gen.js"}) {
    const std::string target = elsewhere.file(fs::path(name).filename().string());
    testing::WriteFile(target, "the author's own\n");
    fs::create_symlink(target, name);
  }
  std::ostringstream err;
  EXPECT_EQ(WatchCommand({line, train, "", "", ""}, err, [] { return true; }), 130) << err.str();
  // The sidecar was replaced, then went with the watch; the link's file stays.
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(page)));
  EXPECT_FALSE(fs::exists(fs::symlink_status(page + ".gen.js")));
  for (const std::string& name : {page, page + ".gen.js"}) {
    EXPECT_EQ(ReadFile(elsewhere.file(fs::path(name).filename().string())), "the author's own\n");
  }
  EXPECT_NE(ReadFile(page).find("sb-data"), std::string::npos);
}

// A description swapped, while it is watched, for a link to a file of
// other permissions (someone's private file) is not read: the page, which
// anyone who reads the folder may read, quotes nothing of it.
TEST(RenderWatchTest, ADescriptionSwappedForAPrivateFileIsNotQuoted) {
  TempDir dir;
  TempDir elsewhere;
  const std::string line = dir.file("Costa_linea.txt"), train = dir.file("Costa_42-.txt");
  testing::WriteFile(line, std::string(content::TemplateLineBytes()));
  testing::WriteFile(train, std::string(content::TemplateTrainBytes()));
  fs::permissions(line, fs::perms(0644));
  const std::string secret = elsewhere.file("shadow");
  testing::WriteFile(secret, "root:$6$secret-hash:19000:0:99999:7:::\n");
  fs::permissions(secret, fs::perms(0600));
  const std::string page = dir.file("Costa_42.html");
  int polls = 0;
  std::ostringstream err;
  const int rc = WatchCommand({line, train, "", "", ""}, err, [&] {
    if (++polls == 1) {
      fs::remove(line);
      fs::create_symlink(secret, line);
    }
    return ReadFile(page + ".gen.js").find("(2)") != std::string::npos;
  });
  EXPECT_EQ(rc, 130) << err.str();
  const std::string last = ReadFile(page);
  EXPECT_EQ(last.find("secret-hash"), std::string::npos);
  const nlohmann::json data = EmbeddedJson(last, "sb-data");
  ASSERT_TRUE(data.contains("diagnostics"));
  EXPECT_EQ(data["diagnostics"][0],
            "Costa_linea.txt: error: not read: its owner or permissions are not those it had "
            "when the watch began; start the watch again to read it");
}

// Whether the process has a handler for `signal_number`, as its status in
// /proc says (SigCgt, a mask in hex whose bit n-1 is signal n).
bool CatchesSignal(pid_t pid, int signal_number) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("SigCgt:", 0) != 0) continue;
    const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
    return (mask >> (signal_number - 1) & 1) != 0;
  }
  return false;
}

// The watch in the program: SIGTERM ends it with 143 and Ctrl-C with 130,
// also while it waits for the reader of a FIFO it was told to write.
TEST(RenderWatchTest, SignalsEndTheWatchWithTheirStatus) {
  TempDir dir;
  const std::string line = dir.file("Costa_linea.txt"), train = dir.file("Costa_42-.txt");
  testing::WriteFile(line, std::string(content::TemplateLineBytes()));
  testing::WriteFile(train, std::string(content::TemplateTrainBytes()));
  const std::string fifo = dir.file("page.fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  struct Case {
    const char* what;
    int signal_number;
    bool toFifo;
    int exit;
  };
  const Case cases[] = {{"SIGTERM", SIGTERM, false, 143},
                        {"Ctrl-C", SIGINT, false, 130},
                        {"a hang-up", SIGHUP, false, 129},
                        {"SIGTERM while a FIFO has no reader", SIGTERM, true, 143},
                        {"Ctrl-C while a FIFO has no reader", SIGINT, true, 130}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(dir.file("Costa_42.html"));
    const pid_t pid = fork();
    if (pid == 0) {
      for (int sig : {SIGINT, SIGTERM, SIGHUP}) signal(sig, SIG_DFL);
      const int null = open("/dev/null", O_RDWR);
      dup2(null, STDOUT_FILENO);
      dup2(null, STDERR_FILENO);
      std::vector<std::string> args = {SB_EXECUTABLE, "render",  "--watch", "--line",
                                       line,          "--train", train};
      if (c.toFifo) args.insert(args.end(), {"-o", fifo});
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(SB_EXECUTABLE, argv.data());
      _exit(127);
    }
    // Started: the page written, or the FIFO's open under way.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!c.toFifo && !fs::exists(dir.file("Costa_42.html.gen.js")) &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // A signal before the program catches it would end it as the default
    // does, whatever the watch does with it: under a loaded machine (the
    // sanitizers) starting up may take longer than any fixed wait.
    while (!CatchesSignal(pid, c.signal_number) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    kill(pid, c.signal_number);
    int status = 0;
    bool ended = false;
    while (std::chrono::steady_clock::now() < deadline) {
      if (waitpid(pid, &status, WNOHANG) == pid) {
        ended = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!ended) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
    }
    ASSERT_TRUE(ended) << "still running after the signal";
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), c.exit);
    // The page stays; the sidecar the open page polls goes with the watch.
    EXPECT_EQ(fs::exists(dir.file("Costa_42.html")), !c.toFifo);
    EXPECT_FALSE(fs::exists(dir.file("Costa_42.html.gen.js")));
  }
}

// A stop ends the watch while the FIFO it was told to write has no reader
// yet, or has one that takes nothing (the page is larger than a pipe
// holds): a stop that comes just before the call that waits must not be
// lost in it.
TEST(RenderWatchTest, AStopEndsTheWaitForAFifosReader) {
  TempDir dir;
  const std::string line = dir.file("Costa_linea.txt"), train = dir.file("Costa_42-.txt");
  testing::WriteFile(line, std::string(content::TemplateLineBytes()));
  testing::WriteFile(train, std::string(content::TemplateTrainBytes()));
  const std::string fifo = dir.file("page.fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  for (const bool withReader : {false, true}) {
    SCOPED_TRACE(withReader ? "a reader that reads nothing" : "no reader");
    const int reader = withReader ? open(fifo.c_str(), O_RDONLY | O_NONBLOCK) : -1;
    std::ostringstream err;
    auto watch = std::async(std::launch::async, [&] {
      return WatchCommand({line, train, "", "", fifo}, err, [] { return true; });
    });
    if (watch.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
      ADD_FAILURE() << "the watch still waits for the FIFO";
      // Let it go: read what it writes until it ends.
      const int drain = reader >= 0 ? reader : open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
      char buffer[65536];
      while (watch.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
        while (read(drain, buffer, sizeof buffer) > 0) {
        }
      }
      if (drain != reader) close(drain);
    }
    EXPECT_EQ(watch.get(), 130) << err.str();
    if (reader >= 0) close(reader);
  }
}

// render reads and writes in the folder it is given, and says so when the
// folder is not there.
TEST(RenderCommandTest, TheFolderAndTheIdentifiersAreChecked) {
  TempDir dir;
  struct Case {
    const char* what;
    std::string args;
    int exit;
    const char* message;
  };
  const Case cases[] = {
      {"a folder that is not there", "render " + Quote(dir.file("missing")), 74,
       "cannot read the folder '"},
      {"a line id that leads out of the folder",
       "render " + Quote(dir.path()) + " --line-id ../other/Costa --train-number 1", 64,
       "'../other/Costa' cannot be part of a file name"},
      {"a train number with a separator",
       "render " + Quote(dir.path()) + " --line-id Costa --train-number a/b", 64,
       "'a/b' cannot be part of a file name"},
      {"--watch with a line id of '..'",
       "render --watch --line " + Quote(dir.file("x_linea.txt")) + " --train " +
           Quote(dir.file("x_1-.txt")) + " --line-id ..",
       64, "'..' cannot be part of a file name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ToolRun r = RunTool(c.args);
    EXPECT_EQ(r.exit, c.exit) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  EXPECT_TRUE(testing::Names(dir.path()).empty());
}

// The axis marks where a progression starts with a post that does not
// follow on; one that follows on is no jump.
TEST(RenderSvgTest, MarksWhereTheKmPostsJump) {
  RenderInput in;
  in.lineId = "Costa";
  in.trainNumber = "42";
  in.cells.resize(401);
  in.items[kSlotTotals].end = 20000;
  in.items[kSlotProgressionUno].start = 0;
  in.items[kSlotProgressionUno].end = 111000;
  in.items[kSlotProgressionDue].start = 5000;
  in.items[kSlotProgressionDue].end = 116000;  // follows on
  in.items[kSlotProgressionTre].start = 12000;
  in.items[kSlotProgressionTre].end = 140500;  // 123+000 would follow
  const std::string svg = render::RenderSvg(in);
  EXPECT_EQ(WellFormed(svg), "");
  EXPECT_EQ(Count(svg, "class=\"km-jump\""), 1);
  EXPECT_NE(svg.find("the km posts jump at 12 km: km 123+000 to km 140+500"), std::string::npos);
  const nlohmann::json data = EmbeddedJson(render::RenderHtml(in), "sb-data");
  EXPECT_EQ(data["kmJumps"],
            nlohmann::json::parse(R"([{"position":12000,"from":123000,"to":140500}])"));
}

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
  const std::string svg = render::RenderSvg(in);
  EXPECT_EQ(WellFormed(svg), "");
  EXPECT_NE(svg.find("Q&amp;A &quot;&lt;x&gt;&quot;"), std::string::npos);
  EXPECT_NE(svg.find("&lt;b&gt;"), std::string::npos);
  EXPECT_NE(svg.find("A&amp;B"), std::string::npos);

  RenderInput bare;
  bare.cells.resize(141);
  EXPECT_EQ(WellFormed(render::RenderSvg(bare)), "");
}

}  // namespace
}  // namespace sb
