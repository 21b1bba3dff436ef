// The scenario model: a grid of 50 m cells and a table of 87 items (the
// plan profile is in line_profile.h).
#ifndef SB_MODEL_MODEL_H_
#define SB_MODEL_MODEL_H_

#include <array>
#include <cstdint>
#include <string>

namespace sb {

inline constexpr int32_t kCellLength = 50;
inline constexpr int32_t kMaxLineLength = 1000000;
// The grid and the profile reach this far past the line's end.
inline constexpr int32_t kLineOverrun = 7000;
inline constexpr int kItemSlots = 87;
inline constexpr int kMountainSlots = 81;  // entry 0 unused: at most 80 mountains

// Item slots with a fixed use.
inline constexpr int kSlotProgressionTre = 81;
inline constexpr int kSlotProgressionDue = 82;
inline constexpr int kSlotProgressionUno = 83;
inline constexpr int kSlotTotals = 84;
inline constexpr int kSlotLine = 85;
inline constexpr int kSlotTrain = 86;
inline constexpr int kFirstBoardSlot = 80;

// Cell kinds.
enum CellKind : uint8_t {
  kKindEmpty = 0,
  kKindSignal = 1,
  kKindSlowdownEnd = 2,
  kKindSlowdownStart = 3,
  kKindSlowdownWarning = 4,
  kKindBeforeWarning = 5,
  kKindSpeedBoard = 6,
  kKindStopMark = 10,
  kKindMountainMark = 11,
  kKindSpeedPoint = 12,
  kKindSpeedPointNoValue = 13,
  kKindTextBoard = 14,
};

struct TrackCell {
  uint8_t kind = 0;
  int16_t value1 = 0;
  int16_t value2 = 0;
  int16_t value3 = 0;
  int16_t value4 = 0;
  uint8_t signalTime = 0;
  uint8_t approachCode = 0;
  uint8_t terrain = 0;
  uint8_t speedLimit = 0;  // units of 5 km/h
  uint8_t gradient = 0;    // gradient + 100
  uint8_t adhesion = 0;

  // Point features may only be placed on free cells; a mountain mark yields.
  bool free() const { return kind == kKindEmpty || kind == kKindMountainMark; }
};

struct ScenarioItem {
  uint8_t kind = 0;
  int32_t start = 0;
  int32_t end = 0;
  int32_t position = 0;
  uint8_t option = 0;
  std::string text;
  int16_t num1 = 0;
  int16_t num2 = 0;
  int16_t num3 = 0;
  int16_t num4 = 0;
  int16_t num5 = 0;
  uint8_t byte1 = 0;
  uint8_t byte2 = 0;
  uint8_t byte3 = 0;
  uint8_t byte4 = 0;
  int32_t seconds = 0;

  bool operator==(const ScenarioItem&) const = default;
};

using ItemTable = std::array<ScenarioItem, kItemSlots>;

}  // namespace sb

#endif  // SB_MODEL_MODEL_H_
