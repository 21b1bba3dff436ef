// What the running times tell an author, as warnings of the descriptions:
// a scheduled time the train cannot keep, a train that cannot start or
// stalls on a gradient, a stop whose zone is shorter than the train.
#ifndef SB_RUNNING_TIME_TIMING_WARNINGS_H_
#define SB_RUNNING_TIME_TIMING_WARNINGS_H_

#include <set>
#include <vector>

#include "compiler/diagnostics.h"
#include "compiler/scenario.h"
#include "compiler/warnings.h"
#include "running_time/running_time.h"

namespace sb::running {

// The findings of `rt` as warnings located on the train description's
// records, but for those `silenced`, in route order.
std::vector<Diagnostic> RunningTimeWarnings(const Scenario& s, const RunningTime& rt,
                                            const std::set<Warning>& silenced);

}  // namespace sb::running

#endif  // SB_RUNNING_TIME_TIMING_WARNINGS_H_
