// The stations' scheduled times: each a time of day, growing along the
// route. A time more than 12 hours earlier than the previous one is the
// next day's: the timetable crossed midnight. A time of 0, 0, 0 is no time
// (a station the train passes unscheduled) and is left out.
#ifndef SB_COMPILER_TIMETABLE_CHECK_H_
#define SB_COMPILER_TIMETABLE_CHECK_H_

#include <cstdint>
#include <string>

#include "compiler/description.h"
#include "compiler/scenario.h"

namespace sb {

class TimetableCheck {
 public:
  // After a station's record is read, its time as written: time-range when
  // a part of it is out of its range (such a time is then compared with no
  // other), else time-order when it is earlier than the previous timed
  // station's.
  void Check(Scenario& s, const Description& d, int32_t hour, int32_t minute, int32_t second,
             const std::string& station);

 private:
  bool any_ = false;
  int64_t previousSeconds_ = 0;
  // The previous timed station's record, its name and its time as written.
  int previousLine_ = 0;
  int previousColumn_ = 0;
  std::string previousStation_;
  std::string previousClock_;
};

}  // namespace sb

#endif  // SB_COMPILER_TIMETABLE_CHECK_H_
