// The running-time calculation: how fast the train can run the route of a
// compiled scenario and when it reaches each station, worked out from the
// line (speed limits, gradients, curves, slowdowns, stations) and the train
// (running_time/train.h). Pure functions of their arguments: no files, no
// printing; the same figures on every platform, as the arithmetic is done
// in a fixed order of double operations with no library call whose result
// may differ between C libraries other than sqrt.
//
// The model, its formulas and their sources are stated for authors in
// docs/authors.md ("Running times").
#ifndef SB_RUNNING_TIME_RUNNING_TIME_H_
#define SB_RUNNING_TIME_RUNNING_TIME_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "compiler/scenario.h"
#include "running_time/train.h"

namespace sb::running {

// A row of the timetable: a station, or a place where the train's speed
// limit changes. Rows stand in route order.
struct TimingRow {
  enum class Kind { kStation, kLimitChange };
  Kind kind = Kind::kStation;
  int slot = 0;          // stations: the item slot
  int32_t position = 0;  // m along the line: the station's position, or the change's
  double limit = 0;      // m/s: the train's speed limit from here on
  bool stops = false;    // the first and last stations, and those with a scheduled time
  // The scheduled time as written (s of day); none when it is 0, 0, 0.
  std::optional<int32_t> scheduled;
  // Seconds from the departure of the previous stop to the arrival here
  // (a stop) or to passing here: the least the train can take, and that
  // with the allowance.
  double minimum = 0;
  double withAllowance = 0;
  // The time of day (s, counted on past midnight, never wrapped) the train
  // arrives or passes, with the schedule's slack spread over the section
  // in proportion to the minimum running times; the sheet prints it.
  double time = 0;
  // Stops the train leaves again: the time of day it leaves.
  std::optional<double> departure;
  // At a stop with a scheduled time: the time the schedule leaves for the
  // section beyond the minimum (negative when it cannot be kept), in s
  // and in % of the minimum. 0 elsewhere.
  double slack = 0;
  double slackPercent = 0;
  double topSpeed = 0;  // m/s: the highest speed reached since the previous row
};

// A point of the speed-distance and time-distance curves.
struct CurvePoint {
  double position = 0;  // m
  double limit = 0;     // m/s: the most restrictive limit the train obeys there
  double speed = 0;     // m/s: the computed speed
  double time = 0;      // s of day
};

// What the calculation finds that an author should hear of.
struct Finding {
  enum class Kind {
    kTimeCannotBeKept,  // a scheduled time earlier than the train can make
    kCannotStart,       // at a stop, the tractive effort does not overcome the resistance
    kStalls,            // the speed falls to zero between stops, on a gradient
    kZoneShorterThanTrain,
  };
  Kind kind = Kind::kTimeCannotBeKept;
  int slot = 0;           // the station concerned; 0 for a stall between stations
  int previousSlot = 0;   // kTimeCannotBeKept: the previous timed station
  int32_t position = 0;   // m
  double earliest = 0;    // kTimeCannotBeKept: the earliest time the train can make (s of day)
  double gradient = 0;    // kCannotStart, kStalls: the mean gradient under the train (per mille)
  double zoneLength = 0;  // kZoneShorterThanTrain: m
};

struct RunningTime {
  Train train;
  std::vector<TimingRow> rows;
  // Every 50 m and at each stop, in route order; at a stop the train leaves
  // again, a second point at its departure. None past a stall.
  std::vector<CurvePoint> curve;
  std::vector<Finding> findings;  // in route order
};

// The run from the first station to the last. A scenario with fewer than
// two stations has no rows and no curve.
RunningTime ComputeRunningTime(const Scenario& s, const Train& train);

}  // namespace sb::running

#endif  // SB_RUNNING_TIME_RUNNING_TIME_H_
