#include "output/file_io.h"

#include <cerrno>
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
  if (dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

IoStatus ReplaceFile(const std::string& path, std::string_view bytes) {
  const std::string temp = TempNameFor(path);
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (f == nullptr) return IoStatus::Error(path, ErrnoText(errno));
  bool failed = false;
  int err = 0;
  if (Hook() && !Hook()(path, bytes.size())) {
    failed = true;
    err = ENOSPC;
  } else if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
    failed = true;
    err = errno;
  }
  if (std::fflush(f) != 0 && !failed) {
    failed = true;
    err = errno;
  }
  if (std::fclose(f) != 0 && !failed) {
    failed = true;
    err = errno;
  }
  if (failed) {
    std::remove(temp.c_str());
    return IoStatus::Error(path, ErrnoText(err));
  }
  std::error_code ec;
  fs::rename(temp, path, ec);
  if (ec) {
    std::remove(temp.c_str());
    return IoStatus::Error(path, ec.message());
  }
  return IoStatus::Ok();
}

IoStatus ReadWholeFile(const std::string& path, std::string* out) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) return IoStatus::Error(path, "is a directory");
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return IoStatus::Error(path, ErrnoText(errno));
  out->clear();
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
