// The computed run in the picture and on the page: the strips of speed and
// time against distance, the curve in the page's data, the train they are
// computed for, and the run worked out again from the compiled files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <optional>
#include <pugixml.hpp>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/command_status.h"
#include "app/compiled_files.h"
#include "app/render_command.h"
#include "app/scenario_loader.h"
#include "app/watch_command.h"
#include "app_test_support.h"
#include "base/disk.h"
#include "base/user_file.h"
#include "content/content.h"
#include "content/templates.h"
#include "model/file_names.h"
#include "running_time/running_time.h"
#include "test_support.h"
#include "tools/render/html_page.h"
#include "tools/render/picture.h"
#include "tools/render/watch_page.h"

namespace sb {
namespace {

using testing::ReadFile;
using testing::TempDir;

constexpr const char* kLine = "Lungomare_Nord";
constexpr const char* kTrain = "911";

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The element of `svg` with the id, parsed; empty when there is none.
pugi::xml_node ById(const pugi::xml_document& doc, const std::string& id) {
  return doc.find_node([&](const pugi::xml_node& n) { return id == n.attribute("id").value(); });
}

// The least and greatest x of a path's "M x y L x y ..." or "M x yHx Vy".
std::pair<double, double> XExtent(const std::string& d) {
  double lo = HUGE_VAL, hi = -HUGE_VAL;
  const std::regex re("([MLH])\\s*(-?[0-9.]+)");
  for (auto it = std::sregex_iterator(d.begin(), d.end(), re); it != std::sregex_iterator(); ++it) {
    const double x = std::stod((*it)[2]);
    lo = std::min(lo, x);
    hi = std::max(hi, x);
  }
  return {lo, hi};
}

double Tenth(double v) { return std::round(v * 10) / 10; }

nlohmann::json PageData(const std::string& page) {
  const std::string open = "<script type=\"application/json\" id=\"sb-data\">";
  const std::size_t start = page.find(open) + open.size();
  return nlohmann::json::parse(page.substr(start, page.find("</script>", start) - start));
}

// The built-in scenario compiled once: its run state in memory, with the
// records the compile keeps, and its compiled files in a folder.
class RenderRunningTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    scenario_ = new Scenario;
    TextDescriptions source(kLine, kTrain);
    source.line = std::string(content::RawBytes(content::Document::kLine));
    source.train = std::string(content::RawBytes(content::Document::kTrain));
    scenario_->lineId = kLine;
    scenario_->trainNumber = kTrain;
    ASSERT_EQ(memorizza_percorso(*scenario_, true, source).end, CompileEnd::kCompiled);
    RealDisk disk;
    ASSERT_TRUE(WriteCompiledFiles(*scenario_, true, disk, dir_->path()).status.ok());
  }
  static void TearDownTestSuite() {
    delete dir_;
    delete scenario_;
  }
  // A folder with copies of the compiled files, and a project file when
  // `project` is not empty.
  static void CopyInto(const TempDir& to, const std::string& project) {
    for (const std::string& name :
         {CellFileName(kLine, kTrain), ItemFileName(kLine, kTrain), ProfileFileName(kLine)}) {
      testing::WriteFile(to.file(name), ReadFile(dir_->file(name)));
    }
    if (!project.empty()) testing::WriteFile(to.file("scenario.toml"), project);
  }

  static TempDir* dir_;
  static Scenario* scenario_;
};

TempDir* RenderRunningTest::dir_ = nullptr;
Scenario* RenderRunningTest::scenario_ = nullptr;

// The compiled files keep the curves in the profile and the slowdowns in
// the cells: read back, they give the run the compile's own records give.
TEST_F(RenderRunningTest, TheRunFromTheCompiledFilesIsTheRunOfTheDescriptions) {
  RenderInput in;
  std::optional<ProfileTable> profile;
  RealDisk disk;
  ASSERT_TRUE(LoadScenario(disk, dir_->path(), kLine, kTrain, &in, &profile).ok());
  const Scenario files = ScenarioOfFiles(in);

  ASSERT_EQ(files.curveSources.size(), scenario_->curveSources.size());
  ASSERT_FALSE(files.curveSources.empty());
  for (std::size_t i = 0; i < files.curveSources.size(); ++i) {
    const auto& got = files.curveSources[i];
    const auto& written = scenario_->curveSources[i];
    EXPECT_EQ(got.start, written.start) << i;
    EXPECT_EQ(got.length, written.length) << i;
    EXPECT_NEAR(got.curvature, written.curvature, 1e-9) << i;
  }
  ASSERT_EQ(files.slowdownSources.size(), scenario_->slowdownSources.size());
  for (std::size_t i = 0; i < files.slowdownSources.size(); ++i) {
    const auto& got = files.slowdownSources[i];
    const auto& written = scenario_->slowdownSources[i];
    EXPECT_EQ(got.speed, written.speed) << i;
    EXPECT_NEAR(got.start, written.start, kCellLength) << i;
    EXPECT_NEAR(got.start + got.length, written.start + written.length, kCellLength) << i;
  }

  const running::Train train = running::ResolveTrain({}, *scenario_);
  const running::RunningTime fromFiles = running::ComputeRunningTime(files, train);
  const running::RunningTime fromDescriptions = running::ComputeRunningTime(*scenario_, train);
  ASSERT_EQ(fromFiles.rows.size(), fromDescriptions.rows.size());
  ASSERT_FALSE(fromFiles.rows.empty());
  for (std::size_t i = 0; i < fromFiles.rows.size(); ++i) {
    EXPECT_NEAR(fromFiles.rows[i].time, fromDescriptions.rows[i].time, 5.0) << i;
  }
}

// The two strips stand below the others, from the first station to the
// last, with a mark for every station; the legend names their lines.
TEST_F(RenderRunningTest, ThePictureHasTheStripsOfTheRun) {
  TempDir out;
  std::ostringstream err;
  RealDisk disk;
  ASSERT_EQ(FinishCommand(Render(disk, dir_->path(), kLine, kTrain, out.file("s.svg"), std::cout,
                                 RenderFormat::kSvg, &err),
                          err),
            0)
      << err.str();
  EXPECT_EQ(err.str(), "");
  const std::string svg = ReadFile(out.file("s.svg"));
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string(svg.c_str()));

  const running::RunningTime times =
      running::ComputeRunningTime(*scenario_, running::ResolveTrain({}, *scenario_));
  ASSERT_GE(times.curve.size(), 2u);
  const render::KmAxis axis{render::kAxisLeft, render::kAxisRight,
                            std::max<double>(scenario_->lastCell * double{kCellLength}, 1000)};
  for (const char* id : {"running-limit", "running-speed", "running-time"}) {
    const pugi::xml_node path = ById(doc, id);
    ASSERT_TRUE(path) << id;
    const auto [lo, hi] = XExtent(path.attribute("d").value());
    EXPECT_NEAR(lo, axis.X(times.curve.front().position), 0.1) << id;
    EXPECT_NEAR(hi, axis.X(times.curve.back().position), 0.1) << id;
  }
  // Below the boards' strip, the speed first.
  const auto top = [&](const char* id) { return svg.find(std::string("id=\"") + id + "\""); };
  EXPECT_LT(top("strip-boards"), top("strip-running-speed"));
  EXPECT_LT(top("strip-running-speed"), top("strip-running-time"));
  EXPECT_LT(top("strip-running-time"), top("km-axis"));

  const pugi::xml_node timeStrip = ById(doc, "strip-running-time");
  const int stops = Count(svg, "class=\"running-stop\"");
  EXPECT_EQ(stops + Count(svg, "class=\"running-pass\""), 35);
  EXPECT_GE(stops, 2);
  // The stops and stations passed are titled with their times.
  const std::string first =
      timeStrip.find_child_by_attribute("circle", "class", "running-stop").child_value("title");
  EXPECT_EQ(first.rfind("RIMINI, ", 0), 0u) << first;
  EXPECT_NE(first.find("arrives "), std::string::npos) << first;
  EXPECT_NE(first.find("leaves "), std::string::npos) << first;
  // The time axis is labelled as a clock.
  EXPECT_TRUE(std::regex_search(svg, std::regex(">[0-2][0-9]:[0-5][0-9]</text>")));
  EXPECT_EQ(Count(svg, ">computed speed</text>"), 1);
  EXPECT_EQ(Count(svg, ">computed time of day</text>"), 1);
}

// The page holds the curve, cut down to the points a straight line between
// its neighbours would miss; each point left out lies on the line.
TEST_F(RenderRunningTest, ThePageHoldsTheCurve) {
  const running::RunningTime times =
      running::ComputeRunningTime(*scenario_, running::ResolveTrain({}, *scenario_));
  RenderInput in;
  in.lineId = kLine;
  in.trainNumber = kTrain;
  in.cells = scenario_->cells;
  in.items = scenario_->items;
  in.times = &times;
  const nlohmann::json data = PageData(render::RenderHtml(in));
  const nlohmann::json& run = data["running"];
  ASSERT_TRUE(run.is_object());
  const std::vector<double> position = run["position"], speed = run["speed"], time = run["time"];
  ASSERT_EQ(speed.size(), position.size());
  ASSERT_EQ(time.size(), position.size());
  EXPECT_LT(position.size(), times.curve.size());
  EXPECT_DOUBLE_EQ(position.front(), times.curve.front().position);
  EXPECT_DOUBLE_EQ(position.back(), times.curve.back().position);
  std::size_t k = 0;
  for (const running::CurvePoint& p : times.curve) {
    while (k + 1 < position.size() && position[k + 1] <= p.position) ++k;
    if (position[k] == p.position) {
      // Kept; at a stop twice, arrival and departure, and both are there.
      EXPECT_TRUE(time[k] == Tenth(p.time) || (k > 0 && time[k - 1] == Tenth(p.time)))
          << p.position;
      continue;
    }
    if (k + 1 == position.size()) break;
    const double f = (p.position - position[k]) / (position[k + 1] - position[k]);
    EXPECT_NEAR(speed[k] + (speed[k + 1] - speed[k]) * f, p.speed * 3.6, 0.25) << p.position;
    EXPECT_NEAR(time[k] + (time[k + 1] - time[k]) * f, p.time, 0.25) << p.position;
  }
  EXPECT_EQ(run["stations"].size(), 35u);
  EXPECT_EQ(run["stations"][0]["name"], "RIMINI");
  // A stop is marked where the curve stops (the end of its zone), at the
  // time it arrives there.
  int stops = 0;
  for (const nlohmann::json& st : run["stations"]) {
    if (!st["stops"]) continue;
    ++stops;
    const double at = st["at"], arrives = st["time"];
    bool onCurve = false;
    for (std::size_t i = 0; i < position.size(); ++i) {
      onCurve = onCurve || (position[i] == at && time[i] == arrives);
    }
    EXPECT_TRUE(onCurve) << st["name"];
    EXPECT_NE(at, st["position"].get<double>()) << st["name"];
  }
  EXPECT_GE(stops, 2);
  EXPECT_EQ(run["limitFrom"].size(), run["limit"].size());
  EXPECT_EQ(data["runningNote"], "");
}

// The train of the project file beside the compiled files; a project file
// that does not parse leaves the run out of a picture that is still drawn,
// and says why in one line.
TEST_F(RenderRunningTest, TheTrainComesFromTheProjectFile) {
  struct Case {
    const char* what;
    std::string project;  // "" none
    bool strips;
    const char* said;  // on stderr, "" nothing
  };
  const Case cases[] = {
      {"no project file: the default train", "", true, ""},
      {"a project file that does not parse", "[sheet\nfrom = 1\n", false, "scenario.toml:1:"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    CopyInto(dir, c.project);
    std::ostringstream out, err;
    RealDisk disk;
    ASSERT_EQ(FinishCommand(Render(disk, dir.path(), "", "", dir.file("p.svg"), out,
                                   RenderFormat::kSvg, &err),
                            err),
              0);
    const std::string svg = ReadFile(dir.file("p.svg"));
    EXPECT_EQ(Count(svg, "id=\"strip-running-speed\""), c.strips ? 1 : 0);
    EXPECT_EQ(Count(svg, "id=\"strip-running-time\""), c.strips ? 1 : 0);
    EXPECT_EQ(Count(svg, "id=\"running-note\""), c.strips ? 0 : 1);
    if (*c.said == '\0') {
      EXPECT_EQ(err.str(), "");
      continue;
    }
    EXPECT_NE(err.str().find(c.said), std::string::npos) << err.str();
    EXPECT_EQ(Count(err.str(), "\n"), 1) << err.str();
    EXPECT_NE(err.str().find("; the picture has no running times\n"), std::string::npos);
  }
}

// render --watch: the train it is given, or none and why.
TEST(RenderRunningWatchTest, ThePageRunsTheTrainItIsGiven) {
  const std::string line(content::TemplateLineBytes());
  const std::string train(content::TemplateTrainBytes());
  const render::PageOptions options{1, "p.html.gen.js"};
  running::TrainTable slow;
  slow.topSpeedKmh = 70;
  const nlohmann::json fast =
      PageData(render::WatchPage(line, train, "Costa", "42", options, {}, nullptr, {}));
  const nlohmann::json held =
      PageData(render::WatchPage(line, train, "Costa", "42", options, {}, nullptr, {slow, ""}));
  const nlohmann::json none = PageData(render::WatchPage(
      line, train, "Costa", "42", options, {}, nullptr, {std::nullopt, "No running times: why"}));
  const auto fastest = [](const nlohmann::json& data) {
    const std::vector<double> speed = data["running"]["speed"];
    return *std::max_element(speed.begin(), speed.end());
  };
  ASSERT_TRUE(fast["running"].is_object());
  ASSERT_TRUE(held["running"].is_object());
  EXPECT_GT(fastest(fast), 70.5);
  EXPECT_LE(fastest(held), 70.05);
  EXPECT_TRUE(none["running"].is_null());
  EXPECT_EQ(none["runningNote"], "No running times: why");
}

// The watch reads the project file beside the line description, and writes
// the page again when it changes: one that does not parse takes the run out
// and says why.
TEST(RenderRunningWatchTest, AProjectFileThatAppearsIsRead) {
  TempDir dir;
  const std::string line = dir.file("Costa_linea.txt"), train = dir.file("Costa_42-.txt");
  ASSERT_TRUE(WriteUserFile(line, content::TemplateLineBytes()).ok());
  ASSERT_TRUE(WriteUserFile(train, content::TemplateTrainBytes()).ok());
  const std::string page = dir.file("Costa_42.html");
  int polls = 0;
  std::string firstPage;
  std::ostringstream err;
  const Status st = RenderWatch({line, train, "", "", ""}, err, [&] {
    if (++polls == 1) {
      firstPage = ReadFile(page);
      EXPECT_TRUE(WriteUserFile(dir.file("scenario.toml"), "[sheet\n").ok());
    }
    // About 12 s of polls: a change that is not seen fails, not hangs.
    return ReadFile(page + ".gen.js").find("(2)") != std::string::npos || polls > 40;
  });
  EXPECT_EQ(FinishCommand(st, err), 130) << err.str();
  EXPECT_TRUE(PageData(firstPage)["running"].is_object());
  const nlohmann::json last = PageData(ReadFile(page));
  EXPECT_TRUE(last["running"].is_null());
  const std::string note = last["runningNote"];
  EXPECT_EQ(note.rfind("No running times: scenario.toml:1:", 0), 0u) << note;
}

// A run past midnight: the axis is a clock and wraps, the titles count on
// as the timetable does.
TEST(RenderRunningSvgTest, ARunPastMidnight) {
  RenderInput in;
  in.lineId = "Costa";
  in.trainNumber = "42";
  in.cells.resize(141);
  in.items[1].text = "ALFA";
  in.items[2].text = "BETA";
  running::RunningTime times;
  for (int m = 1000; m <= 6000; m += 50) {
    times.curve.push_back({double(m), 25, 10, 86100 + (m - 1000) / 10.0});
  }
  running::TimingRow first, last;
  first.slot = 1;
  first.position = 1000;
  first.stops = true;
  first.time = 86100;
  first.departure = 86100;
  last.slot = 2;
  last.position = 6000;
  last.stops = true;
  last.time = 86600;
  times.rows = {first, last};
  in.times = &times;
  const std::string svg = render::RenderSvg(in);
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string(svg.c_str()));
  const pugi::xml_node strip = ById(doc, "strip-running-time");
  ASSERT_TRUE(strip);
  std::vector<std::string> ticks;
  for (const pugi::xml_node& t : strip.children("text")) ticks.push_back(t.child_value());
  EXPECT_NE(std::find(ticks.begin(), ticks.end(), "00:00"), ticks.end());
  EXPECT_NE(std::find(ticks.begin(), ticks.end(), "23:56"), ticks.end());
  const std::vector<std::string> titles = {
      strip.find_child_by_attribute("circle", "class", "running-stop").child_value("title"),
      strip.last_child().previous_sibling().child_value("title")};
  EXPECT_EQ(titles[0], "ALFA, 1 km: arrives 23:55:00, leaves 23:55:00");
  EXPECT_EQ(titles[1], "BETA, 6 km: arrives 24:03:20");
  EXPECT_EQ(Count(svg, ">highest speed 36 km/h</text>"), 1);
}

// Fewer than two stations make no run: no strips, and nothing said, as
// there is nothing wrong.
TEST(RenderRunningSvgTest, OneStationHasNoRun) {
  RenderInput in;
  in.lineId = "Costa";
  in.trainNumber = "42";
  in.cells.resize(141);
  in.items[1].kind = 12;
  in.items[1].position = 2000;
  in.items[1].start = 1800;
  in.items[1].end = 2200;
  in.items[1].text = "ALFA";
  const Scenario s = ScenarioOfFiles(in);
  const running::RunningTime times = running::ComputeRunningTime(s, running::ResolveTrain({}, s));
  in.times = &times;
  const std::string svg = render::RenderSvg(in);
  EXPECT_EQ(Count(svg, "strip-running"), 0);
  EXPECT_EQ(Count(svg, "running-note"), 0);
  EXPECT_EQ(Count(svg, "computed speed"), 0);
  EXPECT_TRUE(PageData(render::RenderHtml(in))["running"].is_null());
}

}  // namespace
}  // namespace sb
