// What the picture and the page draw: one compiled scenario, decoded.
#ifndef SB_TOOLS_RENDER_RENDER_INPUT_H_
#define SB_TOOLS_RENDER_RENDER_INPUT_H_

#include <string>
#include <vector>

#include "model/line_profile.h"
#include "model/model.h"
#include "running_time/running_time.h"

namespace sb {

struct RenderInput {
  std::string lineId;
  std::string trainNumber;
  std::vector<TrackCell> cells;
  ItemTable items;
  const ProfileTable* profile = nullptr;  // none: the picture has no plan
  // The computed run: the picture adds the strips of speed and of time
  // against distance when it has a curve. None, or no curve: no such
  // strips, and `timesNote` (when not empty) says why in their place.
  const running::RunningTime* times = nullptr;
  std::string timesNote;
};

}  // namespace sb

#endif  // SB_TOOLS_RENDER_RENDER_INPUT_H_
