// The plan-profile summary printed by inspect.
#ifndef SB_TOOLS_INSPECT_PROFILE_SUMMARY_H_
#define SB_TOOLS_INSPECT_PROFILE_SUMMARY_H_

#include <cstdint>

#include "model/line_profile.h"

namespace sb {

struct ProfileSummary {
  int32_t end = 0;         // last metre
  int32_t lineLength = 0;  // end - 7000
  int64_t empty = 0;       // elements never computed
  int64_t ints = 0;        // 16-bit integer elements (the seeds)
  int64_t doubles = 0;     // computed elements
  bool hasExtent = false;  // false when no element holds a value
  double minX = 0, maxX = 0, minY = 0, maxY = 0;
  double turningDegrees = 0;  // sum of absolute heading changes
};
ProfileSummary SummarizeProfile(const ProfileTable& profile);

}  // namespace sb

#endif  // SB_TOOLS_INSPECT_PROFILE_SUMMARY_H_
