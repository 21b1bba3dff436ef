#include "running_time/timetable_rows.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace sb::running {
namespace {

constexpr int64_t kDay = 24 * 3600;
// A time more than this earlier than the one before it is the next day's;
// less is a time out of order, which the compiler already warns of.
constexpr int64_t kMidnightDrop = 12 * 3600;

// The cells' limits at `x` on either side, as stored.
uint8_t RawLimit(const Scenario& s, int64_t cell) {
  if (!s.hasGrid || cell < 0 || cell >= static_cast<int64_t>(s.cells.size())) return 0;
  return s.cells[static_cast<std::size_t>(cell)].speedLimit;
}

// A limit as a figure a report can print: none is 0.
double Printable(double limit) { return std::isfinite(limit) ? limit : 0.0; }

// Where a row's time is taken.
double RowAt(const Route& r, const TimingRow& row) {
  if (row.kind == TimingRow::Kind::kStation) {
    return r.stations[static_cast<std::size_t>(row.slot - 1)].at;
  }
  return row.position;
}

// The scheduled times, continued past midnight as the compiler reads them:
// each against the time before it.
class Schedule {
 public:
  explicit Schedule(int64_t start) : previous_(start) {}
  // The time `raw` on the running day; `outOfOrder` when it is earlier
  // than the one before it by up to half a day.
  int64_t Continue(int64_t raw, bool* outOfOrder) {
    *outOfOrder = false;
    // A time outside the day is told of by the compiler and compared with
    // nothing.
    if (raw < 0 || raw >= kDay) return raw + offset_;
    const int64_t drop = previous_ - raw;
    if (drop > kMidnightDrop) {
      offset_ += kDay;
    } else if (drop > 0) {
      *outOfOrder = true;
    }
    previous_ = raw;
    return raw + offset_;
  }

 private:
  int64_t previous_;
  int64_t offset_ = 0;
};

// The curve's points from after `from` to `to`, times from the section's
// departure `t0` stretched by `factor`.
void CurvePoints(const Track& track, const Run& run, std::size_t from, std::size_t to, double t0,
                 double factor, std::vector<CurvePoint>& curve) {
  for (std::size_t j = from + 1; j <= to && j < run.reached; ++j) {
    if (!(track.flags[j] & (kCurvePoint | kStop))) continue;
    curve.push_back({track.position[j], Printable(track.limit[j]), run.speed[j],
                     t0 + (run.time[j] - run.time[from]) * factor});
  }
}

}  // namespace

std::vector<TimingRow> PlaceRows(const Scenario& s, const Route& r) {
  std::vector<TimingRow> rows;
  if (r.stations.empty()) return rows;
  const int64_t firstCell = static_cast<int64_t>(std::floor(r.start / kCellLength)) + 1;
  const int64_t lastCell = static_cast<int64_t>(std::ceil(r.end / kCellLength));
  int64_t cell = firstCell;
  for (const RouteStation& st : r.stations) {
    for (; cell <= lastCell && static_cast<double>(cell) * kCellLength < st.at; ++cell) {
      if (RawLimit(s, cell) == RawLimit(s, cell - 1)) continue;
      const double x = static_cast<double>(cell) * kCellLength;
      if (!(x > r.start && x < r.end)) continue;
      TimingRow row;
      row.kind = TimingRow::Kind::kLimitChange;
      row.position = static_cast<int32_t>(x);
      rows.push_back(row);
    }
    const ScenarioItem& item = s.items[static_cast<std::size_t>(st.slot)];
    TimingRow row;
    row.slot = st.slot;
    row.position = item.position;
    row.stops = st.stops;
    row.scheduled = st.scheduled;
    rows.push_back(row);
  }
  for (TimingRow& row : rows) {
    row.limit = Printable(CellLimit(s, RowAt(r, row)));
  }
  return rows;
}

void ZoneFindings(const Scenario& s, const Route& r, const Train& t,
                  std::vector<Finding>& findings) {
  if (!std::isfinite(t.length)) return;
  for (const RouteStation& st : r.stations) {
    if (!st.stops || !(static_cast<double>(st.zoneLength) < t.length)) continue;
    Finding f;
    f.kind = Finding::Kind::kZoneShorterThanTrain;
    f.slot = st.slot;
    f.position = s.items[static_cast<std::size_t>(st.slot)].position;
    f.zoneLength = static_cast<double>(st.zoneLength);
    findings.push_back(f);
  }
}

void OrderFindings(const Route& r, std::vector<Finding>& findings) {
  auto key = [&r](const Finding& f) {
    const double at = f.slot > 0 ? r.stations[static_cast<std::size_t>(f.slot - 1)].at
                                 : static_cast<double>(f.position);
    int rank = 0;
    switch (f.kind) {
      case Finding::Kind::kZoneShorterThanTrain: rank = 0; break;
      case Finding::Kind::kTimeCannotBeKept: rank = 1; break;
      case Finding::Kind::kCannotStart: rank = 2; break;
      case Finding::Kind::kStalls: rank = 3; break;
    }
    return std::make_pair(at, rank);
  };
  std::stable_sort(findings.begin(), findings.end(),
                   [&key](const Finding& a, const Finding& b) { return key(a) < key(b); });
}

void TimeRows(const Route& r, const Track& track, const Run& run, RunningTime& out) {
  std::vector<TimingRow>& rows = out.rows;
  const Train& t = out.train;
  if (rows.empty() || track.position.empty()) return;
  std::vector<std::size_t> node(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    node[i] = NodeAt(track, RowAt(r, rows[i]));
    rows[i].limit = Printable(track.limit[node[i]]);
  }
  for (std::size_t i = 1; i < rows.size(); ++i) {
    double top = 0;
    for (std::size_t j = node[i - 1]; j <= node[i] && j < run.reached; ++j) {
      top = std::max(top, run.speed[j]);
    }
    rows[i].topSpeed = top;
  }

  const double allowance = 1.0 + t.allowance;
  rows[0].time = r.startTime;
  const bool leavesFirst = !(run.end == Run::End::kCannotStart && run.reached == node[0] + 1);
  if (leavesFirst) rows[0].departure = r.startTime;
  out.curve.push_back({track.position[node[0]], Printable(track.limit[node[0]]), 0, r.startTime});

  Schedule schedule(rows[0].scheduled ? *rows[0].scheduled : static_cast<int64_t>(r.startTime));
  double departed = r.startTime;  // the previous stop's departure
  double anchor = r.startTime;    // its scheduled departure, else its departure
  int previousSlot = rows[0].slot;
  std::size_t sectionNode = node[0];
  std::size_t first = 1;
  while (leavesFirst && first < rows.size()) {
    std::size_t stop = first;
    while (stop + 1 < rows.size() && !rows[stop].stops) ++stop;
    const bool last = stop + 1 == rows.size();
    const bool arrived = node[stop] < run.reached;
    TimingRow& row = rows[stop];
    const double dwell = last ? 0.0 : t.dwell;
    double factor = allowance;
    double scheduled = 0;
    if (arrived) {
      const double minimum = run.time[node[stop]] - run.time[sectionNode];
      if (row.scheduled) {
        bool outOfOrder = false;
        scheduled = static_cast<double>(schedule.Continue(*row.scheduled, &outOfOrder));
        const double available = scheduled - dwell - departed;
        // The slack spread in proportion to the running times; a section
        // too short gets none, the train running as fast as it can.
        factor = minimum > 0 && available >= minimum ? available / minimum : 1.0;
        row.slack = available - minimum;
        row.slackPercent = minimum > 0 ? row.slack / minimum * 100.0 : 0.0;
        const double earliest = anchor + minimum + dwell;
        if (!outOfOrder && scheduled < earliest) {
          Finding f;
          f.kind = Finding::Kind::kTimeCannotBeKept;
          f.slot = row.slot;
          f.previousSlot = previousSlot;
          f.position = row.position;
          f.earliest = earliest;
          out.findings.push_back(f);
        }
      }
    }
    for (std::size_t j = first; j <= stop; ++j) {
      if (node[j] >= run.reached) continue;
      const double minimum = run.time[node[j]] - run.time[sectionNode];
      rows[j].minimum = minimum;
      rows[j].withAllowance = minimum * allowance;
      rows[j].time = departed + minimum * factor;
    }
    CurvePoints(track, run, sectionNode, node[stop], departed, factor, out.curve);
    if (!arrived) break;
    const bool cannotStart = run.end == Run::End::kCannotStart && run.reached == node[stop] + 1;
    if (last || cannotStart) break;
    double departure = row.time + dwell;
    if (row.scheduled) departure = std::max(scheduled, departure);
    row.departure = departure;
    out.curve.push_back(
        {track.position[node[stop]], Printable(track.limit[node[stop]]), 0, departure});
    departed = departure;
    anchor = row.scheduled ? scheduled : departure;
    previousSlot = row.slot;
    sectionNode = node[stop];
    first = stop + 1;
  }

  if (run.end == Run::End::kCannotStart) {
    const std::size_t at = run.reached - 1;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (!rows[i].stops || node[i] != at) continue;
      Finding f;
      f.kind = Finding::Kind::kCannotStart;
      f.slot = rows[i].slot;
      f.position = rows[i].position;
      f.gradient = run.endGradient;
      out.findings.push_back(f);
      break;
    }
  } else if (run.end == Run::End::kStalls) {
    Finding f;
    f.kind = Finding::Kind::kStalls;
    f.position = static_cast<int32_t>(std::clamp(run.endPosition, 0.0, r.gridEnd));
    f.gradient = run.endGradient;
    out.findings.push_back(f);
  }
}

}  // namespace sb::running
