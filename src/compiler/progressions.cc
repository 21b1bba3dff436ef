#include "compiler/progressions.h"

#include <array>
#include <string>

#include "compiler/description.h"
#include "compiler/error_codes.h"

namespace sb {
namespace {

struct Progression {
  int32_t start = 0;       // position along the line (m)
  int32_t kilometres = 0;  // kilometric value there (m)
  int32_t flag = 0;
};

Progression From(const ScenarioItem& item) { return {item.start, item.end, item.position}; }

}  // namespace

void progressive_ordina(Scenario& s) {
  const Progression tre = From(s.items[kSlotProgressionTre]);
  const Progression due = From(s.items[kSlotProgressionDue]);
  const Progression uno = From(s.items[kSlotProgressionUno]);
  std::array<Progression, 3> result{};

  // Summed exactly: starts that cancel out (one negative) count as "all at
  // the start", as the sum says, but no overflow can fake a zero.
  const int64_t sum = int64_t{tre.start} + due.start + uno.start;
  if (sum == 0) {
    // The kilometric values decide; the last test that holds wins.
    if (tre.kilometres > 0) result = {tre, due, uno};
    if (due.kilometres > 0) result = {due, tre, uno};
    if (uno.kilometres > 0) result = {uno, due, tre};
  } else if (tre.start > due.start && tre.start > uno.start) {
    result = due.start > uno.start ? std::array{tre, due, uno} : std::array{tre, uno, due};
  } else if (due.start > tre.start && due.start > uno.start) {
    result = tre.start > uno.start ? std::array{due, tre, uno} : std::array{due, uno, tre};
  } else if (uno.start > tre.start && uno.start > due.start) {
    result = tre.start > due.start ? std::array{uno, tre, due} : std::array{uno, due, tre};
  }
  // Otherwise the two largest starts are equal and all three stay zero.

  for (int i = 0; i < 3; ++i) {
    ScenarioItem& item = s.items[kSlotProgressionTre + i];
    item.start = result[i].start;
    item.end = result[i].kilometres;
    item.position = result[i].flag;
    // The flag adds 100 m to the kilometric value; 32-bit, wrapping like
    // the stored field.
    if (item.position == 1) {
      item.end = static_cast<int32_t>(static_cast<uint32_t>(item.end) + 100u);
    }
  }
}

namespace {

// Both numbers of a progression on the nearest multiple of 50 m.
Fix RoundingFix(const Scenario::ProgressionSource& p) {
  const int64_t start = NearestMultiple(p.start, 50);
  const int64_t value = NearestMultiple(p.value, 50);
  Fix fix{"write " + std::to_string(start) + ", " + std::to_string(value), {}};
  const int line = p.source.line;
  // A number on another line than the keyword has no column: no fix then.
  if (start != p.start) {
    if (p.source.column == 0) return {};
    fix.edits.push_back({line, p.source.column, std::to_string(p.start), std::to_string(start)});
  }
  if (value != p.value) {
    if (p.valueColumn == 0) return {};
    fix.edits.push_back({line, p.valueColumn, std::to_string(p.value), std::to_string(value)});
  }
  return fix;
}

}  // namespace

void CheckProgressions(Scenario& s) {
  for (int slot = kSlotProgressionTre; slot <= kSlotProgressionUno; ++slot) {
    const ScenarioItem& item = s.items[slot];
    if (item.start % 50 != 0 || item.end % 50 != 0) {
      Diagnostic diag;
      diag.code = ErrorCode::kProgressionStep;
      diag.position = item.start;
      diag.message = "kilometric progression (" + std::to_string(item.start) + ", " +
                     std::to_string(item.end) + ") is not on a multiple of 50 m";
      for (const Scenario::ProgressionSource& p : s.progressionSources) {
        if (p.start != item.start) continue;
        diag.file = p.source.file;
        diag.line = p.source.line;
        diag.column = p.source.column;
        diag.record = p.source.record;
        if (Fix fix = RoundingFix(p); !fix.edits.empty()) diag.fixes.push_back(std::move(fix));
        break;
      }
      diag.hint = "a progression's start and kilometric value are whole multiples of 50 m";
      RecordError(s, std::move(diag), std::nullopt);
      return;
    }
  }
}

}  // namespace sb
