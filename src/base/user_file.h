// Writing a file whose path the user typed (an option such as render's -o).
// The files the program names itself in a folder are replaced whole
// (ReplaceFile), whatever stands under their names; a path the user typed
// is taken for what it names, as a shell's redirection would take it.
#ifndef SB_BASE_USER_FILE_H_
#define SB_BASE_USER_FILE_H_

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/status.h"

namespace sb {

// Writes `bytes` to what `path` names, links followed:
//   - something there that is not a regular file (a FIFO, a terminal, a
//     device) is opened and written in place, never replaced: the user's
//     pipe or the system's device stays what it is; a write it refuses
//     (a full device) is the failure;
//   - a regular file is replaced whole, where the links lead, so a link
//     stays a link;
//   - where nothing is yet, a new file is made.
Status WriteUserFile(const std::string& path, std::string_view bytes);

// Makes each file new, in order, with its bytes: a name already taken by
// anything (a file, a directory, a link, even one that leads nowhere) is
// the Exists status, and nothing is opened through a link, so a link made
// under the name between a check and the write cannot redirect it. When a
// file cannot be made or written, the files made so far are removed again
// (those still the ones made), and the status names the failure.
Status CreateNewFiles(const std::vector<std::pair<std::string, std::string_view>>& files);

// True when `a` and `b` both exist and are one file (the same device and
// inode), whatever names or links lead to it.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace sb

#endif  // SB_BASE_USER_FILE_H_
