#include "compiler/scenario.h"

#include "base/rounding.h"

namespace sb {

void Scenario::SizeForLength(int32_t length) {
  profileEnd = length + kLineOverrun;
  lastCell = static_cast<int32_t>(RoundHalfEven(static_cast<double>(profileEnd) / kCellLength));
  cells.assign(static_cast<std::size_t>(lastCell) + 1, TrackCell{});
  hasGrid = true;
  if (withProfile != 0) {
    profile.emplace(profileEnd);
  } else {
    profile.reset();
  }
}

std::vector<Diagnostic> NotKeptWarnings(const Scenario& s) {
  std::vector<Diagnostic> out;
  for (const auto& [where, count] : s.warningsNotKept) {
    Diagnostic d;
    d.severity = Severity::kWarning;
    d.warning = where.second;
    d.file = where.first;
    d.message = std::to_string(count) + " more '" + std::string(WarningId(where.second)) +
                "' warnings in this file are not shown: at most " +
                std::to_string(kMaxWarningsKept) + " of each are kept";
    d.hint = "mend the first ones: the rest are likely the same mistake";
    out.push_back(std::move(d));
  }
  return out;
}

}  // namespace sb
