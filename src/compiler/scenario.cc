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

Diagnostic NotKeptWarning(const std::string& file, Warning w, std::uint64_t count) {
  Diagnostic d;
  d.severity = Severity::kWarning;
  d.warning = w;
  d.file = file;
  d.message = std::to_string(count) + " more '" + std::string(WarningId(w)) +
              "' warnings in this file are not shown: at most " + std::to_string(kMaxWarningsKept) +
              " of each are kept";
  d.hint = "mend the first ones: the rest are likely the same mistake";
  return d;
}

std::vector<Diagnostic> NotKeptWarnings(const Scenario& s) {
  std::vector<Diagnostic> out;
  for (const auto& [where, count] : s.warningsNotKept) {
    out.push_back(NotKeptWarning(where.first, where.second, count));
  }
  return out;
}

}  // namespace sb
