// The disk interface: the real file system and the one in memory keep the
// same contract, so that what a test shows on one holds on the other.
#include "base/disk.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "base/file_io.h"
#include "test_support.h"

namespace sb {
namespace {

constexpr std::uint64_t kAnySize = std::uint64_t{1} << 30;

// Runs `check` on a real disk rooted in a fresh directory and on a memory
// disk rooted in a directory made on it.
void OnBothDisks(const std::function<void(Disk&, const std::string& root)>& check) {
  {
    SCOPED_TRACE("real disk");
    testing::TempDir dir;
    RealDisk disk;
    check(disk, dir.path());
  }
  {
    SCOPED_TRACE("memory disk");
    MemoryDisk disk;
    ASSERT_TRUE(disk.MakeDirs("/root").ok());
    check(disk, "/root");
  }
}

TEST(Disk, FilesAreReplacedReadAndRemoved) {
  OnBothDisks([](Disk& disk, const std::string& root) {
    const std::string path = JoinPath(root, "a.dat");
    const std::string binary("x\0y\r\n\xff", 6);
    EXPECT_FALSE(disk.IsFile(path));
    ASSERT_TRUE(disk.WriteFile(path, std::string(1000, '#')).ok());
    ASSERT_TRUE(disk.WriteFile(path, binary).ok());
    EXPECT_TRUE(disk.IsFile(path));
    EXPECT_FALSE(disk.IsDirectory(path));
    std::string bytes = "stale";
    ASSERT_TRUE(disk.ReadFile(path, &bytes, kAnySize).ok());
    EXPECT_EQ(bytes, binary);

    // Regions in any order make up the file; nothing is there before the
    // commit.
    const std::string regions = JoinPath(root, "r.dat");
    std::unique_ptr<RegionFile> file = disk.ReplaceInRegions(regions);
    file->WriteAt(4, "efgh");
    file->WriteAt(0, "abcd");
    EXPECT_FALSE(disk.IsFile(regions));
    ASSERT_TRUE(file->Commit().ok());
    ASSERT_TRUE(disk.ReadFile(regions, &bytes, kAnySize).ok());
    EXPECT_EQ(bytes, "abcdefgh");

    ASSERT_TRUE(disk.RemoveFile(path).ok());
    EXPECT_FALSE(disk.IsFile(path));
    EXPECT_TRUE(disk.RemoveFile(path).ok());  // not there: no failure
  });
}

TEST(Disk, DirectoriesAndFailuresNameThePath) {
  OnBothDisks([](Disk& disk, const std::string& root) {
    const std::string deep = JoinPath(JoinPath(root, "a"), "b");
    ASSERT_TRUE(disk.MakeDirs(deep).ok());
    EXPECT_TRUE(disk.IsDirectory(deep));
    EXPECT_FALSE(disk.IsFile(deep));
    EXPECT_TRUE(disk.MakeDirs(deep).ok());  // already there

    std::string bytes = "unchanged";
    Status st = disk.ReadFile(deep, &bytes, kAnySize);
    EXPECT_TRUE(st.IsIoError());
    EXPECT_EQ(st.path(), deep);
    EXPECT_EQ(st.reason(), "is a directory, not a regular file");

    const std::string missing = JoinPath(root, "missing.txt");
    st = disk.ReadFile(missing, &bytes, kAnySize);
    EXPECT_EQ(st.path(), missing);
    EXPECT_EQ(st.reason(), "No such file or directory");
    EXPECT_EQ(bytes, "unchanged");

    const std::string inMissingDir = JoinPath(JoinPath(root, "none"), "x.dat");
    st = disk.WriteFile(inMissingDir, "x");
    EXPECT_EQ(st.path(), inMissingDir);
    EXPECT_EQ(st.reason(), "No such file or directory");
    EXPECT_FALSE(disk.IsFile(inMissingDir));

    const std::string plain = JoinPath(root, "plain");
    ASSERT_TRUE(disk.WriteFile(plain, "x").ok());
    const std::string underFile = JoinPath(plain, "sub");
    st = disk.MakeDirs(underFile);
    EXPECT_EQ(st.Message("create"), "cannot create '" + underFile + "': Not a directory");
  });
}

TEST(Disk, AMemoryDiskRefusesWhatItIsToldTo) {
  using Op = MemoryDisk::Op;
  MemoryDisk disk;
  ASSERT_TRUE(disk.WriteFile("a", "old").ok());
  disk.Fail(Op::kWrite, "a", "No space left on device");
  disk.Fail(Op::kRead, "b");
  disk.Fail(Op::kRemove, "a");
  disk.Fail(Op::kMakeDirs, "d");

  EXPECT_EQ(disk.WriteFile("a", "new").Message("write"),
            "cannot write 'a': No space left on device");
  std::unique_ptr<RegionFile> file = disk.ReplaceInRegions("a");
  file->WriteAt(0, "new");
  EXPECT_FALSE(file->Commit().ok());
  EXPECT_EQ(disk.RemoveFile("a").Message("delete"), "cannot delete 'a': Permission denied");
  EXPECT_EQ(disk.files().at("a"), "old");

  ASSERT_TRUE(disk.WriteFile("b", "x").ok());
  std::string bytes;
  EXPECT_FALSE(disk.ReadFile("b", &bytes, kAnySize).ok());
  EXPECT_FALSE(disk.MakeDirs("d").ok());
  EXPECT_FALSE(disk.IsDirectory("d"));
  // Other paths and operations are untouched.
  EXPECT_TRUE(disk.RemoveFile("b").ok());
  EXPECT_TRUE(disk.MakeDirs("e").ok());
}

}  // namespace
}  // namespace sb
