#include "base/disk.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <system_error>
#include <utility>

#include "base/file_io.h"
#include "base/user_file.h"

namespace sb {
namespace fs = std::filesystem;
namespace {

constexpr const char* kNoSuchFile = "No such file or directory";
constexpr const char* kNotADirectory = "Not a directory";
constexpr const char* kIsADirectory = "is a directory";
constexpr const char* kDirectoryNotRegular = "is a directory, not a regular file";

class RealRegionFile : public RegionFile {
 public:
  explicit RealRegionFile(const std::string& path) : file_(path) {}
  void WriteAt(std::uint64_t offset, std::string_view piece) override {
    file_.WriteAt(offset, piece);
  }
  Status Finish() override { return file_.Finish(); }
  Status Commit() override { return file_.Commit(); }

 private:
  FileReplacement file_;
};

}  // namespace

Status RealDisk::ReadFile(const std::string& path, std::string* contents, std::uint64_t maxBytes) {
  return ReadWholeFile(path, contents, maxBytes);
}

Status RealDisk::WriteFile(const std::string& path, std::string_view contents) {
  return ReplaceFile(path, contents);
}

std::unique_ptr<RegionFile> RealDisk::ReplaceInRegions(const std::string& path) {
  return std::make_unique<RealRegionFile>(path);
}

Status RealDisk::RemoveFile(const std::string& path) { return sb::RemoveFile(path); }

bool RealDisk::IsFile(const std::string& path) { return RegularFileExists(path); }

bool RealDisk::SameFile(const std::string& a, const std::string& b) { return sb::SameFile(a, b); }

Status RealDisk::StampOf(const std::string& path, FileStamp* stamp) {
  std::error_code ec;
  // The size fails for anything but a regular file, links followed.
  const std::uintmax_t size = fs::file_size(path, ec);
  if (ec) return Status::IoError(path, ec.message());
  const fs::file_time_type time = fs::last_write_time(path, ec);
  if (ec) return Status::IoError(path, ec.message());
  *stamp = FileStamp{static_cast<std::int64_t>(time.time_since_epoch().count()), size};
  return Status::Ok();
}

Status RealDisk::ListFiles(const std::string& dir, std::vector<std::string>* names) {
  std::vector<std::string> found;
  std::error_code ec;
  for (fs::directory_iterator it(dir.empty() ? "." : dir, ec), end; !ec && it != end;
       it.increment(ec)) {
    std::error_code kind;
    if (!it->is_regular_file(kind)) continue;
    // Where the system's names are wide, one the program's narrow text
    // cannot hold could not be opened by it either: it is left out.
    try {
      found.push_back(it->path().filename().string());
    } catch (const std::exception&) {
    }
  }
  if (ec) return Status::IoError(dir, ec.message());
  std::sort(found.begin(), found.end());
  names->swap(found);
  return Status::Ok();
}

bool RealDisk::IsDirectory(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

std::unique_ptr<DirectoryLock> RealDisk::LockDirectory(const std::string& dir,
                                                       const std::function<void()>& onLongWait) {
  return LockRealDirectory(dir, onLongWait);
}

void RealDisk::RemoveStaleTemporaries(const std::string& dir,
                                      const std::vector<std::string>& names) {
  sb::RemoveStaleTemporaries(dir, names);
}

Status RealDisk::MakeDirs(const std::string& path) {
  std::error_code ec;
  fs::create_directories(path, ec);
  // The test of the result overwrites the creation's error with its own
  // when it has one: that is the reason the user is told.
  if (fs::is_directory(path, ec)) return Status::Ok();
  return Status::IoError(path, ec ? ec.message() : "not a directory");
}

// The pieces are gathered in a buffer of their own and put in place whole.
class MemoryRegionFile : public RegionFile {
 public:
  MemoryRegionFile(MemoryDisk& disk, std::string path) : disk_(disk), path_(std::move(path)) {}
  void WriteAt(std::uint64_t offset, std::string_view piece) override {
    const std::size_t at = static_cast<std::size_t>(offset);
    if (bytes_.size() < at + piece.size()) bytes_.resize(at + piece.size());
    bytes_.replace(at, piece.size(), piece);
  }
  Status Finish() override { return disk_.CheckWrite(path_); }
  Status Commit() override { return disk_.WriteFile(path_, bytes_); }

 private:
  MemoryDisk& disk_;
  std::string path_;
  std::string bytes_;
};

Status MemoryDisk::Refusal(Op op, const std::string& path) const {
  auto it = failures_.find({op, path});
  if (it == failures_.end()) return Status::Ok();
  return Status::IoError(path, it->second);
}

bool MemoryDisk::ParentExists(const std::string& path) const {
  const std::size_t start = NameStart(path);
  if (start <= 1) return true;  // a bare name, or one in the root
  const std::string parent = path.substr(0, start - 1);
  return parent == "." || dirs_.count(parent) > 0;
}

void MemoryDisk::Fail(Op op, const std::string& path, std::string reason) {
  failures_[{op, path}] = std::move(reason);
}

Status MemoryDisk::ReadFile(const std::string& path, std::string* contents,
                            std::uint64_t maxBytes) {
  if (Status st = Refusal(Op::kRead, path); !st.ok()) return st;
  if (dirs_.count(path)) return Status::IoError(path, kDirectoryNotRegular);
  auto it = files_.find(path);
  if (it == files_.end()) return Status::IoError(path, kNoSuchFile);
  if (it->second.size() > maxBytes) return FileTooLarge(path, it->second.size(), maxBytes);
  *contents = it->second;
  return Status::Ok();
}

Status MemoryDisk::CheckWrite(const std::string& path) const {
  if (Status st = Refusal(Op::kWrite, path); !st.ok()) return st;
  if (dirs_.count(path)) return Status::IoError(path, kIsADirectory);
  if (!ParentExists(path)) return Status::IoError(path, kNoSuchFile);
  return Status::Ok();
}

Status MemoryDisk::WriteFile(const std::string& path, std::string_view contents) {
  if (Status st = CheckWrite(path); !st.ok()) return st;
  files_[path] = std::string(contents);
  written_[path] = ++writes_;
  return Status::Ok();
}

std::unique_ptr<RegionFile> MemoryDisk::ReplaceInRegions(const std::string& path) {
  return std::make_unique<MemoryRegionFile>(*this, path);
}

Status MemoryDisk::RemoveFile(const std::string& path) {
  if (Status st = Refusal(Op::kRemove, path); !st.ok()) return st;
  files_.erase(path);
  written_.erase(path);
  return Status::Ok();
}

bool MemoryDisk::IsFile(const std::string& path) { return files_.count(path) > 0; }

bool MemoryDisk::SameFile(const std::string& a, const std::string& b) {
  return a == b && IsFile(a);
}

Status MemoryDisk::StampOf(const std::string& path, FileStamp* stamp) {
  const auto it = files_.find(path);
  if (it == files_.end()) {
    return Status::IoError(path, dirs_.count(path) ? kDirectoryNotRegular : kNoSuchFile);
  }
  const auto written = written_.find(path);
  *stamp = FileStamp{written != written_.end() ? written->second : 0, it->second.size()};
  return Status::Ok();
}

Status MemoryDisk::ListFiles(const std::string& dir, std::vector<std::string>* names) {
  if (!IsDirectory(dir)) return Status::IoError(dir, IsFile(dir) ? kNotADirectory : kNoSuchFile);
  const std::string folder = dir.empty() ? "." : dir;
  std::vector<std::string> found;
  for (const auto& [path, bytes] : files_) {
    const std::size_t start = NameStart(path);
    // A bare name lies in "."; one in the root keeps its separator.
    const std::string parent = start == 0 ? "." : path.substr(0, start == 1 ? 1 : start - 1);
    if (parent == folder) found.push_back(path.substr(start));
  }
  std::sort(found.begin(), found.end());
  names->swap(found);
  return Status::Ok();
}

bool MemoryDisk::IsDirectory(const std::string& path) {
  return path.empty() || path == "." || dirs_.count(path) > 0;
}

std::unique_ptr<DirectoryLock> MemoryDisk::LockDirectory(const std::string&,
                                                         const std::function<void()>&) {
  return std::make_unique<DirectoryLock>();
}

void MemoryDisk::RemoveStaleTemporaries(const std::string& dir,
                                        const std::vector<std::string>& names) {
  const std::string folder = dir.empty() ? "." : dir;
  for (auto it = files_.begin(); it != files_.end();) {
    const std::size_t start = NameStart(it->first);
    const std::string parent = start == 0 ? "." : it->first.substr(0, start - 1);
    const std::string_view name = std::string_view(it->first).substr(start);
    bool stale = false;
    for (const std::string& wanted : names) stale = stale || IsTemporaryName(name, wanted);
    it = parent == folder && stale ? files_.erase(it) : std::next(it);
  }
}

Status MemoryDisk::MakeDirs(const std::string& path) {
  if (Status st = Refusal(Op::kMakeDirs, path); !st.ok()) return st;
  // Every prefix ending before a separator, then the path itself.
  for (std::size_t at = 0; at <= path.size(); ++at) {
    const bool end = at == path.size();
#ifdef _WIN32
    const bool separator = !end && (path[at] == '/' || path[at] == '\\');
#else
    const bool separator = !end && path[at] == '/';
#endif
    if ((!end && !separator) || at == 0) continue;
    const std::string prefix = path.substr(0, at);
    if (files_.count(prefix)) return Status::IoError(path, kNotADirectory);
    dirs_.insert(prefix);
  }
  return Status::Ok();
}

}  // namespace sb
