#include "compiler/warnings.h"

#include <array>

namespace sb {
namespace {

constexpr std::array<WarningInfo, kWarningCount> kTable = {{
    {Warning::kExtraValues, "extra-values", "a record's line holds more fields than it reads"},
    {Warning::kMissingValues, "missing-values", "a record's values run on into the next line"},
    {Warning::kNotANumber, "not-a-number", "a number field that is not a whole number reads as 0"},
    {Warning::kUnknownRecord, "unknown-record", "a line that is no record of its section"},
    {Warning::kHyphenKeyword, "hyphen-keyword",
     "a keyword holding '-' is skipped as a separator line"},
    {Warning::kHyphenRun, "hyphen-run",
     "a field holding '-' past the skip limit is read as a keyword"},
    {Warning::kNoGeneralSection, "no-general-section",
     "a train description without \"[generale]\" holds no records"},
    {Warning::kNoLineLength, "no-line-length",
     "no line length record in the line description's general section"},
    {Warning::kNoStartRecord, "no-start-record", "no speed limit or adhesion record at position 0"},
    {Warning::kOutOfOrder, "out-of-order", "records of one kind out of position order"},
    {Warning::kValueRange, "value-range", "a value that does not fit where it is stored"},
    {Warning::kPastLineEnd, "past-line-end", "a feature past the end of the line"},
    {Warning::kReplacedFeature, "replaced-feature", "a later record replaces a cell's feature"},
    {Warning::kTextEncoding, "text-encoding",
     "stored text that the simulator will not show as written"},
    {Warning::kCurveKeyword, "curve-keyword",
     "a curve whose side or curvature a stray letter or digit of its keyword decides"},
    {Warning::kTimeRange, "time-range", "a station's scheduled time that is no time of day"},
    {Warning::kTimeOrder, "time-order",
     "a station's scheduled time earlier than the previous timed station's"},
    {Warning::kUnkeepableTime, "unkeepable-time",
     "a station's scheduled time earlier than the train can get there"},
    {Warning::kTraction, "traction",
     "a gradient on which the train cannot start from a stop, or stalls"},
    {Warning::kShortStopZone, "short-stop-zone",
     "a stop whose stopping zone is shorter than the train"},
}};

// WarningId and the options index the table by the enum.
constexpr bool InEnumOrder() {
  for (std::size_t i = 0; i < kTable.size(); ++i) {
    if (static_cast<std::size_t>(kTable[i].warning) != i) return false;
  }
  return true;
}
static_assert(InEnumOrder(), "the table follows the order of Warning");

}  // namespace

std::span<const WarningInfo> WarningTable() { return kTable; }

std::string_view WarningId(Warning w) { return kTable[static_cast<std::size_t>(w)].id; }

std::optional<Warning> WarningFromId(std::string_view id) {
  for (const WarningInfo& info : kTable) {
    if (info.id == id) return info.warning;
  }
  return std::nullopt;
}

}  // namespace sb
