// scenario-builder build: the compiled files and diagnostics are compile's,
// the six files are replaced as one set or not at all, and the example
// project draws the built-in scenario's own documents.
#include "app/build_command.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "app_test_support.h"
#include "base/disk.h"
#include "base/exit_status.h"
#include "content/content.h"

namespace sb {
namespace {

using testing::Files;
using testing::Quote;
using testing::ReadFile;
using testing::RunTool;
using testing::TempDir;
using testing::ToolRun;
using testing::WriteFile;

const char* const kCompiled[] = {"Costa_linea.dat", "Costa_42.sim", "Costa_42.dat"};
const char* const kDocuments[] = {"Costa_42_note.txt", "Costa_42_rallentamenti.txt",
                                  "Costa_42_scheda_treno.txt"};

// Everything but the last line (the summary, which names the files written).
std::string WithoutSummary(const std::string& err) {
  const std::size_t end = err.rfind('\n', err.size() >= 2 ? err.size() - 2 : 0);
  return end == std::string::npos ? std::string() : err.substr(0, end + 1);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// new's template and the example, built: warning-free, the six files, and
// the compiled three byte for byte what compile writes.
TEST(BuildCommand, BuildsWhatNewWritesAsCompileCompilesIt) {
  struct Case {
    std::string newArgs;
    std::string line, train;
    std::vector<std::string> six;
  };
  const Case cases[] = {
      {"new Costa 42",
       "Costa_linea.txt",
       "Costa_42-.txt",
       {"Costa_42.dat", "Costa_42.sim", "Costa_42_note.txt", "Costa_42_rallentamenti.txt",
        "Costa_42_scheda_treno.txt", "Costa_linea.dat"}},
      {"new --example", "Lungomare_Nord_linea.txt", "Lungomare_Nord_911-.txt",
       testing::ScenarioRunFiles()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.newArgs);
    TempDir dir;
    ASSERT_EQ(RunTool(c.newArgs + " --dir " + Quote(dir.path())).exit, 0);
    ToolRun built = RunTool("build " + Quote(dir.path()) + " --out " + Quote(dir.file("out")));
    EXPECT_EQ(built.exit, 0) << built.err;
    EXPECT_EQ(std::count(built.err.begin(), built.err.end(), '\n'), 1) << built.err;
    EXPECT_NE(built.err.find(" 0 warnings; wrote "), std::string::npos) << built.err;
    EXPECT_EQ(testing::Names(dir.file("out")), c.six);
    ToolRun compiled = RunTool("compile --line " + c.line + " --train " + c.train + " --out c",
                               "cd " + Quote(dir.path()) + " &&");
    ASSERT_EQ(compiled.exit, 0) << compiled.err;
    const auto built6 = Files(dir.file("out"));
    for (const auto& [name, bytes] : Files(dir.file("c"))) {
      ASSERT_TRUE(built6.count(name)) << name;
      EXPECT_TRUE(built6.at(name) == bytes) << name;
    }
    if (c.newArgs == "new --example") testing::ExpectGolden(built6);
  }
}

// A description with a warning, and one with an error that stops the
// reading: build says what compile says and ends as compile ends.
TEST(BuildCommand, DiagnosticsAndStatusesAreCompiles) {
  struct Case {
    const char* name;
    std::string from, to;
    int exit;
  };
  const Case cases[] = {
      {"a warning", "velocita,    2950,    160", "velocita,    2950,    163", 0},
      {"an error", "numero vetture,    6", "numero vetture,    99999999999", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    ASSERT_EQ(RunTool("new Costa 42 --dir " + Quote(dir.path())).exit, 0);
    const std::string train = ReadFile(dir.file("Costa_42-.txt"));
    ASSERT_NE(train.find(c.from), std::string::npos);
    WriteFile(dir.file("Costa_42-.txt"), testing::ReplaceAll(train, c.from, c.to));
    const std::string cd = "cd " + Quote(dir.path()) + " &&";
    ToolRun built = RunTool("build --out b", cd);
    ToolRun compiled = RunTool("compile --line Costa_linea.txt --train Costa_42-.txt --out c", cd);
    EXPECT_EQ(built.exit, c.exit) << built.err;
    EXPECT_EQ(compiled.exit, c.exit) << compiled.err;
    EXPECT_NE(WithoutSummary(built.err), "");
    EXPECT_EQ(WithoutSummary(built.err), WithoutSummary(compiled.err));
    // The compiled files are compile's either way.
    for (const char* name : kCompiled) {
      EXPECT_TRUE(ReadFile(dir.file(std::string("b/") + name)) ==
                  ReadFile(dir.file(std::string("c/") + name)))
          << name;
    }
    for (const char* name : kDocuments) {
      EXPECT_EQ(testing::Exists(dir.file(std::string("b/") + name)), c.exit == 0) << name;
    }
  }
}

// A time the train cannot keep is a warning of build's, not of compile's,
// which knows no train: -Wno- silences it, --werror fails on it, the JSON
// gives its identifier as its code and the summary line counts it.
TEST(BuildCommand, RunningTimeWarningsGoWhereTheCompilesGo) {
  TempDir dir;
  ASSERT_EQ(RunTool("new Costa 42 --dir " + Quote(dir.path())).exit, 0);
  const std::string train = ReadFile(dir.file("Costa_42-.txt"));
  // RICCIONE, 10 km on, 2 minutes after the start.
  const std::string from = "60,    15,    27,    0,    RICCIONE";
  ASSERT_NE(train.find(from), std::string::npos);
  WriteFile(dir.file("Costa_42-.txt"),
            testing::ReplaceAll(train, from, "60,    15,    19,    0,    RICCIONE"));
  const std::string cd = "cd " + Quote(dir.path()) + " &&";
  const struct {
    const char* options;
    int exit;
    bool told;
  } kCases[] = {
      {"", 0, true},
      {"-Wno-unkeepable-time", 0, false},
      {"--werror", 1, true},
      {"-Wno-unkeepable-time --werror", 0, false},
      {"-Wno-traction -Wno-short-stop-zone", 0, true},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.options);
    ToolRun built = RunTool(std::string("build --out b ") + c.options, cd);
    EXPECT_EQ(built.exit, c.exit) << built.err;
    EXPECT_EQ(built.err.find("[-Wunkeepable-time]") != std::string::npos, c.told) << built.err;
    EXPECT_NE(built.err.find(c.told ? ", 1 warning; " : ", 0 warnings; "), std::string::npos)
        << built.err;
  }
  ToolRun json = RunTool("build --out b --json", cd);
  EXPECT_NE(json.out.find("\"code\":\"unkeepable-time\""), std::string::npos) << json.out;
  ToolRun compiled = RunTool("compile --line Costa_linea.txt --train Costa_42-.txt --out c", cd);
  EXPECT_EQ(compiled.err.find("unkeepable-time"), std::string::npos) << compiled.err;
}

// Each bad input is told, and the set an earlier build left stays as it was.
TEST(BuildCommand, BadInputLosesNothing) {
  const std::string tooLong(40, 'X');
  struct Case {
    const char* name;
    std::string appended;  // to scenario.toml; "-" removes it
    std::string replaceFrom, replaceTo;
    int exit;
    std::string err;  // whole; @ stands for the project's folder
  };
  const Case cases[] = {
      {"no project file", "-", "", "", 74,
       "@/scenario.toml: error: cannot read '@/scenario.toml': No such file or directory\n"
       "hint: a scenario's folder holds its project file beside the two descriptions; "
       "'scenario-builder new NAME' writes one\n"
       "scenario.toml: 1 error; no file written\n"},
      {"not TOML", "x = = 1\n", "", "", 65,
       "@/scenario.toml:56:5: error: Error while parsing value: could not determine value type\n"
       "    x = = 1\n"
       "        ^\n"
       "scenario.toml: 1 error; no file written\n"},
      {"a description that does not exist", "", "train = \"42\"",
       "train = \"42\"\ntrain_description = \"Nope-.txt\"", 74,
       "scenario-builder: cannot read '@/Nope-.txt': No such file or directory\n"},
      {"a printed name too long for its cell",
       "\n[[station]]\nname = \"CATTOLICA\"\nprinted = \"" + tooLong + "\"\n", "", "", 65,
       "@/scenario.toml:58:8: error: the printed name \"" + tooLong +
           "\" has 40 characters; its cell holds 27\n"
           "    name = \"CATTOLICA\"\n"
           "           ^\n"
           "hint: shorten it to 27 characters: the sheet cuts it at its cell\n"
           "Costa: 20000 m, 3 stations, 5 signals, 1 slowdown, 1 error, 0 warnings; "
           "no file written\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    ASSERT_EQ(RunTool("new Costa 42 --dir " + Quote(dir.path())).exit, 0);
    const std::string out = dir.file("out");
    ASSERT_EQ(RunTool("build " + Quote(dir.path()) + " --out " + Quote(out)).exit, 0);
    const auto before = Files(out);
    ASSERT_EQ(before.size(), 6u);
    const std::string project = dir.file("scenario.toml");
    if (c.appended == "-") {
      std::remove(project.c_str());
    } else {
      std::string text = ReadFile(project) + c.appended;
      if (!c.replaceFrom.empty()) text = testing::ReplaceAll(text, c.replaceFrom, c.replaceTo);
      WriteFile(project, text);
    }
    ToolRun r = RunTool("build " + Quote(dir.path()) + " --out " + Quote(out));
    EXPECT_EQ(r.exit, c.exit);
    EXPECT_EQ(r.err, testing::ReplaceAll(c.err, "@", dir.path()));
    EXPECT_TRUE(Files(out) == before);
    // --json carries the same error as a diagnostic.
    if (c.exit == 65) {
      ToolRun json = RunTool("build --json " + Quote(dir.path()) + " --out " + Quote(out));
      EXPECT_EQ(json.exit, 65);
      EXPECT_NE(json.out.find("\"file\":" + std::string("\"") + dir.file("scenario.toml") + "\""),
                std::string::npos)
          << json.out;
      EXPECT_NE(json.out.find("\"severity\":\"error\""), std::string::npos) << json.out;
      EXPECT_NE(json.out.find("\"files\":[]"), std::string::npos) << json.out;
    }
  }
}

// A write that fails, at any of the six files, leaves the old set whole.
TEST(BuildCommand, AFailedWriteKeepsTheOldSet) {
  const char* const six[] = {"Costa_linea.dat",
                             "Costa_42.sim",
                             "Costa_42.dat",
                             "Costa_42_note.txt",
                             "Costa_42_rallentamenti.txt",
                             "Costa_42_scheda_treno.txt"};
  TempDir made;
  ASSERT_EQ(RunTool("new Costa 42 --dir " + Quote(made.path())).exit, 0);
  for (const char* failing : six) {
    SCOPED_TRACE(failing);
    MemoryDisk disk;
    ASSERT_TRUE(disk.MakeDirs("p/out").ok());
    for (const char* name : {"scenario.toml", "Costa_linea.txt", "Costa_42-.txt"}) {
      ASSERT_TRUE(disk.WriteFile(std::string("p/") + name, ReadFile(made.file(name))).ok());
    }
    for (const char* name : six) {
      ASSERT_TRUE(disk.WriteFile(std::string("p/out/") + name, std::string("old ") + name).ok());
    }
    const auto before = disk.files();
    disk.Fail(MemoryDisk::Op::kWrite, std::string("p/out/") + failing, std::strerror(ENOSPC));
    BuildRequest request;
    request.dir = "p";
    request.out = "p/out";
    std::ostringstream out, err;
    EXPECT_EQ(RunBuild(disk, request, out, err), kExitIo);
    EXPECT_NE(err.str().find("cannot write 'p/out/" + std::string(failing) +
                             "': " + std::strerror(ENOSPC)),
              std::string::npos)
        << err.str();
    EXPECT_TRUE(disk.files() == before);
    // Documents that cannot be drawn are what is told, whichever write
    // failed while they were being drawn.
    disk.files()["p/scenario.toml"] +=
        "\n[[station]]\nname = \"CATTOLICA\"\nprinted = \"" + std::string(40, 'X') + "\"\n";
    const auto refused = disk.files();
    std::ostringstream out2, err2;
    EXPECT_EQ(RunBuild(disk, request, out2, err2), kExitDataError);
    EXPECT_NE(err2.str().find("its cell holds 27"), std::string::npos) << err2.str();
    EXPECT_TRUE(disk.files() == refused);
  }
}

// A train of many stations: the sheet runs on over further pages.
TEST(BuildCommand, MoreStationsThanAPageHoldsRunOnOverFurtherPages) {
  TempDir dir;
  ASSERT_EQ(RunTool("new Costa 42 --dir " + Quote(dir.path())).exit, 0);
  std::string line = ReadFile(dir.file("Costa_linea.txt"));
  line = testing::ReplaceAll(line, "lunghezza percorso,    20000", "lunghezza percorso,    90000");
  WriteFile(dir.file("Costa_linea.txt"), line);
  std::string train = ReadFile(dir.file("Costa_42-.txt"));
  const std::string last = "stazione,    18300,";
  const std::size_t at = train.find(last);
  ASSERT_NE(at, std::string::npos);
  std::string more;
  for (int i = 0; i < 60; ++i) {
    more += "stazione,    " + std::to_string(20000 + 1000 * i) +
            ",    12,    100,    0,    0,    0,    1,    1,    0,    4,    1,    1,    0,    0,"
            "    0,    0,    FERMATA " +
            std::to_string(i) + "\r\n";
  }
  train.insert(train.find('\n', at) + 1, more);
  WriteFile(dir.file("Costa_42-.txt"), train);
  ToolRun r = RunTool("build " + Quote(dir.path()));
  ASSERT_EQ(r.exit, 0) << r.err;
  const std::string sheet = ReadFile(dir.file("Costa_42_scheda_treno.txt"));
  for (const char* page : {"SCHEDA 1/3", "SCHEDA 2/3", "SCHEDA 3/3"}) {
    EXPECT_NE(sheet.find(page), std::string::npos) << page;
  }
  EXPECT_EQ(sheet.find("SCHEDA 4/"), std::string::npos);
  EXPECT_NE(sheet.find("FERMATA 59"), std::string::npos);
}

// A time cell's form: where its times stand, whatever they are.
std::string TimeForm(std::string cell) {
  for (char& c : cell) {
    if (c >= '0' && c <= '9') c = '9';
  }
  return cell;
}

std::vector<std::string> Cells(const std::string& row) {
  std::vector<std::string> cells;
  std::size_t from = row.find('|');
  while (from != std::string::npos) {
    const std::size_t to = row.find('|', from + 1);
    if (to == std::string::npos) break;
    cells.push_back(row.substr(from + 1, to - from - 1));
    from = to;
  }
  return cells;
}

// The example project draws the built-in documents: the notes whole, the
// order but for row 3's literal text, the sheet but for km posts (within
// 200 m), the computed arrival and passing times (in the same forms; the
// departures are the descriptions') and the marching speeds the built-in
// sheet leaves blank, which the computed run fills within the limit.
TEST(BuildCommand, TheExampleDrawsTheBuiltInDocuments) {
  TempDir dir;
  ASSERT_EQ(RunTool("new --example --dir " + Quote(dir.path())).exit, 0);
  ASSERT_EQ(RunTool("build " + Quote(dir.path())).exit, 0);
  TempDir run;
  ASSERT_EQ(RunTool("--dir " + Quote(run.path())).exit, 0);
  const auto read = [](const TempDir& d, const char* name) {
    return ReadFile(d.file(std::string("Lungomare_Nord_911_") + name));
  };
  EXPECT_EQ(read(dir, "note.txt"), read(run, "note.txt"));

  const auto order = Lines(read(dir, "rallentamenti.txt"));
  const auto builtInOrder = Lines(read(run, "rallentamenti.txt"));
  ASSERT_EQ(order.size(), builtInOrder.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (i + 1 == 15) {
      // The built-in row runs its names over the cell.
      EXPECT_EQ(
          builtInOrder[i],
          " | 3 |P.to S.GIORGIO-CUPRAMARITTIMA    271     |    50    |  1800   |     B      |");
      EXPECT_EQ(
          order[i],
          " | 3 | PORTO S.GIORGIO - CUPRAMARI|    271     |    50    |  1800   |     B      |");
    } else {
      EXPECT_EQ(order[i], builtInOrder[i]) << "line " << i + 1;
    }
  }

  const auto sheet = Lines(read(dir, "scheda_treno.txt"));
  const auto builtInSheet = Lines(read(run, "scheda_treno.txt"));
  ASSERT_EQ(sheet.size(), builtInSheet.size());
  int kmRows = 0;
  for (std::size_t i = 0; i < sheet.size(); ++i) {
    SCOPED_TRACE("line " + std::to_string(i + 1) + ": " + builtInSheet[i]);
    if (sheet[i] == builtInSheet[i]) continue;
    const auto cells = Cells(sheet[i]);
    const auto expected = Cells(builtInSheet[i]);
    ASSERT_EQ(cells.size(), 7u);
    ASSERT_EQ(expected.size(), 7u);
    for (int k : {0, 3, 4, 6}) EXPECT_EQ(cells[k], expected[k]) << "cell " << k;
    if (expected[1] == "     " && cells[1] != expected[1]) {
      EXPECT_LE(std::stoi(cells[1]), std::stoi(cells[0])) << "a marching speed over the limit";
    } else {
      EXPECT_EQ(cells[1], expected[1]);
    }
    EXPECT_EQ(TimeForm(cells[5]), TimeForm(expected[5]));
    const std::size_t departure = expected[5].find(" - ");
    if (departure != std::string::npos) {
      EXPECT_EQ(cells[5].substr(departure), expected[5].substr(departure));
    }
    if (expected[2].find_first_not_of(' ') == std::string::npos) {
      EXPECT_EQ(cells[2], expected[2]);
    } else {
      const double km = std::stod(cells[2]);
      const double builtInKm = std::stod(expected[2]);
      EXPECT_LE(std::fabs(km - builtInKm), 0.2005) << cells[2];
      ++kmRows;
    }
  }
  EXPECT_GT(kmRows, 0);
}

}  // namespace
}  // namespace sb
