#include "tools/common/roles.h"

namespace sb {

std::string CellKindName(uint8_t kind) {
  switch (kind) {
    case kKindEmpty: return "none";
    case kKindSignal: return "signal";
    case kKindSlowdownEnd: return "slowdown end";
    case kKindSlowdownStart: return "slowdown start";
    case kKindSlowdownWarning: return "slowdown warning";
    case kKindBeforeWarning: return "before-warning mark";
    case kKindSpeedBoard: return "speed board";
    case kKindStopMark: return "station stop mark";
    case kKindMountainMark: return "mountain mark";
    case kKindSpeedPoint: return "speed point";
    case kKindSpeedPointNoValue: return "speed point without value";
    case kKindTextBoard: return "text board";
  }
  return "unknown kind " + std::to_string(kind);
}

bool CellIsListed(const TrackCell& c) {
  return c.kind != kKindEmpty || c.value1 != 0 || c.value2 != 0 || c.value3 != 0 || c.value4 != 0 ||
         c.signalTime != 0 || c.approachCode != 0;
}

bool ItemIsUsed(const ScenarioItem& it) { return !(it == ScenarioItem{}); }

std::string ItemRole(int slot, const ScenarioItem& it) {
  if (!ItemIsUsed(it)) return "unused";
  switch (slot) {
    case 0: return "unused slot 0";
    case kSlotProgressionTre: return "kilometric progression 1";
    case kSlotProgressionDue: return "kilometric progression 2";
    case kSlotProgressionUno: return "kilometric progression 3";
    case kSlotTotals: return "totals";
    case kSlotLine: return "line identity";
    case kSlotTrain: return "train identity";
  }
  ScenarioItem textOnly;
  textOnly.text = it.text;
  if (it == textOnly) return "board text";
  return "station " + std::to_string(slot);
}

}  // namespace sb
