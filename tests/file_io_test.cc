// File replacement and reading with errors as values: a file is replaced
// whole or not at all, and a failure names the file and the reason.
#include "base/file_io.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

namespace sb {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

constexpr std::uint64_t kAnySize = std::uint64_t{1} << 30;

std::vector<std::string> Names(const TempDir& dir) {
  std::vector<std::string> out;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    out.push_back(e.path().filename().string());
  }
  std::sort(out.begin(), out.end());
  return out;
}

// Restores normal writing however the test ends.
struct FailingWrites {
  explicit FailingWrites(WriteLimitHook hook) { SetWriteFailureHookForTesting(std::move(hook)); }
  ~FailingWrites() { SetWriteFailureHookForTesting(nullptr); }
};

TEST(FileIo, ReplaceFileReplacesTheWholeFile) {
  TempDir dir;
  const std::string path = dir.file("out.dat");
  const std::string binary("a\0b\r\n\xff", 6);
  struct Step {
    const char* name;
    std::string bytes;
  };
  const Step steps[] = {
      {"new file", std::string(1000, 'x')},
      {"shorter: nothing of the old one is left", binary},
      {"empty", ""},
      {"again", "abc"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    Status st = ReplaceFile(path, s.bytes);
    ASSERT_TRUE(st.ok()) << st.Message("write");
    EXPECT_EQ(ReadFile(path), s.bytes);
    EXPECT_EQ(Names(dir), std::vector<std::string>{"out.dat"});
  }
}

TEST(FileIo, AFailedWriteLeavesTheOldFile) {
  TempDir dir;
  const std::string path = dir.file("out.dat");
  WriteFile(path, "old contents");
  std::string seenPath;
  {
    FailingWrites fail([&](const std::string& p, std::size_t) {
      seenPath = p;
      return false;
    });
    Status st = ReplaceFile(path, "new contents that never arrive");
    EXPECT_FALSE(st.ok());
    EXPECT_EQ(st.path(), path);
    EXPECT_FALSE(st.reason().empty());
    EXPECT_EQ(st.Message("write"), "cannot write '" + path + "': " + st.reason());
  }
  EXPECT_EQ(seenPath, path);
  EXPECT_EQ(ReadFile(path), "old contents");
  EXPECT_EQ(Names(dir), std::vector<std::string>{"out.dat"});

  // Writing works again once the hook is gone.
  ASSERT_TRUE(ReplaceFile(path, "new").ok());
  EXPECT_EQ(ReadFile(path), "new");
}

TEST(FileIo, FailuresNameTheFileAndTheReason) {
  TempDir dir;
  const std::string missingDir = dir.file("no-such-dir") + "/out.dat";
  const std::string missing = dir.file("missing.txt");
  std::string bytes = "unchanged";

  Status st = ReplaceFile(missingDir, "x");
  EXPECT_FALSE(st.ok());
  EXPECT_EQ(st.path(), missingDir);
  EXPECT_FALSE(st.reason().empty());

  st = ReadWholeFile(dir.path(), &bytes, kAnySize);
  EXPECT_FALSE(st.ok());
  EXPECT_EQ(st.path(), dir.path());
  EXPECT_EQ(st.reason(), "is a directory, not a regular file");

  st = ReadWholeFile(missing, &bytes, kAnySize);
  EXPECT_FALSE(st.ok());
  EXPECT_EQ(st.path(), missing);
  EXPECT_FALSE(st.reason().empty());
  EXPECT_EQ(bytes, "unchanged");
}

TEST(FileIo, ReadRemoveAndExists) {
  TempDir dir;
  const std::string path = dir.file("in.txt");
  const std::string binary("x\0y\r\n", 5);
  WriteFile(path, binary);
  std::string bytes = "stale";
  ASSERT_TRUE(ReadWholeFile(path, &bytes, kAnySize).ok());
  EXPECT_EQ(bytes, binary);

  EXPECT_TRUE(RegularFileExists(path));
  EXPECT_FALSE(RegularFileExists(dir.path()));
  EXPECT_FALSE(RegularFileExists(dir.file("missing")));

  EXPECT_TRUE(RemoveFile(path).ok());
  EXPECT_FALSE(RegularFileExists(path));
  // Removing what is not there is no failure.
  EXPECT_TRUE(RemoveFile(path).ok());
}

// A temporary name stands for one final name, so that a run can remove
// what an earlier run of its own left and nothing else.
TEST(FileIo, TemporaryNamesStandForOneNameOnly) {
  const std::string name = "Lungomare_Nord_911.dat";
  EXPECT_EQ(TemporaryName(name, false, 0xabcd), name + ".0000abcd.part");
  // A name too short to be shortened keeps the usual form.
  EXPECT_EQ(TemporaryName(name, true, 0xabcd), name + ".0000abcd.part");

  // A long name's shortened temporary is exactly as long as the name.
  const std::string longName = std::string(240, 'L') + "_linea.dat";
  const std::string shortened = TemporaryName(longName, true, 0x1234);
  EXPECT_EQ(shortened.size(), longName.size());
  EXPECT_EQ(shortened.compare(0, 227, longName, 0, 227), 0);
  EXPECT_EQ(shortened.substr(227, 1), "~");
  EXPECT_EQ(shortened.substr(shortened.size() - 14), ".00001234.part");
  // Another long name with the same beginning: another hash.
  const std::string sibling = std::string(240, 'L') + "_linea.txt";
  const std::string siblingTemp = TemporaryName(sibling, true, 0x1234);
  EXPECT_NE(siblingTemp, shortened);
  std::string wrongHash = shortened;
  wrongHash[228] = wrongHash[228] == '0' ? '1' : '0';

  const struct {
    const char* why;
    std::string candidate;
    std::string name;
    bool is;
  } cases[] = {
      {"usual form", name + ".0123abcd.part", name, true},
      {"shortened form", shortened, longName, true},
      {"a long name's usual form", TemporaryName(longName, false, 7), longName, true},
      {"seven digits", name + ".0123abc.part", name, false},
      {"not hexadecimal", name + ".0123abcg.part", name, false},
      {"capitals are never written", name + ".0123ABCD.part", name, false},
      {"more after .part", name + ".0123abcd.part.x", name, false},
      {"another suffix", name + ".0123abcd.parts", name, false},
      {"something before the name", "x" + name + ".0123abcd.part", name, false},
      {"the name itself", name, name, false},
      {"another name's", name + ".0123abcd.part", "Lungomare_Nord_911.da", false},
      {"a sibling's shortened form", siblingTemp, longName, false},
      {"a wrong hash", wrongHash, longName, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(IsTemporaryName(c.candidate, c.name), c.is) << c.candidate;
  }
}

// A name that fits the file system has a temporary that fits it too.
TEST(FileIo, ALongNameIsReplacedThroughAShortenedTemporary) {
  for (std::size_t length : {250u, 255u}) {
    SCOPED_TRACE(length);
    TempDir dir;
    const std::string name = std::string(length - 4, 'L') + ".dat";
    FileReplacement file(dir.file(name));
    file.Append("new");
    ASSERT_TRUE(file.Finish().ok());
    const std::vector<std::string> during = Names(dir);
    ASSERT_EQ(during.size(), 1u);
    EXPECT_EQ(during[0].size(), length);
    EXPECT_TRUE(IsTemporaryName(during[0], name)) << during[0];
    ASSERT_TRUE(file.Commit().ok());
    EXPECT_EQ(Names(dir), std::vector<std::string>{name});
    EXPECT_EQ(ReadFile(dir.file(name)), "new");
  }
}

// Interrupted, the program removes the temporaries of the replacements
// under way and the paths registered for it, and exits with 128 plus the
// signal; a path no longer registered stays.
TEST(FileIo, AnInterruptedProgramRemovesItsTemporaries) {
  TempDir dir;
  WriteFile(dir.file("out.dat"), "old");
  WriteFile(dir.file("registered"), "x");
  WriteFile(dir.file("released"), "x");
  const pid_t pid = fork();
  if (pid == 0) {
    signal(SIGTERM, SIG_DFL);
    InstallInterruptCleanup();
    FileReplacement file(dir.file("out.dat"));
    file.Append("new, never in place");
    RemovalOnInterrupt registered(dir.file("registered"));
    RemovalOnInterrupt released(dir.file("released"));
    released.Clear();
    raise(SIGTERM);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 128 + SIGTERM);
  EXPECT_EQ(Names(dir), (std::vector<std::string>{"out.dat", "released"}));
  EXPECT_EQ(ReadFile(dir.file("out.dat")), "old");
}

TEST(FileIo, JoinPath) {
  EXPECT_EQ(JoinPath("", "a.txt"), "a.txt");
#ifdef _WIN32
  EXPECT_EQ(JoinPath("d", "a.txt"), "d\\a.txt");
  EXPECT_EQ(JoinPath("d\\", "a.txt"), "d\\a.txt");
#else
  EXPECT_EQ(JoinPath("d", "a.txt"), "d/a.txt");
#endif
  EXPECT_EQ(JoinPath("d/", "a.txt"), "d/a.txt");
}

}  // namespace
}  // namespace sb
