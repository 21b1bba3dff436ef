// What compile tells its user: the diagnostics it reports and those it
// leaves out, the exit status under --werror, the JSON report and the
// summary line. The outcomes are compiled in memory and given warnings by
// hand, so that these tests do not wait on the readers to find any.
#include "app/compile_report.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "app/warning_folds.h"
#include "app_test_support.h"

namespace sb {
namespace {

using testing::Crlf;
using testing::Quote;
using testing::RunTool;
using testing::TempDir;
using testing::ToolRun;
using testing::WriteFile;

const std::string kLine = Crlf({"[generale]", "lunghezza percorso,    10000", "[fine]"});
const std::string kTrain = Crlf(
    {"[generale]", "velocita,       0,   110", "aderenza, 0, 100",
     "segnale,    2000,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
     "stazione,   3000, 12,  500,  0, 0, 0,  1,1,0,  4,1,1,   60,  15,27, 0, RICCIONE", "[fine]"});
const char* const kWritten = "wrote Test_linea.dat, Test_1.sim, Test_1.dat";

RunOutcome CompileInMemory(const std::string& line, const std::string& train) {
  MemoryDisk disk;
  EXPECT_TRUE(disk.WriteFile("Test_linea.txt", line).ok());
  EXPECT_TRUE(disk.WriteFile("Test_1-.txt", train).ok());
  return CompileDescriptions(
      disk, {"Test_linea.txt", "Test_1-.txt", "Test", "1", "out", true, {}, {}, {}});
}

Diagnostic MakeWarning(Warning w, int line, std::string message) {
  Diagnostic d;
  d.severity = Severity::kWarning;
  d.warning = w;
  d.file = "Test_1-.txt";
  d.line = line;
  d.message = std::move(message);
  return d;
}

// A compile with no error and two warnings, the second with a note and a
// hint.
RunOutcome Warned() {
  RunOutcome o = CompileInMemory(kLine, kTrain);
  EXPECT_EQ(o.exitCode, kExitOk);
  std::vector<Diagnostic>& all = o.scenario.diagnostics;
  all.push_back(MakeWarning(Warning::kExtraValues, 2, "one value too many"));
  all.push_back(MakeWarning(Warning::kNotANumber, 3, "'110.0' reads as 0"));
  all.back().hint = "write 110";
  all.back().related = {{"Test_linea.txt", 2, 5, "the line's length"}};
  return o;
}

struct Report {
  int exit = -1;
  std::string out;
  std::string err;
};

Report Reported(const RunOutcome& o, const CompileReportOptions& options) {
  std::ostringstream out;
  std::ostringstream err;
  Report r;
  r.exit = ReportCompile(o, options, out, err);
  r.out = out.str();
  r.err = err.str();
  return r;
}

CompileReportOptions With(std::vector<std::string> arguments, bool werror = false,
                          bool quiet = false) {
  CompileReportOptions options;
  for (const std::string& a : arguments) EXPECT_TRUE(options.warnings.Apply(a)) << a;
  options.warnings.werror = werror;
  options.quiet = quiet;
  return options;
}

TEST(CompileReport, WarningsSilencedWerrorAndQuiet) {
  const std::string extra = "Test_1-.txt:2: warning: one value too many [-Wextra-values]\n";
  const std::string nan =
      "Test_1-.txt:3: warning: '110.0' reads as 0 [-Wnot-a-number]\n"
      "Test_linea.txt:2:5: note: the line's length\n"
      "hint: write 110\n";
  const std::string figures = "Test: 10000 m, 1 station, 1 signal, 0 slowdowns, ";
  struct Case {
    const char* name;
    CompileReportOptions options;
    int exit;
    std::string err;
  };
  const Case cases[] = {
      {"both reported, in order", With({}), 0,
       extra + nan + figures + "2 warnings; " + kWritten + "\n"},
      {"one silenced", With({"-Wno-extra-values"}), 0,
       nan + figures + "1 warning; " + kWritten + "\n"},
      {"the last word on an id wins", With({"-Wno-extra-values", "-Wextra-values"}), 0,
       extra + nan + figures + "2 warnings; " + kWritten + "\n"},
      {"--werror fails a compile that warned", With({}, true), 1,
       extra + nan + figures + "2 warnings; " + kWritten + "\n"},
      {"--werror passes when every warning is silenced",
       With({"-Wno-extra-values", "-Wno-not-a-number"}, true), 0,
       figures + "0 warnings; " + kWritten + "\n"},
      {"--quiet drops the summary alone", With({"-Wno-not-a-number"}, false, true), 0, extra},
  };
  const RunOutcome o = Warned();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Report r = Reported(o, c.options);
    EXPECT_EQ(r.exit, c.exit);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, "");
  }
}

// Warnings and errors go out in the order found; the closing lines last.
TEST(CompileReport, WarningsAmongErrorsInTheirOrder) {
  RunOutcome o = CompileInMemory(
      kLine, Crlf({"[generale]", "velocita, 0, 110", "aderenza, 0, 100",
                   "stazione, 3020, 12, 500, 0,0,0, 1,1,0, 4,1,1, 60, 15,27, 0, A", "[fine]"}));
  ASSERT_EQ(o.exitCode, kExitRecorded);
  std::vector<Diagnostic>& all = o.scenario.diagnostics;
  ASSERT_EQ(all.size(), 1u);
  all.insert(all.begin(), MakeWarning(Warning::kExtraValues, 2, "before"));
  all.push_back(MakeWarning(Warning::kOutOfOrder, 4, "after"));
  const Report r = Reported(o, With({}, true));
  EXPECT_EQ(r.exit, kExitRecorded);
  EXPECT_EQ(r.err,
            "Test_1-.txt:2: warning: before [-Wextra-values]\n"
            "Test_1-.txt:4:11: error: station position is not a multiple of 50 "
            "(at 3020 m, km 3+020) [8]\n"
            "    stazione, 3020, 12, 500, 0,0,0, 1,1,0, 4,1,1, 60, 15,27, 0, A\n"
            "              ^\n"
            "Test_1-.txt:4: warning: after [-Wout-of-order]\n"
            "scenario-builder: error 8 (station position is not a multiple of 50), "
            "position 3020 m\n"
            "Test: 10000 m, 1 station, 0 signals, 0 slowdowns, 1 error, 2 warnings; " +
                std::string(kWritten) + "\n");
}

TEST(CompileReport, SummaryCounts) {
  struct Case {
    const char* name;
    std::string train;
    std::string summary;
  };
  const Case cases[] = {
      {"plurals and a slowdown",
       Crlf({"[generale]", "velocita, 0, 110", "aderenza, 0, 100",
             "stazione,   3000, 12,  500,  0, 0, 0,  1,1,0,  4,1,1,   60,  15,27, 0, A",
             "stazione,   6000, 12,  500,  0, 0, 0,  1,1,0,  4,1,1,   60,  15,30, 0, B",
             "segnale,    2000,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
             "segnale,    5000,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
             "rallentamento,   8000,    40,  200, 0,  1,  40", "[fine]"}),
       "Test: 10000 m, 2 stations, 2 signals, 1 slowdown, 0 warnings; " + std::string(kWritten)},
      {"an error is counted",
       Crlf({"[generale]", "velocita, 0, 110", "aderenza, 0, 100",
             "stazione, 3020, 12, 500, 0,0,0, 1,1,0, 4,1,1, "
             "60, 15,27, 0, A",
             "[fine]"}),
       // The station's slot holds the position read before the error.
       "Test: 10000 m, 1 station, 0 signals, 0 slowdowns, 1 error, 0 warnings; " +
           std::string(kWritten)},
      {"no grid: no figures and no file",
       Crlf({"[generale]", "velocita, 0, 110", "aderenza, 0, 100", "[fine]"}), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const bool noGrid = c.summary.empty();
    const RunOutcome o = CompileInMemory(noGrid ? Crlf({"[generale]", "[fine]"}) : kLine, c.train);
    const std::string expected = noGrid ? "Test: 1 error, 1 warning; no file written" : c.summary;
    EXPECT_EQ(CompileSummary(o, {}), expected);
  }
}

TEST(CompileReport, JsonTellsSeverityIdHintAndRelated) {
  std::ostringstream out;
  PrintJson(Warned(), With({"-Wno-extra-values"}).warnings, out);
  const nlohmann::json j = nlohmann::json::parse(out.str(), nullptr, false);
  ASSERT_TRUE(j.is_object()) << out.str();
  // Warnings change nothing of the run state's report.
  EXPECT_EQ(j.value("errorCode", -1), 0);
  EXPECT_EQ(j.value("errorPosition", -1), 0);
  ASSERT_EQ(j["diagnostics"].size(), 1u) << out.str();
  EXPECT_EQ(j["diagnostics"][0],
            nlohmann::json::parse(R"({"severity": "warning", "code": "not-a-number",
              "id": "not-a-number", "position": null, "km": null, "file": "Test_1-.txt",
              "line": 3, "column": null, "record": null, "message": "'110.0' reads as 0",
              "hint": "write 110", "related": [{"file": "Test_linea.txt", "line": 2,
              "column": 5, "message": "the line's length"}]})"));

  std::ostringstream errorOut;
  RunOutcome failed = CompileInMemory(
      kLine, Crlf({"[generale]", "velocita, 0, 110", "aderenza, 0, 100",
                   "stazione, 3020, 12, 500, 0,0,0, 1,1,0, 4,1,1, 60, 15,27, 0, A", "[fine]"}));
  PrintJson(failed, {}, errorOut);
  const nlohmann::json e = nlohmann::json::parse(errorOut.str(), nullptr, false);
  ASSERT_TRUE(e.is_object()) << errorOut.str();
  ASSERT_EQ(e["diagnostics"].size(), 1u) << errorOut.str();
  const nlohmann::json& d = e["diagnostics"][0];
  EXPECT_EQ(d["severity"], "error");
  EXPECT_EQ(d["code"], 8);
  EXPECT_TRUE(d["id"].is_null());
  EXPECT_TRUE(d["hint"].is_null());
  EXPECT_EQ(d["related"], nlohmann::json::array());
}

// One mistake repeated on every record: the text tells the first whole and
// folds those like it into a note after it; the JSON keeps every one and
// gives their count; the summary and --werror count every one.
TEST(CompileReport, WarningsLikeAnEarlierOneAreFoldedInTheText) {
  const std::string general = "[generale]\r\nlunghezza percorso,    10000\r\n";
  const std::string curve =
      "warning: 'curvas3' is a feature record, read only after the general section ends "
      "[-Wunknown-record]\n";
  const std::string hint =
      "hint: end the general section with a bracketed line such as '[curve]' above it\n";
  struct Case {
    const char* name;
    std::string line;
    std::string shown;  // stderr up to the summary line
    int warnings;
    std::vector<std::uint64_t> moreLikeIt;  // in the JSON, for each diagnostic
  };
  const Case cases[] = {
      {"a section header left out",
       general + Crlf({"curvas3, 1000, 100", "curvad5, 2000, 100", "curvas3, 3000, 100",
                       "curvas3, 4000, 100", "[fine]"}),
       "Test_linea.txt:3:1: " + curve + "    curvas3, 1000, 100\n    ^\n" + hint +
           "Test_linea.txt:4: note: and 3 more like it (lines 4-6)\n",
       4,
       {3, 0, 0, 0}},
      {"lines apart",
       general + Crlf({"curvas3, 1000, 100", "sfondo uno, 1", "curvas3, 2000, 100", "sfondo due, 0",
                       "curvas3, 3000, 100", "[fine]"}),
       "Test_linea.txt:3:1: " + curve + "    curvas3, 1000, 100\n    ^\n" + hint +
           "Test_linea.txt:5: note: and 2 more like it (lines 5, 7)\n",
       3,
       {2, 0, 0}},
      {"too many runs to list",
       general + Crlf({"curvas3, 1000, 100", "sfondo uno, 1", "curvas3, 2000, 100", "sfondo uno, 1",
                       "curvas3, 3000, 100", "sfondo uno, 1", "curvas3, 4000, 100", "sfondo uno, 1",
                       "curvas3, 5000, 100", "sfondo uno, 1", "curvas3, 6000, 100", "[fine]"}),
       "Test_linea.txt:3:1: " + curve + "    curvas3, 1000, 100\n    ^\n" + hint +
           "Test_linea.txt:5: note: and 5 more like it (lines 5 to 13)\n",
       6,
       {5, 0, 0, 0, 0, 0}},
      {"unlike warnings stay whole",
       general + Crlf({"sfondo uno, 1.0", "sfondo due, x", "[fine]"}),
       "Test_linea.txt:3:13: warning: expected a whole number, found '1.0' [-Wnot-a-number]\n"
       "    sfondo uno, 1.0\n"
       "                ^\n"
       "hint: write 1\n"
       "Test_linea.txt:4:13: warning: expected a whole number, found 'x' [-Wnot-a-number]\n"
       "    sfondo due, x\n"
       "                ^\n",
       2,
       {0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const RunOutcome o = CompileInMemory(c.line, kTrain);
    const Report text = Reported(o, With({}, true));
    EXPECT_EQ(text.exit, kExitRecorded);
    EXPECT_EQ(text.err, c.shown + "Test: 10000 m, 1 station, 1 signal, 0 slowdowns, " +
                            std::to_string(c.warnings) + " warnings; " + kWritten + "\n");
    std::ostringstream out;
    PrintJson(o, {}, out);
    const nlohmann::json j = nlohmann::json::parse(out.str());
    std::vector<std::uint64_t> more;
    for (const nlohmann::json& d : j["diagnostics"]) more.push_back(d.value("moreLikeIt", 0u));
    EXPECT_EQ(more, c.moreLikeIt);
  }
}

// What "like it" sets aside: quoted texts and numbers, not the words.
TEST(CompileReport, WarningsAreLikeWhenOnlyQuotesAndNumbersDiffer) {
  struct Case {
    std::string a;
    std::string b;
    bool like;
  };
  const Case cases[] = {
      {"'curvas3' is a feature record", "'curvad5' is a feature record", true},
      {"the signal's position is read from line 5 ('0')",
       "the signal's position is read from line 12 ('x')", true},
      {"gradient -3 at 200 m", "gradient 12 at 4000 m", true},
      {"sx 3 is outside 0 to 2", "s1 12 is outside 0 to 9", false},
      {"the signal's position is read", "the speed limit's position is read", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a + " / " + c.b);
    Diagnostic a = MakeWarning(Warning::kValueRange, 1, c.a);
    Diagnostic b = MakeWarning(Warning::kValueRange, 2, c.b);
    EXPECT_EQ(WarningShape(a) == WarningShape(b), c.like);
  }
}

// The options on the command line, on descriptions that do not warn.
TEST(CompileReport, CommandLineOptions) {
  TempDir dir;
  const std::string line = dir.file("Test_linea.txt");
  const std::string train = dir.file("Test_1-.txt");
  WriteFile(line, kLine);
  WriteFile(train, kTrain);
  const std::string compile = "compile --line " + Quote(line) + " --train " + Quote(train);
  const std::string valid = "extra-values missing-values not-a-number";
  struct Case {
    const char* name;
    std::string args;
    int exit;
    std::string err;  // the start of stderr; "" for nothing at all
  };
  TempDir out;
  const std::string outArg = " --out " + Quote(out.path());
  const Case cases[] = {
      {"an unknown id", compile + " -Wno-bogus" + outArg, 64,
       "scenario-builder: unknown warning 'bogus' in '-Wno-bogus'; the warnings are: " + valid},
      {"an unknown id turned on", compile + " -Wbogus" + outArg, 64,
       "scenario-builder: unknown warning 'bogus' in '-Wbogus'"},
      {"-W options without compile", "-Wno-extra-values --dir " + Quote(out.path()), 64,
       "scenario-builder: -W<id> and -Wno-<id> apply to compile, build and timetable only\n"},
      {"known ids before and after the subcommand",
       "-Wno-extra-values " + compile + " -Wextra-values -Wno-value-range --werror" + outArg, 0,
       "Test: 10000 m, 1 station, 1 signal, 0 slowdowns, 0 warnings; " + std::string(kWritten) +
           "\n"},
      {"--quiet", compile + " --quiet" + outArg, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ToolRun r = RunTool(c.args);
    EXPECT_EQ(r.exit, c.exit) << r.err;
    if (c.err.empty()) {
      EXPECT_EQ(r.err, "");
    } else {
      EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << r.err;
    }
    EXPECT_EQ(testing::Names(out.path()).size(), c.exit == 0 ? 3u : 0u);
  }
}

// A line length record with a value too many warns; the options act on it
// through the real executable.
TEST(CompileReport, WarningOptionsEndToEnd) {
  TempDir dir;
  const std::string line = dir.file("Test_linea.txt");
  const std::string train = dir.file("Test_1-.txt");
  WriteFile(line, Crlf({"[generale]", "lunghezza percorso,    10000, 7", "[fine]"}));
  WriteFile(train, kTrain);
  const std::string compile = "compile --line " + Quote(line) + " --train " + Quote(train);
  TempDir warned;
  const std::string warnedOut = " --out " + Quote(warned.path());
  const ToolRun plain = RunTool(compile + warnedOut);
  EXPECT_NE(plain.err.find("[-Wextra-values]"), std::string::npos) << plain.err;
  EXPECT_EQ(plain.exit, 0) << plain.err;
  EXPECT_NE(plain.err.find("1 warning;"), std::string::npos) << plain.err;
  const ToolRun werror = RunTool(compile + " --werror" + warnedOut);
  EXPECT_EQ(werror.exit, 1) << werror.err;
  EXPECT_EQ(testing::Names(warned.path()).size(), 3u);  // written all the same
  const ToolRun silenced = RunTool(compile + " --werror -Wno-extra-values --quiet" + warnedOut);
  EXPECT_EQ(silenced.exit, 0) << silenced.err;
  EXPECT_EQ(silenced.err, "");
}

// What an author gets for the built-in descriptions and harmless variants
// of them, through the real executable: nothing to warn of, even as errors.
TEST(CompileReport, BuiltInDescriptionsPassWerror) {
  for (const auto& v : testing::BuiltInVariants()) {
    SCOPED_TRACE(v.name);
    TempDir dir;
    const std::string line = dir.file("Lungomare_Nord_linea.txt");
    const std::string train = dir.file("Lungomare_Nord_911-.txt");
    WriteFile(line, v.line);
    WriteFile(train, v.train);
    const ToolRun run = RunTool("compile --werror --quiet --line " + Quote(line) + " --train " +
                                Quote(train) + " --out " + Quote(dir.path()));
    EXPECT_EQ(run.exit, 0);
    EXPECT_EQ(run.err, "");
  }
}

}  // namespace
}  // namespace sb
