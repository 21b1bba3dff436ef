#include "compiler/cell_owners.h"

#include <vector>

#include "compiler/scenario.h"

namespace sb {
namespace {

std::string At(int32_t position) { return " at " + std::to_string(position) + " m"; }

std::string OwnerWords(const Scenario& s, const CellOwner& o) {
  switch (o.role) {
    case OwnerRole::kSignal: return "the signal" + At(o.position);
    case OwnerRole::kSlowdownWarning: return "the warning of the slowdown" + At(o.position);
    case OwnerRole::kSlowdownStart: return "the start of the slowdown" + At(o.position);
    case OwnerRole::kSlowdownEnd: return "the end of the slowdown" + At(o.position);
    case OwnerRole::kBeforeWarning:
      return "a mark before the warning of the slowdown" + At(o.position);
    case OwnerRole::kSpeedBoard: return "the maximum-speed indicator board" + At(o.position);
    case OwnerRole::kTextBoard: {
      const std::string& text = s.items[static_cast<std::size_t>(o.slot)].text;
      return "the text board '" + text + "'" + At(o.position);
    }
    case OwnerRole::kSpeedPoint: return "the speed point" + At(o.position);
    case OwnerRole::kStopMark:
      return "the stop mark of station " + s.items[static_cast<std::size_t>(o.slot)].text;
    case OwnerRole::kRoutePoint: {
      CellOwner cause = o;
      cause.role = static_cast<OwnerRole>(o.slot);
      return "the speed point the compiler places for " + OwnerWords(s, cause);
    }
  }
  return "a feature";
}

// Only when no record is noted: a feature the compiler placed by itself.
const char* KindWords(uint8_t kind) {
  switch (kind) {
    case kKindSignal: return "a signal";
    case kKindSlowdownEnd: return "a slowdown end";
    case kKindSlowdownStart: return "a slowdown start";
    case kKindSlowdownWarning: return "a slowdown warning";
    case kKindBeforeWarning: return "a mark before a slowdown warning";
    case kKindSpeedBoard: return "a maximum-speed indicator board";
    case kKindStopMark: return "a stop mark";
    case kKindSpeedPoint:
    case kKindSpeedPointNoValue: return "a speed point";
    case kKindTextBoard: return "a text board";
    default: return "a feature";
  }
}

// How far a feature is moved to find it a free cell.
constexpr int64_t kMoveReach = 500;

}  // namespace

void NoteOwner(Scenario& s, int64_t cell, const SourceRef& source, OwnerRole role, int32_t position,
               int32_t slot) {
  s.cellOwners[cell] = CellOwner{source, role, position, slot};
}

std::string CellHolder(const Scenario& s, int64_t cell) {
  if (auto it = s.cellOwners.find(cell); it != s.cellOwners.end()) {
    return OwnerWords(s, it->second);
  }
  const uint8_t kind = s.ValidCell(cell) ? s.cells[static_cast<std::size_t>(cell)].kind : 0;
  return KindWords(kind);
}

void DescribeTakenCell(const Scenario& s, int64_t cell, const std::string& subject, Diagnostic& d) {
  const std::string holder = CellHolder(s, cell);
  d.message = subject + ", which already holds " + holder;
  if (auto it = s.cellOwners.find(cell); it != s.cellOwners.end()) {
    const SourceRef& src = it->second.source;
    d.related.push_back({src.file, src.line, src.column, holder + " was placed by this record"});
  }
  d.hint = "features take one 50 m cell each: move one of them to a free cell";
  // This record moved by whole cells, nearest first, within 500 m.
  if (!d.position) return;
  std::vector<int64_t> places;
  for (int64_t step = 50; step <= kMoveReach; step += 50) {
    places.push_back(*d.position - step);
    places.push_back(*d.position + step);
  }
  AddMoveFixes(d, *d.position, places, "move to ");
}

}  // namespace sb
