// Where the timetable's stations stand on the computed run's curve.
#ifndef SB_TOOLS_RENDER_RUN_CURVE_H_
#define SB_TOOLS_RENDER_RUN_CURVE_H_

#include "running_time/running_time.h"

namespace sb::render {

// The metre of the curve the train reaches `row` at: a train stops at the
// end of a stopping zone, not at the station's position, and the curve's
// point there has the row's time. A row the curve has no point for (a
// station passed between two points, or past a stall) stands at its own
// position.
double PlaceOnCurve(const running::RunningTime& times, const running::TimingRow& row);

}  // namespace sb::render

#endif  // SB_TOOLS_RENDER_RUN_CURVE_H_
