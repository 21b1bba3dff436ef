// Warnings: descriptions that compile, but most likely not into what their
// author meant. A warning changes no compiled byte and no run state; it is
// told beside the errors, with a stable identifier that authors use to
// silence it (-Wno-<id>) and that JSON and the editor server give as its code.
#ifndef SB_COMPILER_WARNINGS_H_
#define SB_COMPILER_WARNINGS_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace sb {

enum class Warning {
  kExtraValues,       // the record's line holds more fields than its keyword reads
  kMissingValues,     // the record's values run on into the next line
  kNotANumber,        // a number field that is not a whole number reads as 0
  kUnknownRecord,     // a keyword field that is no record of its section
  kHyphenKeyword,     // a keyword holding '-' is skipped as a separator
  kHyphenRun,         // a field with '-' past the skip limit is read as a keyword
  kNoGeneralSection,  // a train description without "[generale]"
  kNoLineLength,      // no line length record in the general section
  kNoStartRecord,     // no speed limit or adhesion record at position 0
  kOutOfOrder,        // records of one kind out of position order, overlapping curves
  kValueRange,        // a value that does not fit where it is stored
  kPastLineEnd,       // a feature past the line's end, in the grid's tail
  kReplacedFeature,   // a later record replaces a cell's feature
  kTextEncoding,      // stored text the simulator will not show as written
  kCurveKeyword,      // a curve's side or curvature decided by a stray letter or digit
  kTimeRange,         // a station's scheduled time that is no time of day
  kTimeOrder,         // a station's scheduled time earlier than the previous one's
  // The running times' (running_time/timing_warnings.h): only a command
  // that knows the train gives them, never the compile alone.
  kUnkeepableTime,  // a scheduled time earlier than the train can make it
  kTraction,        // the train cannot start at a stop, or stalls on a gradient
  kShortStopZone,   // a stop whose stopping zone is shorter than the train
};

inline constexpr std::size_t kWarningCount = static_cast<std::size_t>(Warning::kShortStopZone) + 1;

// At most this many warnings of one identifier are kept in a run; the rest
// are counted, so that a file of a million mistakes costs a counter, not a
// message each.
inline constexpr std::uint64_t kMaxWarningsKept = 100000;

struct WarningInfo {
  Warning warning;
  std::string_view id;       // kebab-case, stable: "-Wno-" + id silences it
  std::string_view summary;  // one line, for --help and the docs' check
};

// Every warning, in the order of the enum.
std::span<const WarningInfo> WarningTable();

std::string_view WarningId(Warning w);
// The warning named `id` (without "-W" or "-Wno-"), if there is one.
std::optional<Warning> WarningFromId(std::string_view id);

}  // namespace sb

#endif  // SB_COMPILER_WARNINGS_H_
