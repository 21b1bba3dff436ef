// The file operations the program's drivers need, behind one interface, so
// that a run can work on the real file system or on files held in memory
// (tests, fuzzers, benchmarks). Every failure is a Status naming the path
// and the reason.
#ifndef SB_BASE_DISK_H_
#define SB_BASE_DISK_H_

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/directory_lock.h"
#include "base/status.h"

namespace sb {

// A file replaced whole by pieces written at given offsets; nothing is in
// place until Commit. A replacement dropped without Commit leaves the old
// file as it was. Files replaced as a set are each finished first and
// committed only when all are: a failure leaves the old set whole.
class RegionFile {
 public:
  virtual ~RegionFile() = default;
  // The regions must cover the file: a gap would read as zero bytes.
  virtual void WriteAt(std::uint64_t offset, std::string_view piece) = 0;
  // Completes the new file beside the old one, which stays in place;
  // reports the first failure of the writing.
  virtual Status Finish() = 0;
  // Finishes the file if need be and puts it in place.
  virtual Status Commit() = 0;
};

// What tells one version of a file from another without reading it.
struct FileStamp {
  std::int64_t time = 0;  // of the last change, in the file system's clock units
  std::uint64_t size = 0;
  bool operator==(const FileStamp&) const = default;
};

class Disk {
 public:
  virtual ~Disk() = default;

  // Reads a regular file of at most `maxBytes` whole; anything else is
  // refused before it is read, as ReadWholeFile (base/file_io.h) tells:
  // what the path names when it is not a regular file (an I/O error), or a
  // TooLarge status. `contents` is left as it was on failure.
  virtual Status ReadFile(const std::string& path, std::string* contents,
                          std::uint64_t maxBytes) = 0;
  // Replaces the file as a whole: afterwards it is either the old file or
  // the complete new one.
  virtual Status WriteFile(const std::string& path, std::string_view contents) = 0;
  virtual std::unique_ptr<RegionFile> ReplaceInRegions(const std::string& path) = 0;
  // Removing a file that does not exist is no failure.
  virtual Status RemoveFile(const std::string& path) = 0;
  virtual bool IsFile(const std::string& path) = 0;
  virtual bool IsDirectory(const std::string& path) = 0;
  // True when both paths exist and lead to one file (the same file, through
  // links or other spellings, or a second hard link).
  virtual bool SameFile(const std::string& a, const std::string& b) = 0;
  // The stamp of the regular file `path` (links followed); an I/O error for
  // anything else.
  virtual Status StampOf(const std::string& path, FileStamp* stamp) = 0;
  // The names of the regular files (links followed) in `dir` ("" is the
  // current directory), sorted; `names` is left as it was on failure.
  virtual Status ListFiles(const std::string& dir, std::vector<std::string>* names) = 0;
  // Creates the directory and any missing parents; fails unless a
  // directory is there afterwards.
  virtual Status MakeDirs(const std::string& path) = 0;

  // Holds `dir` against other runs of the program until the lock is
  // dropped (base/directory_lock.h): waits while another holds it, calling
  // `onLongWait` once if that takes long.
  virtual std::unique_ptr<DirectoryLock> LockDirectory(const std::string& dir,
                                                       const std::function<void()>& onLongWait) = 0;
  // Removes from `dir` the temporary files that an interrupted replacement
  // of one of `names` left, and nothing else. Best effort.
  virtual void RemoveStaleTemporaries(const std::string& dir,
                                      const std::vector<std::string>& names) = 0;
};

// The system's file system.
class RealDisk : public Disk {
 public:
  Status ReadFile(const std::string& path, std::string* contents, std::uint64_t maxBytes) override;
  Status WriteFile(const std::string& path, std::string_view contents) override;
  std::unique_ptr<RegionFile> ReplaceInRegions(const std::string& path) override;
  Status RemoveFile(const std::string& path) override;
  bool IsFile(const std::string& path) override;
  bool IsDirectory(const std::string& path) override;
  bool SameFile(const std::string& a, const std::string& b) override;
  Status StampOf(const std::string& path, FileStamp* stamp) override;
  Status ListFiles(const std::string& dir, std::vector<std::string>* names) override;
  Status MakeDirs(const std::string& path) override;
  std::unique_ptr<DirectoryLock> LockDirectory(const std::string& dir,
                                               const std::function<void()>& onLongWait) override;
  void RemoveStaleTemporaries(const std::string& dir,
                              const std::vector<std::string>& names) override;
};

// Files and directories in maps. Paths are taken as they come: "d/a" lies
// in "d" only if "d" was made, and nothing is ever normalised. A file may be
// written only into a directory that exists ("" and "." always do). One
// process owns the maps: its locks hold nothing. A file's stamp counts the
// writes through this interface, so a file changed in files() directly
// keeps the stamp it had.
class MemoryDisk : public Disk {
 public:
  enum class Op { kRead, kWrite, kRemove, kMakeDirs };

  Status ReadFile(const std::string& path, std::string* contents, std::uint64_t maxBytes) override;
  Status WriteFile(const std::string& path, std::string_view contents) override;
  std::unique_ptr<RegionFile> ReplaceInRegions(const std::string& path) override;
  Status RemoveFile(const std::string& path) override;
  bool IsFile(const std::string& path) override;
  bool IsDirectory(const std::string& path) override;
  bool SameFile(const std::string& a, const std::string& b) override;
  Status StampOf(const std::string& path, FileStamp* stamp) override;
  Status ListFiles(const std::string& dir, std::vector<std::string>* names) override;
  Status MakeDirs(const std::string& path) override;
  std::unique_ptr<DirectoryLock> LockDirectory(const std::string& dir,
                                               const std::function<void()>& onLongWait) override;
  void RemoveStaleTemporaries(const std::string& dir,
                              const std::vector<std::string>& names) override;

  // Makes every later `op` on `path` fail with `reason`, as the system
  // would refuse it.
  void Fail(Op op, const std::string& path, std::string reason = "Permission denied");

  const std::map<std::string, std::string>& files() const { return files_; }
  std::map<std::string, std::string>& files() { return files_; }

 private:
  friend class MemoryRegionFile;
  // The failure set for `op` on `path`, or Ok.
  Status Refusal(Op op, const std::string& path) const;
  // Whether `path` may be written now, as WriteFile would find it.
  Status CheckWrite(const std::string& path) const;
  bool ParentExists(const std::string& path) const;

  std::map<std::string, std::string> files_;
  // By file: the number of writes made when it was last written.
  std::map<std::string, std::int64_t> written_;
  std::int64_t writes_ = 0;
  std::set<std::string> dirs_;
  std::map<std::pair<Op, std::string>, std::string> failures_;
};

}  // namespace sb

#endif  // SB_BASE_DISK_H_
