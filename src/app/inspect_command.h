// The inspect command: reads one compiled file, tells its kind from its
// name, decodes it (format/*_codec.h hold the layouts and the bounds) and
// prints what it holds (tools/inspect/printers.h).
#ifndef SB_APP_INSPECT_COMMAND_H_
#define SB_APP_INSPECT_COMMAND_H_

#include <ostream>
#include <string>

#include "base/disk.h"
#include "base/status.h"
#include "tools/inspect/printers.h"

namespace sb {

// Decodes the compiled file at `path` (its kind told by its name) and prints
// it on `out`. Fails Usage when its name tells none of the three kinds;
// Invalid when the file is not of its layout or larger than it allows; an
// I/O error when it cannot be read.
Status Inspect(Disk& disk, const std::string& path, InspectFormat format, std::ostream& out);

}  // namespace sb

#endif  // SB_APP_INSPECT_COMMAND_H_
