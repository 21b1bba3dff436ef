// A directory held by one run of the program at a time. Two runs into one
// folder write the same names: without the lock one deletes the other's
// description half-way through its compile. The lock adds no file to the
// folder: on POSIX it is flock() on the directory itself, on Windows a
// named mutex whose name comes from the directory's full path.
#ifndef SB_BASE_DIRECTORY_LOCK_H_
#define SB_BASE_DIRECTORY_LOCK_H_

#include <functional>
#include <memory>
#include <string>

namespace sb {

// Held while it lives. Files the holder puts in the directory only for
// itself (the descriptions of the scenario run) are removed if the program
// is interrupted while the lock is held; that ends before the lock goes, so
// an interruption after it can never touch the next holder's files.
class DirectoryLock {
 public:
  virtual ~DirectoryLock() = default;
  virtual void RemoveIfInterrupted(const std::string& path) { (void)path; }
};

// How long a run waits in silence before it says that it is waiting.
inline constexpr int kLockNoticeAfterMs = 1000;

// Takes the lock of `dir` ("" is the current directory) on the real file
// system, waiting for as long as another process holds it; `onLongWait` is
// called once if the wait lasts longer than kLockNoticeAfterMs. A directory
// that cannot be opened or locked (missing, not readable) is not waited
// for: the returned lock holds nothing, and the writes that follow report
// what is wrong with the directory.
std::unique_ptr<DirectoryLock> LockRealDirectory(const std::string& dir,
                                                 const std::function<void()>& onLongWait);

}  // namespace sb

#endif  // SB_BASE_DIRECTORY_LOCK_H_
