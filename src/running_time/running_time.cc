#include "running_time/running_time.h"

#include "running_time/integration.h"
#include "running_time/line_resistance.h"
#include "running_time/route.h"
#include "running_time/speed_profile.h"
#include "running_time/timetable_rows.h"
#include "running_time/train_forces.h"

namespace sb::running {

RunningTime ComputeRunningTime(const Scenario& s, const Train& train) {
  RunningTime out;
  out.train = train;
  const Route route = BuildRoute(s);
  if (route.stations.size() < 2) return out;
  out.rows = PlaceRows(s, route);
  ZoneFindings(s, route, train, out.findings);
  // A train without the figures to work with gets its rows, no times.
  if (Usable(train)) {
    const Track track = BuildTrack(s, train, route);
    const Run run = Integrate(track, LineResistance(s), train);
    TimeRows(route, track, run, out);
  }
  OrderFindings(route, out.findings);
  return out;
}

}  // namespace sb::running
