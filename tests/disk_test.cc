// The disk interface: the real file system and the one in memory keep the
// same contract, so that what a test shows on one holds on the other.
#include "base/disk.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

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

// The files in `root` and their bytes, however the disk keeps them.
std::map<std::string, std::string> Contents(Disk& disk, const std::string& root,
                                            const std::vector<std::string>& names) {
  std::map<std::string, std::string> out;
  for (const std::string& name : names) {
    std::string bytes;
    if (disk.ReadFile(JoinPath(root, name), &bytes, kAnySize).ok()) out[name] = bytes;
  }
  return out;
}

TEST(Disk, FinishedFilesGoInPlaceOnlyWhenCommitted) {
  OnBothDisks([](Disk& disk, const std::string& root) {
    const std::vector<std::string> names = {"a.dat", "b.dat"};
    for (const std::string& name : names) {
      ASSERT_TRUE(disk.WriteFile(JoinPath(root, name), "old " + name).ok());
    }
    const std::map<std::string, std::string> old = Contents(disk, root, names);
    std::vector<std::unique_ptr<RegionFile>> set;
    for (const std::string& name : names) {
      set.push_back(disk.ReplaceInRegions(JoinPath(root, name)));
      set.back()->WriteAt(0, "new " + name);
      ASSERT_TRUE(set.back()->Finish().ok());
    }
    EXPECT_EQ(Contents(disk, root, names), old);
    for (auto& file : set) ASSERT_TRUE(file->Commit().ok());
    EXPECT_EQ(Contents(disk, root, names),
              (std::map<std::string, std::string>{{"a.dat", "new a.dat"}, {"b.dat", "new b.dat"}}));

    // A finished file that is dropped leaves the old one.
    {
      std::unique_ptr<RegionFile> dropped = disk.ReplaceInRegions(JoinPath(root, "a.dat"));
      dropped->WriteAt(0, "never");
      ASSERT_TRUE(dropped->Finish().ok());
    }
    std::string bytes;
    ASSERT_TRUE(disk.ReadFile(JoinPath(root, "a.dat"), &bytes, kAnySize).ok());
    EXPECT_EQ(bytes, "new a.dat");
  });
}

// What an interrupted run left goes; what only looks like it stays, as do
// the files themselves and anything in another directory.
TEST(Disk, StaleTemporariesAreRemovedAndNothingElse) {
  OnBothDisks([](Disk& disk, const std::string& root) {
    const std::string name = "S_1.dat";
    const std::string longName = std::string(230, 'S') + "_linea.dat";
    const std::vector<std::string> stale = {TemporaryName(name, false, 0x0badf00d),
                                            TemporaryName(longName, true, 42),
                                            TemporaryName(longName, false, 43)};
    const std::vector<std::string> kept = {
        name,
        name + ".0badf00.part",
        name + ".0badf00d.part.bak",
        TemporaryName("S_2.dat", false, 1),
        TemporaryName(std::string(230, 'S') + "_linea.txt", true, 1),
        "other.txt"};
    ASSERT_TRUE(disk.MakeDirs(JoinPath(root, "sub")).ok());
    const std::string below = JoinPath("sub", stale[0]);
    std::vector<std::string> all = stale;
    all.insert(all.end(), kept.begin(), kept.end());
    all.push_back(below);
    for (const std::string& file : all) {
      ASSERT_TRUE(disk.WriteFile(JoinPath(root, file), file).ok()) << file;
    }
    disk.RemoveStaleTemporaries(root, {name, longName});
    for (const std::string& file : stale) EXPECT_FALSE(disk.IsFile(JoinPath(root, file))) << file;
    for (const std::string& file : kept) EXPECT_TRUE(disk.IsFile(JoinPath(root, file))) << file;
    EXPECT_TRUE(disk.IsFile(JoinPath(root, below)));
  });
}

// A folder lists its regular files only, and a file's stamp follows its
// rewrites; a directory or a missing path has none.
TEST(Disk, FoldersAreListedAndFilesStamped) {
  OnBothDisks([](Disk& disk, const std::string& root) {
    ASSERT_TRUE(disk.MakeDirs(JoinPath(root, "sub")).ok());
    for (const char* name : {"b.txt", "a.txt", "sub/deeper.txt"}) {
      ASSERT_TRUE(disk.WriteFile(JoinPath(root, name), "abc").ok()) << name;
    }
    std::vector<std::string> names = {"stale"};
    ASSERT_TRUE(disk.ListFiles(root, &names).ok());
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "b.txt"}));
    const Status missing = disk.ListFiles(JoinPath(root, "missing"), &names);
    EXPECT_TRUE(missing.IsIoError());
    EXPECT_EQ(missing.path(), JoinPath(root, "missing"));
    EXPECT_EQ(names.size(), 2u);  // left as it was
    EXPECT_FALSE(disk.ListFiles(JoinPath(root, "a.txt"), &names).ok());

    const std::string path = JoinPath(root, "a.txt");
    FileStamp before;
    ASSERT_TRUE(disk.StampOf(path, &before).ok());
    EXPECT_EQ(before.size, 3u);
    FileStamp again;
    ASSERT_TRUE(disk.StampOf(path, &again).ok());
    EXPECT_EQ(again, before);
    ASSERT_TRUE(disk.WriteFile(path, "abcdef").ok());
    FileStamp after;
    ASSERT_TRUE(disk.StampOf(path, &after).ok());
    EXPECT_EQ(after.size, 6u);
    EXPECT_NE(after, before);
    for (const std::string& none : {JoinPath(root, "sub"), JoinPath(root, "missing")}) {
      EXPECT_TRUE(disk.StampOf(none, &after).IsIoError()) << none;
    }
  });
  // The memory disk counts writes, so a rewrite of the same size is told
  // apart too.
  MemoryDisk disk;
  ASSERT_TRUE(disk.WriteFile("f", "one").ok());
  FileStamp first;
  ASSERT_TRUE(disk.StampOf("f", &first).ok());
  ASSERT_TRUE(disk.WriteFile("f", "two").ok());
  FileStamp second;
  ASSERT_TRUE(disk.StampOf("f", &second).ok());
  EXPECT_NE(first, second);
}

// A run that finds the directory held waits, is told once that the wait is
// long, and goes on as soon as the holder lets go.
TEST(Disk, ALockedDirectoryWaitsForItsHolder) {
  testing::TempDir dir;
  RealDisk disk;
  std::unique_ptr<DirectoryLock> held =
      disk.LockDirectory(dir.path(), [] { ADD_FAILURE() << "a free directory was waited for"; });
  std::atomic<int> notices{0};
  std::atomic<bool> locked{false};
  std::thread waiter([&] {
    std::unique_ptr<DirectoryLock> lock = disk.LockDirectory(dir.path(), [&] { ++notices; });
    locked = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(kLockNoticeAfterMs + 500));
  EXPECT_FALSE(locked);
  EXPECT_EQ(notices, 1);
  held.reset();
  waiter.join();
  EXPECT_TRUE(locked);
  EXPECT_EQ(notices, 1);

  // A directory that cannot be locked is not waited for; the writes that
  // follow say what is wrong with it.
  held = disk.LockDirectory(dir.path(), nullptr);
  std::unique_ptr<DirectoryLock> missing =
      disk.LockDirectory(dir.file("missing"), [] { ADD_FAILURE() << "waited for nothing"; });
  EXPECT_NE(missing, nullptr);
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
