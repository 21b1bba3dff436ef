// The timetable sheet drawn from a compiled scenario: its rows and pages on
// small routes, and the built-in scenario's sheet against the literal one.
#include "tools/documents/timetable_sheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "content/content.h"
#include "test_support.h"
#include "tools/documents/sheet_times.h"

namespace sb {
namespace {

using testing::CompileTexts;
using testing::Crlf;

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = text.find("\r\n", at);
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

// A timed station (hour and minute not both 0) or an untimed one.
std::string StationRecord(int position, const std::string& name, int hour = 0, int minute = 0) {
  return "stazione, " + std::to_string(position) + ", 12, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 60, " +
         std::to_string(hour) + ", " + std::to_string(minute) + ", 0, " + name;
}

// A line of 241 km whose km posts begin at `kmAtStart` m, and a train of
// braked mass 90% with the records given.
Scenario CompileRoute(const std::vector<std::string>& trainRecords, int kmAtStart = 111000) {
  const std::string line =
      Crlf({"[generale]", "lunghezza percorso, 241000",
            "progressiva chilometrica uno, 0, " + std::to_string(kmAtStart) + ", 0", "[curve]"});
  std::string train = Crlf({"[generale]", "percentuale massa frenata, 90"});
  for (const std::string& r : trainRecords) train += r + "\r\n";
  train += "[fine]\r\n";
  testing::Compiled c = CompileTexts(line, train);
  for (const Diagnostic& d : c.scenario.diagnostics) {
    EXPECT_TRUE(d.is_warning()) << d.message;
  }
  return std::move(c.scenario);
}

// `count` untimed stations 2 km apart, the first timed at 8.00.
std::vector<std::string> StationsEvery2Km(int count) {
  std::vector<std::string> records = {"velocita, 0, 100"};
  for (int i = 0; i < count; ++i) {
    std::string name = "S";  // (prefixing a temporary trips a false -Wrestrict)
    name += std::to_string(i);
    records.push_back(StationRecord(1000 + 2000 * i, name, i == 0 ? 8 : 0));
  }
  return records;
}

std::string Messages(const std::vector<Diagnostic>& diagnostics) {
  std::string out;
  for (const Diagnostic& d : diagnostics) {
    out += d.file + ":" + std::to_string(d.line) + ":" + std::to_string(d.column) + ": " +
           d.message + "\n";
  }
  return out;
}

// The table rows of the filled pages, as printed.
std::vector<std::string> RowLines(const std::vector<std::string>& lines) {
  std::vector<std::string> rows;
  for (const std::string& l : lines) {
    const bool framed = l.size() == 83 && l[1] == '|' && l[7] == '|' && l[13] == '|';
    if (framed && l.find("Vel.") == std::string::npos && l.find("Lim.") == std::string::npos &&
        l.find("_____") == std::string::npos) {
      rows.push_back(l);
    }
  }
  return rows;
}

TEST(TimetableSheet, RowsTellStationsTimesAndSpeedChanges) {
  const Scenario s = CompileRoute({
      "velocita, 0, 100",
      "velocita, 2900, 120",  // 100 m before B: in B's row
      "velocita, 4000, 90",   // a row of its own, named by its km post
      "velocita, 6000, 80",   // a row the facts name, its km post not printed
      StationRecord(1000, "A", 15, 0),
      StationRecord(3000, "B"),
      StationRecord(5000, "C", 15, 10),
      StationRecord(7000, "D", 15, 20),
  });
  SheetFacts facts;
  facts.stations = {{"B", "", {110, "0.5", {}}}, {"C", "CHARLIE", {}}};
  facts.speedRows = {{6000, "Segnale", false, {75, "", {}}}};
  facts.extraRows = {{6500, "Ponte", true, {}}};
  const TimetableSheet sheet = DrawTimetableSheet(s, facts);
  EXPECT_EQ(Messages(sheet.diagnostics), "");

  const std::vector<std::string> expected = {
      " | 100 |     | 112.000  |     | A                          |         15.00  |     |",
      " | 120 | 110 | 114.000  |     | B                          |                | 0.5 |",
      " |  90 |     | 115.000  |     | Km 115.000                 |                |     |",
      " |     |     | 116.000  |     | CHARLIE                    |       - 15.10  |     |",
      " |  80 |  75 |          |     | Segnale                    |                |     |",
      " |     |     | 117.500  |     | Ponte                      |                |     |",
      " |     |     | 118.000  |     | D                          | 15.20          |     |",
  };
  const std::vector<std::string> lines = SplitLines(sheet.text);
  const std::vector<std::string> rows = RowLines(lines);
  ASSERT_GE(rows.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(rows[i], expected[i]) << i;
  EXPECT_EQ(lines[3],
            " |                   |                    SCHEDA 1/1               |              |");
  EXPECT_EQ(lines[4],
            " |   TRENO n.  1     |                   da: A                     |              |");
  EXPECT_EQ(lines[5],
            " |___________________|                    a: D                     |     90%      |");
}

// The seam the running-time calculation fills: its times stand in the
// forms the stations already have.
TEST(TimetableSheet, ArrivalAndPassingTimesFillTheirForms) {
  SheetRow row;
  row.name = "X";
  row.form = SheetTimeForm::kArrivalAndDeparture;
  row.arrival = 15 * 3600 + 26 * 60;
  row.departure = 15 * 3600 + 27 * 60 + 59;  // seconds are dropped
  const Scenario s = CompileRoute({"velocita, 0, 100", StationRecord(1000, "A", 15, 27),
                                   StationRecord(3000, "B"), StationRecord(5000, "C", 15, 40)});
  std::vector<Diagnostic> diagnostics;
  std::vector<SheetRow> rows = SheetRows(s, {}, &diagnostics);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].departure, 15 * 3600 + 27 * 60);
  EXPECT_EQ(rows[1].form, SheetTimeForm::kPassing);
  EXPECT_FALSE(rows[1].passing);
  EXPECT_EQ(rows[2].arrival, 15 * 3600 + 40 * 60);
}

// A timetable prints whole minutes: the nearest, halves up; an arrival
// never before the previous row's time and always before the departure.
TEST(TimetableSheet, ComputedTimesRoundToWholeMinutes) {
  struct Case {
    double seconds;
    std::optional<int64_t> previous;
    int64_t nearest;
    int64_t arrival;  // at a stop left at minute 100
  };
  const Case cases[] = {
      {95 * 60 + 29.9, std::nullopt, 95, 95},
      {95 * 60 + 30.0, std::nullopt, 96, 96},
      {99 * 60 + 10.0, std::nullopt, 99, 99},
      {99 * 60 + 30.0, std::nullopt, 100, 99},
      {101 * 60 + 0.0, std::nullopt, 101, 99},
      {90 * 60 + 0.0, int64_t{93}, 90, 93},
      {-29.0, std::nullopt, 0, 0},
      {24 * 3600 + 30.0, std::nullopt, 1441, 99},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seconds);
    EXPECT_EQ(sheet::NearestMinute(c.seconds), c.nearest);
    EXPECT_EQ(sheet::ArrivalMinute(c.seconds, c.previous, 100), c.arrival);
  }
}

// The rows take the computed times: a passing time never earlier than the
// row before it, a timed stop's arrival before its departure, the last
// station's arrival; the marching speed where the facts give none is the
// run's highest speed up to the next limit, down to 5 km/h.
TEST(TimetableSheet, ComputedTimesAndMarchingSpeedsFillTheRows) {
  const Scenario s = CompileRoute({"velocita, 0, 100", "velocita, 4000, 90",
                                   StationRecord(1000, "A", 15, 0), StationRecord(3000, "B"),
                                   StationRecord(5000, "C", 15, 10), StationRecord(7000, "D")});
  running::RunningTime times;
  const auto station = [](int32_t position, double time) {
    running::TimingRow r;
    r.position = position;
    r.time = time;
    return r;
  };
  times.rows = {station(1000, 15 * 3600), station(3000, 15 * 3600 - 10),
                station(5000, 15 * 3600 + 9 * 60 + 50), station(7000, 15 * 3600 + 20 * 60 + 29)};
  for (int p = 1000; p <= 7000; p += 50) {
    times.curve.push_back(
        {static_cast<double>(p), 0, p < 4000 ? 27.0 : (p < 6500 ? 24.9 : 8.0), 0});
  }
  SheetFacts facts;
  facts.stations = {{"A", "", {70, "", {}}}};
  std::vector<Diagnostic> diagnostics;
  const TimetableSheet sheet = DrawTimetableSheet(s, facts, &times);
  const std::vector<std::string> expected = {
      " | 100 |  70 | 112.000  |     | A                          |         15.00  |     |",
      " |     |     | 114.000  |     | B                          |      15.00     |     |",
      " |  90 |  85 | 115.000  |     | Km 115.000                 |                |     |",
      " |     |     | 116.000  |     | C                          | 15.09 - 15.10  |     |",
      " |     |     | 118.000  |     | D                          | 15.20          |     |",
  };
  const std::vector<std::string> rows = RowLines(SplitLines(sheet.text));
  ASSERT_GE(rows.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(rows[i], expected[i]) << i;

  // Across midnight the computed times count on; the scheduled ones do not.
  const Scenario night =
      CompileRoute({"velocita, 0, 100", StationRecord(1000, "A", 23, 50),
                    StationRecord(3000, "B", 0, 1), StationRecord(5000, "C", 0, 20)});
  times.rows = {station(1000, 23 * 3600 + 50 * 60), station(3000, 23 * 3600 + 58 * 60 + 50),
                station(5000, 24 * 3600 + 20 * 60)};
  const std::vector<std::string> nightRows =
      RowLines(SplitLines(DrawTimetableSheet(night, {}, &times).text));
  ASSERT_GE(nightRows.size(), 3u);
  EXPECT_EQ(nightRows[1],
            " |     |     | 114.000  |     | B                          | 23.59 - 00.01  |     |");
  EXPECT_EQ(nightRows[2],
            " |     |     | 116.000  |     | C                          | 00.20          |     |");
}

TEST(TimetableSheet, TextsTooLongForTheirCellsAreCutAndTold) {
  const Scenario shortNames =
      CompileRoute({"velocita, 0, 100", StationRecord(1000, "A", 15, 0), StationRecord(3000, "B"),
                    StationRecord(5000, "D", 15, 20)});
  const Scenario longName = CompileRoute({"velocita, 0, 100", StationRecord(1000, "A", 15, 0),
                                          StationRecord(3000, "A STATION NAME OF TWENTY-EIGHT"),
                                          StationRecord(5000, "D", 15, 20)});
  struct Case {
    const char* what;
    const Scenario* scenario;
    SheetFacts facts;
    std::string line;     // a line of the sheet that shows the cut
    std::string message;  // the diagnostic, "" for none
  };
  const auto with = [](auto change) {
    SheetFacts f;
    change(f);
    return f;
  };
  const std::vector<Case> cases = {
      {"a five-character train number", &shortNames,
       with([](SheetFacts& f) { f.trainNumber = "12345"; }),
       " |   TRENO n.12345   |                   da: A                     |              |", ""},
      {"a six-character train number", &shortNames, with([](SheetFacts& f) {
         f.trainNumber = "123456";
         f.trainNumberPlace = {2, 10};
       }),
       " |   TRENO n.12345   |                   da: A                     |              |",
       "scenario.toml:2:10: the train number \"123456\" has 6 characters; the sheet's cell holds "
       "5\n"},
      {"a route name of 23 characters", &shortNames, with([](SheetFacts& f) {
         f.from = "Rimini Centrale Marina!";
         f.fromPlace = {3, 8};
       }),
       " |   TRENO n.  1     |                   da: Rimini Centrale Marina|              |",
       "scenario.toml:3:8: the name after \"da:\" \"Rimini Centrale Marina!\" has 23 characters; "
       "its cell holds 22\n"},
      {"a classification of 20 characters", &shortNames,
       with([](SheetFacts& f) { f.classification = "ESPRESSO INTERREGION"; }),
       " |ESPRESSO INTERREGIO|              |                   |",
       "scenario.toml:0:0: the classification \"ESPRESSO INTERREGION\" has 20 characters; its "
       "cell holds 19\n"},
      {"a description's station name of 30 characters", &longName, SheetFacts{},
       " |     |     | 114.000  |     | A STATION NAME OF TWENTY-EI|                |     |",
       "scenario.toml:0:0: the station name \"A STATION NAME OF TWENTY-EIGHT\" has 30 "
       "characters; its cell holds 27\n"},
      {"the same with a printed name", &longName, with([](SheetFacts& f) {
         f.stations = {{"A STATION NAME OF TWENTY-EIGHT", "B", {}}};
       }),
       " |     |     | 114.000  |     | B                          |                |     |", ""},
      {"a printed name of 28 characters", &shortNames, with([](SheetFacts& f) {
         f.stations = {{"B", "PESCARA CENTRALE E PORTANUOV", {{}, "", {9, 1}}}};
       }),
       " |     |     | 114.000  |     | PESCARA CENTRALE E PORTANUO|                |     |",
       "scenario.toml:9:1: the printed name \"PESCARA CENTRALE E PORTANUOV\" has 28 characters; "
       "its cell holds 27\n"},
      {"a last station's name too long for the header", &shortNames, with([](SheetFacts& f) {
         f.stations = {{"D", "PESCARA CENTRALE PORTANUOVA", {}}};
       }),
       " |___________________|                    a: PESCARA CENTRALE PORTA|     90%      |",
       "scenario.toml:0:0: the last station's name \"PESCARA CENTRALE PORTANUOVA\", which the "
       "header prints after \"a:\", has 27 characters; its cell holds 22\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const TimetableSheet sheet = DrawTimetableSheet(*c.scenario, c.facts);
    const std::vector<std::string> lines = SplitLines(sheet.text);
    EXPECT_NE(std::find(lines.begin(), lines.end(), c.line), lines.end()) << sheet.text;
    EXPECT_EQ(Messages(sheet.diagnostics), c.message);
    for (const std::string& l : lines) EXPECT_LE(l.size(), 83u) << l;
  }
}

TEST(TimetableSheet, FactsThatNameNothingAndKmPostsOutOfRangeAreTold) {
  const Scenario s = CompileRoute(
      {"velocita, 0, 100", StationRecord(1000, "A", 8, 0), StationRecord(3000, "B")}, 998000);
  SheetFacts facts;
  facts.stations = {{"Z", "ZETA", {{}, "", {4, 1}}}};
  facts.speedRows = {{2000, "Nothing", true, {{}, "", {6, 1}}}};
  const TimetableSheet sheet = DrawTimetableSheet(s, facts);
  EXPECT_EQ(Messages(sheet.diagnostics),
            "scenario.toml:4:1: no station of the train description is named \"Z\"\n"
            "scenario.toml:6:1: no change of the speed limit at 2000 m has a row of its own\n"
            "scenario.toml:0:0: the km post of the row \"B\" is km 1001+000, outside 0.000 to "
            "999.999\n");
  EXPECT_EQ(sheet.diagnostics.back().position, 3000);
  EXPECT_EQ(RowLines(SplitLines(sheet.text))[1],
            " |     |     |          |     | B                          |                |     |");
}

TEST(TimetableSheet, RowsBeyondAPageContinueOnFurtherPages) {
  struct Case {
    int stations;
    std::vector<std::size_t> rowsPerPage;  // filled rows of each page, the repeated one counted
  };
  for (const Case& c : std::vector<Case>{{1, {1}},
                                         {30, {30}},
                                         {31, {30, 2}},
                                         {59, {30, 30}},
                                         {60, {30, 30, 2}},
                                         {70, {30, 30, 12}}}) {
    SCOPED_TRACE(c.stations);
    const TimetableSheet sheet = DrawTimetableSheet(CompileRoute(StationsEvery2Km(c.stations)), {});
    EXPECT_EQ(Messages(sheet.diagnostics), "");
    const std::vector<std::string> lines = SplitLines(sheet.text);
    const std::size_t pages = c.rowsPerPage.size();
    // Two empty lines, each page's 46 and the lines after it, two templates.
    ASSERT_EQ(lines.size(), 2 + pages * 46 + 6 + (pages - 1) * 5 + 46 + 4 + 46 + 1);
    std::size_t at = 2;
    std::string lastRow;
    for (std::size_t k = 0; k < pages; ++k) {
      const std::string label = "SCHEDA " + std::to_string(k + 1) + "/" + std::to_string(pages);
      EXPECT_NE(lines[at + 1].find(label), std::string::npos) << lines[at + 1];
      const std::size_t firstRow = at + 14;
      if (k > 0) {
        EXPECT_EQ(lines[firstRow], lastRow);
      }
      for (std::size_t slot = 0; slot < 31; ++slot) {
        const bool filled = slot < c.rowsPerPage[k];
        EXPECT_EQ(lines[firstRow + slot].find(" | S") == std::string::npos, !filled) << slot;
      }
      lastRow = lines[firstRow + c.rowsPerPage[k] - 1];
      EXPECT_EQ(lines[firstRow + 31].substr(0, 9), " |_____|_");
      const std::size_t stops = k == 0 ? 81 : 72;
      EXPECT_EQ(lines[firstRow + 35], std::string(stops, '.'));
      at = firstRow + 32 + 3 + 1 + (k == 0 ? 2 : 1);
    }
    // The last station comes once, in the last page's last filled row.
    EXPECT_NE(lastRow.find("S" + std::to_string(c.stations - 1) + " "), std::string::npos);
    // The two template pages are the built-in sheet's, byte for byte.
    const std::vector<std::string_view>& builtIn = content::Lines(content::Document::kSheet);
    for (std::size_t i = 0; i < 97; ++i) {
      EXPECT_EQ(lines[lines.size() - 97 + i], builtIn[builtIn.size() - 1 - 97 + i]) << i;
    }
  }
}

// --- the built-in scenario against its literal sheet ------------------------

// What the built-in sheet prints and the descriptions do not hold, as the
// example project gives it.
SheetFacts BuiltInFacts() {
  SheetFacts f;
  f.trainNumber = "911";
  f.from = "Rimini";
  f.to = "Pescara Centrale";
  f.headerSpeed = "V160 B";
  f.classification = "ESPRESSO";
  f.blockedMass = "700T";
  const auto row = [](std::optional<int> marching, const char* recovery) {
    return SheetRowFacts{marching, recovery, {}};
  };
  f.stations = {
      {"RIMINI", "", row(70, "")},
      {"RIMINI MIRAMARE", "", row({}, "0.5")},
      {"RICCIONE", "", row({}, "1.0")},
      {"MISANO", "", row({}, "0.5")},
      {"CATTOLICA", "", row({}, "0.5")},
      {"FANO", "", row({}, "1.0")},
      {"MAROTTA", "", row({}, "0.5")},
      {"SENIGALLIA", "", row({}, "0.5")},
      {"MONTEMARCIANO", "", row({}, "0.5")},
      {"FALCONARA", "", row({}, "0.5")},
      {"PALOMBINA", "", row(130, "0.5")},
      {"ANCONA", "", row({}, "1.0")},
      {"VARANO", "", row({}, "0.5")},
      {"LORETO", "", row({}, "0.5")},
      {"POTENZA PICENA", "", row({}, "0.5")},
      {"CIVITANOVA MARCHE-MONTEGRANARO", "CIVITANOVA MARCHE", row({}, "0.5")},
      {"PORTO SAN GIORGIO", "PORTO S.GIORGIO", row({}, "0.5")},
      {"PEDASO", "", row({}, "0.5")},
      {"GROTTAMMARE", "", row({}, "0.5")},
      {"SAN BENEDETTO", "SAN BENEDETTO DEL TRONTO", row({}, "")},
      {"PORTO D'ASCOLI", "P.ASCOLI", row({}, "")},
      {"ALBA ADRIATICA", "", row({}, "0.5")},
      {"TORTORETO", "", row({}, "1.0")},
      {"GIULIANOVA", "", row(115, "")},
      {"ROSETO", "", row({}, "1.0")},
      {"SILVI", "", row(130, "1.0")},
      {"MONTESILVANO", "", row({}, "1.5")},
      {"PESCARA CENTRALE", "", row(65, "1.0")},
  };
  f.speedRows = {
      {2950, "Cippo Km 114.000", true, row(150, "")},
      {20950, "Cippo Km 132.000", true, row(105, "")},
      {35950, "Cippo Km 147.000", true, row(150, "")},
      {92050, "Segn.Avv. Ancona", false, row(70, "")},
      {93300, "Imb.Nord Gall. Km 204.359", true, row(100, "")},
      {97550, "Km 208.500", true, row(130, "")},
      {108950, "Cippo Km 220.000", true, row(150, "")},
      {115000, "Segn.Prot. Loreto", false, row(130, "")},
      {117550, "Km 228.604", true, row(140, "")},
      {135000, "Cippo Km 246.000", true, row(130, "")},
      {137000, "Cippo Km 248.000", true, row(140, "")},
      {161200, "Dev.I. Pedaso", false, row(125, "")},
      {163150, "Torrente Campofilone", true, row(145, "")},
      {190050, "Segn.Avv. Alba Adriatica", false, row(135, "")},
      {192450, "Km 303.510", true, row(140, "")},
      {203300, "Torrente Tordino", true, row(140, "")},
      {212450, "Km 323.402", true, row(135, "")},
      {214950, "Cippo Km 326.000", true, row(140, "")},
      {224000, "Km 335.000", true, row({}, "")},
      {230450, "Km 341.500", true, row(140, "")},
      {234500, "Km 345.557", true, row(150, "")},
      {237000, "Cippo Km 348.000", true, row(110, "")},
  };
  return f;
}

// A row's cells as printed: limit, marching, km, Rs, name, time, rec.
std::vector<std::string> RawCells(const std::string& row) {
  std::vector<std::string> cells;
  std::stringstream in(row.substr(2));
  std::string cell;
  while (std::getline(in, cell, '|')) cells.push_back(cell);
  return cells;
}

// The same, blanks trimmed.
std::vector<std::string> Cells(const std::string& row) {
  std::vector<std::string> cells = RawCells(row);
  for (std::string& cell : cells) {
    const std::size_t b = cell.find_first_not_of(' ');
    const std::size_t e = cell.find_last_not_of(' ');
    cell = b == std::string::npos ? "" : cell.substr(b, e - b + 1);
  }
  return cells;
}

// Metres of a "246.700" km cell.
int64_t KmMetres(const std::string& cell) {
  return std::atoll(cell.substr(0, 3).c_str()) * 1000 + std::atoll(cell.substr(4, 3).c_str());
}

TEST(TimetableSheet, BuiltInScenarioMatchesTheBuiltInSheet) {
  testing::Compiled c = CompileTexts(std::string(content::RawBytes(content::Document::kLine)),
                                     std::string(content::RawBytes(content::Document::kTrain)));
  const TimetableSheet sheet = DrawTimetableSheet(c.scenario, BuiltInFacts());
  EXPECT_EQ(Messages(sheet.diagnostics), "");

  const std::vector<std::string_view>& literal = content::Lines(content::Document::kSheet);
  const std::vector<std::string> ours = SplitLines(sheet.text);
  ASSERT_EQ(ours.size(), literal.size() - 1);  // the sentinel is no line

  // Everything but the rows is the same text: headers, rules, full stops,
  // template pages.
  const std::vector<std::string> literalRows = RowLines({literal.begin(), literal.end() - 1});
  for (std::size_t i = 0; i < ours.size(); ++i) {
    const bool row =
        std::find(literalRows.begin(), literalRows.end(), literal[i]) != literalRows.end();
    if (!row || Cells(std::string(literal[i]))[4].empty()) {
      EXPECT_EQ(ours[i], literal[i]) << "line " << i + 1;
    }
  }

  // The rows field by field. The arrival and passing times are left to the
  // running-time calculation; km posts may differ by up to 200 m.
  const std::vector<std::string> ourRows = RowLines(ours);
  ASSERT_EQ(ourRows.size(), literalRows.size());
  std::ostringstream table;
  table << "| row | name | built-in km | position km | difference (m) |\n|---|---|---|---|---|\n";
  for (std::size_t i = 0; i < ourRows.size(); ++i) {
    const std::vector<std::string> want = Cells(literalRows[i]);
    const std::vector<std::string> got = Cells(ourRows[i]);
    if (want[4].empty()) continue;  // the empty slot closing a page
    SCOPED_TRACE(literalRows[i]);
    EXPECT_EQ(got[0], want[0]);  // the speed limit
    EXPECT_EQ(got[1], want[1]);  // the marching speed
    EXPECT_EQ(got[4], want[4]);  // the name as printed
    EXPECT_EQ(got[6], want[6]);  // the recovery
    // The time in its form: the departures, and the last station's
    // arrival, as the literal sheet has them; arrival and passing times blank.
    std::string time = RawCells(literalRows[i])[5];
    if (time.find(" - ") != std::string::npos) {
      time.replace(1, 5, "     ");
    } else if (time[1] == ' ' && time[6] != ' ') {
      time.replace(6, 5, "     ");
    }
    EXPECT_EQ(RawCells(ourRows[i])[5], time);
    if (want[2].empty()) {
      EXPECT_EQ(got[2], "");
      continue;
    }
    ASSERT_FALSE(got[2].empty());
    const int64_t difference = KmMetres(got[2]) - KmMetres(want[2]);
    EXPECT_LE(std::llabs(difference), 200);
    if (difference != 0) {
      table << "| " << i + 1 << " | " << want[4] << " | " << want[2] << " | " << got[2] << " | "
            << difference << " |\n";
    }
  }
  std::cout << table.str();
}

}  // namespace
}  // namespace sb
