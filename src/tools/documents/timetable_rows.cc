#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "model/km_post.h"
#include "tools/common/scenario_features.h"
#include "tools/documents/sheet_cells.h"
#include "tools/documents/sheet_times.h"
#include "tools/documents/timetable_sheet.h"

// The sheet's rows: the stations, the changes of the speed limit and the
// author's own rows, in route order, with what the facts add to them.
namespace sb {
namespace {

using namespace sheet;  // the cells' widths and the facts' errors

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
                                std::vector<Diagnostic>* diagnostics,
                                const running::RunningTime* times) {
  std::vector<SheetRow> rows = RowBuilder(s, facts, diagnostics).Build();
  if (times != nullptr) FillComputedTimes(*times, rows);
  return rows;
}

}  // namespace sb
