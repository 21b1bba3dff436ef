// File operations with errors as values. A file is replaced by writing a
// temporary file beside it and renaming it over the old one, so a failure
// leaves either the old file or the complete new one, never a partial one.
#ifndef SB_OUTPUT_FILE_IO_H_
#define SB_OUTPUT_FILE_IO_H_

#include <functional>
#include <string>
#include <string_view>

namespace sb {

struct IoStatus {
  bool ok = true;
  std::string path;
  std::string reason;  // the system's reason, in words

  static IoStatus Ok() { return {}; }
  static IoStatus Error(std::string path, std::string reason) {
    return {false, std::move(path), std::move(reason)};
  }
  // "cannot write 'path': reason"
  std::string Message(std::string_view verb) const;
};

IoStatus ReplaceFile(const std::string& path, std::string_view bytes);
IoStatus ReadWholeFile(const std::string& path, std::string* out);
IoStatus RemoveFile(const std::string& path);
// True when `path` names an existing regular file.
bool RegularFileExists(const std::string& path);

// Joins a directory and a file name with '/'. An empty directory is the
// current one.
std::string JoinPath(const std::string& dir, const std::string& name);

// Tests can make the next writes fail after `bytes_allowed` bytes, as a
// full disk would; nullptr restores normal writing.
using WriteLimitHook = std::function<bool(const std::string& path, std::size_t total_bytes)>;
void SetWriteFailureHookForTesting(WriteLimitHook hook);

}  // namespace sb

#endif  // SB_OUTPUT_FILE_IO_H_
