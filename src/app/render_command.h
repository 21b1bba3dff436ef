// The render command: reads the compiled files of one scenario and writes
// its picture (tools/render/picture.h) or its interactive page
// (tools/render/html_page.h).
#ifndef SB_APP_RENDER_COMMAND_H_
#define SB_APP_RENDER_COMMAND_H_

#include <ostream>
#include <string>

#include "base/disk.h"
#include "base/status.h"

namespace sb {

// What render writes: the SVG picture, or the interactive page.
enum class RenderFormat { kSvg, kHtml };

// Reads the compiled files of one scenario from `dir` and writes its
// picture or its page. An empty `lineId` or `trainNumber` is found in
// `dir` when it holds exactly one scenario that fits. The profile file may
// be missing (a scenario compiled without it): the drawing then has no
// plan.
//
// Where it goes: with an empty `outPath`, "<ID>_<N>.svg" (or ".html") in
// `dir`, replaced whole like every file the program names itself; "-" is
// `out`; any other path is the user's and is written as WriteUserFile
// (base/user_file.h) tells: a FIFO or a device in place, a regular file
// replaced whole. A path that is one of the compiled files read is refused.
//
// The picture and the page add the running times of the train in the
// project file beside the compiled files (scenario.toml's [train]), or of
// the default train when there is none. A project file that cannot be read
// or does not parse leaves them out: its first diagnostic goes to `notes`
// (one line) and into the picture; the command does not fail for it.
//
// Fails Usage when the scenario cannot be told or `outPath` is one of its
// files; Invalid when a compiled file is not of its layout or larger than
// its layout allows; with an I/O error when a file cannot be read or
// written.
Status Render(Disk& disk, const std::string& dir, const std::string& lineId,
              const std::string& trainNumber, const std::string& outPath, std::ostream& out,
              RenderFormat format = RenderFormat::kSvg, std::ostream* notes = nullptr);

}  // namespace sb

#endif  // SB_APP_RENDER_COMMAND_H_
