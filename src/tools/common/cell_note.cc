#include "tools/common/cell_note.h"

#include <string>

namespace sb {

std::string CellNote(std::size_t index, const TrackCell& c) {
  if (index == 1 && c.kind == kKindEmpty) return "reserved: identity marker and check code";
  switch (c.kind) {
    case kKindSignal: {
      const int sides = c.value4 % 10;
      return "s " + std::to_string(c.value1 / 10) + "-" + std::to_string(c.value2 / 10) + "-" +
             std::to_string(c.value3 / 10) + ", d " + std::to_string(c.value1 % 10) + "-" +
             std::to_string(c.value2 % 10) + "-" + std::to_string(c.value3 % 10) + ", rapp " +
             std::to_string(c.value4 / 10) + ", sx " + std::to_string(sides / 3) + " dx " +
             std::to_string(sides % 3) + ", time " + std::to_string(c.signalTime);
    }
    case kKindSlowdownEnd:
    case kKindSlowdownStart:
    case kKindSlowdownWarning: {
      std::string s = std::to_string(c.value1) + " km/h";
      if (c.value2 != 0) s += ", second speed " + std::to_string(c.value2);
      if (c.kind != kKindSlowdownWarning && c.value3 != 0) s += ", whole train";
      return s;
    }
    case kKindBeforeWarning: return "mark " + std::to_string(c.value1) + " before the warning";
    case kKindSpeedBoard:
      return "stripes s " + std::to_string(c.value4 / 10) + ", d " + std::to_string(c.value4 % 10);
    case kKindStopMark: return "station in slot " + std::to_string(c.value1);
    case kKindSpeedPoint: return std::to_string(c.value1) + " km/h";
    case kKindTextBoard: return "text in slot " + std::to_string(c.value1);
    default: return c.approachCode != 0 ? "approach code" : "";
  }
}

}  // namespace sb
