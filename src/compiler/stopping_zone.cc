#include "compiler/stopping_zone.h"

#include <optional>
#include <string>

#include "base/rounding.h"

namespace sb {

Status Checked32(int64_t value, const char* what, int32_t* out) {
  if (value < INT32_MIN || value > INT32_MAX) {
    return Status::Invalid(std::string(what) + " is out of range");
  }
  *out = static_cast<int32_t>(value);
  return Status::Ok();
}

Status StoppingZone(ScenarioItem& item, int32_t position, int32_t length) {
  switch (item.kind) {
    case 5:
    case 6:
      SB_RETURN_IF_ERROR(
          Checked32(int64_t{position} - length, "the stopping zone's start", &item.start));
      SB_RETURN_IF_ERROR(Checked32(int64_t{position} + 150, "the stopping zone's end", &item.end));
      item.byte3 = 0;
      return Status::Ok();
    case 7:
    case 8:
      SB_RETURN_IF_ERROR(
          Checked32(int64_t{position} - length, "the stopping zone's start", &item.start));
      SB_RETURN_IF_ERROR(
          Checked32(int64_t{position} + length, "the stopping zone's end", &item.end));
      item.byte3 = 0;
      return Status::Ok();
    default: break;
  }
  const double half = static_cast<double>(length) / 2.0;
  std::optional<int32_t> start = ToInt32(static_cast<double>(position) - half);
  std::optional<int32_t> end = item.byte3 != 0
                                   ? ToInt32(static_cast<double>(position) + half + 50.0)
                                   : ToInt32(static_cast<double>(position) + half);
  if (!start || !end) return Status::Invalid("the stopping zone is out of range");
  item.start = *start;
  item.end = *end;
  return Status::Ok();
}

}  // namespace sb
