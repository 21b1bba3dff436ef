// File replacement and reading with errors as values: a file is replaced
// whole or not at all, and a failure names the file and the reason.
#include "base/file_io.h"

#include <gtest/gtest.h>

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
