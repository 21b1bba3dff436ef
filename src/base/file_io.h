// File operations with errors as values. A file is replaced by writing a
// temporary file beside it and renaming it over the old one, so a failure
// leaves either the old file or the complete new one, never a partial one.
// A temporary file is removed when the replacement fails or is dropped, or
// the program is interrupted (base/interrupt_cleanup.h); one that a killed
// run left is recognised by its name and removed by the next run.
#ifndef SB_BASE_FILE_IO_H_
#define SB_BASE_FILE_IO_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/interrupt_cleanup.h"
#include "base/status.h"

namespace sb {

Status ReplaceFile(const std::string& path, std::string_view bytes);

// The same replacement for a file written piece by piece, so a large file
// need not be held in memory whole: the pieces go to the temporary file,
// Finish completes it and Commit puts it in place of `path`. Several files
// can so be replaced as a set: each finished, then all committed. A
// replacement dropped without Commit removes its temporary file and leaves
// the old file as it was.
class FileReplacement {
 public:
  explicit FileReplacement(std::string path);
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // After a failure the pieces are dropped; Commit reports it.
  void Append(std::string_view piece);
  // A piece at `offset`, for a file written in several regions at once.
  // The regions must cover the file: a gap would read as zero bytes.
  void WriteAt(std::uint64_t offset, std::string_view piece);
  // Writes out and closes the temporary file; the old file is untouched.
  // Reports the first failure of any piece, naming `path`.
  Status Finish();
  // Finishes the file if that is not done, then renames it over `path`.
  Status Commit();

 private:
  enum class State { kWriting, kFinished, kCommitted };
  void Open();
  // Creates `temp` for writing, only if no file has that name: 0, or the
  // errno of the failure (EEXIST when the name is taken).
  int CreateTemporary(const std::string& temp);
  void Fail(int err);
  void Discard();
  // Writes all of `piece` at `offset`; false, with the failure kept, if not.
  bool Put(std::uint64_t offset, std::string_view piece);
  bool Close();

  std::string path_;
  std::string temp_;  // empty when no temporary file was made
  RemovalOnInterrupt removal_;
  State state_ = State::kWriting;
  // A descriptor where the system has positional writes, a stream
  // elsewhere; either way each piece goes to the system in one call.
#ifdef _WIN32
  std::FILE* file_ = nullptr;
#else
  int fd_ = -1;
#endif
  bool open_ = false;
  std::size_t size_ = 0;        // bytes written so far
  std::uint64_t position_ = 0;  // where the next piece goes
  int error_ = 0;               // errno of the first failure
};

// Reads the file at `path` whole into `out` when it is a regular file (after
// following links) of at most `maxBytes`; `out` is left as it was otherwise.
// Anything else is refused before a byte is read, so that a FIFO, a device
// or an endless file can neither hold the program nor fill its memory:
//   - not a regular file: an I/O error saying what it is ("is a FIFO, not a
//     regular file"); a FIFO is never opened, so it waits for no writer;
//   - larger than `maxBytes` (its size as the open file tells it, or, for a
//     file that grows while it is read, the bytes read, at most maxBytes + 1):
//     a TooLarge status, "too large: N bytes, the limit is L".
Status ReadWholeFile(const std::string& path, std::string* out, std::uint64_t maxBytes);
// Who owns a file and who may read it (the owner's id and the permission
// bits), as the open file tells them; zero where the system has neither.
struct FileAccess {
  std::uint32_t owner = 0;
  std::uint32_t mode = 0;
  bool operator==(const FileAccess&) const = default;
};
// The same read, also telling the access of the very file read.
Status ReadWholeFile(const std::string& path, std::string* out, std::uint64_t maxBytes,
                     FileAccess* access);
// The TooLarge status of a file of `size` bytes read under `limit`.
Status FileTooLarge(const std::string& path, std::uint64_t size, std::uint64_t limit);
Status RemoveFile(const std::string& path);
// True when `path` names an existing regular file.
bool RegularFileExists(const std::string& path);

// Temporary file names. The temporary for `name` is
// "<name>.<8 random hex digits>.part". Where that is too long for the file
// system, a shortened form of exactly the length of `name` is used:
// "<the first bytes of name>~<8 hex digits of name's hash>.<random>.part"
// (names of 24 bytes and more). Either form stands for one name only.
inline constexpr std::size_t kTemporarySuffixBytes = 14;  // ".xxxxxxxx.part"
inline constexpr std::size_t kShortenedTailBytes = 23;    // "~hhhhhhhh.xxxxxxxx.part"
std::string TemporaryName(const std::string& name, bool shortened, std::uint32_t random);
// True when `candidate` is a temporary file name, of either form, for `name`.
bool IsTemporaryName(std::string_view candidate, std::string_view name);

// Removes from `dir` ("" is the current directory) every file whose name is
// a temporary file name for one of `names`, and nothing else: those an
// interrupted run left. Best effort: what cannot be listed or removed stays.
void RemoveStaleTemporaries(const std::string& dir, const std::vector<std::string>& names);

// Where the last component of `path` starts: after its last separator
// ('/', and '\\' too on Windows), or 0 for a bare name.
std::size_t NameStart(const std::string& path);

// Joins a directory and a file name with '/' ('\\' on Windows). An empty
// directory is the current one.
std::string JoinPath(const std::string& dir, const std::string& name);

// Tests can make the next writes fail after `bytes_allowed` bytes, as a
// full disk would; nullptr restores normal writing.
using WriteLimitHook = std::function<bool(const std::string& path, std::size_t total_bytes)>;
void SetWriteFailureHookForTesting(WriteLimitHook hook);
// Tests can act at the moment a temporary file has just been made, before
// anything is written to it.
using TemporaryCreatedHook = std::function<void(const std::string& temp)>;
void SetTemporaryCreatedHookForTesting(TemporaryCreatedHook hook);

}  // namespace sb

#endif  // SB_BASE_FILE_IO_H_
