#include "compiler/timetable_check.h"

#include <optional>

#include "model/clock.h"

namespace sb {
namespace {

// A station's hour, minute and second, counted from the keyword.
constexpr int kHourField = 14;
constexpr int kMinuteField = 15;
constexpr int kSecondField = 16;
constexpr int kNameField = 17;
constexpr int64_t kDay = 24 * 3600;
// A drop longer than this is a timetable that went past midnight.
constexpr int64_t kMidnightDrop = 12 * 3600;

// "16, 5, 0": the fields that write the time of day `seconds`.
std::string Fields(int64_t seconds) {
  return std::to_string(seconds / 3600) + ", " + std::to_string(seconds / 60 % 60) + ", " +
         std::to_string(seconds % 60);
}

// time-range for a time with a part out of range; `stored` is what it
// counts as.
void CheckRange(Scenario& s, const Description& d, int32_t hour, int32_t minute, int32_t second,
                const std::string& station, int64_t stored) {
  const struct {
    const char* name;
    int32_t value;
    int32_t max;
    int field;
  } kParts[] = {{"hour", hour, 23, kHourField},
                {"minute", minute, 59, kMinuteField},
                {"second", second, 59, kSecondField}};
  std::string faults;
  int field = 0;
  for (const auto& part : kParts) {
    if (part.value >= 0 && part.value <= part.max) continue;
    if (field == 0) {
      field = part.field;
    } else {
      faults += " and ";
    }
    faults += std::string(part.name) + " " + std::to_string(part.value) + " is outside 0 to " +
              std::to_string(part.max);
  }
  if (field == 0 || !WantWarning(s, Warning::kTimeRange, d.name())) return;
  std::string message = "the scheduled time " + ClockText(hour, minute, second) + " of station " +
                        station + " is no time of day: " + faults + "; it is stored as " +
                        std::to_string(stored) + " s, ";
  std::string hint;
  std::optional<int64_t> meant;
  if (stored < 0) {
    message += "before the start of the day";
    hint = "write a time from 0, 0, 0 to 23, 59, 59";
  } else if (stored >= kDay) {
    message += "past the end of the day";
    meant = stored % kDay;
    hint = "hours run from 0 to 23 and begin again at 0 after midnight: write " + Fields(*meant) +
           " for " + ClockText(*meant);
  } else {
    message += "which is " + ClockText(stored);
    meant = stored;
    hint = "write " + Fields(stored) + " if " + ClockText(stored) + " is meant";
  }
  if (meant == 0) {
    // Midnight written so is no time at all.
    meant.reset();
    hint = "hours run from 0 to 23; 0, 0, 0 reads as no time: write 0, 0, 1 for midnight";
  }
  Diagnostic w = d.WarningAt(Warning::kTimeRange, std::move(message), field, std::move(hint));
  if (meant) {
    const int64_t parts[] = {*meant / 3600, *meant / 60 % 60, *meant % 60};
    Fix fix{"write " + Fields(*meant), {}};
    for (std::size_t i = 0; i < 3; ++i) {
      if (parts[i] == kParts[i].value) continue;
      if (auto edit = d.EditField(kParts[i].field, std::to_string(kParts[i].value),
                                  std::to_string(parts[i]))) {
        fix.edits.push_back(std::move(*edit));
      }
    }
    if (!fix.edits.empty()) w.fixes.push_back(std::move(fix));
  }
  RecordWarning(s, std::move(w));
}

}  // namespace

void TimetableCheck::Check(Scenario& s, const Description& d, int32_t hour, int32_t minute,
                           int32_t second, const std::string& station) {
  if (hour == 0 && minute == 0 && second == 0) return;  // no time
  // A record whose name came from a later line read its values from the
  // wrong columns: missing-values tells that, and its time means nothing.
  if (d.column_of(kNameField) == 0) return;
  const int64_t stored = (int64_t{hour} * 60 + minute) * 60 + second;
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
    // Told once: the time is compared with no other, and the next is
    // compared with the one before it.
    CheckRange(s, d, hour, minute, second, station, stored);
    return;
  }
  const int64_t drop = previousSeconds_ - stored;
  if (any_ && drop > 0 && drop <= kMidnightDrop && WantWarning(s, Warning::kTimeOrder, d.name())) {
    Diagnostic w = d.WarningAt(
        Warning::kTimeOrder,
        "station " + station + " is scheduled at " + ClockText(hour, minute, second) +
            ", earlier than " + previousStation_ + " before it (" + previousClock_ +
            "): times grow along the route",
        kHourField,
        "correct one of the two times; a time more than 12 hours earlier than the one before "
        "it is taken as past midnight");
    w.related.push_back({d.name(), previousLine_, previousColumn_,
                         "the previous station with a time, " + previousStation_});
    RecordWarning(s, std::move(w));
  }
  any_ = true;
  previousSeconds_ = stored;
  previousLine_ = d.keyword_line();
  previousColumn_ = d.column_of(kHourField);
  previousStation_ = station;
  previousClock_ = ClockText(hour, minute, second);
}

}  // namespace sb
