// The sheet's arrival and passing times and the marching speeds the author
// leaves out, from the running times: a timetable prints whole minutes.
#ifndef SB_TOOLS_DOCUMENTS_SHEET_TIMES_H_
#define SB_TOOLS_DOCUMENTS_SHEET_TIMES_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "running_time/running_time.h"
#include "tools/documents/timetable_sheet.h"

namespace sb::sheet {

// The minute (counted from midnight) a time of `seconds` is printed at:
// the nearest, halves up.
int64_t NearestMinute(double seconds);

// The minute an arrival at `seconds` is printed at, at a stop the train
// leaves at `departureMinute`, after a row printed at `previousMinute`:
// the nearest, never before the previous row's, and always before the
// departure, since a player reads "15.27 - 15.27" as no stop at all.
int64_t ArrivalMinute(double seconds, std::optional<int64_t> previousMinute,
                      int64_t departureMinute);

// The marching speed of a row that shows a limit: the highest speed the
// run reaches from `from` up to `to` (m), rounded down to 5 km/h; none
// below 30 km/h, where the train only starts or stops.
std::optional<int> MarchingSpeed(const std::vector<running::CurvePoint>& curve, double from,
                                 double to);

// Fills `rows` (in route order, a station's row for each of the run's
// stations) from `times`: the arrival and passing times, and the marching
// speed of each row with a limit the facts give none for. Nothing when
// the times were not computed (no curve) or their stations are not the
// rows'.
void FillComputedTimes(const running::RunningTime& times, std::vector<SheetRow>& rows);

}  // namespace sb::sheet

#endif  // SB_TOOLS_DOCUMENTS_SHEET_TIMES_H_
