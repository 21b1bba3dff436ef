// The editor server's loop: frames in from `in`, frames out to `out`, until
// the client says exit or the input ends.
#ifndef SB_TOOLS_LSP_STDIO_H_
#define SB_TOOLS_LSP_STDIO_H_

#include <istream>
#include <ostream>

#include "base/disk.h"
#include "tools/lsp/project_times.h"

namespace sb::lsp {

// Returns the exit status: 0 after shutdown and exit, 1 otherwise. A frame
// that cannot be read or decoded gets an error response (-32700, or -32600
// for one over the size limit, whose body is then skipped, and for JSON
// that nests too deep or holds too many values) and the loop goes on.
// Descriptions not open in the editor are read from `disk`, and so are the
// project files beside them, which `projects` reads.
int RunLanguageServer(std::istream& in, std::ostream& out, Disk& disk, ProjectReader projects = {});

}  // namespace sb::lsp

#endif  // SB_TOOLS_LSP_STDIO_H_
