// Times of day as every report prints them: "08:00:00".
#ifndef SB_MODEL_CLOCK_H_
#define SB_MODEL_CLOCK_H_

#include <cstdint>
#include <string>

namespace sb {

// "15:07:00", each part two digits at least; a part out of range is shown
// as it stands ("15:65:00", "25:-5:00") so that a report never hides it.
std::string ClockText(int64_t hours, int64_t minutes, int64_t seconds);

// The same for a count of seconds since midnight.
std::string ClockText(int64_t seconds);

}  // namespace sb

#endif  // SB_MODEL_CLOCK_H_
