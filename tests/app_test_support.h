// Shared by the tests of the program as a whole (command line, hostile
// environment, scenario run): running the built executable, the files a
// directory holds, and the sums of the scenario's compiled files.
#ifndef SB_TESTS_APP_TEST_SUPPORT_H_
#define SB_TESTS_APP_TEST_SUPPORT_H_

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "sha256.h"
#include "test_support.h"

namespace sb::testing {

struct ToolRun {
  int exit = -1;
  std::string out;
  std::string err;
};

inline std::string Quote(const std::string& s) { return "'" + s + "'"; }

// Runs the built executable with `args` (already quoted where needed),
// with `env` ("NAME=value ...") set for it alone.
inline ToolRun RunTool(const std::string& args, const std::string& env = "") {
  TempDir io;
  const std::string cmd = env + (env.empty() ? "" : " ") + Quote(SB_EXECUTABLE) + " " + args +
                          " >" + Quote(io.file("out")) + " 2>" + Quote(io.file("err")) +
                          " </dev/null";
  const int status = std::system(cmd.c_str());
  ToolRun r;
  r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = ReadFile(io.file("out"));
  r.err = ReadFile(io.file("err"));
  return r;
}

// File name -> contents, for every file in `dir` (none when it is missing).
inline std::map<std::string, std::string> Files(const std::string& dir) {
  std::map<std::string, std::string> out;
  if (!std::filesystem::is_directory(dir)) return out;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    out[e.path().filename().string()] = ReadFile(e.path().string());
  }
  return out;
}

// The names of the files in `dir`, sorted.
inline std::vector<std::string> Names(const std::string& dir) {
  std::vector<std::string> out;
  for (const auto& [name, bytes] : Files(dir)) out.push_back(name);
  return out;
}

// What the scenario run leaves, sorted.
inline const std::vector<std::string>& ScenarioRunFiles() {
  static const std::vector<std::string> names = {"Lungomare_Nord_911.dat",
                                                 "Lungomare_Nord_911.sim",
                                                 "Lungomare_Nord_911_note.txt",
                                                 "Lungomare_Nord_911_rallentamenti.txt",
                                                 "Lungomare_Nord_911_scheda_treno.txt",
                                                 "Lungomare_Nord_linea.dat"};
  return names;
}

// The summary line `compile` ends with for the scenario's descriptions,
// compiled under the identifiers given.
inline std::string ScenarioCompileSummary(const std::string& lineId = "Lungomare_Nord",
                                          const std::string& train = "911") {
  return lineId + ": 241000 m, 35 stations, 121 signals, 4 slowdowns, 0 warnings; wrote " + lineId +
         "_linea.dat, " + lineId + "_" + train + ".sim, " + lineId + "_" + train + ".dat\n";
}

// The pinned sums of the scenario's compiled files, file name -> hex digits,
// from the golden file the release scripts check the packages with too
// ("<sum>  <file name>" lines, as sha256sum writes them). The sums were
// taken after the files' contents had been decoded and checked by hand
// (stations, signals, slowdowns, boards, speed points, codes and the plan
// profile recomputed independently).
inline std::map<std::string, std::string> GoldenSums() {
  std::map<std::string, std::string> sums;
  std::istringstream in(ReadFile(SB_GOLDEN_SUMS));
  constexpr std::size_t kHexDigits = 64;
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() > kHexDigits + 2 && line.compare(kHexDigits, 2, "  ") == 0) {
      sums[line.substr(kHexDigits + 2)] = line.substr(0, kHexDigits);
    }
  }
  return sums;
}

// The three compiled files of the scenario, pinned by their sums; a golden
// file that is missing, or lacks one of them, fails the test.
inline void ExpectGolden(const std::map<std::string, std::string>& files) {
  static const std::map<std::string, std::string> sums = GoldenSums();
  for (const char* name :
       {"Lungomare_Nord_linea.dat", "Lungomare_Nord_911.sim", "Lungomare_Nord_911.dat"}) {
    ASSERT_TRUE(sums.count(name)) << "no pinned sum of " << name << " in " << SB_GOLDEN_SUMS;
    ASSERT_TRUE(files.count(name)) << name;
    EXPECT_EQ(Sha256Hex(files.at(name)), sums.at(name)) << name;
  }
}

}  // namespace sb::testing

#endif  // SB_TESTS_APP_TEST_SUPPORT_H_
