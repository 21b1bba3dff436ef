// The running times' warnings: each finding's words pinned whole on the
// template's descriptions, the times the compile already tells left to it,
// and silencing one warning leaves the others.
#include "running_time/timing_warnings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/templates.h"
#include "test_support.h"

namespace sb::running {
namespace {

using testing::CompileTexts;
using testing::ReplaceAll;

const std::string kRiccione =
    "stazione,    10000,    12,    500,    0,    0,    0,    1,    1,    0,    4,    1,    1,    "
    "60,    15,    27,    0,    RICCIONE";
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

std::string Warnings(const Scenario& s, const std::vector<Finding>& findings,
                     const std::set<Warning>& silenced = {}) {
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
  std::string out;
  for (const Diagnostic& d : RunningTimeWarnings(s, rt, silenced)) {
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
       "Test_1-.txt:22:99: warning: station CATTOLICA is scheduled at 15:35:00, earlier than the "
       "train can make it: 15:37:01 at the earliest, 2 min 1 s later [-Wunkeepable-time]\n"
       "    " +
           kCattolica +
           "\n"
           "                                                                                      "
           "            ^\n"
           "Test_1-.txt:21:100: note: the previous stop, RICCIONE, scheduled at 15:27:00: from "
           "then the train needs at least 10 min 1 s to CATTOLICA\n"
           "hint: schedule CATTOLICA at 15:38:00 or later, or give a faster train in "
           "scenario.toml's [train] (power_kw, starting_tractive_effort_kn, top_speed_kmh)\n"},
      {"one where the train stops on", "", "", TimeFinding(2, 1, 15 * 3600 + 17 * 60 + 760),
       "Test_1-.txt:21:100: warning: station RICCIONE is scheduled at 15:27:00, earlier than the "
       "train can make it: 15:29:40 at the earliest, 2 min 40 s later [-Wunkeepable-time]\n"
       "    " +
           kRiccione +
           "\n"
           "                                                                                      "
           "             ^\n"
           "Test_1-.txt:20:99: note: the previous stop, RIMINI, scheduled at 15:17:00: from then "
           "the train needs at least 11 min 40 s to RICCIONE, and stops there 1 min\n"
           "hint: schedule RICCIONE at 15:30:00 or later, or give a faster train in "
           "scenario.toml's [train] (power_kw, starting_tractive_effort_kn, top_speed_kmh)\n"},
      {"after a first station without a time", "1,    15,    17,    0,    RIMINI",
       "1,    0,    0,    0,    RIMINI", TimeFinding(2, 1, 15 * 3600 + 16 * 60 + 30 + 760),
       "Test_1-.txt:21:100: warning: station RICCIONE is scheduled at 15:27:00, earlier than the "
       "train can make it: 15:29:10 at the earliest, 2 min 10 s later [-Wunkeepable-time]\n"
       "    " +
           kRiccione +
           "\n"
           "                                                                                      "
           "             ^\n"
           "Test_1-.txt:20:15: note: the previous stop, RIMINI, which the train leaves at "
           "15:16:30: from then the train needs at least 11 min 40 s to RICCIONE, and stops there "
           "1 min\n"
           "hint: schedule RICCIONE at 15:30:00 or later, or give a faster train in "
           "scenario.toml's [train] (power_kw, starting_tractive_effort_kn, top_speed_kmh)\n"},
      {"a time earlier than the one before, which the compile tells",
       "60,    15,    27,    0,    RICCIONE", "60,    15,    40,    0,    RICCIONE",
       TimeFinding(3, 2, 15 * 3600 + 50 * 60), ""},
      {"the train cannot start", "", "", cannotStart,
       "Test_1-.txt:21:15: warning: the train cannot start from station RICCIONE on a mean "
       "gradient of 32.0 per mille under the train: its starting tractive effort of 200 kN does "
       "not overcome the resistance there, of which the gradient alone makes 188 kN for 600 t "
       "(at 10000 m) [-Wtraction]\n"
       "    " +
           kRiccione +
           "\n"
           "              ^\n"
           "hint: give a train with more tractive effort and power or less mass in "
           "scenario.toml's [train] (starting_tractive_effort_kn, power_kw, mass_t), or make the "
           "gradient there gentler in the line description\n"},
      {"the train stalls between stations", "", "", stalls,
       "Test_1-.txt:21:15: warning: the train stalls after station RICCIONE on a mean gradient "
       "of 28.5 per mille under the train: its starting tractive effort of 200 kN does not "
       "overcome the resistance there, of which the gradient alone makes 168 kN for 600 t (at "
       "14250 m) [-Wtraction]\n"
       "    " +
           kRiccione +
           "\n"
           "              ^\n"
           "hint: give a train with more tractive effort and power or less mass in "
           "scenario.toml's [train] (starting_tractive_effort_kn, power_kw, mass_t), or make the "
           "gradient there gentler in the line description\n"},
      {"a stopping zone shorter than the train", "", "", shortZone,
       "Test_1-.txt:22:30: warning: the stopping zone of station CATTOLICA is 250 m long, "
       "shorter than the train (330 m): stopped there, the train stands partly outside it "
       "[-Wshort-stop-zone]\n"
       "    " +
           kCattolica +
           "\n"
           "                             ^\n"
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
    RunningTime rt;
    rt.train = TestTrain();
    rt.findings = all;
    std::string out;
    for (const Diagnostic& d : RunningTimeWarnings(compiled.scenario, rt, silenced)) {
      out += std::string(WarningId(d.warning)) + " ";
    }
    return out;
  };
  EXPECT_EQ(ids({}), "unkeepable-time traction short-stop-zone ");
  EXPECT_EQ(ids({Warning::kTraction}), "unkeepable-time short-stop-zone ");
  EXPECT_EQ(ids({Warning::kUnkeepableTime, Warning::kShortStopZone}), "traction ");
}

}  // namespace
}  // namespace sb::running
