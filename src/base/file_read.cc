// Reading a whole file (declared in base/file_io.h): regular files only, and
// never more than the caller accepts.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>

#include "base/file_io.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sb {
namespace fs = std::filesystem;
namespace {

constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
constexpr std::size_t kChunk = std::size_t{1} << 16;

std::string ErrnoText(int err) { return std::strerror(err); }

const char* TypeName(fs::file_type type) {
  switch (type) {
    case fs::file_type::directory: return "a directory";
    case fs::file_type::fifo: return "a FIFO";
    case fs::file_type::character: return "a character device";
    case fs::file_type::block: return "a block device";
    case fs::file_type::socket: return "a socket";
    default: return "a special file";
  }
}

Status NotRegular(const std::string& path, fs::file_type type) {
  return Status::IoError(path, std::string("is ") + TypeName(type) + ", not a regular file");
}

// "256 MiB" for a limit of whole mebibytes, "302115 bytes" otherwise.
std::string LimitText(std::uint64_t limit) {
  if (limit >= kMiB && limit % kMiB == 0) return std::to_string(limit / kMiB) + " MiB";
  return std::to_string(limit) + " bytes";
}

// True, with the refusal, when `path` names (links followed) something
// that is there and is not a regular file. A path that cannot be looked at
// is left to the open, which tells the system's reason.
bool RefuseByType(const std::string& path, Status* refusal) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (ec || !fs::exists(status) || fs::is_regular_file(status)) return false;
  *refusal = NotRegular(path, status.type());
  return true;
}

// How many bytes the next read may take: enough to see that the file runs
// past the limit, never more.
std::size_t NextRead(std::uint64_t held, std::uint64_t limit) {
  const std::uint64_t room = limit - std::min(held, limit) + 1;
  return static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, room));
}

#ifndef _WIN32

fs::file_type TypeOf(mode_t mode) {
  if (S_ISDIR(mode)) return fs::file_type::directory;
  if (S_ISFIFO(mode)) return fs::file_type::fifo;
  if (S_ISCHR(mode)) return fs::file_type::character;
  if (S_ISBLK(mode)) return fs::file_type::block;
  if (S_ISSOCK(mode)) return fs::file_type::socket;
  return fs::file_type::unknown;
}

// The open file, checked again: the path may have changed since it was
// looked at.
Status ReadOpenFile(int fd, const std::string& path, std::uint64_t limit, std::string* bytes,
                    FileAccess* access) {
  struct stat st;
  if (::fstat(fd, &st) != 0) return Status::IoError(path, ErrnoText(errno));
  if (!S_ISREG(st.st_mode)) return NotRegular(path, TypeOf(st.st_mode));
  access->owner = static_cast<std::uint32_t>(st.st_uid);
  access->mode = static_cast<std::uint32_t>(st.st_mode & 07777);
  const auto size = static_cast<std::uint64_t>(st.st_size);
  if (size > limit) return FileTooLarge(path, size, limit);
  bytes->reserve(static_cast<std::size_t>(size));
  char buffer[kChunk];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, NextRead(bytes->size(), limit));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Status::IoError(path, ErrnoText(errno));
    if (n == 0) return Status::Ok();
    bytes->append(buffer, static_cast<std::size_t>(n));
    if (bytes->size() > limit) return FileTooLarge(path, bytes->size(), limit);
  }
}

Status ReadLimited(const std::string& path, std::uint64_t limit, std::string* bytes,
                   FileAccess* access) {
  // Without O_NONBLOCK a FIFO put in place since the look would hold the
  // open until a writer came; a regular file reads the same either way.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return Status::IoError(path, ErrnoText(errno));
  Status st = ReadOpenFile(fd, path, limit, bytes, access);
  ::close(fd);
  return st;
}

#else

Status ReadLimited(const std::string& path, std::uint64_t limit, std::string* bytes,
                   FileAccess* access) {
  *access = FileAccess{};
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return Status::IoError(path, ErrnoText(errno));
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(path, ec);
  if (!ec && size > limit) {
    std::fclose(f);
    return FileTooLarge(path, size, limit);
  }
  if (!ec) bytes->reserve(static_cast<std::size_t>(size));
  char buffer[kChunk];
  Status st;
  for (;;) {
    const std::size_t n = std::fread(buffer, 1, NextRead(bytes->size(), limit), f);
    bytes->append(buffer, n);
    if (bytes->size() > limit) {
      st = FileTooLarge(path, bytes->size(), limit);
      break;
    }
    if (n == 0) {
      if (std::ferror(f)) st = Status::IoError(path, ErrnoText(errno));
      break;
    }
  }
  std::fclose(f);
  return st;
}

#endif

}  // namespace

Status FileTooLarge(const std::string& path, std::uint64_t size, std::uint64_t limit) {
  return Status::TooLarge(
      path, "too large: " + std::to_string(size) + " bytes, the limit is " + LimitText(limit));
}

Status ReadWholeFile(const std::string& path, std::string* out, std::uint64_t maxBytes) {
  FileAccess access;
  return ReadWholeFile(path, out, maxBytes, &access);
}

Status ReadWholeFile(const std::string& path, std::string* out, std::uint64_t maxBytes,
                     FileAccess* access) {
  Status refusal;
  if (RefuseByType(path, &refusal)) return refusal;
  std::string bytes;
  Status st;
  try {
    st = ReadLimited(path, maxBytes, &bytes, access);
  } catch (const std::bad_alloc&) {
    st = Status::IoError(path, ErrnoText(ENOMEM));
  }
  if (st.ok()) out->swap(bytes);
  return st;
}

}  // namespace sb
