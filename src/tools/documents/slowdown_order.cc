#include "tools/documents/slowdown_order.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "model/km_post.h"
#include "tools/common/scenario_features.h"

namespace sb::documents {
namespace {

constexpr const char* kLineEnd = "\r\n";

// The widths of the six cells: N., the stations, the km post, the speed,
// the length, the prescription.
constexpr std::array<std::size_t, 6> kCellWidths = {3, 28, 12, 10, 9, 12};

constexpr const char* kHeading[] = {
    "",
    "                               Modulo M. 3",
    "                           ORDINE DI RALLENTAMENTO",
    " ________________________________________________________________________________",
};
constexpr const char* kTableHead[] = {
    "  _______________________________________________________________________________",
    " |   |                            |Inizio dopo |          |         |            |",
    " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|",
    " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |",
    " |___|____________________________|____________|__________|_________|____________|",
};
constexpr const char* kEmptyRow =
    " |   |                            |            |          |         |            |";
constexpr const char* kBottomRule =
    " |___|____________________________|____________|__________|_________|____________|";

constexpr const char* kLegendTitle = "              Prescrizioni specifiche";
constexpr const char* kLegendA = " A - Da rispettare con tutto il treno (per i treni viaggiatori)";
constexpr const char* kLegendB = " B - Interessa anche la stazione di ";
// The B line of a page with no station in a slowdown: the blank of the
// printed form, dotted as its other lines to be filled are.
constexpr const char* kNoStationWithin = ".........";
constexpr const char* kLegendD = " D - Rallentamneto N. ... e N. ...  sono contigui";
constexpr const char* kLegendC[] = {
    " C - Da rispettare dalle ore ....  alle ore ..... di tutti",
    "     i giorni esclusi i seguenti:.........",
};

// `text` centred in `width`, the odd blank after it; cut at the cell.
std::string Centred(const std::string& text, std::size_t width) {
  if (text.size() >= width) return text.substr(0, width);
  const std::size_t before = (width - text.size()) / 2;
  return std::string(before, ' ') + text + std::string(width - before - text.size(), ' ');
}

// `text` after one blank, filled with blanks; cut at the cell.
std::string LeftAligned(const std::string& text, std::size_t width) {
  std::string cell = " " + text;
  cell.resize(width, ' ');
  return cell;
}

struct PlacedStation {
  int32_t position = 0;
  std::string name;  // as printed
};

std::string PrintedName(const OrderFacts& facts, const std::string& descriptionName) {
  auto found = facts.printedNames.find(descriptionName);
  return found == facts.printedNames.end() ? descriptionName : found->second;
}

// The stations along the line, by position (a station keeps its place
// among others at the same position).
std::vector<PlacedStation> PlacedStations(const Scenario& s, const OrderFacts& facts) {
  std::vector<PlacedStation> out;
  for (const Station& station : Stations(s.items)) {
    const std::string& stored = s.items[static_cast<std::size_t>(station.slot)].text;
    out.push_back({station.position, PrintedName(facts, stored)});
  }
  std::stable_sort(out.begin(), out.end(), [](const PlacedStation& a, const PlacedStation& b) {
    return a.position < b.position;
  });
  return out;
}

std::string Between(const std::vector<PlacedStation>& stations, int64_t start, int64_t end) {
  const PlacedStation* before = nullptr;
  const PlacedStation* after = nullptr;
  for (const PlacedStation& station : stations) {
    if (station.position < start) before = &station;
    if (station.position > end && after == nullptr) after = &station;
  }
  if (before != nullptr && after != nullptr) return before->name + " - " + after->name;
  if (before != nullptr) return before->name;
  if (after != nullptr) return after->name;
  return {};
}

Diagnostic KmPostOutOfRange(const Scenario::SlowdownSource& slowdown, int64_t metres) {
  Diagnostic d;
  d.position = slowdown.start;
  d.file = slowdown.source.file;
  d.line = slowdown.source.line;
  d.column = slowdown.source.column;
  d.record = slowdown.source.record;
  d.message = "the slowdown order cannot print this slowdown's km post, " + FormatKm(metres) +
              ": it lies outside km 0+000 to 999+999";
  d.hint = "check the kilometric progressions of the line description";
  return d;
}

void AddPage(std::string& out, const std::vector<OrderRow>& rows, std::size_t first,
             const std::string& lineName, const std::string& trainNumber) {
  auto line = [&out](const std::string& text) { out.append(text).append(kLineEnd); };
  for (const char* text : kHeading) line(text);
  line("  Linea  " + lineName);
  line("");
  line("  Si ordina al macchinista del treno  " + trainNumber +
       "  di effettuare i seguenti rallentamenti");
  for (const char* text : kTableHead) line(text);
  const std::size_t last = std::min(rows.size(), first + kOrderRowsPerPage);
  for (std::size_t i = first; i < first + kOrderRowsPerPage; ++i) {
    line(i < last ? FormatOrderRow(rows[i]) : kEmptyRow);
  }
  line(kBottomRule);
  line("");
  line(kLegendTitle);
  line(kLegendA);
  bool anyWithin = false;
  for (std::size_t i = first; i < last; ++i) {
    for (const std::string& name : rows[i].stationsWithin) {
      line(kLegendB + name);
      anyWithin = true;
    }
  }
  if (!anyWithin) line(std::string(kLegendB) + kNoStationWithin);
  line(kLegendD);
  for (const char* text : kLegendC) line(text);
}

}  // namespace

std::vector<OrderRow> SlowdownOrderRows(const Scenario& s, const OrderFacts& facts,
                                        std::vector<Diagnostic>* diagnostics) {
  const std::vector<PlacedStation> stations = PlacedStations(s, facts);
  std::vector<OrderRow> rows;
  for (const Scenario::SlowdownSource& slowdown : s.slowdownSources) {
    const int64_t start = slowdown.start;
    const int64_t end = start + slowdown.length;
    OrderRow row;
    row.number = static_cast<int>(rows.size()) + 1;
    row.between = Between(stations, start, end);
    const int64_t metres = KilometricValue(s.items, start);
    if (metres < 0 || metres > 999999) diagnostics->push_back(KmPostOutOfRange(slowdown, metres));
    row.kmPost = metres / 1000;
    row.speed = slowdown.speed;
    row.length = slowdown.length;
    for (const PlacedStation& station : stations) {
      if (station.position >= start && station.position <= end) {
        row.stationsWithin.push_back(station.name);
      }
    }
    const bool wholeTrain = slowdown.wholeTrain != 0;
    const bool within = !row.stationsWithin.empty();
    row.prescription = wholeTrain && within ? kBothPrescriptions
                       : wholeTrain         ? "A"
                       : within             ? "B"
                                            : kNoPrescription;
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string FormatOrderRow(const OrderRow& row) {
  const std::array<std::string, 6> cells = {
      Centred(std::to_string(row.number), kCellWidths[0]),
      LeftAligned(row.between, kCellWidths[1]),
      Centred(std::to_string(row.kmPost), kCellWidths[2]),
      Centred(std::to_string(row.speed), kCellWidths[3]),
      Centred(std::to_string(row.length), kCellWidths[4]),
      Centred(row.prescription, kCellWidths[5]),
  };
  std::string out = " |";
  for (const std::string& cell : cells) out.append(cell).append("|");
  return out;
}

std::string FormatSlowdownOrder(const std::vector<OrderRow>& rows, const std::string& lineName,
                                const std::string& trainNumber) {
  std::string out;
  std::size_t first = 0;
  do {
    AddPage(out, rows, first, lineName, trainNumber);
    first += kOrderRowsPerPage;
  } while (first < rows.size());
  return out;
}

SlowdownOrder BuildSlowdownOrder(const Scenario& s, const OrderFacts& facts) {
  SlowdownOrder order;
  const std::vector<OrderRow> rows = SlowdownOrderRows(s, facts, &order.diagnostics);
  std::string lineName = facts.lineName;
  if (lineName.empty()) {
    const std::vector<PlacedStation> stations = PlacedStations(s, facts);
    if (stations.size() == 1) lineName = stations.front().name;
    if (stations.size() > 1) lineName = stations.front().name + " - " + stations.back().name;
  }
  order.text = FormatSlowdownOrder(rows, lineName, facts.trainNumber);
  return order;
}

}  // namespace sb::documents
