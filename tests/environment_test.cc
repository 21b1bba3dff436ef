// The program in a hostile environment: directories that are missing or
// cannot be written, descriptions that are directories, writes that fail
// half-way and runs killed at any moment. Each ends with exit status 74 and
// a message naming the file and the system's reason, and no file the run
// replaces is ever left half-written.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "app/scenario_run.h"
#include "app_test_support.h"
#include "base/disk.h"
#include "base/file_io.h"
#include "content/content.h"
#include "model/file_names.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using testing::Files;
using testing::Quote;
using testing::ReadFile;
using testing::RunTool;
using testing::TempDir;
using testing::ToolRun;
using testing::WriteFile;

// Makes a directory refuse new files, renames and deletions for this
// process, or a file refuse to be replaced. Permissions do that to a
// directory for a normal user; root ignores them, and a file in a writable
// directory can be replaced whatever its permissions, so there the path is
// marked immutable instead, which binds root too. available() is false when
// that cannot be done (a file system without the flag, or no right to set
// it).
class Locked {
 public:
  explicit Locked(std::string path) : path_(std::move(path)), dir_(fs::is_directory(path_)) {
    if (dir_) {
      fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_exec);
      if (!Writable()) return;
    }
    immutable_ = SetImmutable(true);
  }
  ~Locked() {
    if (immutable_) SetImmutable(false);
    std::error_code ec;
    if (dir_) fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  }
  bool available() const { return dir_ ? !Writable() : immutable_; }

 private:
  bool SetImmutable(bool on) const {
    int fd = open(path_.c_str(), O_RDONLY);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
      flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
      ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return ok;
  }
  bool Writable() const {
    const std::string probe = path_ + "/.probe";
    int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0) return false;
    close(fd);
    unlink(probe.c_str());
    return true;
  }

  std::string path_;
  bool dir_;
  bool immutable_ = false;
};

#define SKIP_UNLESS_LOCKED(locked)                                             \
  if (!(locked).available())                                                   \
  GTEST_SKIP() << "cannot lock a path here: running as root on a file system " \
                  "without the immutable flag"

// The scenario's own descriptions, under names that give the line
// identifier and the train number, in a directory of their own.
struct ScenarioDescriptions {
  TempDir dir;
  std::string line = dir.file(LineDescriptionName(kScenarioLineId));
  std::string train = dir.file(TrainDescriptionName(kScenarioLineId, kScenarioTrainNumber));
  ScenarioDescriptions() {
    WriteFile(line, std::string(content::RawBytes(content::Document::kLine)));
    WriteFile(train, std::string(content::RawBytes(content::Document::kTrain)));
  }
  std::string Args(const std::string& out) const {
    return "compile --line " + Quote(line) + " --train " + Quote(train) + " --out " + Quote(out);
  }
};

const std::string kOldProfile = "old profile";
const std::string kOldItems = "old items";
const std::string kOldCells = "old cells";

// An output directory holding the three compiled files of an earlier run.
void PutOldCompiledFiles(const TempDir& out) {
  WriteFile(out.file(ProfileFileName(kScenarioLineId)), kOldProfile);
  WriteFile(out.file(ItemFileName(kScenarioLineId, kScenarioTrainNumber)), kOldItems);
  WriteFile(out.file(CellFileName(kScenarioLineId, kScenarioTrainNumber)), kOldCells);
}

TEST(Environment, CompileCreatesAMissingOutputDirectory) {
  ScenarioDescriptions d;
  TempDir base;
  const std::string out = base.file("a/b/c");
  ToolRun r = RunTool(d.Args(out));
  EXPECT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(Files(out).size(), 3u);
}

TEST(Environment, AnOutputDirectoryThatCannotBeMade) {
  ScenarioDescriptions d;
  TempDir base;
  WriteFile(base.file("plain"), "x");
  const std::string out = base.file("plain") + "/sub";
  ToolRun r = RunTool(d.Args(out));
  EXPECT_EQ(r.exit, 74);
  EXPECT_NE(r.err.find(out), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(std::strerror(ENOTDIR)), std::string::npos) << r.err;
}

// The compile reads the descriptions where they are and writes nowhere but
// the output directory: neither a temporary directory that does not exist
// nor a working directory that cannot be written is a hindrance.
TEST(Environment, CompileWithATemporaryDirectoryThatDoesNotExist) {
  ScenarioDescriptions d;
  const auto given = Files(d.dir.path());
  TempDir out;
  TempDir cwd;
  Locked locked(cwd.path());  // where a folder would go without TMPDIR
  ToolRun r = RunTool(d.Args(out.path()), "cd " + Quote(cwd.path()) + " && TMPDIR=/nonexistent");
  EXPECT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.err, testing::ScenarioCompileSummary());
  const auto files = Files(out.path());
  EXPECT_EQ(files.size(), 3u);
  testing::ExpectGolden(files);
  EXPECT_EQ(Files(d.dir.path()), given);
  EXPECT_TRUE(Files(cwd.path()).empty());
}

TEST(Environment, AReadOnlyOutputDirectoryKeepsItsFiles) {
  ScenarioDescriptions d;
  TempDir out;
  PutOldCompiledFiles(out);
  const auto before = Files(out.path());
  Locked locked(out.path());
  SKIP_UNLESS_LOCKED(locked);
  ToolRun r = RunTool(d.Args(out.path()));
  EXPECT_EQ(r.exit, 74);
  // The first file the compile writes is the profile.
  EXPECT_NE(r.err.find(out.file(ProfileFileName(kScenarioLineId))), std::string::npos) << r.err;
  EXPECT_TRUE(r.err.find(std::strerror(EACCES)) != std::string::npos ||
              r.err.find(std::strerror(EPERM)) != std::string::npos)
      << r.err;
  EXPECT_EQ(Files(out.path()), before);
}

TEST(Environment, DescriptionsThatAreDirectories) {
  ScenarioDescriptions d;
  TempDir out;
  const std::string asDir = d.dir.file("a_directory");
  fs::create_directory(asDir);
  const std::string ids = " --line-id X --train-number 1 --out " + Quote(out.path());
  struct Case {
    const char* name;
    std::string args;
  };
  const Case cases[] = {
      {"line", "compile --line " + Quote(asDir) + " --train " + Quote(d.train) + ids},
      {"train", "compile --line " + Quote(d.line) + " --train " + Quote(asDir) + ids},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ToolRun r = RunTool(c.args);
    EXPECT_EQ(r.exit, 74);
    EXPECT_NE(r.err.find(asDir), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("directory"), std::string::npos) << r.err;
    EXPECT_TRUE(Files(out.path()).empty());
  }
}

TEST(Environment, TheScenarioRunIntoADirectoryItCannotWrite) {
  TempDir base;
  const std::string missing = base.file("missing");
  ToolRun r = RunTool("--dir " + Quote(missing));
  EXPECT_EQ(r.exit, 74);
  EXPECT_NE(r.err.find(missing + "/" + LineDescriptionName(kScenarioLineId)), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find(std::strerror(ENOENT)), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(missing));

  TempDir ro;
  WriteFile(ro.file("unrelated.txt"), "keep");
  const auto before = Files(ro.path());
  Locked locked(ro.path());
  SKIP_UNLESS_LOCKED(locked);
  r = RunTool("--dir " + Quote(ro.path()));
  EXPECT_EQ(r.exit, 74);
  EXPECT_NE(r.err.find(ro.file(LineDescriptionName(kScenarioLineId))), std::string::npos) << r.err;
  EXPECT_EQ(Files(ro.path()), before);
}

TEST(Environment, AFileOfTheScenarioRunThatCannotBeReplaced) {
  // The cell grid is the last file the run writes: everything before it has
  // happened, the descriptions are read and deleted, and then the write
  // fails on a file that may not be replaced.
  TempDir dir;
  const std::string cells = dir.file(CellFileName(kScenarioLineId, kScenarioTrainNumber));
  WriteFile(cells, kOldCells);
  Locked locked(cells);
  SKIP_UNLESS_LOCKED(locked);
  ToolRun r = RunTool("--dir " + Quote(dir.path()));
  EXPECT_EQ(r.exit, 74);
  EXPECT_NE(r.err.find(cells), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(std::strerror(EPERM)), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(cells), kOldCells);
  for (const auto& [name, bytes] : Files(dir.path())) {
    EXPECT_EQ(name.find(".part"), std::string::npos) << name;
  }
}

// Fails every write of a file whose name ends in `suffix`, as a full disk
// would, until the end of the scope.
class FailingWritesOf {
 public:
  explicit FailingWritesOf(std::string suffix) {
    SetWriteFailureHookForTesting([suffix](const std::string& path, std::size_t) {
      return !(path.size() >= suffix.size() &&
               path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0);
    });
  }
  ~FailingWritesOf() { SetWriteFailureHookForTesting(nullptr); }
};

TEST(Environment, AFailedWriteInACompileKeepsTheOldSet) {
  // Each compiled file in turn: a failure in any leaves the three old files
  // as they were (never a new item table beside an old grid), no temporary
  // file is left, and the run ends with 74 naming the file that failed.
  const std::string files[] = {ProfileFileName(kScenarioLineId),
                               ItemFileName(kScenarioLineId, kScenarioTrainNumber),
                               CellFileName(kScenarioLineId, kScenarioTrainNumber)};
  const std::string old[] = {kOldProfile, kOldItems, kOldCells};
  for (int failing = 0; failing < 3; ++failing) {
    SCOPED_TRACE(files[failing]);
    ScenarioDescriptions d;
    TempDir out;
    PutOldCompiledFiles(out);
    RunOutcome o;
    {
      FailingWritesOf fail(files[failing]);
      CompileRequest request;
      request.linePath = d.line;
      request.trainPath = d.train;
      request.lineId = kScenarioLineId;
      request.trainNumber = kScenarioTrainNumber;
      request.outDir = out.path();
      o = CompileDescriptions(request);
    }
    EXPECT_EQ(o.exitCode, kExitIo);
    EXPECT_NE(o.ioMessage.find(out.file(files[failing])), std::string::npos) << o.ioMessage;
    EXPECT_NE(o.ioMessage.find(std::strerror(ENOSPC)), std::string::npos) << o.ioMessage;
    EXPECT_TRUE(o.written.empty());
    const auto after = Files(out.path());
    EXPECT_EQ(after.size(), 3u);  // no temporary file left beside them
    for (int i = 0; i < 3; ++i) {
      ASSERT_TRUE(after.count(files[i])) << files[i];
      EXPECT_EQ(after.at(files[i]), old[i]) << files[i];
    }
  }
  // The same on a disk in memory that refuses the write.
  for (int failing = 0; failing < 3; ++failing) {
    SCOPED_TRACE("memory disk: " + files[failing]);
    MemoryDisk disk;
    ASSERT_TRUE(
        disk.WriteFile("L_linea.txt", std::string(content::RawBytes(content::Document::kLine)))
            .ok());
    ASSERT_TRUE(
        disk.WriteFile("T-.txt", std::string(content::RawBytes(content::Document::kTrain))).ok());
    ASSERT_TRUE(disk.MakeDirs("out").ok());
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(disk.WriteFile("out/" + files[i], old[i]).ok());
    const auto before = disk.files();
    disk.Fail(MemoryDisk::Op::kWrite, "out/" + files[failing], std::strerror(ENOSPC));
    CompileRequest request{
        "L_linea.txt", "T-.txt", kScenarioLineId, kScenarioTrainNumber, "out", true, {}, {}, {}};
    RunOutcome o = CompileDescriptions(disk, request);
    EXPECT_EQ(o.exitCode, kExitIo);
    EXPECT_EQ(o.ioMessage, "cannot write 'out/" + files[failing] + "': " + std::strerror(ENOSPC));
    // Compared whole, not printed: the files run to megabytes.
    EXPECT_TRUE(disk.files() == before);
  }
}

// A file beyond the size limit of the process is a failed write, reported
// like any other, not a silent death by SIGXFSZ; nothing half-written and
// no description is left.
TEST(Environment, AFileSizeLimit) {
  ScenarioDescriptions d;
  struct Case {
    const char* name;
    int blocks;  // of 512 bytes
    std::string args;
    std::string failing;  // the file the message names
    std::string summary;  // compile's last line; the scenario run has none
  };
  TempDir run;
  TempDir out;
  PutOldCompiledFiles(out);
  const auto before = Files(out.path());
  const Case cases[] = {
      // The line description, the run's first file, is beyond one block.
      {"scenario run", 1, "--dir " + Quote(run.path()),
       run.file(LineDescriptionName(kScenarioLineId)), ""},
      // The profile, the compile's first file, runs to megabytes.
      {"compile", 64, d.Args(out.path()), out.file(ProfileFileName(kScenarioLineId)),
       "Lungomare_Nord: 241000 m, 35 stations, 121 signals, 4 slowdowns, 0 warnings; "
       "no file written\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ToolRun r = RunTool(c.args, "ulimit -f " + std::to_string(c.blocks) + ";");
    EXPECT_EQ(r.exit, 74) << r.err;
    EXPECT_EQ(r.err, "scenario-builder: cannot write '" + c.failing + "': " + std::strerror(EFBIG) +
                         "\n" + c.summary);
  }
  EXPECT_TRUE(Files(run.path()).empty());
  EXPECT_EQ(Files(out.path()), before);
}

// Line identifiers as long as a file name allows: the temporary files
// beside the compiled ones must fit as well.
TEST(Environment, ALineIdentifierAsLongAsAFileNameAllows) {
  ScenarioDescriptions d;
  for (std::size_t length : {240u, 245u}) {
    SCOPED_TRACE(length);
    TempDir out;
    const std::string id(length, 'L');
    ToolRun r = RunTool(d.Args(out.path()) + " --line-id " + id + " --train-number 911");
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.err, testing::ScenarioCompileSummary(id));
    EXPECT_EQ(testing::Names(out.path()),
              (std::vector<std::string>{CellFileName(id, "911"), ItemFileName(id, "911"),
                                        ProfileFileName(id)}));
  }
}

TEST(Environment, AFailedWriteInTheScenarioRunKeepsTheOldFile) {
  TempDir dir;
  const std::string notes = NotesName(kScenarioLineId, kScenarioTrainNumber);
  WriteFile(dir.file(notes), "old notes");
  RunOutcome o;
  {
    FailingWritesOf fail(notes);
    o = Form_Load(dir.path());
  }
  EXPECT_EQ(o.exitCode, kExitIo);
  EXPECT_NE(o.ioMessage.find(dir.file(notes)), std::string::npos) << o.ioMessage;
  EXPECT_NE(o.ioMessage.find(std::strerror(ENOSPC)), std::string::npos) << o.ioMessage;
  EXPECT_EQ(ReadFile(dir.file(notes)), "old notes");
  // Nothing is compiled after a failed document, and the descriptions that
  // were written only for the compiler are taken back: the old notes are
  // all that is left.
  const auto left = Files(dir.path());
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left.begin()->first, notes);
}

TEST(Environment, TheScenarioRunTouchesNoOtherFile) {
  TempDir dir;
  const std::map<std::string, std::string> others = {{"Lungomare_Nord_912.dat", "another train"},
                                                     {"Altra_linea.txt", "another line"},
                                                     {"notes.txt", "mine"}};
  for (const auto& [name, bytes] : others) WriteFile(dir.file(name), bytes);
  ToolRun r = RunTool("--dir " + Quote(dir.path()));
  ASSERT_EQ(r.exit, 0) << r.err;
  const auto after = Files(dir.path());
  EXPECT_EQ(after.size(), others.size() + 6);
  for (const auto& [name, bytes] : others) {
    ASSERT_TRUE(after.count(name)) << name;
    EXPECT_EQ(after.at(name), bytes) << name;
  }
}

// Kills the scenario run after `delay` and returns how it ended (true when
// it had finished before the signal).
bool RunAndKill(const std::string& dir, std::chrono::microseconds delay) {
  pid_t pid = fork();
  if (pid == 0) {
    int null = open("/dev/null", O_WRONLY);
    dup2(null, STDERR_FILENO);
    execl(SB_EXECUTABLE, SB_EXECUTABLE, "--dir", dir.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  std::this_thread::sleep_for(delay);
  kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status);
}

TEST(Environment, AKilledRunLeavesEveryFileOldOrWhole) {
  // The complete files of a run, and how long a run takes here.
  TempDir reference;
  const auto start = std::chrono::steady_clock::now();
  ToolRun r = RunTool("--dir " + Quote(reference.path()));
  const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start);
  ASSERT_EQ(r.exit, 0) << r.err;
  std::map<std::string, std::string> whole = Files(reference.path());
  whole[LineDescriptionName(kScenarioLineId)] =
      std::string(content::RawBytes(content::Document::kLine));
  whole[TrainDescriptionName(kScenarioLineId, kScenarioTrainNumber)] =
      std::string(content::RawBytes(content::Document::kTrain));

  // Killed at moments spread over a whole run, on top of an earlier run's
  // files: each named file is then the earlier one or the complete new one
  // (the two are the same bytes); an interrupted write leaves at most a
  // temporary file under another name.
  constexpr int kKills = 24;
  int finished = 0;
  for (int k = 0; k < kKills; ++k) {
    SCOPED_TRACE(k);
    TempDir dir;
    if (k % 2 == 1) {
      for (const auto& [name, bytes] : Files(reference.path())) WriteFile(dir.file(name), bytes);
    }
    if (RunAndKill(dir.path(), took * k / kKills)) ++finished;
    for (const auto& [name, bytes] : Files(dir.path())) {
      if (name.size() > 5 && name.compare(name.size() - 5, 5, ".part") == 0) continue;
      ASSERT_TRUE(whole.count(name)) << "unexpected file " << name;
      EXPECT_EQ(bytes, whole.at(name)) << name << " is not whole";
    }
  }
  // Enough runs must really have been interrupted for the test to mean
  // much; a loaded machine may let a few more finish than planned.
  EXPECT_LE(finished, kKills * 3 / 4);
}

}  // namespace
}  // namespace sb
