// The running times' warnings: each finding's words pinned whole on the
// template's descriptions, the times the compile already tells left to it,
// and silencing one warning leaves the others.
#include "running_time/timing_warnings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/content.h"
#include "content/templates.h"
#include "test_support.h"
#include "tools/project/project_file.h"

namespace sb::running {
namespace {

using testing::CompileTexts;
using testing::ReplaceAll;

const std::string kRiccione =
    "stazione,    10000,    12,    500,    0,    0,    0,    1,    1,    0,    4,    1,    1,    "
    "60,    15,    27,    0,    RICCIONE";
// The caret under the 1-based `column` of a quoted record.
std::string Caret(int column) {
  return std::string(static_cast<std::size_t>(column) + 3, ' ') + "^\n";
}

const std::string kCattolica =
    "stazione,    18300,    12,    500,    0,    0,    0,    1,    1,    0,    4,    1,    1,    "
    "0,    15,    35,    0,    CATTOLICA";

Train TestTrain() {
  Train t;
  t.mass = 600000;
  t.length = 330;
  t.startingTractiveEffort = 200000;
  t.power = 5000000;
  t.dwell = 60;
  return t;
}

// The stops of the template's three stations, as the calculation gives
// them, with `findings`.
RunningTime TemplateTimes(const Scenario& s, const std::vector<Finding>& findings) {
  RunningTime rt;
  rt.train = TestTrain();
  // The stops, as the calculation gives them: every station of the template.
  // The least running times: 700 s to RICCIONE, 600 s on to CATTOLICA.
  const double kMinimum[] = {0, 700, 600};
  for (int slot = 1; slot <= 3; ++slot) {
    TimingRow row;
    row.slot = slot;
    row.position = s.items[static_cast<std::size_t>(slot)].position;
    row.stops = true;
    row.minimum = kMinimum[slot - 1];
    rt.rows.push_back(row);
  }
  rt.findings = findings;
  return rt;
}

std::string Warnings(const Scenario& s, const std::vector<Finding>& findings) {
  std::string out;
  for (const Diagnostic& d : RunningTimeWarnings(s, TemplateTimes(s, findings), {})) {
    out += FormatDiagnostic(d) + "\n";
  }
  return out;
}

Finding TimeFinding(int slot, int previousSlot, double earliest) {
  Finding f;
  f.kind = Finding::Kind::kTimeCannotBeKept;
  f.slot = slot;
  f.previousSlot = previousSlot;
  f.earliest = earliest;
  return f;
}

TEST(TimingWarnings, EachFindingInWords) {
  Finding cannotStart;
  cannotStart.kind = Finding::Kind::kCannotStart;
  cannotStart.slot = 2;
  cannotStart.position = 10000;
  cannotStart.gradient = 32;
  Finding stalls;
  stalls.kind = Finding::Kind::kStalls;
  stalls.position = 14250;
  stalls.gradient = 28.46;
  Finding shortZone;
  shortZone.kind = Finding::Kind::kZoneShorterThanTrain;
  shortZone.slot = 3;
  shortZone.position = 18300;
  shortZone.zoneLength = 250;
  const struct {
    const char* name;
    std::string from;  // a line of the template's train description
    std::string to;    // and what it becomes
    Finding finding;
    std::string expected;
  } kCases[] = {
      {"a time the train cannot keep, at the last station", "", "",
       TimeFinding(3, 2, 15 * 3600 + 37 * 60 + 0.4),
       "Test_1-.txt:24:99: warning: station CATTOLICA is scheduled at 15:35:00, earlier than the "
       "train can make it: 15:37:01 at the earliest, 2 min 1 s later [-Wunkeepable-time]\n"
       "    " +
           kCattolica + "\n" + Caret(99) +
           "Test_1-.txt:23:100: note: the previous stop, RICCIONE, scheduled at 15:27:00: from "
           "then the train needs at least 10 min 1 s to CATTOLICA\n"
           "hint: schedule CATTOLICA at 15:38:00 or later, or give a faster train in "
           "scenario.toml's [train] (power_kw, starting_tractive_effort_kn, top_speed_kmh)\n"},
      {"one where the train stops on", "", "", TimeFinding(2, 1, 15 * 3600 + 17 * 60 + 760),
       "Test_1-.txt:23:100: warning: station RICCIONE is scheduled at 15:27:00, earlier than the "
       "train can make it: 15:29:40 at the earliest, 2 min 40 s later [-Wunkeepable-time]\n"
       "    " +
           kRiccione + "\n" + Caret(100) +
           "Test_1-.txt:22:94: note: the previous stop, RIMINI, scheduled at 15:17:00: from then "
           "the train needs at least 11 min 40 s to RICCIONE, and stops there 1 min\n"
           "hint: schedule RICCIONE at 15:30:00 or later, or give a faster train in "
           "scenario.toml's [train] (power_kw, starting_tractive_effort_kn, top_speed_kmh)\n"},
      {"after a first station without a time", "1,    15,    17,    0,    RIMINI",
       "1,    0,    0,    0,    RIMINI", TimeFinding(2, 1, 15 * 3600 + 16 * 60 + 30 + 760),
       "Test_1-.txt:23:100: warning: station RICCIONE is scheduled at 15:27:00, earlier than the "
       "train can make it: 15:29:10 at the earliest, 2 min 10 s later [-Wunkeepable-time]\n"
       "    " +
           kRiccione + "\n" + Caret(100) +
           "Test_1-.txt:22:14: note: the previous stop, RIMINI, which the train leaves at "
           "15:16:30: from then the train needs at least 11 min 40 s to RICCIONE, and stops there "
           "1 min\n"
           "hint: schedule RICCIONE at 15:30:00 or later, or give a faster train in "
           "scenario.toml's [train] (power_kw, starting_tractive_effort_kn, top_speed_kmh)\n"},
      {"a time earlier than the one before, which the compile tells",
       "60,    15,    27,    0,    RICCIONE", "60,    15,    40,    0,    RICCIONE",
       TimeFinding(3, 2, 15 * 3600 + 50 * 60), ""},
      {"the train cannot start", "", "", cannotStart,
       "Test_1-.txt:23:14: warning: the train cannot start from station RICCIONE on a mean "
       "gradient of 32.0 per mille under the train: its starting tractive effort of 200 kN does "
       "not overcome the resistance there, of which the gradient alone makes 188 kN for 600 t "
       "(at 10000 m) [-Wtraction]\n"
       "    " +
           kRiccione + "\n" + Caret(14) +
           "hint: give a train with more tractive effort and power or less mass in "
           "scenario.toml's [train] (starting_tractive_effort_kn, power_kw, mass_t), or make the "
           "gradient there gentler in the line description\n"},
      {"the train stalls between stations", "", "", stalls,
       "Test_1-.txt:23:14: warning: the train stalls after station RICCIONE on a mean gradient "
       "of 28.5 per mille under the train: its starting tractive effort of 200 kN does not "
       "overcome the resistance there, of which the gradient alone makes 168 kN for 600 t (at "
       "14250 m) [-Wtraction]\n"
       "    " +
           kRiccione + "\n" + Caret(14) +
           "hint: give a train with more tractive effort and power or less mass in "
           "scenario.toml's [train] (starting_tractive_effort_kn, power_kw, mass_t), or make the "
           "gradient there gentler in the line description\n"},
      {"a stopping zone shorter than the train", "", "", shortZone,
       "Test_1-.txt:24:31: warning: the stopping zone of station CATTOLICA is 250 m long, "
       "shorter than the train (330 m): stopped there, the train stands partly outside it "
       "[-Wshort-stop-zone]\n"
       "    " +
           kCattolica + "\n" + Caret(31) +
           "hint: lengthen the station so that its zone holds 330 m, or give the train's length in "
           "scenario.toml's [train] (length_m, or cars and car_length_m) if it is shorter\n"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    std::string train(content::TemplateTrainBytes());
    if (!c.from.empty()) train = ReplaceAll(train, c.from, c.to);
    auto compiled = CompileTexts(std::string(content::TemplateLineBytes()), train);
    ASSERT_EQ(compiled.scenario.errorCode, ErrorCode::kNone);
    EXPECT_EQ(Warnings(compiled.scenario, {c.finding}), c.expected);
  }
}

// A timetable past midnight: the lateness is counted across it, and a
// time the train makes after midnight is quiet.
TEST(TimingWarnings, AcrossMidnight) {
  const auto compiled = [](const std::string& riccione) {
    std::string train(content::TemplateTrainBytes());
    train = ReplaceAll(train, "60,    15,    27,    0,    RICCIONE",
                       "60,    " + riccione + ",    0,    RICCIONE");
    train = ReplaceAll(train, "0,    15,    35,    0,    CATTOLICA",
                       "0,    0,    2,    0,    CATTOLICA");
    return CompileTexts(std::string(content::TemplateLineBytes()), train);
  };
  const std::string late =
      Warnings(compiled("23,    55").scenario, {TimeFinding(3, 2, 23 * 3600 + 65 * 60 + 0.5)});
  EXPECT_NE(late.find("scheduled at 00:02:00, earlier than the train can make it: 00:05:01 at the "
                      "earliest, 3 min 1 s later"),
            std::string::npos)
      << late;
  EXPECT_NE(late.find("scheduled at 23:55:00: from then the train needs at least 10 min 1 s"),
            std::string::npos)
      << late;
  EXPECT_NE(late.find("schedule CATTOLICA at 00:06:00 or later"), std::string::npos) << late;
  EXPECT_EQ(
      Warnings(compiled("23,    50").scenario, {TimeFinding(3, 2, 23 * 3600 + 60 * 60 + 0.5)}), "");
}

TEST(TimingWarnings, SilencingOneLeavesTheOthers) {
  auto compiled = CompileTexts(std::string(content::TemplateLineBytes()),
                               std::string(content::TemplateTrainBytes()));
  Finding stalls;
  stalls.kind = Finding::Kind::kStalls;
  stalls.position = 14250;
  Finding shortZone;
  shortZone.kind = Finding::Kind::kZoneShorterThanTrain;
  shortZone.slot = 3;
  const std::vector<Finding> all = {TimeFinding(3, 2, 15 * 3600 + 40 * 60), stalls, shortZone};
  const auto ids = [&](const std::set<Warning>& silenced) {
    std::string out;
    for (const Diagnostic& d :
         RunningTimeWarnings(compiled.scenario, TemplateTimes(compiled.scenario, all), silenced)) {
      out += std::string(WarningId(d.warning)) + " ";
    }
    return out;
  };
  EXPECT_EQ(ids({}), "unkeepable-time traction short-stop-zone ");
  EXPECT_EQ(ids({Warning::kTraction}), "unkeepable-time short-stop-zone ");
  EXPECT_EQ(ids({Warning::kUnkeepableTime, Warning::kShortStopZone}), "traction ");
}

// Small scenarios compiled in memory and run with a train given whole, so
// that no default decides the case.
TrainTable Express() {
  TrainTable t;
  t.massTonnes = 500;
  t.lengthMetres = 200;
  t.topSpeedKmh = 160;
  t.startingTractiveEffortKn = 250;
  t.powerKw = 5000;
  t.davisAKn = 5;
  t.davisBKnPerKmh = 0.05;
  t.davisCKnPerKmh2 = 0.0008;
  t.rotatingMassFactor = 1.06;
  t.brakingDeceleration = 0.5;
  t.dwellSeconds = 60;
  t.allowancePercent = 5;
  return t;
}

std::string Station(int position, int length, const std::string& time, const std::string& name) {
  return "stazione, " + std::to_string(position) + ", 12, " + std::to_string(length) +
         ", 0,0,0, 1,1,0, 4,1,1, 0, " + time + ", " + name + "\r\n";
}

// The warnings of the compile and of the running times, by identifier.
std::string WarningIds(const std::string& gradients, const std::string& stations,
                       const std::string& slowdowns, const TrainTable& table) {
  const std::string line =
      "[generale]\r\nlunghezza percorso, 40000\r\n[pendenze]\r\npendenza, 0, 0\r\n" + gradients +
      "[fine]\r\n";
  const std::string train =
      "[generale]\r\nnumero vetture, 6\r\norologio, 9, 55, 0\r\n[aderenze]\r\naderenza, 0, "
      "100\r\n[vel_limite]\r\nvelocita, 0, 160\r\n[stazioni]\r\n" +
      stations + "[rallentamenti]\r\n" + slowdowns + "[fine]\r\n";
  auto compiled = CompileTexts(line, train, 1);
  const Scenario& s = compiled.scenario;
  EXPECT_EQ(s.errorCode, ErrorCode::kNone);
  std::string out;
  for (const Diagnostic& d : s.diagnostics) out += std::string(WarningId(d.warning)) + " ";
  const RunningTime rt = ComputeRunningTime(s, ResolveTrain(table, s));
  for (const Diagnostic& d : RunningTimeWarnings(s, rt, {})) {
    out += std::string(WarningId(d.warning)) + " ";
  }
  return out;
}

TEST(TimingWarnings, ImpossibleTimetablesAreFlagged) {
  TrainTable weak = Express();
  weak.startingTractiveEffortKn = 100;
  weak.powerKw = 1000;
  TrainTable longer = Express();
  longer.lengthMetres = 300;
  const std::string slowdown = "rallentamento, 12000, 30, 3000, 0, 1, 30\r\n";
  const struct {
    const char* name;
    std::string gradients;
    std::string stations;
    std::string slowdowns;
    TrainTable train;
    std::string expected;
  } kCases[] = {
      {"24 km in 5 minutes", "",
       Station(1000, 400, "10, 0, 0", "ALFA") + Station(25000, 400, "10, 5, 0", "BETA"), "",
       Express(), "unkeepable-time "},
      {"24 km in 15 minutes", "",
       Station(1000, 400, "10, 0, 0", "ALFA") + Station(25000, 400, "10, 15, 0", "BETA"), "",
       Express(), ""},
      {"a stop too early after a slow slowdown", "",
       Station(1000, 400, "10, 0, 0", "ALFA") + Station(25000, 400, "10, 12, 0", "BETA"), slowdown,
       Express(), "unkeepable-time "},
      {"the same stop without the slowdown", "",
       Station(1000, 400, "10, 0, 0", "ALFA") + Station(25000, 400, "10, 12, 0", "BETA"), "",
       Express(), ""},
      {"across midnight, in time", "",
       Station(1000, 400, "23, 55, 0", "ALFA") + Station(25000, 400, "0, 15, 0", "BETA"), "",
       Express(), ""},
      {"across midnight, too early", "",
       Station(1000, 400, "23, 58, 0", "ALFA") + Station(25000, 400, "0, 2, 0", "BETA"), "",
       Express(), "unkeepable-time "},
      {"an earlier time than the one before", "",
       Station(1000, 400, "10, 0, 0", "ALFA") + Station(25000, 400, "9, 50, 0", "BETA"), "",
       Express(), "time-order "},
      {"a weak train on 30 per mille", "pendenza, 8000, 30\r\npendenza, 16000, 0\r\n",
       Station(1000, 400, "10, 0, 0", "ALFA") + Station(25000, 400, "10, 30, 0", "BETA"), "", weak,
       "traction "},
      {"the express on 30 per mille", "pendenza, 8000, 30\r\npendenza, 16000, 0\r\n",
       Station(1000, 400, "10, 0, 0", "ALFA") + Station(25000, 400, "10, 30, 0", "BETA"), "",
       Express(), ""},
      {"a weak train stopped on 30 per mille", "pendenza, 0, 30\r\npendenza, 16000, 0\r\n",
       Station(1000, 400, "10, 0, 0", "ALFA") + Station(25000, 400, "10, 30, 0", "BETA"), "", weak,
       "traction "},
      {"a 200 m zone for a 300 m train", "",
       Station(1000, 400, "10, 0, 0", "ALFA") + Station(12000, 200, "10, 15, 0", "BETA") +
           Station(25000, 400, "10, 30, 0", "GAMMA"),
       "", longer, "short-stop-zone "},
      {"a 200 m zone for a 200 m train", "",
       Station(1000, 400, "10, 0, 0", "ALFA") + Station(12000, 200, "10, 15, 0", "BETA") +
           Station(25000, 400, "10, 30, 0", "GAMMA"),
       "", Express(), ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(WarningIds(c.gradients, c.stations, c.slowdowns, c.train), c.expected);
  }
}

// The built-in scenario with its example project, and harmless variants of
// its descriptions, and the template with the project `new` writes: no
// running-time warning with the train their project files give.
TEST(TimingWarnings, NoneOnTheBuiltInScenarioAndTheTemplate) {
  const ProjectParse example = ParseProject(content::ExampleProjectBytes(), "scenario.toml");
  ASSERT_TRUE(example.ok());
  for (const testing::DescriptionVariant& v : testing::BuiltInVariants()) {
    SCOPED_TRACE(v.name);
    auto compiled = CompileTexts(v.line, v.train, 1);
    const Scenario& s = compiled.scenario;
    ASSERT_EQ(s.errorCode, ErrorCode::kNone);
    const RunningTime rt = ComputeRunningTime(s, ResolveTrain(example.project.trainData, s));
    std::string told;
    for (const Diagnostic& d : RunningTimeWarnings(s, rt, {})) told += FormatDiagnostic(d) + "\n";
    EXPECT_EQ(told, "");
  }
  const std::string templateProject =
      ReplaceAll(ReplaceAll(std::string(content::TemplateProjectBytes()), "@LINE@", "\"Costa\""),
                 "@TRAIN@", "\"42\"");
  const ProjectParse project = ParseProject(templateProject, "scenario.toml");
  ASSERT_TRUE(project.ok());
  auto compiled = CompileTexts(std::string(content::TemplateLineBytes()),
                               std::string(content::TemplateTrainBytes()), 1);
  const Scenario& s = compiled.scenario;
  const RunningTime rt = ComputeRunningTime(s, ResolveTrain(project.project.trainData, s));
  std::string told;
  for (const Diagnostic& d : RunningTimeWarnings(s, rt, {})) told += FormatDiagnostic(d) + "\n";
  EXPECT_EQ(told, "");
}

}  // namespace
}  // namespace sb::running
