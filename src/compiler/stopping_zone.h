// Where a station's stopping zone begins and ends along the line, and the
// 32-bit check its figures share with the station's time.
#ifndef SB_COMPILER_STOPPING_ZONE_H_
#define SB_COMPILER_STOPPING_ZONE_H_

#include <cstdint>

#include "base/status.h"
#include "model/model.h"

namespace sb {

// `value` as 32 bits; fails, naming `what`, when it does not fit.
Status Checked32(int64_t value, const char* what, int32_t* out);

// Sets item.start and item.end from the station's position, kind and
// length (item.byte3, column 6, is cleared for kinds 5 to 8 and lengthens
// the zone of the others by 50 m). Fails when an end does not fit 32 bits.
Status StoppingZone(ScenarioItem& item, int32_t position, int32_t length);

}  // namespace sb

#endif  // SB_COMPILER_STOPPING_ZONE_H_
