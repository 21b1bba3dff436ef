#include "output/file_io.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

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

std::string IoStatus::Message(std::string_view verb) const {
  return "cannot " + std::string(verb) + " '" + path + "': " + reason;
}

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

FileReplacement::FileReplacement(std::string path)
    : path_(std::move(path)), temp_(TempNameFor(path_)) {
  file_ = std::fopen(temp_.c_str(), "wb");
  if (file_ == nullptr) Fail(errno);
}

FileReplacement::~FileReplacement() {
  if (file_ != nullptr) {
    std::fclose(file_);
    std::remove(temp_.c_str());
  }
}

void FileReplacement::Fail(int err) {
  if (error_ == 0) error_ = err != 0 ? err : EIO;
}

void FileReplacement::Append(std::string_view piece) {
  if (error_ != 0 || piece.empty()) return;
  if (std::fwrite(piece.data(), 1, piece.size(), file_) != piece.size()) Fail(errno);
  size_ += piece.size();
  position_ += piece.size();
}

void FileReplacement::WriteAt(std::uint64_t offset, std::string_view piece) {
  if (error_ != 0 || piece.empty()) return;
  if (offset != position_) {
    // The compiled files stay far below 2 GB, the reach of a long offset
    // on every platform.
    if (offset > static_cast<std::uint64_t>(LONG_MAX) ||
        std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) {
      Fail(offset > static_cast<std::uint64_t>(LONG_MAX) ? EFBIG : errno);
      return;
    }
    position_ = offset;
  }
  Append(piece);
}

IoStatus FileReplacement::Commit() {
  if (file_ == nullptr) return IoStatus::Error(path_, ErrnoText(error_));
  if (error_ == 0 && Hook() && !Hook()(path_, size_)) Fail(ENOSPC);
  if (std::fflush(file_) != 0) Fail(errno);
  if (std::fclose(file_) != 0) Fail(errno);
  file_ = nullptr;
  if (error_ != 0) {
    std::remove(temp_.c_str());
    return IoStatus::Error(path_, ErrnoText(error_));
  }
  std::error_code ec;
  fs::rename(temp_, path_, ec);
  if (ec) {
    std::remove(temp_.c_str());
    return IoStatus::Error(path_, ec.message());
  }
  return IoStatus::Ok();
}

IoStatus ReplaceFile(const std::string& path, std::string_view bytes) {
  FileReplacement file(path);
  file.Append(bytes);
  return file.Commit();
}

IoStatus ReadWholeFile(const std::string& path, std::string* out) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) return IoStatus::Error(path, "is a directory");
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return IoStatus::Error(path, ErrnoText(errno));
  out->clear();
  // The size is a hint: the loop reads whatever the file holds.
  if (const std::uintmax_t size = fs::file_size(path, ec);
      !ec && size < (std::uintmax_t{1} << 32)) {
    out->reserve(static_cast<std::size_t>(size));
  }
  char buffer[1 << 16];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out->append(buffer, n);
  bool bad = std::ferror(f) != 0;
  int err = errno;
  std::fclose(f);
  if (bad) return IoStatus::Error(path, ErrnoText(err));
  return IoStatus::Ok();
}

IoStatus RemoveFile(const std::string& path) {
  std::error_code ec;
  if (!fs::remove(path, ec) && ec) return IoStatus::Error(path, ec.message());
  return IoStatus::Ok();
}

bool RegularFileExists(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

}  // namespace sb
