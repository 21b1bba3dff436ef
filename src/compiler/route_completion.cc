#include "compiler/route_completion.h"

#include <optional>
#include <string>

#include "compiler/description.h"

namespace sb {
namespace {

constexpr int kSignalScan = 20;       // cells before a warning searched for signals
constexpr int kSlowPointSpacing = 8;  // a point every 8 cells inside a slow slowdown
constexpr int kAfterEndScan = 12;     // cells after a slowdown end searched for a signal
constexpr int16_t kSlowLimit = 110;

class RouteWalk {
 public:
  explicit RouteWalk(Scenario& s) : s_(s) {}

  void Run() {
    for (int64_t i = 1; i <= int64_t{s_.lastCell} - 2; ++i) {
      SignalsBeforeWarning(i);
      SlowdownStart(i);
    }
  }

 private:
  bool InGrid(int64_t c) const { return c >= 0 && c <= s_.lastCell; }
  TrackCell& Cell(int64_t c) { return s_.cells[static_cast<std::size_t>(c)]; }
  bool Free(int64_t c) { return InGrid(c) && Cell(c).free(); }
  uint8_t Kind(int64_t c) { return InGrid(c) ? Cell(c).kind : uint8_t{kKindEmpty}; }
  void Place(int64_t c) {
    Cell(c).kind = kKindSpeedPoint;
    Cell(c).value1 = kRoutePointSpeed;
  }
  // `cause` is the cell of the signal or slowdown start whose record the
  // error points at.
  void Record(int32_t code, int64_t cell, int64_t cause, std::string message) {
    Diagnostic d;
    d.code = code;
    d.position = cell * 50;
    d.message = std::move(message);
    if (auto it = s_.cellSources.find(cause); it != s_.cellSources.end()) {
      d.file = it->second.file;
      d.line = it->second.line;
      d.record = it->second.record;
    }
    RecordError(s_, std::move(d), static_cast<int32_t>(cell * 50));
  }

  // Step 1: every signal among the 20 cells before a warning gets a point
  // on one of the two cells before it.
  void SignalsBeforeWarning(int64_t i) {
    if (Cell(i).kind != kKindSlowdownWarning) return;
    for (int k = 1; k <= kSignalScan; ++k) {
      const int64_t t = i - k;
      if (t < 3) break;
      if (Cell(t).kind != kKindSignal) continue;
      const int64_t p = t - 1;
      const int64_t q = t - 2;
      if (Free(p)) {
        Place(p);
      } else if (Free(q)) {
        Place(q);
      } else if (Cell(p).kind == kKindSpeedPoint) {
        Cell(p).value1 = minimo(kRoutePointSpeed, Cell(p).value1);
      } else if (Cell(q).kind == kKindSpeedPoint) {
        Cell(q).value1 = minimo(kRoutePointSpeed, Cell(q).value1);
      } else {
        Record(11, t, t,
               "no cell for a speed point before the signal at cell " + std::to_string(t));
      }
    }
  }

  // Places a point on the first free cell of i - near, i - near - 1,
  // i - near - 2.
  void PointBefore(int64_t i, int near) {
    for (int d = near; d <= near + 2; ++d) {
      if (Free(i - d)) {
        Place(i - d);
        return;
      }
    }
    Record(12, i, i,
           "no free cell " + std::to_string(near) + " to " + std::to_string(near + 2) +
               " cells before the slowdown start at cell " + std::to_string(i));
  }

  void SlowdownStart(int64_t i) {
    if (Cell(i).kind != kKindSlowdownStart) return;
    if (i > 7) PointBefore(i, 5);
    if (i > 13) PointBefore(i, 11);
    if (i > 20) PointBefore(i, 18);

    std::optional<int64_t> end;
    if (Cell(i).value1 < kSlowLimit) {
      end = PointsInside(i);
    } else {
      end = FindEnd(i);
    }
    // A slowdown without an end cell inside the grid has no "after".
    if (end) SignalAfterEnd(*end);
  }

  // Step 2d. Returns the end cell, or nothing when the grid ends first.
  std::optional<int64_t> PointsInside(int64_t i) {
    int c = 0;
    int64_t k = i;
    do {
      ++k;
      if (k > s_.lastCell) return std::nullopt;
      ++c;
      if (c == kSlowPointSpacing) {
        if (Free(k)) {
          Place(k);
          c = 0;
        } else if (Free(k - 1)) {
          Place(k - 1);
          c = 1;
        } else if (Free(k + 1)) {
          Place(k + 1);
          c = -1;
        } else {
          // c stays 8: no further point in this slowdown.
          Record(
              13, k, i,
              "no free cell for a speed point inside the slowdown near cell " + std::to_string(k));
        }
      }
    } while (Kind(k) != kKindSlowdownEnd);
    return k;
  }

  // The first cell of kind 2 after the start, for slowdowns that 2d skips.
  std::optional<int64_t> FindEnd(int64_t i) {
    for (int64_t k = i + 1; k <= s_.lastCell; ++k) {
      if (Cell(k).kind == kKindSlowdownEnd) return k;
    }
    return std::nullopt;
  }

  // Step 2e: a signal up to 12 cells after the end gets a point before it.
  void SignalAfterEnd(int64_t k) {
    int64_t sCell = 0;
    for (int64_t m = k; m <= k + kAfterEndScan && m <= s_.lastCell; ++m) {
      if (Cell(m).kind == kKindSignal) {
        sCell = m - 1;
        break;
      }
    }
    if (sCell <= 0) return;
    if (Free(sCell)) {
      Place(sCell);
    } else if (Free(sCell - 1)) {
      Place(sCell - 1);
    } else {
      Record(13, k, sCell + 1,
             "no free cell for a speed point before the signal after the slowdown end at cell " +
                 std::to_string(k));
    }
  }

  Scenario& s_;
};

}  // namespace

int16_t minimo(int16_t x, int16_t y) { return x > y ? y : x; }

void CompleteRoute(Scenario& s) {
  if (!s.hasGrid) return;
  RouteWalk(s).Run();
}

}  // namespace sb
