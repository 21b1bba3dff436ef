// Runs that meet each other or are cut short: several runs into one
// folder, a run waiting for another, a run stopped by Ctrl-C, a hangup or a
// kill, and the run after a killed one. Each folder ends with exactly the
// files a single whole run leaves, or with what was there before.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "app/scenario_run.h"
#include "app_test_support.h"
#include "base/file_io.h"
#include "base/interrupt_cleanup.h"
#include "content/content.h"
#include "model/file_names.h"

namespace sb {
namespace {

using testing::Files;
using testing::Names;
using testing::Quote;
using testing::ReadFile;
using testing::RunTool;
using testing::TempDir;
using testing::ToolRun;
using testing::WriteFile;

constexpr const char kWaitingNotice[] = "waiting for another run into '";

// The six files of a whole scenario run, byte for byte.
void ExpectScenarioFiles(const std::string& dir) {
  const auto files = Files(dir);
  EXPECT_EQ(Names(dir), testing::ScenarioRunFiles());
  const std::pair<std::string, content::Document> documents[] = {
      {NotesName(kScenarioLineId, kScenarioTrainNumber), content::Document::kNotes},
      {SlowdownOrderName(kScenarioLineId, kScenarioTrainNumber), content::Document::kSlowdowns},
      {TimetableSheetName(kScenarioLineId, kScenarioTrainNumber), content::Document::kSheet}};
  for (const auto& [name, document] : documents) {
    ASSERT_TRUE(files.count(name)) << name;
    EXPECT_EQ(files.at(name), content::RawBytes(document)) << name;
  }
  testing::ExpectGolden(files);
}

bool IsTemporary(const std::string& name) {
  return name.size() > 5 && name.compare(name.size() - 5, 5, ".part") == 0;
}

// Starts the program with `args`, its stderr in `errFile`. The signals the
// tests send are set to their defaults first: a test runner started in the
// background may have left SIGINT ignored, and the program keeps that.
pid_t Spawn(const std::vector<std::string>& args, const std::string& errFile) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) signal(sig, SIG_DFL);
  const int null = open("/dev/null", O_RDWR);
  const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(null, STDIN_FILENO);
  dup2(null, STDOUT_FILENO);
  dup2(err, STDERR_FILENO);
  std::vector<char*> argv{const_cast<char*>(SB_EXECUTABLE)};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(SB_EXECUTABLE, argv.data());
  _exit(127);
}

// The exit status, or minus the signal that ended the process.
int WaitFor(pid_t pid) {
  int status = 0;
  pid_t waited;
  do {
    waited = waitpid(pid, &status, 0);
  } while (waited < 0 && errno == EINTR);
  if (waited < 0) return -1000;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// The scenario run in a child of the test process, with the handlers of
// the program, and `signal_number` raised when the run finishes writing
// the file whose name ends in `at`; returns how the child ended.
int RunInterruptedAt(const std::string& dir, const std::string& at, int signal_number) {
  const pid_t pid = fork();
  if (pid == 0) {
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) signal(sig, SIG_DFL);
    InstallInterruptCleanup();
    SetWriteFailureHookForTesting([&](const std::string& path, std::size_t) {
      if (path.size() >= at.size() && path.compare(path.size() - at.size(), at.size(), at) == 0) {
        raise(signal_number);
      }
      return true;
    });
    Form_Load(dir);
    _exit(0);
  }
  return WaitFor(pid);
}

// Holds a folder the way a run does, from the outside.
class HeldFolder {
 public:
  explicit HeldFolder(const std::string& dir)
      : fd_(open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    EXPECT_EQ(flock(fd_, LOCK_EX), 0);
  }
  ~HeldFolder() { Release(); }
  void Release() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

// Waits until `file` holds `text` (true) or `seconds` pass (false).
bool WaitForText(const std::string& file, const std::string& text, int seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (ReadFile(file).find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

std::string Notice(const std::string& dir) {
  return "scenario-builder: " + std::string(kWaitingNotice) + dir + "' to finish\n";
}

TEST(Interruption, TenRunsIntoOneFolderAtOnce) {
  TempDir dir;
  TempDir logs;
  constexpr int kRuns = 10;
  std::vector<pid_t> runs;
  for (int i = 0; i < kRuns; ++i) {
    runs.push_back(Spawn({"--dir", dir.path()}, logs.file("err" + std::to_string(i))));
  }
  for (int i = 0; i < kRuns; ++i) {
    SCOPED_TRACE(i);
    const int exit = WaitFor(runs[i]);
    const std::string err = ReadFile(logs.file("err" + std::to_string(i)));
    EXPECT_EQ(exit, 0) << err;
    // A run that waited long says so, once; nothing else.
    EXPECT_TRUE(err.empty() || err == Notice(dir.path())) << err;
  }
  ExpectScenarioFiles(dir.path());
}

// A run that finds the folder held waits, says so once on stderr after
// about a second, and completes when the folder is free. The compile waits
// for its output folder the same way.
TEST(Interruption, ARunWaitsForTheFolderAndSaysSoOnce) {
  TempDir descriptions;
  const std::string line = descriptions.file(LineDescriptionName(kScenarioLineId));
  const std::string train = descriptions.file(TrainDescriptionName(kScenarioLineId, "911"));
  WriteFile(line, std::string(content::RawBytes(content::Document::kLine)));
  WriteFile(train, std::string(content::RawBytes(content::Document::kTrain)));
  for (bool compile : {false, true}) {
    SCOPED_TRACE(compile ? "compile" : "scenario run");
    TempDir dir;
    TempDir logs;
    const std::vector<std::string> args =
        compile ? std::vector<std::string>{"compile", "--line", line,      "--train",
                                           train,     "--out",  dir.path()}
                : std::vector<std::string>{"--dir", dir.path()};
    HeldFolder held(dir.path());
    const auto start = std::chrono::steady_clock::now();
    const pid_t run = Spawn(args, logs.file("err"));
    ASSERT_TRUE(WaitForText(logs.file("err"), kWaitingNotice, 20));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
    // Nothing is written while the other run holds the folder.
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    EXPECT_TRUE(Files(dir.path()).empty());
    held.Release();
    EXPECT_EQ(WaitFor(run), 0);
    EXPECT_EQ(ReadFile(logs.file("err")),
              Notice(dir.path()) + (compile ? testing::ScenarioCompileSummary() : ""));
    if (compile) {
      EXPECT_EQ(Files(dir.path()).size(), 3u);
      testing::ExpectGolden(Files(dir.path()));
    } else {
      ExpectScenarioFiles(dir.path());
    }
  }
}

// Ctrl-C, a hangup and a polite kill at two moments of the run: with both
// descriptions in the folder and a document half-written, and with the
// compiled files written but not yet in place. The run takes back its
// descriptions and temporaries and exits with 128 plus the signal; the
// documents it completed stay, and the earlier compiled files are whole.
TEST(Interruption, ASignalTakesBackTheRunsFiles) {
  const std::string notes = NotesName(kScenarioLineId, kScenarioTrainNumber);
  const std::string cells = CellFileName(kScenarioLineId, kScenarioTrainNumber);
  const std::vector<std::string> compiled = {
      ProfileFileName(kScenarioLineId), ItemFileName(kScenarioLineId, kScenarioTrainNumber), cells};
  const struct {
    int signal_number;
    int exit;
  } signals[] = {{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}};
  for (const auto& sig : signals) {
    for (const std::string& at : {notes, cells}) {
      SCOPED_TRACE(std::to_string(sig.signal_number) + " at " + at);
      TempDir dir;
      std::map<std::string, std::string> expected;
      for (const std::string& name : compiled) {
        expected[name] = "earlier " + name;
        WriteFile(dir.file(name), expected[name]);
      }
      EXPECT_EQ(RunInterruptedAt(dir.path(), at, sig.signal_number), sig.exit);
      if (at == cells) {
        expected[notes] = content::RawBytes(content::Document::kNotes);
        expected[SlowdownOrderName(kScenarioLineId, kScenarioTrainNumber)] =
            content::RawBytes(content::Document::kSlowdowns);
        expected[TimetableSheetName(kScenarioLineId, kScenarioTrainNumber)] =
            content::RawBytes(content::Document::kSheet);
      }
      EXPECT_EQ(Files(dir.path()), expected);
    }
  }
}

// A signal at the moment a temporary file has just been made, before it is
// anything more than a name on the disk: it is taken back all the same.
TEST(Interruption, ASignalJustAfterATemporaryIsMadeLeavesNoTemporary) {
  const std::string cells = CellFileName(kScenarioLineId, kScenarioTrainNumber);
  for (const std::string& at : {NotesName(kScenarioLineId, kScenarioTrainNumber),
                                ProfileFileName(kScenarioLineId), cells}) {
    SCOPED_TRACE(at);
    TempDir dir;
    const pid_t pid = fork();
    if (pid == 0) {
      for (int sig : {SIGINT, SIGTERM, SIGHUP}) signal(sig, SIG_DFL);
      InstallInterruptCleanup();
      SetTemporaryCreatedHookForTesting([&](const std::string& temp) {
        if (temp.find("/" + at + ".") != std::string::npos) raise(SIGTERM);
      });
      Form_Load(dir.path());
      _exit(0);
    }
    EXPECT_EQ(WaitFor(pid), 143);
    for (const std::string& name : Names(dir.path())) {
      EXPECT_FALSE(IsTemporary(name)) << name;
      EXPECT_NE(name, LineDescriptionName(kScenarioLineId));
    }
  }
}

// The program's own handlers, in the executable: stopped while it waits
// for the folder, it ends with the conventional status.
TEST(Interruption, TheProgramExitsWithTheSignalsStatus) {
  const struct {
    int signal_number;
    int exit;
  } signals[] = {{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}};
  for (const auto& sig : signals) {
    SCOPED_TRACE(sig.signal_number);
    TempDir dir;
    TempDir logs;
    HeldFolder held(dir.path());
    const pid_t run = Spawn({"--dir", dir.path()}, logs.file("err"));
    ASSERT_TRUE(WaitForText(logs.file("err"), kWaitingNotice, 20));
    kill(run, sig.signal_number);
    EXPECT_EQ(WaitFor(run), sig.exit);
    EXPECT_TRUE(Files(dir.path()).empty());
  }
}

// A run killed outright leaves its temporaries and descriptions; the next
// run into the folder removes them, and only them: files that merely look
// like a temporary of the run's names stay.
TEST(Interruption, TheRunAfterAKilledOneLeavesNoTemporary) {
  const std::string notes = NotesName(kScenarioLineId, kScenarioTrainNumber);
  const std::string cells = CellFileName(kScenarioLineId, kScenarioTrainNumber);
  const std::map<std::string, std::string> lookAlikes = {
      {notes + ".1234567.part", "seven digits"},
      {notes + ".1234567g.part", "not hexadecimal"},
      {notes + ".12345678.part.keep", "another suffix"},
      {"Lungomare_Nord_912.dat.12345678.part", "another train's"},
      {"Lungomare_Nord_911.txt.12345678.part", "not a name of the run"},
  };
  for (const std::string& at : {notes, cells}) {
    SCOPED_TRACE(at);
    TempDir dir;
    for (const auto& [name, bytes] : lookAlikes) WriteFile(dir.file(name), bytes);
    ASSERT_EQ(RunInterruptedAt(dir.path(), at, SIGKILL), -SIGKILL);
    int temporaries = 0;
    for (const std::string& name : Names(dir.path())) {
      if (IsTemporary(name) && !lookAlikes.count(name)) ++temporaries;
    }
    ASSERT_GT(temporaries, 0) << "the kill left nothing to clean up";

    ToolRun r = RunTool("--dir " + Quote(dir.path()));
    EXPECT_EQ(r.exit, 0) << r.err;
    auto files = Files(dir.path());
    for (const auto& [name, bytes] : lookAlikes) {
      ASSERT_TRUE(files.count(name)) << name;
      EXPECT_EQ(files.at(name), bytes);
      std::remove(dir.file(name).c_str());
    }
    ExpectScenarioFiles(dir.path());
  }
}

}  // namespace
}  // namespace sb
