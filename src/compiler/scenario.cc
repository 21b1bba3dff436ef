#include "compiler/scenario.h"

#include "base/rounding.h"

namespace sb {

void Scenario::SizeForLength(int32_t length) {
  profileEnd = length + kLineOverrun;
  lastCell = static_cast<int32_t>(RoundHalfEven(static_cast<double>(profileEnd) / kCellLength));
  cells.assign(static_cast<std::size_t>(lastCell) + 1, TrackCell{});
  hasGrid = true;
  if (withProfile != 0) {
    profile.emplace(profileEnd);
  } else {
    profile.reset();
  }
}

}  // namespace sb
