// The run state of one compile: the model being built (grid, items,
// profile) and what the readers, encoders and route completion share.
#ifndef SB_COMPILER_SCENARIO_H_
#define SB_COMPILER_SCENARIO_H_

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "compiler/cell_owners.h"
#include "compiler/diagnostics.h"
#include "compiler/warnings.h"
#include "model/line_profile.h"
#include "model/model.h"

namespace sb {

// The run state and the model, for one run.
struct Scenario {
  std::string lineId;
  std::string trainNumber;
  int32_t withProfile = 0;
  ErrorCode errorCode = ErrorCode::kNone;
  int32_t errorPosition = 0;
  // The field read last (a keyword, a text), not a line: the run state keeps
  // its name. Also the work string of the identity codes.
  std::string currentLine;
  int32_t profileEnd = 0;
  int32_t lastCell = 0;

  // Empty until a line length record sizes it (cells 0 to lastCell).
  std::vector<TrackCell> cells;
  bool hasGrid = false;
  ItemTable items;
  std::optional<LineProfile> profile;

  std::array<int32_t, kMountainSlots> mountainStart{};
  std::array<int32_t, kMountainSlots> mountainEnd{};
  int32_t mountainCount = 0;

  // Where an error ended the reading of a description early: the line of
  // the record at fault, after which nothing of it was read. `rest`: nor of
  // the train, when it is the line description that stopped. Editors show
  // what went unread; nothing compiled depends on it.
  struct ReadingStop {
    std::string file;
    int line = 0;
    bool rest = false;
  };
  std::vector<ReadingStop> readingStops;

  // Every error recorded during the run, in order; errorCode and
  // errorPosition keep only the last, as the compiled state requires.
  std::vector<Diagnostic> diagnostics;
  // False: warnings are not kept (RecordWarning drops them). They change
  // nothing else, which the tests check by compiling both ways.
  bool keepWarnings = true;
  // Warnings the author silenced (-Wno-<id>), by the enum's order: never
  // kept, so that they cost nothing but the check.
  std::array<bool, kWarningCount> silencedWarnings{};
  // How many warnings of each identifier are kept; past kMaxWarningsKept
  // they are only counted, by file and identifier (NotKeptWarnings).
  std::array<std::uint64_t, kWarningCount> warningsKept{};
  std::map<std::pair<std::string, Warning>, std::uint64_t> warningsNotKept;
  // The progression records as read, by their start: ordering moves the
  // items, and the check after the train points at the record.
  struct ProgressionSource {
    int32_t start;
    SourceRef source;
    int32_t value = 0;    // the kilometric value as written
    int valueColumn = 0;  // where it is written on the record's line
  };
  std::vector<ProgressionSource> progressionSources;
  // The slowdown records placed, in the order the train description gives
  // them, with the values as written: the cells keep only the rounded ends
  // and the speed, and the player's slowdown order prints the rest.
  // Nothing compiled depends on it.
  struct SlowdownSource {
    int32_t start = 0;   // m
    int32_t speed = 0;   // km/h
    int32_t length = 0;  // m
    int32_t wholeTrain = 0;
    SourceRef source;
  };
  std::vector<SlowdownSource> slowdownSources;
  // The curves bent into the plan profile, in the order the line
  // description gives them: the profile keeps only the bends, and the
  // running times need the radii. Nothing compiled depends on it.
  struct CurveSource {
    int32_t start = 0;     // m
    int32_t length = 0;    // m
    double curvature = 0;  // 1/m, negative for a left-hand curve
  };
  std::vector<CurveSource> curveSources;
  // The station records stored, by item slot (entry slot - 1), with the
  // columns of their scheduled time's hour and of their length, for what
  // is said of the time and of the stopping zone. Nothing compiled depends
  // on it.
  struct StationSource {
    SourceRef source;
    int hourColumn = 0;
    int lengthColumn = 0;
  };
  std::vector<StationSource> stationSources;
  // The record behind each feature a description placed, by cell.
  std::unordered_map<int64_t, CellOwner> cellOwners;

  // Sizes the grid for a line length: cells 0 to lastCell, all zero, and the
  // profile when it is wanted. Earlier contents are discarded.
  void SizeForLength(int32_t length);

  bool ValidCell(int64_t index) const { return hasGrid && index >= 0 && index <= lastCell; }
};

// One warning per file and identifier of those found past kMaxWarningsKept:
// how many more there were, for the reports to show after the others.
std::vector<Diagnostic> NotKeptWarnings(const Scenario& s);
// The one of them for `count` more warnings `w` in `file`.
Diagnostic NotKeptWarning(const std::string& file, Warning w, std::uint64_t count);

}  // namespace sb

#endif  // SB_COMPILER_SCENARIO_H_
