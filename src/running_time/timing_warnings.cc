#include "running_time/timing_warnings.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "model/clock.h"

namespace sb::running {
namespace {

constexpr int64_t kDay = 24 * 3600;
// A time more than this earlier than the one before it is the next day's,
// as the compile's own check of the times takes it.
constexpr int64_t kMidnightDrop = 12 * 3600;
constexpr double kGravity = 9.81;  // m/s²

const Scenario::StationSource* SourceOf(const Scenario& s, int slot) {
  if (slot < 1 || static_cast<std::size_t>(slot) > s.stationSources.size()) return nullptr;
  return &s.stationSources[static_cast<std::size_t>(slot - 1)];
}

const std::string& NameOf(const Scenario& s, int slot) {
  return s.items[static_cast<std::size_t>(slot)].text;
}

Diagnostic WarningOn(Warning w, const Scenario::StationSource& at, int column) {
  Diagnostic d;
  d.severity = Severity::kWarning;
  d.warning = w;
  d.file = at.source.file;
  d.line = at.source.line;
  d.column = column;
  d.record = at.source.record;
  return d;
}

// A clock time of a count that may have run past midnight.
std::string TimeOfDay(int64_t seconds) { return ClockText(((seconds % kDay) + kDay) % kDay); }

// "4 min 12 s", "45 s", "1 min", "1 h 2 min".
std::string Duration(int64_t seconds) {
  std::string out;
  const auto part = [&](int64_t value, const char* unit) {
    if (value == 0) return;
    if (!out.empty()) out += ' ';
    out += std::to_string(value);
    out += unit;
  };
  part(seconds / 3600, " h");
  part(seconds / 60 % 60, " min");
  part(seconds % 60, " s");
  return out.empty() ? "0 s" : out;
}

std::string Fixed(double value, const char* format) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string Tonnes(double kilograms) { return Fixed(kilograms / 1000.0, "%.0f t"); }
std::string Kilonewtons(double newtons) { return Fixed(newtons / 1000.0, "%.0f kN"); }
std::string PerMille(double gradient) { return Fixed(gradient, "%.1f per mille"); }

const TimingRow* RowOf(const RunningTime& rt, int slot) {
  for (const TimingRow& row : rt.rows) {
    if (row.kind == TimingRow::Kind::kStation && row.slot == slot) return &row;
  }
  return nullptr;
}

// The scheduled time and the earliest the train makes it: the previous
// stop's time (its scheduled one, else when the train leaves it), the
// least running time and, but at the last station, the stop there. The
// compile already tells a time earlier than the one before it (by 12 hours
// or less, past midnight otherwise) and a time that is no time of day:
// such a time says nothing of the train.
std::optional<Diagnostic> UnkeepableTime(const Scenario& s, const RunningTime& rt,
                                         const Finding& f) {
  const Scenario::StationSource* at = SourceOf(s, f.slot);
  const Scenario::StationSource* before = SourceOf(s, f.previousSlot);
  const TimingRow* row = RowOf(rt, f.slot);
  if (at == nullptr || before == nullptr || row == nullptr) return std::nullopt;
  const int64_t scheduled = s.items[static_cast<std::size_t>(f.slot)].seconds;
  const int64_t previous = s.items[static_cast<std::size_t>(f.previousSlot)].seconds;
  if (scheduled <= 0 || scheduled >= kDay) return std::nullopt;
  const bool previousTimed = previous > 0 && previous < kDay;
  const int64_t drop = previous - scheduled;
  if (previousTimed && drop > 0 && drop <= kMidnightDrop) return std::nullopt;
  // A train cannot be there before it can: the earliest whole second.
  const auto earliest = static_cast<int64_t>(std::ceil(f.earliest));
  int64_t late = earliest - scheduled;
  while (late > kMidnightDrop) late -= kDay;
  while (late <= -kMidnightDrop) late += kDay;
  if (late <= 0) return std::nullopt;
  const bool last = &rt.rows.back() == row;
  const auto dwell = static_cast<int64_t>(std::llround(last ? 0.0 : rt.train.dwell));
  // From the previous stop's scheduled time, else from when the train
  // leaves it, which the calculation gives only through the minimum.
  const int64_t anchor = previousTimed ? previous : std::llround(f.earliest - row->minimum) - dwell;
  const int64_t needed = ((earliest - dwell - anchor) % kDay + kDay) % kDay;
  const std::string& station = NameOf(s, f.slot);
  const std::string& from = NameOf(s, f.previousSlot);
  Diagnostic d = WarningOn(Warning::kUnkeepableTime, *at, at->hourColumn);
  d.message = "station " + station + " is scheduled at " + ClockText(scheduled) +
              ", earlier than the train can make it: " + TimeOfDay(earliest) +
              " at the earliest, " + Duration(late) + " later";
  std::string note = "the previous stop, " + from +
                     (previousTimed ? ", scheduled at " : ", which the train leaves at ") +
                     TimeOfDay(anchor) + ": from then the train needs at least " +
                     Duration(needed) + " to " + station;
  if (dwell > 0) note += ", and stops there " + Duration(dwell);
  d.related.push_back({before->source.file, before->source.line,
                       previousTimed ? before->hourColumn : before->source.column,
                       std::move(note)});
  const int64_t minute = (earliest + 59) / 60 * 60;
  d.hint = "schedule " + station + " at " + TimeOfDay(minute) +
           " or later, or give a faster train in scenario.toml's [train] (power_kw, "
           "starting_tractive_effort_kn, top_speed_kmh)";
  return d;
}

// The station the train stands at, or for a stall the stop it left last.
int StationOf(const RunningTime& rt, const Finding& f) {
  if (f.slot > 0) return f.slot;
  int slot = 0;
  for (const TimingRow& row : rt.rows) {
    if (row.kind != TimingRow::Kind::kStation || row.position > f.position) break;
    if (row.stops) slot = row.slot;
  }
  return slot;
}

std::optional<Diagnostic> Traction(const Scenario& s, const RunningTime& rt, const Finding& f) {
  const int slot = StationOf(rt, f);
  const Scenario::StationSource* at = SourceOf(s, slot);
  if (at == nullptr) return std::nullopt;
  const Train& train = rt.train;
  // The gradient's share of the resistance: the weight's component along
  // the track, mass × g × gradient, the gradient small enough for its sine.
  const double pull = train.mass * kGravity * f.gradient / 1000.0;
  const std::string uphill = " on a mean gradient of " + PerMille(f.gradient) +
                             " under the train: its starting tractive effort of " +
                             Kilonewtons(train.startingTractiveEffort) +
                             " does not overcome the resistance there, of which the gradient "
                             "alone makes " +
                             Kilonewtons(pull) + " for " + Tonnes(train.mass);
  Diagnostic d = WarningOn(Warning::kTraction, *at, at->source.column);
  d.position = f.position;
  d.message = (f.kind == Finding::Kind::kCannotStart ? "the train cannot start from station "
                                                     : "the train stalls after station ") +
              NameOf(s, slot) + uphill;
  d.hint =
      "give a train with more tractive effort and power or less mass in scenario.toml's [train] "
      "(starting_tractive_effort_kn, power_kw, mass_t), or make the gradient there gentler in "
      "the line description";
  return d;
}

std::optional<Diagnostic> ShortStopZone(const Scenario& s, const RunningTime& rt,
                                        const Finding& f) {
  const Scenario::StationSource* at = SourceOf(s, f.slot);
  if (at == nullptr) return std::nullopt;
  Diagnostic d = WarningOn(Warning::kShortStopZone, *at, at->lengthColumn);
  const double length = rt.train.length;
  d.message = "the stopping zone of station " + NameOf(s, f.slot) + " is " +
              Fixed(f.zoneLength, "%.0f m") + " long, shorter than the train (" +
              Fixed(length, "%.0f m") + "): stopped there, the train stands partly outside it";
  d.hint = "lengthen the station so that its zone holds " + Fixed(length, "%.0f m") +
           ", or give the train's length in scenario.toml's [train] (length_m, or cars and "
           "car_length_m) if it is shorter";
  return d;
}

Warning WarningOf(Finding::Kind kind) {
  switch (kind) {
    case Finding::Kind::kTimeCannotBeKept: return Warning::kUnkeepableTime;
    case Finding::Kind::kCannotStart:
    case Finding::Kind::kStalls: return Warning::kTraction;
    case Finding::Kind::kZoneShorterThanTrain: return Warning::kShortStopZone;
  }
  return Warning::kTraction;
}

}  // namespace

std::vector<Diagnostic> RunningTimeWarnings(const Scenario& s, const RunningTime& rt,
                                            const std::set<Warning>& silenced) {
  std::vector<Diagnostic> out;
  if (!s.keepWarnings) return out;
  for (const Finding& f : rt.findings) {
    if (silenced.contains(WarningOf(f.kind))) continue;
    std::optional<Diagnostic> d;
    switch (f.kind) {
      case Finding::Kind::kTimeCannotBeKept: d = UnkeepableTime(s, rt, f); break;
      case Finding::Kind::kCannotStart:
      case Finding::Kind::kStalls: d = Traction(s, rt, f); break;
      case Finding::Kind::kZoneShorterThanTrain: d = ShortStopZone(s, rt, f); break;
    }
    if (d) out.push_back(std::move(*d));
  }
  return out;
}

}  // namespace sb::running
