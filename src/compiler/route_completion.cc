#include "compiler/route_completion.h"

#include <optional>
#include <string>

#include "compiler/description.h"
#include "compiler/error_codes.h"
#include "compiler/identity_codes.h"

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
    for (int64_t cell = 1; cell <= int64_t{s_.lastCell} - 2; ++cell) {
      SignalsBeforeWarning(cell);
      SlowdownStart(cell);
    }
  }

 private:
  bool InGrid(int64_t c) const { return c >= 0 && c <= s_.lastCell; }
  TrackCell& Cell(int64_t c) { return s_.cells[static_cast<std::size_t>(c)]; }
  bool Free(int64_t c) { return InGrid(c) && Cell(c).free(); }
  uint8_t Kind(int64_t c) { return InGrid(c) ? Cell(c).kind : uint8_t{kKindEmpty}; }
  // `cause` is the cell of the signal or slowdown start the point is for.
  void Place(int64_t c, int64_t cause) {
    Cell(c).kind = kKindSpeedPoint;
    Cell(c).value1 = kRoutePointSpeed;
    // Only a point on the reserved cell is ever named (errors 1250, 1251),
    // so only that one is noted: points are many on a long line.
    if (c != kIdentityCell) return;
    if (auto it = s_.cellOwners.find(cause); it != s_.cellOwners.end()) {
      const CellOwner& owner = it->second;
      NoteOwner(s_, c, owner.source, OwnerRole::kRoutePoint, owner.position,
                static_cast<int32_t>(owner.role));
    }
  }
  // `cause` is the cell of the signal or slowdown start whose record the
  // error points at.
  void Record(ErrorCode code, int64_t cell, int64_t cause, std::string message) {
    Diagnostic d;
    d.code = code;
    d.position = cell * 50;
    d.message = std::move(message);
    if (auto it = s_.cellOwners.find(cause); it != s_.cellOwners.end()) {
      const SourceRef& source = it->second.source;
      d.file = source.file;
      d.line = source.line;
      d.column = source.column;
      d.record = source.record;
    }
    RecordError(s_, std::move(d), static_cast<int32_t>(cell * 50));
  }

  // Every signal among the 20 cells before a warning gets a point on one of
  // the two cells before it, or lowers the point already there.
  void SignalsBeforeWarning(int64_t warning) {
    if (Cell(warning).kind != kKindSlowdownWarning) return;
    for (int distance = 1; distance <= kSignalScan; ++distance) {
      const int64_t signal = warning - distance;
      if (signal < 3) break;
      if (Cell(signal).kind != kKindSignal) continue;
      const int64_t before = signal - 1;
      const int64_t twoBefore = signal - 2;
      if (Free(before)) {
        Place(before, signal);
      } else if (Free(twoBefore)) {
        Place(twoBefore, signal);
      } else if (Cell(before).kind == kKindSpeedPoint) {
        Cell(before).value1 = minimo(kRoutePointSpeed, Cell(before).value1);
      } else if (Cell(twoBefore).kind == kKindSpeedPoint) {
        Cell(twoBefore).value1 = minimo(kRoutePointSpeed, Cell(twoBefore).value1);
      } else {
        Record(ErrorCode::kPointBeforeSignal, signal, signal,
               "no cell for a speed point before the signal at cell " + std::to_string(signal));
      }
    }
  }

  // Places a point on the first free cell of start - near, start - near - 1,
  // start - near - 2.
  void PointBefore(int64_t start, int near) {
    for (int distance = near; distance <= near + 2; ++distance) {
      if (Free(start - distance)) {
        Place(start - distance, start);
        return;
      }
    }
    Record(ErrorCode::kPointBeforeSlowdown, start, start,
           "no free cell " + std::to_string(near) + " to " + std::to_string(near + 2) +
               " cells before the slowdown start at cell " + std::to_string(start));
  }

  // Points 5 to 7, 11 to 13 and 18 to 20 cells before a slowdown's start,
  // where the line has room for them, then inside and after the slowdown.
  void SlowdownStart(int64_t start) {
    if (Cell(start).kind != kKindSlowdownStart) return;
    if (start > 7) PointBefore(start, 5);
    if (start > 13) PointBefore(start, 11);
    if (start > 20) PointBefore(start, 18);

    std::optional<int64_t> end;
    if (Cell(start).value1 < kSlowLimit) {
      end = PointsInside(start);
    } else {
      end = FindEnd(start);
    }
    // A slowdown without an end cell inside the grid has no "after".
    if (end) SignalAfterEnd(*end);
  }

  // A slowdown slower than 110 gets a point every 8 cells from its start up
  // to its end, on the due cell or the one before or after it; the count
  // goes on from the cell used. Returns the end cell, or nothing when the
  // grid ends first.
  std::optional<int64_t> PointsInside(int64_t start) {
    int sincePoint = 0;
    int64_t k = start;
    do {
      ++k;
      if (k > s_.lastCell) return std::nullopt;
      ++sincePoint;
      if (sincePoint == kSlowPointSpacing) {
        if (Free(k)) {
          Place(k, start);
          sincePoint = 0;
        } else if (Free(k - 1)) {
          Place(k - 1, start);
          sincePoint = 1;
        } else if (Free(k + 1)) {
          Place(k + 1, start);
          sincePoint = -1;
        } else {
          // The count stays at 8: no further point in this slowdown.
          Record(
              ErrorCode::kPointInSlowdown, k, start,
              "no free cell for a speed point inside the slowdown near cell " + std::to_string(k));
        }
      }
    } while (Kind(k) != kKindSlowdownEnd);
    return k;
  }

  // The first slowdown end after the start, for slowdowns of 110 or more,
  // which get no points inside.
  std::optional<int64_t> FindEnd(int64_t start) {
    for (int64_t k = start + 1; k <= s_.lastCell; ++k) {
      if (Cell(k).kind == kKindSlowdownEnd) return k;
    }
    return std::nullopt;
  }

  // The first signal up to 12 cells after a slowdown's end gets a point on
  // one of the two cells before it.
  void SignalAfterEnd(int64_t end) {
    int64_t beforeSignal = 0;
    for (int64_t m = end; m <= end + kAfterEndScan && m <= s_.lastCell; ++m) {
      if (Cell(m).kind == kKindSignal) {
        beforeSignal = m - 1;
        break;
      }
    }
    if (beforeSignal <= 0) return;
    if (Free(beforeSignal)) {
      Place(beforeSignal, beforeSignal + 1);
    } else if (Free(beforeSignal - 1)) {
      Place(beforeSignal - 1, beforeSignal + 1);
    } else {
      Record(ErrorCode::kPointInSlowdown, end, beforeSignal + 1,
             "no free cell for a speed point before the signal after the slowdown end at cell " +
                 std::to_string(end));
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
