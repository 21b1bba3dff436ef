// The project file, scenario.toml: what an author's scenario needs beyond
// its two descriptions to be complete: the names of the descriptions and
// the values the player's documents print that no description holds (the
// sheet's header, printed station names, named speed-limit rows, the
// notes). Parsed from bytes; the driver reads the file.
//
// Every value keeps where it was written, so that a later check (a name too
// long for its cell) can point at it. Texts are kept as written (UTF-8).
#ifndef SB_TOOLS_PROJECT_PROJECT_FILE_H_
#define SB_TOOLS_PROJECT_PROJECT_FILE_H_

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "compiler/diagnostics.h"
#include "running_time/train.h"

namespace sb {

// The name the project file has in a scenario's folder.
inline constexpr std::string_view kProjectFileName = "scenario.toml";
// A project file is a page of text; anything larger is not one.
inline constexpr std::uint64_t kMaxProjectBytes = 1 << 20;

// Where a value stands in the project file: 1-based line and byte column.
struct ProjectPlace {
  int line = 0;
  int column = 0;
};

template <typename T>
struct Located {
  T value{};
  ProjectPlace place;
};

// The timetable sheet's header.
struct SheetHeader {
  std::optional<Located<std::string>> from;            // "da:"
  std::optional<Located<std::string>> to;              // "a:"
  std::optional<Located<std::string>> classification;  // "ESPRESSO"
  std::optional<Located<std::string>> speed;           // "V160 B"
  std::optional<Located<std::string>> blockedMass;     // "700T"
};

// A station of the train description, found by its name there.
struct ProjectStation {
  Located<std::string> name;                       // as the train description writes it
  std::optional<Located<std::string>> printed;     // the name the documents print
  std::optional<Located<int64_t>> marching;        // "Vel. Marc.", km/h
  std::optional<Located<double>> recoveryMinutes;  // "Rec"
};

// A change of the train's speed limit, found by the position of its record.
struct ProjectSpeedLimit {
  Located<int64_t> at;  // metres
  std::optional<Located<std::string>> name;
  std::optional<Located<bool>> kmPost;  // whether the row prints its km post
  std::optional<Located<int64_t>> marching;
};

// A row of the sheet that no record gives (a bridge, a tunnel's mouth).
struct ProjectExtraRow {
  Located<int64_t> at;  // metres
  Located<std::string> name;
  std::optional<Located<bool>> kmPost;
};

struct ProjectNotes {
  std::optional<Located<std::string>> text;  // the whole notes above the credit
  std::optional<Located<std::string>> credit;
  std::optional<Located<std::string>> contact;
};

struct Project {
  std::string fileName;  // as diagnostics name it
  std::string source;    // the bytes parsed, for quoting a value's line

  // Always set once parsed without error: as written, or derived (the line
  // identifier from the line description's name, the train number from the
  // train description's; each description's name from the two).
  std::string lineId;
  std::string train;
  std::string lineDescription;   // relative to the project's folder
  std::string trainDescription;  // relative to the project's folder
  // Where each was written; line 0 when derived.
  ProjectPlace lineIdPlace, trainPlace, lineDescriptionPlace, trainDescriptionPlace;

  SheetHeader sheet;
  std::optional<Located<std::string>> orderLineName;  // the order's "Linea"
  std::vector<ProjectStation> stations;
  std::vector<ProjectSpeedLimit> speedLimits;
  std::vector<ProjectExtraRow> extraRows;
  ProjectNotes notes;
  // The [train] table: what the running times need of the train, and
  // where each figure given was written, by its key ("mass_t").
  running::TrainTable trainData;
  std::map<std::string, ProjectPlace, std::less<>> trainDataPlaces;
};

struct ProjectParse {
  Project project;
  // Errors only; the project is meant to be used when there are none.
  std::vector<Diagnostic> diagnostics;
  bool ok() const { return diagnostics.empty(); }
};

// Parses the project file's bytes. `fileName` names it in the diagnostics.
ProjectParse ParseProject(std::string_view bytes, std::string_view fileName);

// An error about a value of the project, in the form of the file's other
// diagnostics: its line quoted with a caret under `place`.
Diagnostic ProjectDiagnostic(const Project& project, ProjectPlace place, std::string message,
                             std::string hint = "");

// The diagnostic for a project file the driver could not read (`st` as the
// Disk gave it).
Diagnostic UnreadableProject(std::string_view fileName, const Status& st);

// `text` as a TOML basic string, quotes included; nothing when it is not
// UTF-8, which TOML cannot hold.
std::optional<std::string> TomlString(std::string_view text);

}  // namespace sb

#endif  // SB_TOOLS_PROJECT_PROJECT_FILE_H_
