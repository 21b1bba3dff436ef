#include "base/directory_lock.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <thread>
#include <vector>

#include "base/interrupt_cleanup.h"
#include "base/wide_text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace sb {
namespace {

class RealDirectoryLock final : public DirectoryLock {
 public:
  RealDirectoryLock() = default;
  RealDirectoryLock(const RealDirectoryLock&) = delete;
  RealDirectoryLock& operator=(const RealDirectoryLock&) = delete;
  ~RealDirectoryLock() override {
    // The paths first: once the lock is released they may be another run's.
    removals_.clear();
    Release();
  }
  void RemoveIfInterrupted(const std::string& path) override { removals_.emplace_back(path); }

  // Waits for the lock of `dir`; false when it cannot be had.
  bool Acquire(const std::string& dir, const std::function<void()>& onLongWait);

 private:
  void Release();

  std::vector<RemovalOnInterrupt> removals_;
#ifdef _WIN32
  HANDLE mutex_ = nullptr;
#else
  int fd_ = -1;
#endif
};

#ifdef _WIN32

// One folder, one name, however the path was written: absolute, with one
// kind of separator, no trailing one, and in capitals, as the file system
// compares names.
std::wstring CanonicalFolder(const std::string& dir) {
  const std::wstring given = Widen(dir.empty() ? "." : dir);
  const DWORD size = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
  if (size == 0) return {};
  std::wstring full(size, L'\0');
  const DWORD n = GetFullPathNameW(given.c_str(), size, full.data(), nullptr);
  if (n == 0 || n >= size) return {};
  full.resize(n);
  for (wchar_t& c : full) {
    if (c == L'/') c = L'\\';
  }
  while (full.size() > 3 && full.back() == L'\\') full.pop_back();
  std::wstring folded(full.size(), L'\0');
  if (LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, full.data(), static_cast<int>(full.size()),
                   folded.data(), static_cast<int>(folded.size())) == 0) {
    return full;
  }
  return folded;
}

// The mutex's name: the folder's path is too long for one, so a hash of it
// (FNV-1a, 64 bits) stands for it.
std::wstring MutexName(const std::wstring& folder) {
  std::uint64_t hash = 14695981039346656037ull;
  for (wchar_t c : folder) {
    for (unsigned char byte :
         {static_cast<unsigned char>(c & 0xFF), static_cast<unsigned char>((c >> 8) & 0xFF)}) {
      hash = (hash ^ byte) * 1099511628211ull;
    }
  }
  wchar_t hex[17];
  std::swprintf(hex, 17, L"%016llx", static_cast<unsigned long long>(hash));
  return std::wstring(L"Local\\scenario-builder-") + hex;
}

bool RealDirectoryLock::Acquire(const std::string& dir, const std::function<void()>& onLongWait) {
  const std::wstring folder = CanonicalFolder(dir);
  if (folder.empty()) return false;
  mutex_ = CreateMutexW(nullptr, FALSE, MutexName(folder).c_str());
  if (mutex_ == nullptr) return false;
  DWORD waited = WaitForSingleObject(mutex_, kLockNoticeAfterMs);
  if (waited == WAIT_TIMEOUT) {
    if (onLongWait) onLongWait();
    waited = WaitForSingleObject(mutex_, INFINITE);
  }
  // An abandoned mutex is one whose holder died: the folder is free.
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) return true;
  CloseHandle(mutex_);
  mutex_ = nullptr;
  return false;
}

void RealDirectoryLock::Release() {
  if (mutex_ == nullptr) return;
  ReleaseMutex(mutex_);
  CloseHandle(mutex_);
  mutex_ = nullptr;
}

#else

constexpr int kPollMs = 20;

bool RealDirectoryLock::Acquire(const std::string& dir, const std::function<void()>& onLongWait) {
  fd_ = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return false;
  // flock() has no timeout: it is tried without waiting until the notice
  // is due, then waited for.
  const auto noticeAt =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kLockNoticeAfterMs);
  bool blocking = false;
  for (;;) {
    if (::flock(fd_, LOCK_EX | (blocking ? 0 : LOCK_NB)) == 0) return true;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) break;
    if (std::chrono::steady_clock::now() >= noticeAt) {
      if (onLongWait) onLongWait();
      blocking = true;
      continue;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
  }
  // A file system without locks: the run goes on unlocked.
  ::close(fd_);
  fd_ = -1;
  return false;
}

void RealDirectoryLock::Release() {
  if (fd_ < 0) return;
  ::close(fd_);  // releases the lock
  fd_ = -1;
}

#endif

}  // namespace

std::unique_ptr<DirectoryLock> LockRealDirectory(const std::string& dir,
                                                 const std::function<void()>& onLongWait) {
  auto lock = std::make_unique<RealDirectoryLock>();
  // A lock that could not be had still removes the run's files on an
  // interruption.
  lock->Acquire(dir, onLongWait);
  return lock;
}

}  // namespace sb
