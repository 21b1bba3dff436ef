#include "base/file_io.h"

#include <fcntl.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>
#include <system_error>
#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

namespace sb {
namespace fs = std::filesystem;
namespace {

WriteLimitHook& Hook() {
  static WriteLimitHook hook;
  return hook;
}

TemporaryCreatedHook& TemporaryHook() {
  static TemporaryCreatedHook hook;
  return hook;
}

std::string ErrnoText(int err) { return std::strerror(err); }

constexpr const char kPartSuffix[] = ".part";
constexpr std::size_t kHexDigits = 8;
constexpr char kShortenedMark = '~';
// Tries of a temporary name that another file already has.
constexpr int kNameAttempts = 16;

std::string Hex8(std::uint32_t value) {
  char text[kHexDigits + 1];
  std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(value));
  return text;
}

bool IsHex8(std::string_view text) {
  return text.size() == kHexDigits && text.find_first_not_of("0123456789abcdef") == text.npos;
}

// FNV-1a: stable across runs and systems, which is all a name needs.
std::uint32_t NameHash(std::string_view name) {
  std::uint32_t hash = 2166136261u;
  for (unsigned char c : name) hash = (hash ^ c) * 16777619u;
  return hash;
}

bool CanShorten(std::string_view name) { return name.size() > kShortenedTailBytes; }

std::uint32_t RandomPart() {
  static std::mt19937 rng{std::random_device{}()};
  return static_cast<std::uint32_t>(rng());
}

std::string TemporaryPath(const std::string& path, bool shortened) {
  const std::size_t start = NameStart(path);
  return path.substr(0, start) + TemporaryName(path.substr(start), shortened, RandomPart());
}

}  // namespace

std::size_t NameStart(const std::string& path) {
#ifdef _WIN32
  const std::size_t sep = path.find_last_of("/\\");
#else
  const std::size_t sep = path.rfind('/');
#endif
  return sep == std::string::npos ? 0 : sep + 1;
}

void SetWriteFailureHookForTesting(WriteLimitHook hook) { Hook() = std::move(hook); }
void SetTemporaryCreatedHookForTesting(TemporaryCreatedHook hook) {
  TemporaryHook() = std::move(hook);
}

std::string TemporaryName(const std::string& name, bool shortened, std::uint32_t random) {
  std::string out;
  if (!shortened || !CanShorten(name)) {
    out = name;
  } else {
    out.assign(name, 0, name.size() - kShortenedTailBytes);
    out += kShortenedMark;
    out += Hex8(NameHash(name));
  }
  out += '.';
  out += Hex8(random);
  out += kPartSuffix;
  return out;
}

bool IsTemporaryName(std::string_view candidate, std::string_view name) {
  const std::string_view part = kPartSuffix;
  auto endsWithRandomPart = [&](std::size_t at) {
    return candidate.size() == at + 1 + kHexDigits + part.size() && candidate[at] == '.' &&
           IsHex8(candidate.substr(at + 1, kHexDigits)) &&
           candidate.substr(at + 1 + kHexDigits) == part;
  };
  if (candidate.size() == name.size() + kTemporarySuffixBytes &&
      candidate.substr(0, name.size()) == name) {
    return endsWithRandomPart(name.size());
  }
  if (!CanShorten(name) || candidate.size() != name.size()) return false;
  const std::size_t kept = name.size() - kShortenedTailBytes;
  return candidate.substr(0, kept) == name.substr(0, kept) && candidate[kept] == kShortenedMark &&
         candidate.substr(kept + 1, kHexDigits) == Hex8(NameHash(name)) &&
         endsWithRandomPart(kept + 1 + kHexDigits);
}

void RemoveStaleTemporaries(const std::string& dir, const std::vector<std::string>& names) {
  std::error_code ec;
  std::vector<fs::path> stale;
  for (fs::directory_iterator it(dir.empty() ? "." : dir, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string candidate = it->path().filename().string();
    for (const std::string& name : names) {
      std::error_code kind;
      if (IsTemporaryName(candidate, name) && it->is_regular_file(kind)) {
        stale.push_back(it->path());
        break;
      }
    }
  }
  for (const fs::path& path : stale) fs::remove(path, ec);
}

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

void FileReplacement::Open() {
  bool shortened = false;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string temp = TemporaryPath(path_, shortened);
    int err = 0;
    {
      // An interrupt between making the temporary and registering it for
      // removal would leave it behind; before making it, it could remove a
      // file of that name that is not ours.
      const InterruptsHeld held;
      err = CreateTemporary(temp);
      if (err == 0) {
        if (TemporaryHook()) TemporaryHook()(temp);
        removal_.Set(temp);
      }
    }
    if (err == 0) {
      temp_ = temp;
      open_ = true;
      return;
    }
    if (err == EEXIST || err == EINTR) continue;
    if (err == ENAMETOOLONG && !shortened && CanShorten(path_.substr(NameStart(path_)))) {
      shortened = true;
      continue;
    }
    Fail(err);
    return;
  }
  Fail(EEXIST);
}

#ifdef _WIN32

int FileReplacement::CreateTemporary(const std::string& temp) {
  // Exclusive: a file that already has the name is never written over,
  // nor later removed as ours.
  const int fd =
      _open(temp.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0) return errno;
  file_ = _fdopen(fd, "wb");
  if (file_ != nullptr) return 0;
  const int err = errno;
  _close(fd);
  std::remove(temp.c_str());
  return err;
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

int FileReplacement::CreateTemporary(const std::string& temp) {
  // Exclusive: a file that already has the name is never written over,
  // nor later removed as ours.
  fd_ = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  return fd_ >= 0 ? 0 : errno;
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

FileReplacement::FileReplacement(std::string path) : path_(std::move(path)) { Open(); }

FileReplacement::~FileReplacement() {
  if (state_ != State::kCommitted) Discard();
}

void FileReplacement::Discard() {
  if (open_) Close();
  if (!temp_.empty()) {
    std::remove(temp_.c_str());
    removal_.Clear();
    temp_.clear();
  }
}

void FileReplacement::Fail(int err) {
  if (error_ == 0) error_ = err != 0 ? err : EIO;
}

void FileReplacement::Append(std::string_view piece) { WriteAt(position_, piece); }

void FileReplacement::WriteAt(std::uint64_t offset, std::string_view piece) {
  if (error_ != 0 || state_ != State::kWriting || piece.empty()) return;
  if (!Put(offset, piece)) return;
  size_ += piece.size();
  position_ = offset + piece.size();
}

Status FileReplacement::Finish() {
  if (state_ == State::kWriting && open_) {
    if (error_ == 0 && Hook() && !Hook()(path_, size_)) Fail(ENOSPC);
    Close();
  }
  if (state_ == State::kWriting) state_ = State::kFinished;
  if (error_ != 0) {
    Discard();
    return Status::IoError(path_, ErrnoText(error_));
  }
  return Status::Ok();
}

Status FileReplacement::Commit() {
  if (state_ == State::kCommitted) return Status::Ok();
  if (Status st = Finish(); !st.ok()) return st;
  std::error_code ec;
  fs::rename(temp_, path_, ec);
  if (ec) {
    Discard();
    return Status::IoError(path_, ec.message());
  }
  removal_.Clear();
  temp_.clear();
  state_ = State::kCommitted;
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
