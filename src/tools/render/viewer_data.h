// What the interactive page draws, as one JSON value: the cells as columns,
// the stations, slowdowns and boards with their records' values, the km
// posts and where they jump, and the plan sampled along the line. The page's
// script draws everything from it; nothing is computed twice.
#ifndef SB_TOOLS_RENDER_VIEWER_DATA_H_
#define SB_TOOLS_RENDER_VIEWER_DATA_H_

#include <nlohmann/json.hpp>

#include "tools/render/render_input.h"

namespace sb::render {

// The plan keeps at most about this many points: far below a pixel apart
// on any screen, and the page stays small for a 1000 km line.
inline constexpr int32_t kPlanSamples = 6000;

nlohmann::json ViewerData(const RenderInput& in);

}  // namespace sb::render

#endif  // SB_TOOLS_RENDER_VIEWER_DATA_H_
