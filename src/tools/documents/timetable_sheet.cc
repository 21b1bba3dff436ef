#include "tools/documents/timetable_sheet.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "model/km_post.h"
#include "tools/common/scenario_features.h"

namespace sb {
namespace {

constexpr const char* kFactsFile = "scenario.toml";

// A page holds 31 row slots; the last is never filled, so that a page ends
// on an empty row above its bottom rule.
constexpr std::size_t kRowSlots = 31;
constexpr std::size_t kRowsPerPage = 30;

// Cell widths of the header and of the table, in characters.
constexpr std::size_t kTrainNumberWidth = 5;
constexpr std::size_t kRouteNameWidth = 22;
constexpr std::size_t kHeaderBoxWidth = 14;
constexpr std::size_t kClassificationWidth = 19;
constexpr std::size_t kBlockedMassWidth = 13;
constexpr std::size_t kPageLabelWidth = 25;
constexpr std::size_t kNameWidth = 27;
constexpr std::size_t kRecoveryWidth = 3;
constexpr int kMaxSpeedInCell = 9999;

// A change of speed limit this close to a station is shown in its row.
constexpr int64_t kStationReach = 200;
constexpr int64_t kMaxKmPost = 999999;

constexpr std::string_view kTableRule =
    " |_____|_____|__________|_____|____________________________|________________|_____|";
constexpr std::string_view kEmptyRow =
    " |     |     |          |     |                            |                |     |";

struct HeaderTexts {
  std::string pageLabel;
  std::string trainNumber;
  std::string from;
  std::string to;
  std::string headerSpeed;
  std::string brakedMass;
  std::string classification;
  std::string blockedMass;
};

// Cut at `width`: the frame never shifts.
std::string Fit(std::string_view text, std::size_t width) {
  std::string out(text.substr(0, width));
  out.resize(width, ' ');
  return out;
}

// An odd blank goes to the right, as the form's own fields have it.
std::string Centred(std::string_view text, std::size_t width) {
  text = text.substr(0, width);
  const std::size_t left = (width - text.size()) / 2;
  return Fit(std::string(left, ' ') + std::string(text), width);
}

// The number's five places: one to three characters keep a blank after
// "n.", as the form's own three do.
std::string TrainNumberField(std::string_view number) {
  number = number.substr(0, kTrainNumberWidth);
  const std::size_t left = (kTrainNumberWidth + 1 - number.size()) / 2;
  return Fit(std::string(left, ' ') + std::string(number), kTrainNumberWidth);
}

std::vector<std::string> HeaderBlock(const HeaderTexts& h) {
  return {
      "  ___________________                                               ______________",
      " |                   |                    " + Fit(h.pageLabel, kPageLabelWidth) +
          "|              |",
      " |   TRENO n." + TrainNumberField(h.trainNumber) + "   |                   da: " +
          Fit(h.from, kRouteNameWidth) + "|" + Centred(h.headerSpeed, kHeaderBoxWidth) + "|",
      " |___________________|                    a: " + Fit(h.to, kRouteNameWidth) + "|" +
          Centred(h.brakedMass, kHeaderBoxWidth) + "|",
      "                                                                   |______________|",
      "  ___________________                ___________________",
      " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ",
      " |" + Centred(h.classification, kClassificationWidth) + "|              |      " +
          Fit(h.blockedMass, kBlockedMassWidth) + "|",
      " |___________________|              |___________________|",
      "",
      "  ________________________________________________________________________________",
      " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |",
      " | Lim.|Marc.|          |  Rs |                            |                |     |",
      std::string(kTableRule),
  };
}

std::string SpeedCell(std::optional<int> speed) {
  if (!speed || *speed < 0 || *speed > kMaxSpeedInCell) return "     ";
  char buf[16];
  std::snprintf(buf, sizeof buf, "%4d ", *speed);
  return buf;
}

std::string KmCell(std::optional<int64_t> km) {
  if (!km || *km < 0 || *km > kMaxKmPost) return "          ";
  char buf[16];
  std::snprintf(buf, sizeof buf, " %03d.%03d  ", static_cast<int>(*km / 1000),
                static_cast<int>(*km % 1000));
  return buf;
}

// "15.27"; a time past midnight as the clock shows it, seconds dropped.
std::string Clock(std::optional<int32_t> seconds) {
  if (!seconds) return "     ";
  constexpr int64_t kDay = 24 * 3600;
  const int64_t of_day = ((int64_t{*seconds} % kDay) + kDay) % kDay;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d.%02d", static_cast<int>(of_day / 3600),
                static_cast<int>(of_day % 3600 / 60));
  return buf;
}

std::string TimeCell(const SheetRow& row) {
  switch (row.form) {
    case SheetTimeForm::kDeparture: return "         " + Clock(row.departure) + "  ";
    case SheetTimeForm::kPassing: return "      " + Clock(row.passing) + "     ";
    case SheetTimeForm::kArrivalAndDeparture:
      return " " + Clock(row.arrival) + " - " + Clock(row.departure) + "  ";
    case SheetTimeForm::kArrival: return " " + Clock(row.arrival) + "          ";
    case SheetTimeForm::kNone: break;
  }
  return std::string(16, ' ');
}

std::string RowLine(const SheetRow& row) {
  const std::string recovery =
      row.recovery.empty() ? "     " : " " + Fit(row.recovery, kRecoveryWidth) + " ";
  return " |" + SpeedCell(row.speedLimit) + "|" + SpeedCell(row.marchingSpeed) + "|" +
         KmCell(row.km) + "|     | " + Fit(row.name, kNameWidth) + "|" + TimeCell(row) + "|" +
         recovery + "|";
}

// One table page: its header, 31 row slots and the bottom rule.
void AppendPage(std::vector<std::string>& lines, const HeaderTexts& header,
                const std::vector<std::string>& rowLines) {
  for (std::string& l : HeaderBlock(header)) lines.push_back(std::move(l));
  for (std::size_t slot = 0; slot < kRowSlots; ++slot) {
    lines.push_back(slot < rowLines.size() ? rowLines[slot] : std::string(kEmptyRow));
  }
  lines.emplace_back(kTableRule);
}

void AppendFullStops(std::vector<std::string>& lines, std::size_t blanksBefore, std::size_t stops,
                     std::size_t blanksAfter) {
  lines.insert(lines.end(), blanksBefore, "");
  lines.emplace_back(stops, '.');
  lines.insert(lines.end(), blanksAfter, "");
}

// The rows of each filled page: at most 30, the last of a page first again
// on the next, so that the player reads on from where he was.
std::vector<std::vector<std::string>> Pages(const std::vector<std::string>& rowLines) {
  std::vector<std::vector<std::string>> pages;
  std::size_t next = 0;
  do {
    std::vector<std::string> page;
    if (!pages.empty()) page.push_back(pages.back().back());
    while (page.size() < kRowsPerPage && next < rowLines.size()) page.push_back(rowLines[next++]);
    pages.push_back(std::move(page));
  } while (next < rowLines.size());
  return pages;
}

Diagnostic FactError(const FactPlace& place, std::string message, std::string hint) {
  Diagnostic d;
  d.file = kFactsFile;
  d.line = place.line;
  d.column = place.line > 0 ? place.column : 0;
  d.message = std::move(message);
  d.hint = std::move(hint);
  return d;
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

void CheckWidth(std::string_view text, std::size_t width, std::string_view what,
                const FactPlace& place, std::vector<Diagnostic>* out) {
  if (text.size() <= width) return;
  out->push_back(FactError(
      place,
      std::string(what) + " " + Quoted(text) + " has " + std::to_string(text.size()) +
          " characters; its cell holds " + std::to_string(width),
      "shorten it to " + std::to_string(width) + " characters: the sheet cuts it at its cell"));
}

// A name the header takes from a station is told as the station's, since
// the author wrote no name for the header.
void CheckRouteName(std::string_view name, bool given, std::string_view label,
                    std::string_view which, const FactPlace& place, std::vector<Diagnostic>* out) {
  if (given) {
    CheckWidth(name, kRouteNameWidth, "the name after " + std::string(label), place, out);
    return;
  }
  if (name.size() <= kRouteNameWidth) return;
  out->push_back(FactError(place,
                           "the " + std::string(which) + " station's name " + Quoted(name) +
                               ", which the header prints after " + std::string(label) + ", has " +
                               std::to_string(name.size()) + " characters; its cell holds " +
                               std::to_string(kRouteNameWidth),
                           "give the header a name of at most " + std::to_string(kRouteNameWidth) +
                               " characters in scenario.toml"));
}

void CheckRowFacts(const SheetRowFacts& facts, std::string_view rowName,
                   std::vector<Diagnostic>* out) {
  if (facts.marchingSpeed && (*facts.marchingSpeed < 0 || *facts.marchingSpeed > kMaxSpeedInCell)) {
    out->push_back(FactError(facts.place,
                             "the marching speed " + std::to_string(*facts.marchingSpeed) +
                                 " km/h of the row " + Quoted(rowName) +
                                 " does not fit its cell (0 to 9999)",
                             ""));
  }
  CheckWidth(facts.recovery, kRecoveryWidth, "the recovery", facts.place, out);
}

void ApplyRowFacts(const SheetRowFacts& facts, SheetRow& row) {
  row.marchingSpeed = facts.marchingSpeed;
  row.recovery = facts.recovery;
  row.place = facts.place;
}

struct SpeedChange {
  int32_t position = 0;
  int speed = 0;
};

// The changes of the train's speed limit along the grid, with the limit in
// force at the start. A run of cells keeps one limit (5 km/h steps).
std::vector<SpeedChange> SpeedChanges(const Scenario& s) {
  std::vector<SpeedChange> out;
  for (const Run& run :
       Runs(s.cells, s.cells.size(), [](const TrackCell& c) { return c.speedLimit; })) {
    out.push_back({static_cast<int32_t>(run.from * kCellLength), run.value * 5});
  }
  return out;
}

const SheetStationFacts* StationFactsFor(const SheetFacts& facts, std::string_view name) {
  for (const SheetStationFacts& f : facts.stations) {
    if (f.descriptionName == name) return &f;
  }
  return nullptr;
}

// The facts' row for the change at `position`: the record's position lies
// in the change's cell, so within one cell length of it.
const SheetSpeedRowFacts* SpeedRowFactsFor(const SheetFacts& facts, int32_t position) {
  const SheetSpeedRowFacts* best = nullptr;
  for (const SheetSpeedRowFacts& f : facts.speedRows) {
    const int64_t distance = std::llabs(int64_t{f.position} - position);
    if (distance >= kCellLength) continue;
    if (best == nullptr || distance < std::llabs(int64_t{best->position} - position)) best = &f;
  }
  return best;
}

std::string KmName(int64_t km) {
  return "Km " + (km >= 0 && km <= kMaxKmPost ? KmCell(km).substr(1, 7) : std::to_string(km));
}

struct PlacedRow {
  SheetRow row;
  int order = 0;  // at one position: a station's own row, then a change, then the author's
};

// Gathers the rows in the order they are found, then puts them in route
// order; it keeps which facts found their row, so that those that found
// none are told.
class RowBuilder {
 public:
  RowBuilder(const Scenario& s, const SheetFacts& facts, std::vector<Diagnostic>* diagnostics)
      : s_(s),
        facts_(facts),
        diagnostics_(diagnostics),
        stations_(Stations(s.items)),
        stationHasLimit_(stations_.size(), false),
        stationFactUsed_(facts.stations.size(), false),
        speedFactUsed_(facts.speedRows.size(), false) {}

  std::vector<SheetRow> Build() {
    for (std::size_t i = 0; i < stations_.size(); ++i) AddStation(i);
    if (!stations_.empty()) {
      for (const SpeedChange& change : SpeedChanges(s_)) {
        if (!AddSpeedChange(change)) break;
      }
    }
    for (const SheetExtraRow& extra : facts_.extraRows) AddExtraRow(extra);
    TellUnusedFacts();
    return InRouteOrder();
  }

 private:
  void AddStation(std::size_t i) {
    const Station& st = stations_[i];
    const std::string& described = s_.items[static_cast<std::size_t>(st.slot)].text;
    SheetRow row;
    row.position = st.position;
    row.km = KilometricValue(s_.items, st.position);
    row.name = described;
    if (const SheetStationFacts* f = StationFactsFor(facts_, described)) {
      stationFactUsed_[static_cast<std::size_t>(f - facts_.stations.data())] = true;
      if (!f->printedName.empty()) row.name = f->printedName;
      ApplyRowFacts(f->row, row);
      CheckRowFacts(f->row, row.name, diagnostics_);
      CheckWidth(row.name, kNameWidth, "the printed name", f->row.place, diagnostics_);
    } else if (described.size() > kNameWidth) {
      Diagnostic d = FactError(
          {},
          "the station name " + Quoted(described) + " has " + std::to_string(described.size()) +
              " characters; its cell holds " + std::to_string(kNameWidth),
          "give the station a printed name of at most " + std::to_string(kNameWidth) +
              " characters in scenario.toml: the sheet cuts it at its cell");
      d.position = st.position;
      diagnostics_->push_back(std::move(d));
    }
    // The scheduled time of the train description is a departure; the
    // last station's is when the train arrives there.
    const std::optional<int32_t> scheduled =
        st.timed ? std::optional<int32_t>(s_.items[static_cast<std::size_t>(st.slot)].seconds)
                 : std::nullopt;
    if (i == 0) {
      row.form = SheetTimeForm::kDeparture;
      row.departure = scheduled;
    } else if (i + 1 == stations_.size()) {
      row.form = SheetTimeForm::kArrival;
      row.arrival = scheduled;
    } else if (st.timed) {
      row.form = SheetTimeForm::kArrivalAndDeparture;
      row.departure = scheduled;
    } else {
      row.form = SheetTimeForm::kPassing;
    }
    placed_.push_back({std::move(row), 0});
  }

  // False once the change lies past the route: the limit in force where the
  // train departs is shown in the first row, changes before it are not on
  // the route, nor those past the last station's reach (where the grid's
  // end drops to 0).
  bool AddSpeedChange(const SpeedChange& change) {
    if (change.position <= stations_.front().position) {
      placed_.front().row.speedLimit = change.speed;
      stationHasLimit_.front() = true;
      return true;
    }
    if (change.position > int64_t{stations_.back().position} + kStationReach) return false;
    if (std::optional<std::size_t> near = StationWithin200m(change.position)) {
      placed_[*near].row.speedLimit = change.speed;
      stationHasLimit_[*near] = true;
      return true;
    }
    SheetRow row;
    row.position = change.position;
    row.speedLimit = change.speed;
    const int64_t km = KilometricValue(s_.items, change.position);
    row.km = km;
    row.name = KmName(km);
    if (const SheetSpeedRowFacts* f = SpeedRowFactsFor(facts_, change.position)) {
      speedFactUsed_[static_cast<std::size_t>(f - facts_.speedRows.data())] = true;
      if (!f->name.empty()) row.name = f->name;
      if (!f->printKm) row.km.reset();
      ApplyRowFacts(f->row, row);
      CheckRowFacts(f->row, row.name, diagnostics_);
      CheckWidth(row.name, kNameWidth, "the row name", f->row.place, diagnostics_);
    }
    placed_.push_back({std::move(row), 1});
    return true;
  }

  // The nearest station within reach whose row shows no change yet: a row
  // has one speed-limit cell, so a second change near it gets its own row.
  std::optional<std::size_t> StationWithin200m(int32_t position) const {
    std::optional<std::size_t> nearest;
    int64_t nearestDistance = 0;
    for (std::size_t i = 0; i < stations_.size(); ++i) {
      const int64_t distance = std::llabs(int64_t{stations_[i].position} - position);
      if (distance > kStationReach || stationHasLimit_[i]) continue;
      if (!nearest || distance < nearestDistance) {
        nearest = i;
        nearestDistance = distance;
      }
    }
    return nearest;
  }

  void AddExtraRow(const SheetExtraRow& extra) {
    SheetRow row;
    row.position = extra.position;
    row.name = extra.name;
    if (extra.printKm) row.km = KilometricValue(s_.items, extra.position);
    ApplyRowFacts(extra.row, row);
    CheckRowFacts(extra.row, row.name, diagnostics_);
    CheckWidth(row.name, kNameWidth, "the row name", extra.row.place, diagnostics_);
    placed_.push_back({std::move(row), 2});
  }

  void TellUnusedFacts() {
    for (std::size_t i = 0; i < facts_.stations.size(); ++i) {
      if (stationFactUsed_[i]) continue;
      diagnostics_->push_back(FactError(facts_.stations[i].row.place,
                                        "no station of the train description is named " +
                                            Quoted(facts_.stations[i].descriptionName),
                                        "name the station as its station record does"));
    }
    for (std::size_t i = 0; i < facts_.speedRows.size(); ++i) {
      if (speedFactUsed_[i]) continue;
      Diagnostic d =
          FactError(facts_.speedRows[i].row.place,
                    "no change of the speed limit at " +
                        std::to_string(facts_.speedRows[i].position) + " m has a row of its own",
                    "give the position of a speed-limit record more than 200 m from every station");
      d.position = facts_.speedRows[i].position;
      diagnostics_->push_back(std::move(d));
    }
  }

  std::vector<SheetRow> InRouteOrder() {
    std::stable_sort(placed_.begin(), placed_.end(), [](const PlacedRow& a, const PlacedRow& b) {
      if (a.row.position != b.row.position) return a.row.position < b.row.position;
      return a.order < b.order;
    });
    std::vector<SheetRow> rows;
    rows.reserve(placed_.size());
    for (PlacedRow& p : placed_) {
      if (p.row.km && (*p.row.km < 0 || *p.row.km > kMaxKmPost)) {
        Diagnostic d = FactError(p.row.place,
                                 "the km post of the row " + Quoted(p.row.name) + " is " +
                                     FormatKm(*p.row.km) + ", outside 0.000 to 999.999",
                                 "the sheet's cell holds km posts from 0.000 to 999.999: check "
                                 "the kilometric progressions of the line");
        d.position = p.row.position;
        diagnostics_->push_back(std::move(d));
      }
      rows.push_back(std::move(p.row));
    }
    return rows;
  }

  const Scenario& s_;
  const SheetFacts& facts_;
  std::vector<Diagnostic>* diagnostics_;
  const std::vector<Station> stations_;
  std::vector<PlacedRow> placed_;
  std::vector<bool> stationHasLimit_;
  std::vector<bool> stationFactUsed_;
  std::vector<bool> speedFactUsed_;
};

}  // namespace

std::vector<SheetRow> SheetRows(const Scenario& s, const SheetFacts& facts,
                                std::vector<Diagnostic>* diagnostics) {
  return RowBuilder(s, facts, diagnostics).Build();
}

TimetableSheet DrawTimetableSheet(const Scenario& s, const SheetFacts& facts) {
  TimetableSheet sheet;
  sheet.rows = SheetRows(s, facts, &sheet.diagnostics);

  HeaderTexts header;
  header.trainNumber = facts.trainNumber.empty() ? s.trainNumber : facts.trainNumber;
  if (header.trainNumber.size() > kTrainNumberWidth) {
    sheet.diagnostics.push_back(FactError(facts.trainNumberPlace,
                                          "the train number " + Quoted(header.trainNumber) +
                                              " has " + std::to_string(header.trainNumber.size()) +
                                              " characters; the sheet's cell holds 5",
                                          "give the train a number of 1 to 5 characters"));
  }
  // Without names of its own the header names the first and last stations
  // as the rows print them.
  const auto nameOf = [&](SheetTimeForm form) {
    for (const SheetRow& row : sheet.rows) {
      if (row.form == form) return row.name;
    }
    return std::string();
  };
  header.from = facts.from.empty() ? nameOf(SheetTimeForm::kDeparture) : facts.from;
  header.to = facts.to.empty() ? nameOf(SheetTimeForm::kArrival) : facts.to;
  header.headerSpeed = facts.headerSpeed;
  header.brakedMass = std::to_string(s.items[kSlotTotals].start) + "%";
  header.classification = facts.classification;
  header.blockedMass = facts.blockedMass;
  CheckRouteName(header.from, !facts.from.empty(), "\"da:\"", "first", facts.fromPlace,
                 &sheet.diagnostics);
  CheckRouteName(header.to, !facts.to.empty(), "\"a:\"", "last", facts.toPlace, &sheet.diagnostics);
  CheckWidth(header.headerSpeed, kHeaderBoxWidth, "the header's speed", facts.headerSpeedPlace,
             &sheet.diagnostics);
  CheckWidth(header.classification, kClassificationWidth, "the classification",
             facts.classificationPlace, &sheet.diagnostics);
  CheckWidth(header.blockedMass, kBlockedMassWidth, "the blocked mass", facts.blockedMassPlace,
             &sheet.diagnostics);

  std::vector<std::string> rowLines;
  rowLines.reserve(sheet.rows.size());
  for (const SheetRow& row : sheet.rows) rowLines.push_back(RowLine(row));
  const std::vector<std::vector<std::string>> pages = Pages(rowLines);

  std::vector<std::string> lines = {"", ""};
  for (std::size_t k = 0; k < pages.size(); ++k) {
    header.pageLabel = "SCHEDA " + std::to_string(k + 1) + "/" + std::to_string(pages.size());
    AppendPage(lines, header, pages[k]);
    if (k == 0) {
      AppendFullStops(lines, 3, 81, 2);
    } else {
      AppendFullStops(lines, 3, 72, 1);
    }
  }
  const HeaderTexts blank{"SCHEDA 0/0", "xxxxx", "xxxxxx", "xxxxxx",
                          "Vxxx C",     "xxx%",  "xxx",    "xxxT"};
  AppendPage(lines, blank, {});
  AppendFullStops(lines, 2, 72, 1);
  AppendPage(lines, blank, {});
  lines.emplace_back();

  for (const std::string& line : lines) sheet.text.append(line).append("\r\n");
  return sheet;
}

}  // namespace sb
