// From the run to the timetable: the rows with their minimum running
// times, the times of day with the schedule's slack spread over each
// section, the departures, the curves, and the findings on the schedule.
#ifndef SB_RUNNING_TIME_TIMETABLE_ROWS_H_
#define SB_RUNNING_TIME_TIMETABLE_ROWS_H_

#include "compiler/scenario.h"
#include "running_time/integration.h"
#include "running_time/route.h"
#include "running_time/running_time.h"
#include "running_time/speed_profile.h"

namespace sb::running {

// The rows of the stations and of the cells' limit changes between the
// first and the last, in route order, without times.
std::vector<TimingRow> PlaceRows(const Scenario& s, const Route& r);

// The stops whose zone is shorter than the train.
void ZoneFindings(const Scenario& s, const Route& r, const Train& t,
                  std::vector<Finding>& findings);

// Puts the findings in route order; at one station: the zone, the time,
// the start.
void OrderFindings(const Route& r, std::vector<Finding>& findings);

// Fills the rows' times, the curve and the findings of the run into `out`
// (whose rows are PlaceRows's, and `out.train` the train).
void TimeRows(const Route& r, const Track& track, const Run& run, RunningTime& out);

}  // namespace sb::running

#endif  // SB_RUNNING_TIME_TIMETABLE_ROWS_H_
