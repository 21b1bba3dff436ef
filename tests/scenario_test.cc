// The scenario run and the compile command over a disk held in memory: the
// five documents written, the two descriptions read and deleted in order,
// six files left and the three compiled ones pinned by their SHA-256; and
// every file operation that can fail, failing.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "app/scenario_run.h"
#include "app_test_support.h"
#include "base/disk.h"
#include "content/content.h"
#include "model/file_names.h"

namespace sb {
namespace {

using testing::Crlf;
using testing::Sha256Hex;

const std::string kLine = "Lungomare_Nord";
const std::string kTrain = "911";
const std::string kDir = "run";

// A memory disk that logs every operation that changes or reads a file.
class LoggingDisk : public MemoryDisk {
 public:
  std::vector<std::string> log;

  Status ReadFile(const std::string& path, std::string* contents, std::uint64_t maxBytes) override {
    log.push_back("read " + path);
    return MemoryDisk::ReadFile(path, contents, maxBytes);
  }
  Status WriteFile(const std::string& path, std::string_view contents) override {
    log.push_back("write " + path);
    return MemoryDisk::WriteFile(path, contents);
  }
  Status RemoveFile(const std::string& path) override {
    log.push_back("remove " + path);
    return MemoryDisk::RemoveFile(path);
  }
};

std::string In(const std::string& name) { return kDir + "/" + name; }

// File name -> contents, for the files in kDir.
std::map<std::string, std::string> Files(const MemoryDisk& disk) {
  std::map<std::string, std::string> out;
  for (const auto& [path, bytes] : disk.files()) {
    if (path.rfind(kDir + "/", 0) == 0) out[path.substr(kDir.size() + 1)] = bytes;
  }
  return out;
}

struct ScenarioRun {
  LoggingDisk disk;
  RunOutcome outcome;
};

void RunScenario(ScenarioRun& r) {
  ASSERT_TRUE(r.disk.MakeDirs(kDir).ok());
  r.outcome = Form_Load(r.disk, kDir);
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
  ScenarioRun r;
  RunScenario(r);
  const Scenario& s = r.outcome.scenario;
  ASSERT_EQ(r.outcome.end, RunEnd::kWritten);
  EXPECT_EQ(r.outcome.exitCode, kExitOk);
  EXPECT_EQ(s.errorCode, 0);
  EXPECT_TRUE(s.diagnostics.empty());
  EXPECT_EQ(r.outcome.written,
            (std::vector<std::string>{ProfileFileName(kLine), ItemFileName(kLine, kTrain),
                                      CellFileName(kLine, kTrain)}));

  const auto files = Files(r.disk);
  std::vector<std::string> names;
  for (const auto& [name, bytes] : files) names.push_back(name);
  EXPECT_EQ(names, testing::ScenarioRunFiles());
  EXPECT_EQ(files.at(NotesName(kLine, kTrain)), content::RawBytes(content::Document::kNotes));
  EXPECT_EQ(files.at(SlowdownOrderName(kLine, kTrain)),
            content::RawBytes(content::Document::kSlowdowns));
  EXPECT_EQ(files.at(TimetableSheetName(kLine, kTrain)),
            content::RawBytes(content::Document::kSheet));

  std::size_t texts = 0;
  for (const ScenarioItem& it : s.items) texts += it.text.size();
  EXPECT_EQ(texts, 400u);
  EXPECT_EQ(files.at("Lungomare_Nord_911.dat").size(), 74415u);
  EXPECT_EQ(files.at("Lungomare_Nord_911.sim").size(), 2958u + texts);
  // 496002 elements: 4 seeds of 4 bytes, 4 empty of 2, the rest of 10.
  EXPECT_EQ(files.at("Lungomare_Nord_linea.dat").size(), 4u * 4u + 4u * 2u + 495994u * 10u);

  testing::ExpectGolden(files);

  // A second run over the same directory gives the same bytes.
  r.outcome = Form_Load(r.disk, kDir);
  EXPECT_EQ(r.outcome.scenario.errorCode, 0);
  EXPECT_EQ(Files(r.disk), files);
}

// The documents first, then each description read and deleted by its
// reader, then the compiled files: a run killed at any moment leaves what
// an earlier run would have left, or the new files whole.
TEST(Scenario, FileOperationsInOrder) {
  ScenarioRun r;
  RunScenario(r);
  const std::string lineDesc = In(LineDescriptionName(kLine));
  const std::string trainDesc = In(TrainDescriptionName(kLine, kTrain));
  EXPECT_EQ(r.disk.log, (std::vector<std::string>{
                            "write " + lineDesc,
                            "write " + trainDesc,
                            "write " + In(NotesName(kLine, kTrain)),
                            "write " + In(SlowdownOrderName(kLine, kTrain)),
                            "write " + In(TimetableSheetName(kLine, kTrain)),
                            "read " + lineDesc,
                            "remove " + lineDesc,
                            "read " + trainDesc,
                            "remove " + trainDesc,
                            "write " + In(ProfileFileName(kLine)),
                            "write " + In(ItemFileName(kLine, kTrain)),
                            "write " + In(CellFileName(kLine, kTrain)),
                        }));
}

TEST(Scenario, CompiledModel) {
  ScenarioRun r;
  RunScenario(r);
  ASSERT_EQ(r.outcome.end, RunEnd::kWritten);
  const Scenario& s = r.outcome.scenario;
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

// Every file operation of the scenario run refused in turn: what the run
// records, how it ends and which files are left.
TEST(Scenario, RefusedFileOperations) {
  using Op = MemoryDisk::Op;
  const std::string lineDesc = LineDescriptionName(kLine);
  const std::string trainDesc = TrainDescriptionName(kLine, kTrain);
  const std::vector<std::string> documents = {NotesName(kLine, kTrain),
                                              SlowdownOrderName(kLine, kTrain),
                                              TimetableSheetName(kLine, kTrain)};
  const std::vector<std::string> compiled = {ProfileFileName(kLine), ItemFileName(kLine, kTrain),
                                             CellFileName(kLine, kTrain)};
  auto with = [](std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  struct Case {
    const char* name;
    Op op;
    std::string file;
    int exit;
    int32_t errorCode;
    std::string ioMessage;  // "" for none
    std::vector<std::string> left;
  };
  const Case cases[] = {
      // The descriptions exist only for the compiler, which does not run.
      {"a document cannot be written",
       Op::kWrite,
       NotesName(kLine, kTrain),
       kExitIo,
       0,
       "cannot write '" + In(NotesName(kLine, kTrain)) + "': Permission denied",
       {}},
      // The line reader ends on the failed delete; the failure handler
      // deletes the train description and the grid is compiled all the same.
      {"the line description cannot be deleted", Op::kRemove, lineDesc, kExitIo, 25,
       "cannot delete '" + In(lineDesc) + "': Permission denied",
       with(with({lineDesc}, documents), compiled)},
      {"the train description cannot be deleted", Op::kRemove, trainDesc, kExitIo, 25,
       "cannot delete '" + In(trainDesc) + "': Permission denied",
       with(with({trainDesc}, documents), compiled)},
      {"the line description cannot be read", Op::kRead, lineDesc, kExitRecorded, 25, "",
       documents},
      {"the train description cannot be read", Op::kRead, trainDesc, kExitRecorded, 25, "",
       with(documents, compiled)},
      // The compiled files go in place as a set: none of them.
      {"the cell file cannot be written", Op::kWrite, CellFileName(kLine, kTrain), kExitIo, 0,
       "cannot write '" + In(CellFileName(kLine, kTrain)) + "': Permission denied", documents},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryDisk disk;
    ASSERT_TRUE(disk.MakeDirs(kDir).ok());
    disk.Fail(c.op, In(c.file));
    RunOutcome o = Form_Load(disk, kDir);
    EXPECT_EQ(o.exitCode, c.exit);
    EXPECT_EQ(o.scenario.errorCode, c.errorCode);
    EXPECT_EQ(o.ioMessage, c.ioMessage);
    std::vector<std::string> left;
    for (const auto& [name, bytes] : Files(disk)) left.push_back(name);
    std::vector<std::string> expected = c.left;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(left, expected);
  }
}

// The compile command reads the author's descriptions where they are,
// names them by their paths, and never changes them.
TEST(Scenario, CompileRefusedOperationsAndMissingFiles) {
  using Op = MemoryDisk::Op;
  const std::string line = "src/Test_linea.txt";
  const std::string train = "src/Test_1-.txt";
  const std::string goodLine = Crlf({"[generale]", "lunghezza percorso,    10000", "[fine]"});
  const std::string goodTrain = Crlf({"[generale]", "velocita,       0,   110", "[fine]"});
  const std::vector<std::string> all = {"out/Test_1.dat", "out/Test_1.sim", "out/Test_linea.dat"};
  struct Case {
    const char* name;
    bool lineThere;
    Op op;
    std::string refused;  // "" for none
    int exit;
    int32_t errorCode;
    std::string ioMessage;
    std::string diagnostic;  // the start of the last diagnostic's message
    std::vector<std::string> written;
  };
  // A description that cannot be read ends the compile before anything
  // is written, with the compiler's code for it among the diagnostics.
  const std::string lineRefused = "cannot read '" + line + "': Permission denied";
  const std::string trainRefused = "cannot read '" + train + "': Permission denied";
  const std::string lineMissing = "cannot read '" + line + "': No such file or directory";
  const Case cases[] = {
      {"a line description that cannot be read",
       true,
       Op::kRead,
       line,
       kExitIo,
       101,
       lineRefused,
       lineRefused,
       {}},
      {"a train description that cannot be read",
       true,
       Op::kRead,
       train,
       kExitIo,
       25,
       trainRefused,
       trainRefused,
       {}},
      {"no line description", false, Op::kRead, "", kExitIo, 101, lineMissing, lineMissing, {}},
      {"an output directory that cannot be made",
       true,
       Op::kMakeDirs,
       "out",
       kExitIo,
       0,
       "cannot create 'out': Permission denied",
       "",
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryDisk disk;
    ASSERT_TRUE(disk.MakeDirs("src").ok());
    if (c.lineThere) {
      ASSERT_TRUE(disk.WriteFile(line, goodLine).ok());
    }
    ASSERT_TRUE(disk.WriteFile(train, goodTrain).ok());
    const auto given = disk.files();
    if (!c.refused.empty()) disk.Fail(c.op, c.refused);
    CompileRequest request{line, train, "Test", "1", "out", true, {}, {}, {}};
    RunOutcome o = CompileDescriptions(disk, request);
    EXPECT_EQ(o.exitCode, c.exit);
    EXPECT_EQ(o.scenario.errorCode, c.errorCode);
    EXPECT_EQ(o.ioMessage, c.ioMessage);
    if (!c.diagnostic.empty()) {
      ASSERT_FALSE(o.scenario.diagnostics.empty());
      const Diagnostic& d = o.scenario.diagnostics.back();
      EXPECT_EQ(d.file, c.errorCode == 101 ? line : train);
      EXPECT_EQ(d.message, c.diagnostic);
    }
    std::vector<std::string> written;
    for (const auto& [path, bytes] : disk.files()) {
      if (given.count(path) == 0) written.push_back(path);
    }
    EXPECT_EQ(written, c.written);
    for (const auto& [path, bytes] : given) {
      EXPECT_EQ(disk.files().at(path), bytes) << path;
    }
  }
}

// A feature on the reserved cell 1 ends the run with the error report
// before anything is written: a compiled file of an earlier run stays.
TEST(Scenario, AReportedRunWritesNothing) {
  const struct {
    const char* record;
    int32_t code;
  } cases[] = {
      {"segnale,  0,  2, 3, 1, 1, 0, 2, 2, 1, 1, 0", 1250},
      {"rallentamento,  0,  0, 200, 0, 0, 30", 1251},
      {"segnale,  50,  2, 4, 0, 0, 0, 0, 0, 0, 0, 0\r\n"
       "segnale,  100,  2, 4, 0, 0, 0, 0, 0, 0, 0, 0\r\n"
       "rallentamento,  350,  120, 100, 0, 0, 0",
       1250},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.record);
    MemoryDisk disk;
    ASSERT_TRUE(disk.MakeDirs("out").ok());
    ASSERT_TRUE(disk.WriteFile("Test_linea.txt", testing::LineHeader(10000)).ok());
    ASSERT_TRUE(disk.WriteFile("Test_1-.txt", Crlf({"[generale]", c.record, "[fine]"})).ok());
    ASSERT_TRUE(disk.WriteFile("out/Test_1.dat", "earlier run").ok());
    const auto before = disk.files();
    CompileRequest request{"Test_linea.txt", "Test_1-.txt", "Test", "1", "out", true, {}, {}, {}};
    RunOutcome o = CompileDescriptions(disk, request);
    EXPECT_EQ(o.exitCode, kExitReported);
    EXPECT_EQ(o.end, RunEnd::kReported);
    EXPECT_EQ(o.compile.reportedCode, c.code);
    EXPECT_TRUE(o.written.empty());
    EXPECT_EQ(disk.files(), before);
  }
}

}  // namespace
}  // namespace sb
