#include "compiler/progressions.h"

#include <array>
#include <string>

#include "compiler/description.h"
#include "compiler/error_codes.h"

namespace sb {
namespace {

struct Progression {
  int32_t p = 0;  // start position
  int32_t q = 0;  // kilometric value there
  int32_t r = 0;  // flag
};

Progression From(const ScenarioItem& item) { return {item.start, item.end, item.position}; }

}  // namespace

void progressive_ordina(Scenario& s) {
  const Progression T = From(s.items[kSlotProgressionTre]);
  const Progression D = From(s.items[kSlotProgressionDue]);
  const Progression U = From(s.items[kSlotProgressionUno]);
  std::array<Progression, 3> result{};

  // Summed exactly: starts that cancel out (one negative) count as "all at
  // the start", as the sum says, but no overflow can fake a zero.
  const int64_t sum = int64_t{T.p} + D.p + U.p;
  if (sum == 0) {
    // The kilometric values decide; the last test that holds wins.
    if (T.q > 0) result = {T, D, U};
    if (D.q > 0) result = {D, T, U};
    if (U.q > 0) result = {U, D, T};
  } else if (T.p > D.p && T.p > U.p) {
    result = D.p > U.p ? std::array{T, D, U} : std::array{T, U, D};
  } else if (D.p > T.p && D.p > U.p) {
    result = T.p > U.p ? std::array{D, T, U} : std::array{D, U, T};
  } else if (U.p > T.p && U.p > D.p) {
    result = T.p > D.p ? std::array{U, T, D} : std::array{U, D, T};
  }
  // Otherwise the two largest starts are equal and all three stay zero.

  for (int i = 0; i < 3; ++i) {
    ScenarioItem& item = s.items[kSlotProgressionTre + i];
    item.start = result[i].p;
    item.end = result[i].q;
    item.position = result[i].r;
    // The flag adds 100 m to the kilometric value; 32-bit, wrapping like
    // the stored field.
    if (item.position == 1) {
      item.end = static_cast<int32_t>(static_cast<uint32_t>(item.end) + 100u);
    }
  }
}

void CheckProgressions(Scenario& s) {
  for (int slot = kSlotProgressionTre; slot <= kSlotProgressionUno; ++slot) {
    const ScenarioItem& item = s.items[slot];
    if (item.start % 50 != 0 || item.end % 50 != 0) {
      Diagnostic diag;
      diag.code = kErrorProgressionStep;
      diag.position = item.start;
      diag.message = "kilometric progression (" + std::to_string(item.start) + ", " +
                     std::to_string(item.end) + ") is not on a multiple of 50 m";
      RecordError(s, std::move(diag), std::nullopt);
      return;
    }
  }
}

}  // namespace sb
