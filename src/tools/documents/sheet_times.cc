#include "tools/documents/sheet_times.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sb::sheet {
namespace {

constexpr int kLowestMarchingKmh = 30;

bool IsStationRow(const SheetRow& row) { return row.form != SheetTimeForm::kNone; }

int32_t MinuteSeconds(int64_t minute) {
  constexpr int64_t kLimit = std::numeric_limits<int32_t>::max() / 60;
  return static_cast<int32_t>(std::clamp<int64_t>(minute, -kLimit, kLimit) * 60);
}

// The minute of a scheduled time, on the day of `time`: the running times
// count on past midnight, the train description's times do not.
int64_t ScheduledMinute(int32_t scheduled, double time) {
  constexpr double kDay = 24 * 3600;
  const double days = std::floor((time - scheduled) / kDay + 0.5);
  return static_cast<int64_t>(std::floor((scheduled + days * kDay) / 60.0));
}

}  // namespace

int64_t NearestMinute(double seconds) {
  return static_cast<int64_t>(std::floor((seconds + 30.0) / 60.0));
}

int64_t ArrivalMinute(double seconds, std::optional<int64_t> previousMinute,
                      int64_t departureMinute) {
  int64_t minute = NearestMinute(seconds);
  if (previousMinute) minute = std::max(minute, *previousMinute);
  return std::min(minute, departureMinute - 1);
}

std::optional<int> MarchingSpeed(const std::vector<running::CurvePoint>& curve, double from,
                                 double to) {
  double highest = 0;
  for (const running::CurvePoint& p : curve) {
    if (p.position >= from && p.position < to) highest = std::max(highest, p.speed);
  }
  const int kmh = static_cast<int>(std::floor(highest * 3.6 / 5.0)) * 5;
  if (kmh < kLowestMarchingKmh) return std::nullopt;
  return kmh;
}

void FillComputedTimes(const running::RunningTime& times, std::vector<SheetRow>& rows) {
  if (times.curve.empty()) return;
  std::vector<const running::TimingRow*> stations;
  for (const running::TimingRow& r : times.rows) {
    if (r.kind == running::TimingRow::Kind::kStation) stations.push_back(&r);
  }
  const auto stationRows = std::count_if(rows.begin(), rows.end(), IsStationRow);
  if (static_cast<std::size_t>(stationRows) != stations.size()) return;

  std::size_t next = 0;
  std::optional<int64_t> previous;  // the minute the previous station's row prints
  for (SheetRow& row : rows) {
    if (!IsStationRow(row)) continue;
    const double time = stations[next++]->time;
    // A stop's row has its departure from the scheduled time; without one
    // the arrival stands alone, as at the last station.
    const SheetTimeForm form = row.form == SheetTimeForm::kArrivalAndDeparture && !row.departure
                                   ? SheetTimeForm::kArrival
                                   : row.form;
    switch (form) {
      case SheetTimeForm::kDeparture:
        previous = row.departure ? ScheduledMinute(*row.departure, time) : NearestMinute(time);
        break;
      case SheetTimeForm::kArrivalAndDeparture: {
        const int64_t departure = ScheduledMinute(*row.departure, time);
        row.arrival = MinuteSeconds(ArrivalMinute(time, previous, departure));
        previous = departure;
        break;
      }
      case SheetTimeForm::kPassing:
      case SheetTimeForm::kArrival: {
        int64_t minute = NearestMinute(time);
        if (previous) minute = std::max(minute, *previous);
        (form == SheetTimeForm::kPassing ? row.passing : row.arrival) = MinuteSeconds(minute);
        previous = minute;
        break;
      }
      case SheetTimeForm::kNone: break;
    }
  }

  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (!rows[i].speedLimit || rows[i].marchingSpeed) continue;
    double to = std::numeric_limits<double>::infinity();
    for (std::size_t k = i + 1; k < rows.size(); ++k) {
      if (rows[k].speedLimit) {
        to = rows[k].position;
        break;
      }
    }
    rows[i].marchingSpeed = MarchingSpeed(times.curve, rows[i].position, to);
  }
}

}  // namespace sb::sheet
