#include "base/file_io.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace sb {
namespace fs = std::filesystem;
namespace {

WriteLimitHook& Hook() {
  static WriteLimitHook hook;
  return hook;
}

std::string ErrnoText(int err) { return std::strerror(err); }

std::string TempNameFor(const std::string& path) {
  static std::mt19937_64 rng{std::random_device{}()};
  char suffix[24];
  std::snprintf(suffix, sizeof suffix, ".%08llx.part",
                static_cast<unsigned long long>(rng() & 0xFFFFFFFFull));
  return path + suffix;
}

}  // namespace

void SetWriteFailureHookForTesting(WriteLimitHook hook) { Hook() = std::move(hook); }

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
#ifdef _WIN32
  // Windows takes either separator; the executable's directory comes with
  // backslashes, so names join with one.
  if (dir.back() == '\\' || dir.back() == '/') return dir + name;
  return dir + "\\" + name;
#else
  if (dir.back() == '/') return dir + name;
  return dir + "/" + name;
#endif
}

#ifdef _WIN32

FileReplacement::FileReplacement(std::string path)
    : path_(std::move(path)), temp_(TempNameFor(path_)) {
  file_ = std::fopen(temp_.c_str(), "wb");
  open_ = file_ != nullptr;
  if (!open_) Fail(errno);
}

bool FileReplacement::Put(std::uint64_t offset, std::string_view piece) {
  if (offset != position_) {
    // The compiled files stay far below 2 GB, the reach of a long offset.
    if (offset > static_cast<std::uint64_t>(LONG_MAX)) {
      Fail(EFBIG);
      return false;
    }
    if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) {
      Fail(errno);
      return false;
    }
  }
  if (std::fwrite(piece.data(), 1, piece.size(), file_) != piece.size()) {
    Fail(errno);
    return false;
  }
  return true;
}

bool FileReplacement::Close() {
  const bool ok = std::fflush(file_) == 0 && std::fclose(file_) == 0;
  if (!ok) Fail(errno);
  file_ = nullptr;
  open_ = false;
  return ok;
}

#else

FileReplacement::FileReplacement(std::string path)
    : path_(std::move(path)), temp_(TempNameFor(path_)) {
  fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  open_ = fd_ >= 0;
  if (!open_) Fail(errno);
}

bool FileReplacement::Put(std::uint64_t offset, std::string_view piece) {
  if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()) - piece.size()) {
    Fail(EFBIG);
    return false;
  }
  const char* p = piece.data();
  std::size_t left = piece.size();
  auto at = static_cast<off_t>(offset);
  while (left > 0) {
    const ssize_t n = ::pwrite(fd_, p, left, at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      Fail(n < 0 ? errno : EIO);
      return false;
    }
    p += n;
    at += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

bool FileReplacement::Close() {
  const bool ok = ::close(fd_) == 0;
  if (!ok) Fail(errno);
  fd_ = -1;
  open_ = false;
  return ok;
}

#endif

FileReplacement::~FileReplacement() {
  if (open_) {
    Close();
    std::remove(temp_.c_str());
  }
}

void FileReplacement::Fail(int err) {
  if (error_ == 0) error_ = err != 0 ? err : EIO;
}

void FileReplacement::Append(std::string_view piece) { WriteAt(position_, piece); }

void FileReplacement::WriteAt(std::uint64_t offset, std::string_view piece) {
  if (error_ != 0 || piece.empty()) return;
  if (!Put(offset, piece)) return;
  size_ += piece.size();
  position_ = offset + piece.size();
}

Status FileReplacement::Commit() {
  if (!open_) return Status::IoError(path_, ErrnoText(error_));
  if (error_ == 0 && Hook() && !Hook()(path_, size_)) Fail(ENOSPC);
  Close();
  if (error_ != 0) {
    std::remove(temp_.c_str());
    return Status::IoError(path_, ErrnoText(error_));
  }
  std::error_code ec;
  fs::rename(temp_, path_, ec);
  if (ec) {
    std::remove(temp_.c_str());
    return Status::IoError(path_, ec.message());
  }
  return Status::Ok();
}

Status ReplaceFile(const std::string& path, std::string_view bytes) {
  FileReplacement file(path);
  file.Append(bytes);
  return file.Commit();
}

Status RemoveFile(const std::string& path) {
  std::error_code ec;
  if (!fs::remove(path, ec) && ec) return Status::IoError(path, ec.message());
  return Status::Ok();
}

bool RegularFileExists(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

}  // namespace sb
