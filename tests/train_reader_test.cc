// The train description reader: what each record leaves in the model, how
// the body is found and ended, and the errors that stop or end the reading.
// Descriptions are read as memorizza_dati reads them (line, then train),
// without route completion, so only the readers' own writes show.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "compiler/compiler.h"
#include "compiler/scenario.h"
#include "content/content.h"
#include "model/file_names.h"
#include "test_support.h"

namespace sb {
namespace {

using sb::testing::Crlf;
using sb::testing::kLineId;
using sb::testing::kTrain;
using sb::testing::LineHeader;

// The last cell of a 241000 m line.
constexpr int kLast = 4960;

// Reads both descriptions into a fresh model. The train description is
// gone afterwards, whatever the outcome.
Scenario ReadTexts(const std::string& line, const std::string& train) {
  TextDescriptions source(kLineId, kTrain);
  source.line = line;
  source.train = train;
  Scenario s;
  s.lineId = kLineId;
  s.trainNumber = kTrain;
  memorizza_dati(s, source).IgnoreError();
  EXPECT_FALSE(source.train.has_value());
  return s;
}

// "[generale]" and the given lines; the last line ends the file.
std::string Train(const std::vector<std::string>& lines) {
  std::string out = "[generale]\r\n";
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

Scenario ReadTrain(const std::vector<std::string>& lines) {
  return ReadTexts(LineHeader(), Train(lines));
}

// A station record with columns 7 to 13 set to 11 .. 17 and the time 1:02:03.
std::string Station(int position, int kind, int length, int c4 = 0, int c5 = 0, int c6 = 0,
                    const std::string& name = "NOWHERE") {
  return "stazione, " + std::to_string(position) + ", " + std::to_string(kind) + ", " +
         std::to_string(length) + ", " + std::to_string(c4) + ", " + std::to_string(c5) + ", " +
         std::to_string(c6) + ", 11, 12, 13, 14, 15, 16, 17, 1, 2, 3, " + name;
}

const char* kSignal = "segnale, 2000, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0";  // cell 41

std::string Describe(const ScenarioItem& i) {
  return "kind " + std::to_string(i.kind) + " start " + std::to_string(i.start) + " end " +
         std::to_string(i.end) + " position " + std::to_string(i.position) + " option " +
         std::to_string(i.option) + " text '" + i.text + "' num " + std::to_string(i.num1) + "," +
         std::to_string(i.num2) + "," + std::to_string(i.num3) + "," + std::to_string(i.num4) +
         "," + std::to_string(i.num5) + " bytes " + std::to_string(i.byte1) + "," +
         std::to_string(i.byte2) + "," + std::to_string(i.byte3) + "," + std::to_string(i.byte4) +
         " seconds " + std::to_string(i.seconds);
}

// --- Finding and ending the body -------------------------------------------

TEST(TrainReaderTest, RecordsFollowTheFirstGeneraleField) {
  const struct {
    std::string text;
    int16_t sand;
  } kCases[] = {
      {"", 0},
      {"[generale]", 0},
      {"sabbia, 5\r\n[fine]\r\n", 0},  // no "[generale]": no records
      {"sabbia, 5\r\n[GENERALE]\r\nsabbia, 6\r\n[fine]\r\n", 6},
      {"note, x [Generale] y\r\nsabbia, 7\r\n", 7},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    Scenario s = ReadTexts(LineHeader(), c.text);
    EXPECT_EQ(s.errorCode, 0);
    EXPECT_EQ(s.items[kSlotTrain].num1, c.sand);
  }
}

TEST(TrainReaderTest, KeywordThatEndsTheFileIsDropped) {
  const char* kLastFields[] = {"percentuale massa frenata",
                               "numero vetture",
                               "velocita",
                               "aderenza",
                               "orologio",
                               "sabbia",
                               "segnale",
                               "rallentamento",
                               "abbattimento",
                               "stazione"};
  for (const char* field : kLastFields) {
    SCOPED_TRACE(field);
    EXPECT_EQ(ReadTrain({"sabbia, 5", field}).errorCode, 0);
    EXPECT_EQ(ReadTexts(LineHeader(), "[generale]\r\n" + std::string(field)).errorCode, 0);
  }
  // The end is also tested after each skipped dashed field.
  EXPECT_EQ(ReadTrain({"sabbia, 5", "---", "sabbia"}).errorCode, 0);
  EXPECT_EQ(ReadTrain({"sabbia, 5", "---", "- - -", "sabbia"}).errorCode, 0);
  // Values missing at the end of the file are a read failure.
  EXPECT_EQ(ReadTrain({"orologio, 15, 16"}).errorCode, 25);
}

// A dashed keyword field is dropped and the next field read in its place,
// at most twice in a row. A field holding both a dash and a keyword shows
// which fields were tested.
TEST(TrainReaderTest, SkipsAtMostTwoDashedFieldsInARow) {
  const struct {
    std::vector<std::string> lines;
    int16_t sand;
  } kCases[] = {
      {{"-----", "sabbia, 4"}, 4},
      {{"sabbia-1", "sabbia, 4"}, 4},
      {{"sabbia-1", "sabbia-2", "sabbia, 4"}, 4},
      {{"sabbia-1", "sabbia-2", "sabbia-3, 4"}, 4},  // the third is a keyword field
      {{"-----", "-----", "-----", "sabbia, 4"}, 4},
      {{"sabbia, 4", "-----", "-----", "sabbia-3, 9"}, 9},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.lines.front() + " / " + c.lines.back());
    Scenario s = ReadTrain(c.lines);
    EXPECT_EQ(s.errorCode, 0);
    EXPECT_EQ(s.items[kSlotTrain].num1, c.sand);
  }
}

// --- General data and keyword matching -------------------------------------

TEST(TrainReaderTest, GeneralData) {
  // Braked mass, cars, sand, clock hours, minutes, seconds.
  using General = std::vector<int64_t>;
  auto general = [](const Scenario& s) {
    const ScenarioItem& totals = s.items[kSlotTotals];
    const ScenarioItem& train = s.items[kSlotTrain];
    return General{totals.start, totals.position, train.num1, train.num3, train.num4, train.num5};
  };
  const struct {
    std::string record;
    General expected;
  } kCases[] = {
      {"percentuale massa frenata,    125", {125, 0, 0, 0, 0, 0}},
      {"frenata della massa, 90", {90, 0, 0, 0, 0, 0}},
      {"numero vetture,    12", {0, 12, 0, 0, 0, 0}},
      {"NUMERO VETTURE, 3", {0, 3, 0, 0, 0, 0}},
      {"sabbia,    60", {0, 0, 60, 0, 0, 0}},
      {"Sabbia, -7", {0, 0, -7, 0, 0, 0}},
      {"orologio,    15              16            30 ", {0, 0, 0, 15, 16, 30}},
      // Every matching test runs, in table order: the clock before the sand.
      {"orologio e sabbia, 1, 2, 3, 4", {0, 0, 4, 1, 2, 3}},
      // Not records: one substring missing.
      {"percentuale massa, 90", {0, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.record);
    Scenario s = ReadTrain({c.record});
    EXPECT_EQ(s.errorCode, 0);
    EXPECT_EQ(general(s), c.expected);
  }
}

TEST(TrainReaderTest, KeywordsMatchAsSubstringsWithoutRegardToCase) {
  const struct {
    std::string record;
    uint8_t speedUnits;  // cell 0 after the tail
  } kCases[] = {
      {"velocita, 0, 100", 20},
      {"VELOCITA, 0, 100", 20},
      {"limite di velocit massima, 0, 100", 20},
      {"[vel_limite], 0, 100", 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.record);
    Scenario s = ReadTrain({c.record});
    EXPECT_EQ(s.errorCode, 0);
    EXPECT_EQ(s.cells[0].speedLimit, c.speedUnits);
  }
  // The content's section headers name no record: were one taken for its
  // record it would swallow the lines after it.
  Scenario s = ReadTrain({"[aderenze]", "[vel_limite]", "[stazioni]", "[rallentamenti]",
                          "[segnali]", "[codici]", "sabbia, 5", "[fine]"});
  EXPECT_EQ(s.errorCode, 0);
  EXPECT_EQ(s.items[kSlotTrain].num1, 5);
  EXPECT_EQ(s.items[1].kind, 0);
}

// --- Per-stretch fields ------------------------------------------------------

struct StretchCase {
  std::vector<std::string> records;
  int32_t code;
  std::vector<std::pair<int, int>> cells;  // cell index, expected value
};

TEST(TrainReaderTest, SpeedLimitStretches) {
  const StretchCase kCases[] = {
      // Before the first record the speed is 0; the tail stops 3 cells short.
      {{"velocita, 200, 100"}, 0, {{0, 0}, {3, 0}, {4, 20}, {4957, 20}, {4958, 0}, {kLast, 0}}},
      // 25 / 50 rounds to 0 and fills nothing; 75 / 50 rounds to 2 and fills cells 0 and 1.
      {{"velocita, 0, 50", "velocita, 25, 100"}, 0, {{0, 20}, {1, 20}}},
      {{"velocita, 0, 50", "velocita, 75, 100"}, 0, {{0, 10}, {1, 10}, {2, 20}}},
      // A record behind the cursor still writes one cell.
      {{"velocita, 500, 100", "velocita, 100, 50"}, 0, {{9, 0}, {10, 20}, {11, 10}}},
      // The records never write the last cell; the tail writes from the cursor.
      {{"velocita, 247900, 50", "velocita, 50, 60", "velocita, 50, 65", "velocita, 50, 70"},
       0,
       {{4957, 0}, {4958, 10}, {4959, 12}, {kLast, 14}}},
      // 5 km/h units, rounded.
      {{"velocita, 0, 12"}, 0, {{0, 2}}},
      {{"velocita, 0, 13"}, 0, {{0, 3}}},
      {{"velocita, 0, 1277"}, 0, {{0, 255}}},
      {{"velocita, 0, -2"}, 0, {{0, 0}}},
      // 1278 / 5 rounds to 256: no byte holds it.
      {{"velocita, 0, 1278"}, 25, {}},
      {{"velocita, 0, -3"}, 25, {}},
  };
  for (const StretchCase& c : kCases) {
    SCOPED_TRACE(c.records.back());
    Scenario s = ReadTrain(c.records);
    EXPECT_EQ(s.errorCode, c.code);
    for (auto [cell, value] : c.cells)
      EXPECT_EQ(s.cells[cell].speedLimit, value) << "cell " << cell;
  }
}

TEST(TrainReaderTest, AdhesionStretches) {
  const StretchCase kCases[] = {
      {{"aderenza, 200, 7"}, 0, {{0, 0}, {3, 0}, {4, 7}, {4957, 7}, {4958, 0}, {kLast, 0}}},
      {{"aderenza, 0, 5", "aderenza, 25, 9"}, 0, {{0, 9}}},
      {{"aderenza, 0, 5", "aderenza, 75, 9"}, 0, {{0, 5}, {1, 5}, {2, 9}}},
      {{"aderenza, 0, 300"}, 0, {{0, 44}}},  // low 8 bits
      {{"aderenza, 0, -1"}, 0, {{0, 255}}},
      // Records behind the cursor write one cell each, up to the last cell
      // and never past it.
      {{"aderenza, 247900, 1", "aderenza, 50, 2", "aderenza, 50, 3", "aderenza, 50, 4",
        "aderenza, 50, 5"},
       0,
       {{4957, 0}, {4958, 1}, {4959, 2}, {kLast, 3}}},
  };
  for (const StretchCase& c : kCases) {
    SCOPED_TRACE(c.records.back());
    Scenario s = ReadTrain(c.records);
    EXPECT_EQ(s.errorCode, c.code);
    for (auto [cell, value] : c.cells) EXPECT_EQ(s.cells[cell].adhesion, value) << "cell " << cell;
  }
}

// --- Speed points --------------------------------------------------------------

TEST(TrainReaderTest, SpeedPoints) {
  // Mountain marks on cells 3, 7, 11, 15 and 19.
  const std::string mountains = LineHeader() + Crlf({"montagna, 0, 1000, 11", "[fine]"});
  const struct {
    std::string line;
    std::vector<std::string> records;
    int32_t code;
    int cell;
    uint8_t kind;
    int16_t value1;
  } kCases[] = {
      {LineHeader(), {"abbattimento, 1000, 90"}, 0, 20, 12, 90},
      {LineHeader(), {"abbattimento, 1000, 0"}, 0, 20, 13, 0},
      {LineHeader(), {"abbattimento, 1000, -5"}, 0, 20, 13, 0},
      {LineHeader(), {"abbattimento, 1000, 70000"}, 0, 20, 12, 4464},  // low 16 bits
      {LineHeader(), {"ABBATTIMENTO, 1025, 90"}, 0, 20, 12, 90},       // 20.5 rounds to 20
      {LineHeader(), {"abbattimento, 1075, 90"}, 0, 22, 12, 90},       // 21.5 rounds to 22
      {mountains, {"abbattimento, 950, 90"}, 0, 19, 12, 90},
      // A signal at 950 takes cell 20 (its index has the + 1).
      {LineHeader(),
       {"segnale, 950, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0", "abbattimento, 1000, 90"},
       7,
       20,
       1,
       40},
      {LineHeader(), {"abbattimento, 1000, 90", "abbattimento, 1000, 60"}, 7, 20, 12, 90},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.records.back());
    Scenario s = ReadTexts(c.line, Train(c.records));
    EXPECT_EQ(s.errorCode, c.code);
    EXPECT_EQ(s.errorPosition, c.code == 0 ? 0 : 1000);
    EXPECT_EQ(s.cells[c.cell].kind, c.kind);
    EXPECT_EQ(s.cells[c.cell].value1, c.value1);
  }
}

// --- The scenario's own train ---------------------------------------------------

class TrainContentTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_ = new Scenario(ReadTexts(std::string(content::RawBytes(content::Document::kLine)),
                                std::string(content::RawBytes(content::Document::kTrain))));
  }
  static void TearDownTestSuite() {
    delete s_;
    s_ = nullptr;
  }
  static const Scenario& s() { return *s_; }

 private:
  static Scenario* s_;
};

Scenario* TrainContentTest::s_ = nullptr;

TEST_F(TrainContentTest, ReadsWithoutErrorIntoTheGeneralSlots) {
  EXPECT_EQ(s().errorCode, 0);
  EXPECT_EQ(s().lastCell, kLast);
  EXPECT_EQ(s().items[kSlotTotals].start, 125);
  EXPECT_EQ(s().items[kSlotTotals].position, 12);
  EXPECT_EQ(s().items[kSlotTrain].num1, 60);
  EXPECT_EQ(s().items[kSlotTrain].num3, 15);
  EXPECT_EQ(s().items[kSlotTrain].num4, 16);
  EXPECT_EQ(s().items[kSlotTrain].num5, 30);
}

TEST_F(TrainContentTest, SpeedLimitAndAdhesionCoverTheLine) {
  auto speed = [&](int from, int to, int value) {
    for (int i = from; i <= to; ++i) ASSERT_EQ(s().cells[i].speedLimit, value) << "cell " << i;
  };
  speed(0, 58, 22);       // 110 km/h up to 2950 m
  speed(59, 365, 32);     // 160 km/h up to 18290 m
  speed(4740, 4774, 22);  // 110 km/h from 237000 m, closed by the last record
  speed(4775, 4957, 13);  // the last record's 65 km/h, written by the tail
  speed(4958, kLast, 0);
  for (int i = 0; i <= kLast; ++i) {
    ASSERT_EQ(s().cells[i].adhesion, i <= 4957 ? 100 : 0) << "cell " << i;
  }
}

TEST_F(TrainContentTest, Stations) {
  ScenarioItem first;
  first.kind = 8;
  first.start = -500;
  first.end = 500;
  first.text = "RIMINI";
  first.num1 = 1;
  first.num2 = 1;
  first.num3 = 4;
  first.num4 = 1;
  first.num5 = 1;
  first.byte2 = 1;
  first.seconds = 55020;
  EXPECT_EQ(Describe(s().items[1]), Describe(first));
  for (int j = 1; j <= 4; ++j) EXPECT_EQ(s().cells[9 - j].approachCode, 80 + j);
  EXPECT_EQ(s().cells[9].kind, kKindStopMark);
  EXPECT_EQ(s().cells[9].value1, 1);

  // Kind 28: a zone, but no stop mark and no approach codes.
  const ScenarioItem& second = s().items[2];
  EXPECT_EQ(second.kind, 28);
  EXPECT_EQ(second.start, 5150);
  EXPECT_EQ(second.end, 5350);
  EXPECT_EQ(s().cells[106].kind, kKindEmpty);
  EXPECT_EQ(s().cells[104].approachCode, 0);
  EXPECT_EQ(s().cells[102].approachCode, 0);

  const ScenarioItem& third = s().items[3];
  EXPECT_EQ(third.start, 9750);
  EXPECT_EQ(third.end, 10250);
  EXPECT_EQ(third.seconds, 55620);
  for (int j = 1; j <= 4; ++j) EXPECT_EQ(s().cells[204 - j].approachCode, 80 + j);
  EXPECT_EQ(s().cells[204].kind, kKindStopMark);
  EXPECT_EQ(s().cells[204].value1, 3);

  // 35 stations in slots 1 to 35; slot 36 stays clear, the two board texts
  // in 80 and 79 stay where the line put them.
  for (int n = 1; n <= 35; ++n) EXPECT_FALSE(s().items[n].text.empty()) << "slot " << n;
  EXPECT_EQ(s().items[35].text, "PESCARA CENTRALE");
  EXPECT_EQ(s().items[20].text, "CIVITANOVA MARCHE-MONTEGRANARO");
  EXPECT_EQ(Describe(s().items[36]), Describe(ScenarioItem{}));
  EXPECT_FALSE(s().items[80].text.empty());
  EXPECT_FALSE(s().items[79].text.empty());
}

// --- Stations ------------------------------------------------------------------

TEST(TrainReaderTest, StationFields) {
  Scenario s =
      ReadTrain({Station(0, 28, 200), Station(1000, 12, 600, 3, 4, 0, "PORTO D'ASCOLI-NORD")});
  ASSERT_EQ(s.errorCode, 0);
  ScenarioItem expected;
  expected.kind = 12;
  expected.start = 700;
  expected.end = 1300;
  expected.position = 1000;
  expected.option = 3;
  expected.text = "PORTO D'ASCOLI-NORD";
  expected.num1 = 11;
  expected.num2 = 12;
  expected.byte1 = 13;
  expected.num3 = 14;
  expected.num4 = 15;
  expected.num5 = 16;
  expected.byte2 = 17;
  expected.byte4 = 4;
  expected.seconds = 3723;
  EXPECT_EQ(Describe(s.items[2]), Describe(expected));
}

// The station under test is the second, at 5000 m, after a kind-28 station
// at 0 (zone -100 to 100).
TEST(TrainReaderTest, StoppingZoneByKind) {
  const struct {
    int kind, length, c5, c6;
    int32_t start, end;
    uint8_t byte3, byte4;
    int mark;   // stop-mark cell, -1 for none
    int codes;  // cell of approach code 81 (82 to 84 below it), -1 for none
  } kCases[] = {
      {5, 800, 1, 1, 4200, 5150, 0, 1, 102, -1},
      {6, 800, 1, 1, 4200, 5150, 0, 1, 102, -1},
      {7, 800, 1, 1, 4200, 5800, 0, 1, 115, 114},
      {8, 800, 1, 1, 4200, 5800, 0, 1, 115, 114},
      {12, 800, 1, 0, 4600, 5400, 0, 1, 107, 106},
      {12, 800, 1, 1, 4600, 5450, 1, 1, 108, 107},  // byte3 ends the zone 50 m on
      {12, 500, 1, 1, 4750, 5300, 1, 0, 105, 104},  // below 600 m: byte4 0
      {4, 600, 1, 0, 4700, 5300, 0, 1, 105, 104},
      {24, 400, 0, 0, 4800, 5200, 0, 0, 103, 102},
      {25, 400, 0, 0, 4800, 5200, 0, 0, -1, -1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE("kind " + std::to_string(c.kind) + " length " + std::to_string(c.length) +
                 " byte3 " + std::to_string(c.c6));
    Scenario s = ReadTrain({Station(0, 28, 200), Station(5000, c.kind, c.length, 0, c.c5, c.c6)});
    ASSERT_EQ(s.errorCode, 0);
    const ScenarioItem& item = s.items[2];
    EXPECT_EQ(item.start, c.start);
    EXPECT_EQ(item.end, c.end);
    EXPECT_EQ(item.byte3, c.byte3);
    EXPECT_EQ(item.byte4, c.byte4);
    for (int i = 90; i <= 120; ++i) {
      const bool mark = i == c.mark;
      EXPECT_EQ(s.cells[i].kind, mark ? kKindStopMark : kKindEmpty) << "cell " << i;
      EXPECT_EQ(s.cells[i].value1, mark ? 2 : 0) << "cell " << i;
      const int k = c.codes - i + 1;
      EXPECT_EQ(s.cells[i].approachCode, c.codes >= 0 && k >= 1 && k <= 4 ? 80 + k : 0)
          << "cell " << i;
    }
  }
}

TEST(TrainReaderTest, FirstStationHasNoByte3OrByte4) {
  // byte3 still lengthens the zone before it is cleared.
  Scenario s = ReadTrain({Station(1000, 12, 800, 0, 1, 1)});
  ASSERT_EQ(s.errorCode, 0);
  EXPECT_EQ(s.items[1].byte3, 0);
  EXPECT_EQ(s.items[1].byte4, 0);
  EXPECT_EQ(s.items[1].start, 600);
  EXPECT_EQ(s.items[1].end, 1450);
  EXPECT_EQ(s.cells[28].kind, kKindStopMark);
}

TEST(TrainReaderTest, StationErrors) {
  const struct {
    std::vector<std::string> records;
    int32_t code;
    int32_t position;
    int mark;  // a stop-mark cell written before the error, -1 for none
  } kCases[] = {
      {{Station(25, 12, 400), "sabbia, 5"}, 8, 25, -1},
      {{Station(1000, 12, 450), "sabbia, 5"}, 9, 1000, -1},
      // Zone end at 100 m: the stop mark would fall on cell 1.
      {{Station(50, 12, 100), "sabbia, 5"}, 24, 0, -1},
      {{Station(100, 12, 100), "sabbia, 5"}, 0, 0, 2},
      // The second zone starts 300 m after the first ends; the stop mark
      // is written before the spacing check.
      {{Station(0, 8, 500), Station(900, 12, 200), "sabbia, 5"}, 22, 900, 19},
      {{Station(0, 8, 500), Station(950, 12, 200), "sabbia, 5"}, 0, 0, 20},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.records[c.records.size() - 2]);
    Scenario s = ReadTrain(c.records);
    EXPECT_EQ(s.errorCode, c.code);
    EXPECT_EQ(s.errorPosition, c.position);
    // A stop skips the rest of the file.
    EXPECT_EQ(s.items[kSlotTrain].num1, c.code == 0 ? 5 : 0);
    if (c.mark >= 0) {
      EXPECT_EQ(s.cells[c.mark].kind, kKindStopMark);
    }
  }
}

// Station slots count up from 1, board texts down from 80; the reader stops
// after station n when n + 1 reaches the next board slot.
TEST(TrainReaderTest, StationsStopShortOfTheBoardTexts) {
  auto boardText = [](int i) { return std::string("B").append(std::to_string(i)); };
  auto lineWithBoards = [&](int count) {
    std::string out = LineHeader();
    for (int i = 0; i < count; ++i) {
      out +=
          Crlf({"cartello_indicatore, " + std::to_string(20000 + 100 * i) + ", " + boardText(i)});
    }
    return out + Crlf({"[fine]"});
  };
  const std::vector<std::string> stations = {Station(0, 12, 400), Station(1000, 12, 400),
                                             Station(2000, 12, 400), "sabbia, 5"};
  const struct {
    int boards;
    int32_t code;
    int stored;
  } kCases[] = {{75, 0, 3}, {76, 10, 3}, {77, 10, 2}, {79, 10, 1}, {80, 10, 0}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::to_string(c.boards) + " boards");
    Scenario s = ReadTexts(lineWithBoards(c.boards), Train(stations));
    EXPECT_EQ(s.errorCode, c.code);
    EXPECT_EQ(s.errorPosition, 0);
    for (int n = 1; n <= 3; ++n) {
      EXPECT_EQ(s.items[n].kind, n <= c.stored ? 12 : 0) << "slot " << n;
      EXPECT_EQ(s.cells[3 + 20 * (n - 1)].kind, n <= c.stored ? kKindStopMark : kKindEmpty)
          << "slot " << n;
    }
    // Every board text is where the line put it.
    for (int i = 0; i < c.boards; ++i) EXPECT_EQ(s.items[80 - i].text, boardText(i));
  }
}

// --- The grid's end --------------------------------------------------------------

// A record beyond the grid ends the reading as the end of the file would:
// the rest is not read, but the tails and the progression check run.
TEST(TrainReaderTest, RecordBeyondTheGridEndsTheReading) {
  const struct {
    std::string record;
    int32_t code;
    int32_t position;
  } kCases[] = {
      {"velocita, 247900, 100", 0, 0},
      {"velocita, 247950, 50", 15, 247950},
      {"aderenza, 247950, 50", 15, 247950},
      {"segnale, 247950, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0", 15, 247950},
      {"rallentamento, 247950, 80, 100, 0, 1, 80", 15, 247950},
      {"abbattimento, 247950, 90", 15, 247950},
      {Station(247200, 28, 200), 0, 0},
      {Station(247250, 28, 200), 15, 247250},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.record);
    Scenario s = ReadTrain({"velocita, 0, 100", "aderenza, 0, 7", c.record, "sabbia, 5"});
    EXPECT_EQ(s.errorCode, c.code);
    EXPECT_EQ(s.errorPosition, c.position);
    EXPECT_EQ(s.items[kSlotTrain].num1, c.code == 0 ? 5 : 0);
    EXPECT_EQ(s.cells[4957].speedLimit, 20);
    EXPECT_EQ(s.cells[4957].adhesion, 7);
  }
}

// A zone ending past the grid would put the stop mark outside it: the
// station is beyond the grid, and none of its cells is written.
TEST(TrainReaderTest, StopMarkPastTheLastCellIsBeyondTheGrid) {
  // Kind 7 at 247200 m: the zone ends at 247200 + length.
  Scenario fits = ReadTrain({Station(247200, 7, 800)});
  EXPECT_EQ(fits.errorCode, 0);
  EXPECT_EQ(fits.cells[4959].kind, kKindStopMark);
  EXPECT_EQ(fits.cells[4958].approachCode, 81);

  Scenario past = ReadTrain({"velocita, 0, 100", Station(247200, 7, 900), "sabbia, 5"});
  EXPECT_EQ(past.errorCode, 15);
  EXPECT_EQ(past.errorPosition, 247200);
  EXPECT_EQ(past.items[kSlotTrain].num1, 0);
  for (int i = 4950; i <= kLast; ++i) {
    EXPECT_EQ(past.cells[i].kind, kKindEmpty) << "cell " << i;
    EXPECT_EQ(past.cells[i].approachCode, 0) << "cell " << i;
  }
  EXPECT_EQ(past.cells[4957].speedLimit, 20);  // the tails ran
}

TEST(TrainReaderTest, ProgressionCheckAfterTheReading) {
  const std::string badStart = Crlf({"[generale]", "lunghezza percorso, 241000",
                                     "progressiva chilometrica uno, 25, 111000, 0", "[curve]"});
  const std::string badEnd = Crlf({"[generale]", "lunghezza percorso, 241000",
                                   "progressiva chilometrica uno, 0, 111025, 0", "[curve]"});
  const struct {
    std::string line;
    std::string record;
    int32_t code;
    int32_t position;
  } kCases[] = {
      {badStart, "sabbia, 5", 2, 0},
      {badEnd, "sabbia, 5", 2, 0},
      // It replaces a 15 and keeps that error's position.
      {badStart, "velocita, 247950, 50", 2, 247950},
      // A stop skips it.
      {badStart, Station(25, 12, 400), 8, 25},
      {LineHeader(), "velocita, 247950, 50", 15, 247950},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.record);
    Scenario s = ReadTexts(c.line, Train({c.record}));
    EXPECT_EQ(s.errorCode, c.code);
    EXPECT_EQ(s.errorPosition, c.position);
  }
}

// A 15 left by the line phase is still standing: the first signal or
// slowdown is encoded, then the reading stops at its position.
TEST(TrainReaderTest, LineErrorFifteenStopsAtTheFirstSignalOrSlowdown) {
  const std::string line = LineHeader() + Crlf({"pendenza, 247950, 5", "[fine]"});
  const struct {
    std::string record;
    int32_t position;
    int cell;
    uint8_t kind;
  } kCases[] = {
      {kSignal, 2000, 41, kKindSignal},
      {"rallentamento, 23450, 80, 800, 0, 1, 80", 23450, 470, kKindSlowdownStart},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.record);
    Scenario s = ReadTexts(line, Train({"sabbia, 5", "velocita, 0, 100", c.record, "sabbia, 9"}));
    EXPECT_EQ(s.errorCode, 15);
    EXPECT_EQ(s.errorPosition, c.position);
    EXPECT_EQ(s.items[kSlotTrain].num1, 5);
    EXPECT_EQ(s.cells[c.cell].kind, c.kind);
    EXPECT_EQ(s.cells[0].speedLimit, 0);  // a stop: no tails
  }
}

// --- Read failures ---------------------------------------------------------------

TEST(TrainReaderTest, ValuesOutsideTheirFieldAndCellsOutsideTheGridFail) {
  const struct {
    std::string record;
    int cell;  // a cell the record must not have written, -1 for none
  } kCases[] = {
      {"numero vetture, 2147483648", -1},
      {"orologio, 40000, 0, 0", -1},
      {"sabbia, 32768", -1},
      {"stazione, 1000, 256, 400, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, X", 23},
      {"stazione, 1000, 12, 400, 256, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, X", 23},
      {"stazione, 1000, 12, 400, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 600000, 0, 0, X", 23},
      // Positions before the line's start.
      {"segnale, -100, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0", 0},
      {"abbattimento, -50, 90", 0},
      {"rallentamento, -1000, 50, 800, 0, 1, 50", 0},
      // An end before cell 0: the warning and start cells were free, and
      // stay untouched.
      {"rallentamento, 2000, 50, -3000, 0, 1, 50", 41},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.record);
    Scenario s = ReadTrain({"velocita, 0, 100", c.record, "sabbia, 5"});
    EXPECT_EQ(s.errorCode, 25);
    EXPECT_EQ(s.errorPosition, 0);
    EXPECT_EQ(s.items[kSlotTrain].num1, 0);
    EXPECT_EQ(s.cells[0].speedLimit, 0);
    if (c.cell >= 0) {
      EXPECT_EQ(s.cells[c.cell].kind, kKindEmpty);
      EXPECT_EQ(s.cells[c.cell].approachCode, 0);
    }
  }
  EXPECT_EQ(ReadTrain({"orologio, 32767, -32768, 0"}).items[kSlotTrain].num4, -32768);
}

// --- Features meeting on one cell ----------------------------------------------

TEST(TrainReaderTest, LaterSignalMeetsStopMarkEarlierSignalIsReplaced) {
  // Kind 12 at 5000 m, 400 m: stop mark on cell 103, where a signal at 5100
  // would stand.
  const std::string signal = "segnale, 5100, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0";
  Scenario later = ReadTrain({Station(5000, 12, 400), signal});
  EXPECT_EQ(later.errorCode, 16);
  EXPECT_EQ(later.errorPosition, 5100);
  EXPECT_EQ(later.cells[103].kind, kKindStopMark);

  Scenario earlier = ReadTrain({signal, Station(5000, 12, 400)});
  EXPECT_EQ(earlier.errorCode, 0);
  EXPECT_EQ(earlier.cells[103].kind, kKindStopMark);
  EXPECT_EQ(earlier.cells[103].value1, 1);
}

// Each diagnostic points at the field at fault (see the line reader's test
// of the same): here the train's records, line 1 being "[generale]".
TEST(TrainReaderTest, DiagnosticsPointAtTheFieldAtFault) {
  const struct {
    const char* name;
    std::vector<std::string> records;
    int32_t code;
    int line;
    int column;
  } kCases[] = {
      {"station position",
       {"stazione,  1025, 1, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, A"},
       8,
       2,
       12},
      {"station length: the third value",
       {"stazione, 1000, 1,   150, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, A"},
       9,
       2,
       22},
      {"too many stations: the keyword", {Station(1000, 1, 100)}, 10, 2, 1},
      {"stations too close: the position",
       {Station(1000, 1, 100), Station(1200, 1, 100)},
       22,
       3,
       11},
      {"stop mark too early: the position", {Station(0, 1, 100)}, 24, 2, 11},
      {"a signal on a taken cell",
       {kSignal, "segnale,\t2010, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0"},
       16,
       3,
       10},
      {"a speed point on a taken cell", {kSignal, "abbattimento, 2050, 0"}, 7, 3, 15},
      {"a slowdown whose end lies beyond the grid",
       {"rallentamento, 240000, 60, 9000, 0, 0, 0"},
       15,
       2,
       16},
      {"a station column out of range: that column",
       {"stazione, 1000, 1, 100, 300, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, A"},
       25,
       2,
       25},
      {"a speed that does not fit: the keyword of the record that writes it",
       {"velocita, 0, 2000", "velocita, 1000, 80"},
       25,
       3,
       1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    // With one board text the 78th slot is the last a station may take;
    // the "too many stations" case leaves no room at all.
    std::string line = LineHeader();
    if (c.code == 10) {
      for (int i = 0; i < 79; ++i) {
        line += "cartello_indicatore, " + std::to_string(100000 + 100 * i) + ", B\r\n";
      }
    }
    Scenario s = ReadTexts(line, Train(c.records));
    ASSERT_FALSE(s.diagnostics.empty());
    const Diagnostic& d = s.diagnostics.back();
    EXPECT_EQ(d.code, c.code) << d.message;
    EXPECT_EQ(d.file, "Test_1-.txt");
    EXPECT_EQ(d.line, c.line);
    EXPECT_EQ(d.column, c.column);
  }
}

}  // namespace
}  // namespace sb
