#include "compiler/model.h"

#include "compiler/rounding.h"

namespace sb {

LineProfile::LineProfile(int32_t end)
    : end_(end),
      tags_(2 * (static_cast<std::size_t>(end) + 1), Tag::kEmpty),
      values_(2 * (static_cast<std::size_t>(end) + 1), 0.0) {}

void LineProfile::SetInt16(int32_t metre, int column, int16_t v) {
  tags_[Index(metre, column)] = Tag::kInt16;
  values_[Index(metre, column)] = v;
}

void LineProfile::SetDouble(int32_t metre, int column, double v) {
  tags_[Index(metre, column)] = Tag::kDouble;
  values_[Index(metre, column)] = v;
}

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
