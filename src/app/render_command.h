// The render command: reads the compiled files of one scenario and writes
// its picture (tools/render/picture.h) or its interactive page
// (tools/render/html_page.h).
#ifndef SB_APP_RENDER_COMMAND_H_
#define SB_APP_RENDER_COMMAND_H_

#include <ostream>
#include <string>

namespace sb {

// Reads the compiled files of one scenario from `dir` and writes the SVG.
// An empty `lineId` or `trainNumber` is found in `dir` when it holds exactly
// one scenario that fits. The profile file may be missing (a scenario
// compiled without it): the picture then has no plan.
//
// Where the SVG goes: with an empty `svgPath`, "<ID>_<N>.svg" in `dir`,
// replaced whole like every file the program names itself; "-" is `out`;
// any other path is the user's and is written as WriteUserFile
// (base/user_file.h) tells: a FIFO or a device in place, a regular file
// replaced whole. A path that is one of the compiled files read is refused.
//
// Returns 0; 64 when the scenario cannot be told or `svgPath` is one of its
// files; 65 when a compiled file is not of its layout or larger than its
// layout allows; 74 when a file cannot be read or written.
int Render(const std::string& dir, const std::string& lineId, const std::string& trainNumber,
           const std::string& svgPath, std::ostream& out, std::ostream& err);

// What render writes: the SVG picture, or the interactive page, whose
// default name is "<ID>_<N>.html".
enum class RenderFormat { kSvg, kHtml };

// As above, in `format`.
int Render(const std::string& dir, const std::string& lineId, const std::string& trainNumber,
           const std::string& outPath, RenderFormat format, std::ostream& out, std::ostream& err);

}  // namespace sb

#endif  // SB_APP_RENDER_COMMAND_H_
