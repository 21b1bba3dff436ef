// The whole scenario through the core: the five documents written, the two
// descriptions compiled with the profile on, six files left, and the three
// compiled files pinned by their SHA-256.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "compiler/compiler.h"
#include "model/file_names.h"
#include "compiler/scenario.h"
#include "content/content_writer.h"
#include "sha256.h"
#include "test_support.h"

namespace sb {
namespace {

using testing::ReadFile;
using testing::Sha256Hex;
using testing::TempDir;

const std::string kLine = "Lungomare_Nord";
const std::string kTrain = "911";

struct ScenarioRun {
  Scenario s;
  CompileResult result;
};

ScenarioRun RunScenario(const TempDir& dir) {
  ScenarioRun r;
  r.s.lineId = kLine;
  r.s.trainNumber = kTrain;
  EXPECT_TRUE(dati_linea(dir.path(), kLine).ok);
  EXPECT_TRUE(dati_treno(dir.path(), kLine, kTrain).ok);
  EXPECT_TRUE(dati_note(dir.path(), kLine, kTrain).ok);
  EXPECT_TRUE(dati_rallentamenti(dir.path(), kLine, kTrain).ok);
  EXPECT_TRUE(dati_scheda(dir.path(), kLine, kTrain).ok);
  r.result = memorizza_percorso(r.s, 1, CompilerDirs{dir.path(), dir.path()});
  return r;
}

// File name -> contents, for every file in the directory.
std::map<std::string, std::string> Files(const TempDir& dir) {
  std::map<std::string, std::string> out;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    out[e.path().filename().string()] = ReadFile(e.path().string());
  }
  return out;
}

TEST(Scenario, Sha256) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex(std::string(56, 'a')),  // the length no longer fits the first block
            "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a");
  EXPECT_EQ(Sha256Hex(std::string(1000, 'a')),
            "41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3");
}

TEST(Scenario, LeavesSixFilesPinnedByTheirSums) {
  TempDir dir;
  ScenarioRun r = RunScenario(dir);
  ASSERT_EQ(r.result.end, RunEnd::kWritten);
  EXPECT_EQ(r.s.errorCode, 0);
  EXPECT_TRUE(r.s.diagnostics.empty());
  EXPECT_EQ(r.result.written,
            (std::vector<std::string>{ProfileFileName(kLine), ItemFileName(kLine, kTrain),
                                      CellFileName(kLine, kTrain)}));

  const auto files = Files(dir);
  std::vector<std::string> names;
  for (const auto& [name, bytes] : files) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{
                       "Lungomare_Nord_911.dat", "Lungomare_Nord_911.sim",
                       "Lungomare_Nord_911_note.txt", "Lungomare_Nord_911_rallentamenti.txt",
                       "Lungomare_Nord_911_scheda_treno.txt", "Lungomare_Nord_linea.dat"}));

  std::size_t texts = 0;
  for (const ScenarioItem& it : r.s.items) texts += it.text.size();
  EXPECT_EQ(texts, 400u);
  EXPECT_EQ(files.at("Lungomare_Nord_911.dat").size(), 74415u);
  EXPECT_EQ(files.at("Lungomare_Nord_911.sim").size(), 2958u + texts);
  // 496002 elements: 4 seeds of 4 bytes, 4 empty of 2, the rest of 10.
  EXPECT_EQ(files.at("Lungomare_Nord_linea.dat").size(), 4u * 4u + 4u * 2u + 495994u * 10u);

  EXPECT_EQ(Sha256Hex(files.at("Lungomare_Nord_linea.dat")), testing::kGoldenProfile);
  EXPECT_EQ(Sha256Hex(files.at("Lungomare_Nord_911.sim")), testing::kGoldenItems);
  EXPECT_EQ(Sha256Hex(files.at("Lungomare_Nord_911.dat")), testing::kGoldenCells);

  // A second run over the same directory gives the same bytes.
  ScenarioRun again = RunScenario(dir);
  EXPECT_EQ(again.s.errorCode, 0);
  EXPECT_EQ(Files(dir), files);
}

TEST(Scenario, CompiledModel) {
  TempDir dir;
  ScenarioRun r = RunScenario(dir);
  ASSERT_EQ(r.result.end, RunEnd::kWritten);
  const Scenario& s = r.s;
  ASSERT_EQ(s.lastCell, 4960);

  struct CellCase {
    const char* what;
    int cell;
    int kind, v1, v2, v3, v4;
  };
  const CellCase cells[] = {
      {"identity", 1, 0, 5121, 2579, 0, 0},
      {"signal at 8900", 179, 1, 32, 11, 11, 8},
      {"signal at 7600", 153, 1, 43, 11, 0, 7},
      {"slowdown warning", 446, 4, 80, 80, 0, 0},
      {"slowdown start", 470, 3, 80, 80, 0, 0},
      {"slowdown end", 486, 2, 80, 80, 0, 0},
      {"before the warning", 445, 5, 1, 1, 0, 0},
      {"before the warning", 442, 5, 4, 4, 0, 0},
      {"board at 19150", 384, 6, 2020, 2121, 2222, 22},
      {"board at 2950", 60, 6, 2828, 3232, 3434, 0},
      {"text board at 97500", 1951, 14, 80, 0, 0, 0},
      {"text board at 212400", 4249, 14, 79, 0, 0, 0},
      {"stop mark of station 1", 9, 10, 1, 0, 0, 0},
      {"stop mark of station 3", 204, 10, 3, 0, 0, 0},
  };
  for (const CellCase& c : cells) {
    SCOPED_TRACE(std::string(c.what) + ", cell " + std::to_string(c.cell));
    const TrackCell& t = s.cells[static_cast<std::size_t>(c.cell)];
    EXPECT_EQ(t.kind, c.kind);
    EXPECT_EQ(t.value1, c.v1);
    EXPECT_EQ(t.value2, c.v2);
    EXPECT_EQ(t.value3, c.v3);
    EXPECT_EQ(t.value4, c.v4);
  }
  for (int cell : {177, 175, 173, 171})
    EXPECT_EQ(s.cells[static_cast<std::size_t>(cell)].approachCode, 81 + (177 - cell) / 2);
  EXPECT_EQ(s.cells[0].speedLimit, 22);
  EXPECT_EQ(s.cells[59].speedLimit, 32);
  EXPECT_EQ(s.cells[4957].speedLimit, 13);
  EXPECT_EQ(s.cells[4958].speedLimit, 0);

  EXPECT_EQ(s.items[kSlotLine].num1, 610);
  EXPECT_EQ(s.items[kSlotLine].seconds, 35855);
  EXPECT_EQ(s.items[kSlotLine].text, "Lungomare_Nord");
  EXPECT_EQ(s.items[kSlotTrain].text, "911");
  EXPECT_EQ(s.items[80].text, "(Km 208+500)");
  EXPECT_EQ(s.items[79].text, "(Km 323+402)");
  EXPECT_EQ(s.items[1].text, "RIMINI");
  EXPECT_EQ(s.items[35].text, "PESCARA CENTRALE");
  EXPECT_EQ(s.items[36], ScenarioItem{});
  EXPECT_EQ(s.items[0], ScenarioItem{});

  // The train description places no speed points of its own: every one
  // comes from route completion.
  std::vector<int> points;
  for (std::size_t i = 0; i < s.cells.size(); ++i) {
    if (s.cells[i].kind == kKindSpeedPoint) {
      EXPECT_EQ(s.cells[i].value1, 180) << "cell " << i;
      points.push_back(static_cast<int>(i));
    }
  }
  EXPECT_EQ(points, (std::vector<int>{430,  452,  459,  465,  478,  485,  1381, 1388, 1394, 3187,
                                      3194, 3200, 3213, 3221, 3229, 3237, 4260, 4267, 4273, 4293}));
}

}  // namespace
}  // namespace sb
