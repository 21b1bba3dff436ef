#include "base/user_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "base/file_io.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sb {
namespace fs = std::filesystem;
namespace {

std::string ErrnoText(int err) { return std::strerror(err); }

// Where a regular file under `path` really is: replacing the link itself
// would turn it into a file of its own.
std::string ThroughLinks(const std::string& path) {
  std::error_code ec;
  if (!fs::is_symlink(path, ec)) return path;
  const fs::path target = fs::canonical(path, ec);
  return ec ? path : target.string();
}

#ifndef _WIN32

Status WriteAll(int fd, const std::string& path, std::string_view bytes) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Status::IoError(path, ErrnoText(n < 0 ? errno : EIO));
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return Status::Ok();
}

// Writes into the special file `path` in place; false in `*regular` when
// the path turned out to be a regular file by the time it was opened.
Status WriteInPlace(const std::string& path, std::string_view bytes, bool* regular) {
  // A FIFO's open waits here for its reader, as a redirection's would.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return Status::IoError(path, ErrnoText(errno));
  struct stat st;
  Status result;
  if (::fstat(fd, &st) != 0) {
    result = Status::IoError(path, ErrnoText(errno));
  } else if (S_ISREG(st.st_mode)) {
    *regular = true;
  } else {
    result = WriteAll(fd, path, bytes);
  }
  if (::close(fd) != 0 && result.ok() && !*regular)
    result = Status::IoError(path, ErrnoText(errno));
  return result;
}

#else

Status WriteInPlace(const std::string& path, std::string_view bytes, bool* regular) {
  *regular = false;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return Status::IoError(path, ErrnoText(errno));
  const bool written =
      std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && std::fflush(f) == 0;
  const int err = errno;
  const bool closed = std::fclose(f) == 0;
  if (!written || !closed) return Status::IoError(path, ErrnoText(written ? errno : err));
  return Status::Ok();
}

#endif

// A file CreateNewFiles made: where, and which file it was, so that only
// that file is removed again.
struct MadeFile {
  std::string path;
#ifndef _WIN32
  dev_t device = 0;
  ino_t inode = 0;
#endif
};

#ifndef _WIN32

Status CreateNewFile(const std::string& path, std::string_view bytes, MadeFile* made) {
  // O_EXCL refuses any name that exists, a link included; O_NOFOLLOW says
  // so a second time for systems that would follow one.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) {
    const int err = errno;
    if (err == EEXIST) return Status::Exists(path);
    return Status::IoError(path, ErrnoText(err));
  }
  struct stat st {};
  if (::fstat(fd, &st) == 0) {
    made->device = st.st_dev;
    made->inode = st.st_ino;
  }
  made->path = path;
  Status result = WriteAll(fd, path, bytes);
  if (::close(fd) != 0 && result.ok()) result = Status::IoError(path, ErrnoText(errno));
  return result;
}

void RemoveMadeFile(const MadeFile& made) {
  struct stat st {};
  if (::lstat(made.path.c_str(), &st) != 0) return;
  if (st.st_dev != made.device || st.st_ino != made.inode) return;  // no longer ours
  ::unlink(made.path.c_str());
}

#else

Status CreateNewFile(const std::string& path, std::string_view bytes, MadeFile* made) {
  const int fd =
      _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0) {
    const int err = errno;
    if (err == EEXIST) return Status::Exists(path);
    return Status::IoError(path, ErrnoText(err));
  }
  made->path = path;
  Status result;
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0 && result.ok()) {
    const unsigned chunk = left > (1u << 30) ? (1u << 30) : static_cast<unsigned>(left);
    const int n = _write(fd, p, chunk);
    if (n <= 0) {
      result = Status::IoError(path, ErrnoText(n < 0 ? errno : EIO));
      break;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  if (_close(fd) != 0 && result.ok()) result = Status::IoError(path, ErrnoText(errno));
  return result;
}

void RemoveMadeFile(const MadeFile& made) { std::remove(made.path.c_str()); }

#endif

}  // namespace

Status CreateNewFiles(const std::vector<std::pair<std::string, std::string_view>>& files) {
  std::vector<MadeFile> made;
  for (const auto& [path, bytes] : files) {
    MadeFile file;
    Status st = CreateNewFile(path, bytes, &file);
    if (!file.path.empty()) made.push_back(std::move(file));
    if (!st.ok()) {
      // Half a set would only be in the way of the next try.
      for (const MadeFile& m : made) RemoveMadeFile(m);
      return st;
    }
  }
  return Status::Ok();
}

Status WriteUserFile(const std::string& path, std::string_view bytes) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    bool regular = false;
    Status st = WriteInPlace(path, bytes, &regular);
    if (!regular) return st;
  }
  Status st = ReplaceFile(ThroughLinks(path), bytes);
  if (!st.ok()) return Status::IoError(path, st.reason());
  return st;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec) && !ec;
}

}  // namespace sb
