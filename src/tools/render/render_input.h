// What the picture and the page draw: one compiled scenario, decoded.
#ifndef SB_TOOLS_RENDER_RENDER_INPUT_H_
#define SB_TOOLS_RENDER_RENDER_INPUT_H_

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

}  // namespace sb

#endif  // SB_TOOLS_RENDER_RENDER_INPUT_H_
