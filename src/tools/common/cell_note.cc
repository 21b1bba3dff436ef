#include "tools/common/cell_note.h"

#include <string>

namespace sb {
namespace {

// A board's value holds the s side's speed times 20 plus the d side's speed
// over 5: with speeds in 5 km/h steps under 500 km/h, the hundreds give the
// one and the rest the other. Other values cannot be told apart.
bool BoardSpeeds(int16_t value, int* s, int* d) {
  if (value < 0) return false;
  *s = value / 100 * 5;
  *d = value % 100 * 5;
  return true;
}

// "s 140/160/170 km/h, d 140/160/170 km/h, " or "" when a value is none of
// the board's.
std::string SpeedBoardSpeeds(const TrackCell& c) {
  int s[3], d[3];
  if (!BoardSpeeds(c.value1, &s[0], &d[0]) || !BoardSpeeds(c.value2, &s[1], &d[1]) ||
      !BoardSpeeds(c.value3, &s[2], &d[2])) {
    return {};
  }
  auto three = [](const int* v) {
    return std::to_string(v[0]) + "/" + std::to_string(v[1]) + "/" + std::to_string(v[2]) + " km/h";
  };
  return "s " + three(s) + ", d " + three(d) + ", ";
}

}  // namespace

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
      return SpeedBoardSpeeds(c) + "stripes s " + std::to_string(c.value4 / 10) + ", d " +
             std::to_string(c.value4 % 10);
    case kKindStopMark: return "station in slot " + std::to_string(c.value1);
    case kKindSpeedPoint: return std::to_string(c.value1) + " km/h";
    case kKindTextBoard: return "text in slot " + std::to_string(c.value1);
    default: return c.approachCode != 0 ? "approach code" : "";
  }
}

}  // namespace sb
