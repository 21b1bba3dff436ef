#include "running_time/timing_warnings.h"

namespace sb::running {

// Placeholder until the warnings land.
std::vector<Diagnostic> RunningTimeWarnings(const Scenario& s, const RunningTime& rt,
                                            const std::set<Warning>& silenced) {
  (void)s;
  (void)rt;
  (void)silenced;
  return {};
}

}  // namespace sb::running
