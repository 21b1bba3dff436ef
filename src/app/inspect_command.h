// The inspect command: reads one compiled file, tells its kind from its
// name, decodes it (format/*_codec.h hold the layouts and the bounds) and
// prints what it holds (tools/inspect/printers.h).
#ifndef SB_APP_INSPECT_COMMAND_H_
#define SB_APP_INSPECT_COMMAND_H_

#include <ostream>
#include <string>

#include "tools/inspect/printers.h"

namespace sb {

// Decodes the compiled file at `path` (its kind told by its name) and prints
// it on `out`. Returns 0; 65 when the file is not of its layout; 74 when it
// cannot be read; 64 when its name tells none of the three kinds. Messages
// go to `err`.
int Inspect(const std::string& path, InspectFormat format, std::ostream& out, std::ostream& err);

}  // namespace sb

#endif  // SB_APP_INSPECT_COMMAND_H_
