// A picture of a compiled scenario, as one SVG file: the plan of the line
// from its profile, with the stations named along it, and below it strip
// charts on one kilometre axis (gradient, speed limit, slowdowns, signals,
// stations with their stopping zones, mountain sections, boards).
#ifndef SB_TOOLS_RENDER_H_
#define SB_TOOLS_RENDER_H_

#include <ostream>
#include <string>
#include <vector>

#include "model/line_profile.h"
#include "model/model.h"

namespace sb {

struct RenderInput {
  std::string lineId;
  std::string trainNumber;
  std::vector<TrackCell> cells;
  ItemTable items;
  const ProfileTable* profile = nullptr;  // none: the picture has no plan
};

// The SVG document. Every kind of feature has one colour, used in the plan,
// the strips and the legend alike.
std::string RenderSvg(const RenderInput& input);

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

// What render writes: the SVG picture, or the interactive page
// (tools/html_page.h), whose default name is "<ID>_<N>.html".
enum class RenderFormat { kSvg, kHtml };

// As above, in `format`.
int Render(const std::string& dir, const std::string& lineId, const std::string& trainNumber,
           const std::string& outPath, RenderFormat format, std::ostream& out, std::ostream& err);

}  // namespace sb

#endif  // SB_TOOLS_RENDER_H_
