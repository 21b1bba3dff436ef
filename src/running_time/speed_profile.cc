#include "running_time/speed_profile.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <queue>
#include <set>
#include <utility>

namespace sb::running {
namespace {

constexpr double kNoLimit = std::numeric_limits<double>::infinity();
constexpr double kKmh = 3.6;
// Cells write the limit in steps of 5 km/h.
constexpr double kLimitUnit = 5.0;
// Far above any train: keeps the arithmetic finite for a top speed that
// is not meant.
constexpr double kFastest = 1000.0;  // m/s

// A slowdown as the head sees it: from its start until the rear clears its
// end, at its speed.
struct Held {
  double from = 0;
  double to = 0;
  double speed = 0;  // m/s
};

std::vector<Held> HeldSlowdowns(const Scenario& s, const Train& t) {
  std::vector<Held> held;
  const double rear = std::max(t.length, 0.0);
  for (const Scenario::SlowdownSource& d : s.slowdownSources) {
    // A slowdown at no speed would be a stop the timetable does not know.
    if (d.speed <= 0 || d.length < 0) continue;
    const double from = static_cast<double>(d.start);
    held.push_back(
        {from, from + static_cast<double>(d.length) + rear, static_cast<double>(d.speed) / kKmh});
  }
  std::sort(held.begin(), held.end(), [](const Held& a, const Held& b) { return a.from < b.from; });
  return held;
}

// The grid's multiples of kStep and every place where something happens,
// in order, once each.
void PlaceNodes(const Route& r, const std::vector<Held>& held, Track& track) {
  std::vector<std::pair<double, uint8_t>> events;
  for (const RouteStation& st : r.stations) events.emplace_back(st.at, st.stops ? kStop : 0);
  for (const Held& h : held) {
    for (double x : {h.from, h.to}) {
      if (x > r.start && x < r.end) events.emplace_back(x, 0);
    }
  }
  std::sort(events.begin(), events.end());
  const double first = std::ceil(r.start / kStep);
  const double last = std::floor(r.end / kStep);
  std::size_t e = 0;
  auto add = [&track](double x, uint8_t flags) {
    if (!track.position.empty() && track.position.back() == x) {
      track.flags.back() |= flags;
      return;
    }
    track.position.push_back(x);
    track.flags.push_back(flags);
  };
  for (double k = first; k <= last; ++k) {
    const double x = k * kStep;
    while (e < events.size() && events[e].first < x) {
      add(events[e].first, events[e].second);
      ++e;
    }
    add(x, std::fmod(x, static_cast<double>(kCellLength)) == 0 ? kCurvePoint : 0);
  }
  for (; e < events.size(); ++e) add(events[e].first, events[e].second);
}

// The limit from each point to the next: the cells', the slowdowns held
// there, the top speed.
void Limits(const Scenario& s, const Train& t, const std::vector<Held>& held, Track& track) {
  const std::size_t n = track.position.size();
  const double top = std::min(t.topSpeed, kFastest);
  track.limit.assign(n, top);
  std::multiset<double> active;
  using Ending = std::pair<double, double>;  // where, speed
  std::priority_queue<Ending, std::vector<Ending>, std::greater<Ending>> endings;
  std::size_t next = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double x = track.position[i];
    while (next < held.size() && held[next].from <= x) {
      active.insert(held[next].speed);
      endings.emplace(held[next].to, held[next].speed);
      ++next;
    }
    while (!endings.empty() && endings.top().first <= x) {
      active.erase(active.find(endings.top().second));
      endings.pop();
    }
    double limit = std::min(top, CellLimit(s, x));
    if (!active.empty()) limit = std::min(limit, *active.begin());
    track.limit[i] = limit;
  }
  if (n > 1) track.limit[n - 1] = track.limit[n - 2];
}

// Backward from the end: each point no faster than the braking curve of
// the one after it, v² = v_next² + 2·b·Δs.
void BrakingCaps(const Train& t, Track& track) {
  const std::size_t n = track.position.size();
  track.cap.assign(n, 0.0);
  for (std::size_t j = n; j-- > 0;) {
    if (track.flags[j] & kStop) continue;
    double limit = track.limit[j];
    if (j > 0) limit = std::min(limit, track.limit[j - 1]);
    double cap = limit * limit;
    if (j + 1 < n) {
      const double braking = track.cap[j + 1] + 2.0 * t.brakingDeceleration *
                                                    (track.position[j + 1] - track.position[j]);
      cap = std::min(cap, braking);
    }
    track.cap[j] = cap;
  }
}

}  // namespace

double CellLimit(const Scenario& s, double position) {
  if (!s.hasGrid || !(position >= 0)) return kNoLimit;
  const double cell = position / kCellLength;
  if (!(cell < static_cast<double>(s.cells.size()))) return kNoLimit;
  const uint8_t units = s.cells[static_cast<std::size_t>(cell)].speedLimit;
  if (units == 0) return kNoLimit;
  return static_cast<double>(units) * kLimitUnit / kKmh;
}

Track BuildTrack(const Scenario& s, const Train& t, const Route& r) {
  Track track;
  const std::vector<Held> held = HeldSlowdowns(s, t);
  PlaceNodes(r, held, track);
  Limits(s, t, held, track);
  BrakingCaps(t, track);
  return track;
}

std::size_t NodeAt(const Track& track, double position) {
  const auto it = std::upper_bound(track.position.begin(), track.position.end(), position);
  if (it == track.position.begin()) return 0;
  return static_cast<std::size_t>(it - track.position.begin()) - 1;
}

}  // namespace sb::running
