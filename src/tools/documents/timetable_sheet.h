// The train's timetable sheet for any scenario: the player's form of speeds,
// stations and times along the route, 83 columns wide, drawn from the
// compiled scenario and the facts the descriptions do not hold.
#ifndef SB_TOOLS_DOCUMENTS_TIMETABLE_SHEET_H_
#define SB_TOOLS_DOCUMENTS_TIMETABLE_SHEET_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/diagnostics.h"
#include "compiler/scenario.h"
#include "running_time/running_time.h"

namespace sb {

// Where a fact stands in the project file, for a diagnostic about it; 0 when
// it is not known (a default, a value a test gives).
struct FactPlace {
  int line = 0;
  int column = 0;
};

// What a row of the sheet prints beside what the scenario gives it.
struct SheetRowFacts {
  std::optional<int> marchingSpeed;  // km/h, "Vel. Marc."
  std::string recovery;              // "Rec", as written ("0.5")
  FactPlace place;
};

// A station as the sheet prints it, by the name of its station record.
struct SheetStationFacts {
  std::string descriptionName;
  std::string printedName;  // empty: the description's name
  SheetRowFacts row;
};

// The row of a change of the train's speed limit that is not shown in a
// station's row, by the position (m) of the speed-limit record.
struct SheetSpeedRowFacts {
  int32_t position = 0;
  std::string name;  // empty: "Km NNN.NNN"
  bool printKm = true;
  SheetRowFacts row;
};

// A row of the author's own (a tunnel, a river), placed by its position
// after the rows the scenario gives at the same place.
struct SheetExtraRow {
  int32_t position = 0;
  std::string name;
  bool printKm = true;
  SheetRowFacts row;
};

// Every text is in the sheet's code page (Windows-1252, one byte a
// character, as the descriptions are), so that widths count bytes.
struct SheetFacts {
  std::string trainNumber;  // empty: the scenario's
  FactPlace trainNumberPlace;
  std::string from;  // "da:"; empty: the first station's printed name
  FactPlace fromPlace;
  std::string to;  // "a:"; empty: the last station's printed name
  FactPlace toPlace;
  std::string headerSpeed;  // "V160 B"
  FactPlace headerSpeedPlace;
  std::string classification;  // "ESPRESSO"
  FactPlace classificationPlace;
  std::string blockedMass;  // "700T"
  FactPlace blockedMassPlace;
  std::vector<SheetStationFacts> stations;
  std::vector<SheetSpeedRowFacts> speedRows;
  std::vector<SheetExtraRow> extraRows;
};

// How a row's "Orario" cell tells its time.
enum class SheetTimeForm { kNone, kDeparture, kPassing, kArrivalAndDeparture, kArrival };

// One row of the table; an empty optional is a blank cell.
struct SheetRow {
  std::optional<int> speedLimit;
  std::optional<int> marchingSpeed;
  std::optional<int64_t> km;  // metres of the km post
  std::string name;
  SheetTimeForm form = SheetTimeForm::kNone;
  // Seconds since midnight. Departures are the train description's
  // scheduled times; arrival and passing times, in whole minutes, come from
  // the running times when they are given (sheet_times.h).
  std::optional<int32_t> arrival;
  std::optional<int32_t> departure;
  std::optional<int32_t> passing;
  std::string recovery;
  // Where the row comes from, for the diagnostics about it.
  int32_t position = 0;
  FactPlace place;
};

struct TimetableSheet {
  std::string text;  // the whole file, lines ended by CR LF
  std::vector<SheetRow> rows;
  // Errors about the facts ("scenario.toml") and what cannot be printed.
  std::vector<Diagnostic> diagnostics;
};

// The rows of the table, in route order, and what is wrong with the facts;
// with `times`, the arrival and passing times and the marching speeds the
// facts leave out are filled from them.
std::vector<SheetRow> SheetRows(const Scenario& scenario, const SheetFacts& facts,
                                std::vector<Diagnostic>* diagnostics,
                                const running::RunningTime* times = nullptr);

// The sheet of a compiled scenario: its filled pages, then two blank
// template pages.
TimetableSheet DrawTimetableSheet(const Scenario& scenario, const SheetFacts& facts,
                                  const running::RunningTime* times = nullptr);

}  // namespace sb

#endif  // SB_TOOLS_DOCUMENTS_TIMETABLE_SHEET_H_
