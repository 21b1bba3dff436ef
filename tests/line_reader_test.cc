// The line description reader: the general section and where its records
// go, the feature part, "-" skipping, end-of-file rules, the grid size, and
// every error with its position and what stays in the model.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "format/cell_codec.h"
#include "format/item_codec.h"
#include "format/profile_codec.h"
#include "test_support.h"

namespace sb {
namespace {

using testing::CompileTexts;
using testing::Crlf;
using testing::kLineId;
using testing::kTrain;

constexpr const char* kNoTrain = "[generale]\r\n";

// Whether the compiler left the description undeleted.
bool LineLeft(const testing::Compiled& c) { return c.descriptions.line.has_value(); }
bool TrainLeft(const testing::Compiled& c) { return c.descriptions.train.has_value(); }

std::string Repeat(const std::string& field, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += field + "\r\n";
  return out;
}

TEST(LineReaderTest, MissingFileIsError101AndTouchesNothing) {
  TextDescriptions source(kLineId, kTrain);
  source.train = kNoTrain;
  Scenario s;
  s.lineId = kLineId;
  s.trainNumber = kTrain;
  CompileResult r = memorizza_percorso(s, false, source);
  EXPECT_EQ(s.errorCode, 101);
  EXPECT_EQ(s.errorPosition, 0);
  EXPECT_EQ(r.end, CompileEnd::kNoGrid);
  EXPECT_EQ(source.train, kNoTrain);
}

TEST(LineReaderTest, ErrorsStopTheReading) {
  const std::string head = Crlf({"[generale]", "lunghezza percorso, 1000"});
  struct Case {
    const char* name;
    std::string line;
    int32_t withProfile;
    int32_t code;
    int32_t position;    // errorPosition afterwards
    int diagnosticLine;  // line of the record blamed; 0 = not checked
    bool trainDeleted;   // only the failure handler deletes the train description
    std::function<void(const Scenario&)> stays;
  };
  const Case cases[] = {
      {"no [generale]", Crlf({"lunghezza percorso, 1000", "[curve]", "x"}), 0, 102, 0, 0, false,
       [](const Scenario& s) { EXPECT_FALSE(s.hasGrid); }},
      {"[generale] as the last field", Crlf({"preamble", "[generale]"}), 0, 102, 0, 0, false,
       nullptr},
      {"empty file: reading past its end", "", 0, 25, 0, 0, true, nullptr},
      {"length one metre too long", Crlf({"[generale]", "lunghezza percorso, 1000001", "x"}), 0, 1,
       0, 2, false,
       [](const Scenario& s) {
         EXPECT_EQ(s.items[kSlotTotals].end, 1000001);
         EXPECT_FALSE(s.hasGrid);
       }},
      {"negative length", Crlf({"[generale]", "lunghezza percorso, -50", "x"}), 0, 1, 0, 2, false,
       [](const Scenario& s) { EXPECT_FALSE(s.hasGrid); }},
      {"repetition start 25",
       head + Crlf({"ripetizione segnali 4 codici, 25, 1000", "sfondo uno, 5", "[curve]", "x"}), 0,
       3, 0, 3, false,
       [](const Scenario& s) {
         EXPECT_EQ(s.items[kSlotTrain].start, 25);
         EXPECT_EQ(s.items[kSlotTrain].end, 1000);
         EXPECT_EQ(s.items[kSlotTrain].position, 0);
         EXPECT_EQ(s.items[kSlotLine].start, 0);  // nothing after it is read
       }},
      {"repetition end 1030",
       head + Crlf({"ripetizione segnali 4 codici, 50, 1030", "[curve]", "x"}), 0, 4, 0, 3, false,
       nullptr},
      {"repetition without 4 or 9",
       head + Crlf({"ripetizione segnali codici, 50, 1000", "[curve]", "x"}), 0, 5, 0, 3, false,
       nullptr},
      {"curve without curvature",
       head + Crlf({"[curve]", "pendenza, 500, 4", "curvas, 100, 100", "pendenza, 600, 1", "x"}), 1,
       103, 0, 5, false,
       [](const Scenario& s) {
         EXPECT_EQ(s.cells[9].gradient, 100);
         EXPECT_EQ(s.cells[10].gradient, 0);  // no tail fill after a stop
       }},
      {"text board on a taken cell",
       head + Crlf({"[curve]", "cartello_indicatore, 500, A", "cartello_indicatore, 510, B",
                    "pendenza, 1000, 3", "x"}),
       0, 6, 510, 5, false,
       [](const Scenario& s) {
         EXPECT_EQ(s.cells[11].kind, kKindTextBoard);
         EXPECT_EQ(s.cells[11].value1, 80);
         EXPECT_EQ(s.items[80].text, "A");
         EXPECT_EQ(s.items[79].text, "");
         EXPECT_EQ(s.cells[0].gradient, 0);
       }},
      {"speed board on a taken cell",
       head + Crlf({"[curve]", "indicatori_vmax, 500, 100, 105, 110, 2, 100, 105, 110, 2",
                    "indicatori_vmax, 510, 60, 65, 70, 0, 60, 65, 70, 0", "x"}),
       0, 21, 510, 5, false,
       [](const Scenario& s) {
         EXPECT_EQ(s.cells[11].kind, kKindSpeedBoard);
         EXPECT_EQ(s.cells[11].value1, 2020);
       }},
      {"end of file inside a record", head + Crlf({"[curve]", "pendenza, 100"}), 0, 25, 0, 0, true,
       nullptr},
      {"number beyond 32 bits",
       Crlf({"[generale]", "lunghezza percorso, 99999999999", "[curve]", "x"}), 0, 25, 0, 0, true,
       nullptr},
      {"end of file in the general section's dash skips", head + Crlf({"-", "-"}), 0, 25, 0, 0,
       true, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto r = CompileTexts(c.line, kNoTrain, c.withProfile);
    const Scenario& s = r.scenario;
    EXPECT_EQ(s.errorCode, c.code);
    EXPECT_EQ(s.errorPosition, c.position);
    ASSERT_FALSE(s.diagnostics.empty());
    EXPECT_EQ(s.diagnostics.back().code, c.code);
    if (c.diagnosticLine != 0) {
      EXPECT_EQ(s.diagnostics.back().line, c.diagnosticLine);
    }
    EXPECT_FALSE(LineLeft(r));
    EXPECT_EQ(TrainLeft(r), !c.trainDeleted);
    if (c.stays) c.stays(s);
  }
}

// Error 15 ends only the line description: what was read stays, the tail
// fills run, the train description is read.
TEST(LineReaderTest, PositionBeyondTheGridEndsTheFeaturePart) {
  const std::string line =
      testing::LineHeader(241000) + Crlf({"pendenza, 0, 0", "pendenza, 2000, 6",
                                          "pendenza, 248000, 1", "pendenza, 3000, 9", "[fine]"});
  auto c = CompileTexts(line, Crlf({"[generale]", "numero vetture, 12", "[fine]"}));
  const Scenario& s = c.scenario;
  EXPECT_EQ(s.errorCode, 15);
  EXPECT_EQ(s.errorPosition, 248000);
  EXPECT_EQ(s.cells[39].gradient, 100);
  EXPECT_EQ(s.cells[40].gradient, 106);
  EXPECT_EQ(s.cells[4957].gradient, 106);
  EXPECT_EQ(s.cells[4958].gradient, 0);
  EXPECT_EQ(s.items[kSlotTotals].position, 12);
  EXPECT_EQ(c.result.end, CompileEnd::kCompiled);
  EXPECT_FALSE(LineLeft(c));
  EXPECT_FALSE(TrainLeft(c));

  // (P + 100) / 50 is compared as a real number with lastCell 4960.
  const struct {
    int32_t position;
    int32_t code;
  } limits[] = {{247900, 0}, {247925, 15}, {247950, 15}};
  for (const auto& l : limits) {
    SCOPED_TRACE(l.position);
    auto r = CompileTexts(
        testing::LineHeader(241000) + Crlf({"montagna, " + std::to_string(l.position) + ", " +
                                                std::to_string(l.position) + ", 1",
                                            "[fine]"}),
        kNoTrain);
    EXPECT_EQ(r.scenario.errorCode, l.code);
  }
}

TEST(LineReaderTest, FailureHandlerKeepsThePositionAndDeletesBothFiles) {
  const std::string line = testing::LineHeader(241000) + Crlf({"pendenza, 248000, 1", "[fine]"});
  // The train phase fails on a record cut short by the end of the file.
  auto c = CompileTexts(line, Crlf({"[generale]", "orologio, 1"}));
  EXPECT_EQ(c.scenario.errorCode, 25);
  EXPECT_EQ(c.scenario.errorPosition, 248000);
  EXPECT_FALSE(LineLeft(c));
  EXPECT_FALSE(TrainLeft(c));
}

TEST(LineReaderTest, EndOfFileRules) {
  const std::string head = Crlf({"[generale]", "lunghezza percorso, 1000"});
  struct Case {
    const char* name;
    std::string line;
    int32_t background;  // slot 85 start
    uint8_t gradient;    // cell 2
  };
  const Case cases[] = {
      // The last field of the file is never a record.
      {"general keyword last", head + "sfondo uno\r\n", 0, 100},
      {"feature keyword last", head + Crlf({"[curve]", "pendenza"}), 0, 100},
      // Values at the end of the file are read.
      {"general values last", head + "sfondo uno, 7", 7, 100},
      {"feature values last", head + Crlf({"[curve]", "pendenza, 100, 5"}), 0, 105},
      {"feature values last, no line end", head + "[curve]\r\npendenza, 100, 5", 0, 105},
      // "-" fields at the end of the feature part end it.
      {"feature dashes last", head + Crlf({"[curve]", "pendenza, 100, 5", "-", "-"}), 0, 105},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto r = CompileTexts(c.line, kNoTrain);
    const Scenario& s = r.scenario;
    EXPECT_EQ(s.errorCode, 0);
    EXPECT_EQ(s.items[kSlotLine].start, c.background);
    ASSERT_TRUE(s.hasGrid);
    EXPECT_EQ(s.cells[2].gradient, c.gradient);
    EXPECT_FALSE(LineLeft(r));
  }
}

TEST(LineReaderTest, DashedFieldsAreSkipped) {
  const std::string head = Crlf({"[generale]", "lunghezza percorso, 1000"});
  struct Case {
    const char* name;
    std::string line;
    int32_t background;  // slot 85 start
    uint8_t gradient;    // cell 4: 105 when "pendenza-, 200, 5" was read
  };
  const Case cases[] = {
      {"a line of dashes", head + Crlf({"------------", "sfondo uno, 7", "[curve]", "x"}), 7, 100},
      // General section: up to ten in a row; the eleventh is a keyword field.
      {"ten, then a dashed keyword",
       head + Repeat("-", 10) + Crlf({"sfondo-uno, 7", "[curve]", "x"}), 7, 100},
      {"eleven, then a dashed keyword",
       head + Repeat("-", 11) + Crlf({"sfondo-uno, 7", "[curve]", "x"}), 0, 100},
      // Feature part: up to two.
      {"two, then a dashed keyword", head + Crlf({"[curve]", "-, -, pendenza-, 200, 5", "x"}), 0,
       105},
      {"three, then a dashed keyword", head + Crlf({"[curve]", "-, -, -, pendenza-, 200, 5", "x"}),
       0, 100},
      // Values are never skipped.
      {"negative value", head + Crlf({"[curve]", "pendenza, 200, -6", "x"}), 0, 94},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto r = CompileTexts(c.line, kNoTrain);
    const Scenario& s = r.scenario;
    EXPECT_EQ(s.errorCode, 0);
    EXPECT_EQ(s.items[kSlotLine].start, c.background);
    ASSERT_TRUE(s.hasGrid);
    EXPECT_EQ(s.cells[4].gradient, c.gradient);
  }
}

TEST(LineReaderTest, FirstBracketedFieldEndsTheGeneralSection) {
  const std::string head = Crlf({"[generale]", "lunghezza percorso, 1000"});
  struct Case {
    const char* name;
    std::string before;  // fields between the length and "sfondo uno, 5"
    bool ends;
  };
  const Case cases[] = {
      {"bracketed", Crlf({"[curve]"}), true},
      {"bracketed, inner dash, after ten skips", Repeat("-", 10) + Crlf({"[a-b]"}), true},
      // Discarded by the dash skips before the end test sees it.
      {"bracketed with a dash", Crlf({"[-curve-]"}), false},
      // Reaches the end test, but begins with "-".
      {"bracketed beginning with a dash, after ten skips", Repeat("-", 10) + Crlf({"-[x]"}), false},
      {"brackets in two fields", Crlf({"[x", "y]"}), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto r = CompileTexts(head + c.before + Crlf({"sfondo uno, 5", "[fine]", "x"}), kNoTrain);
    EXPECT_EQ(r.scenario.errorCode, 0);
    EXPECT_EQ(r.scenario.items[kSlotLine].start, c.ends ? 0 : 5);
  }

  // Only the first bracketed field matters: a feature record before it and a
  // general record after it are not recognised.
  auto r = CompileTexts(head + Crlf({"pendenza, 200, 5", "[curve]", "lunghezza percorso, 2000",
                                     "[generale]", "sfondo uno, 5", "[fine]"}),
                        kNoTrain);
  const Scenario& s = r.scenario;
  EXPECT_EQ(s.errorCode, 0);
  EXPECT_EQ(s.lastCell, 160);
  EXPECT_EQ(s.cells[4].gradient, 100);
  EXPECT_EQ(s.items[kSlotLine].start, 0);
}

TEST(LineReaderTest, FieldMatchingSeveralRecordsIsReadByEach) {
  // Backgrounds are tried one, two, three, each reading its own value; a
  // gradient and a mountain read theirs in turn.
  const std::string line =
      Crlf({"[generale]", "lunghezza percorso, 10000", "sfondo tre due uno, 1, 2, 3", "[curve]",
            "pendenza montagna, 500, 3, 1000, 2000, 2", "[fine]"});
  auto c = CompileTexts(line, kNoTrain);
  const Scenario& s = c.scenario;
  ASSERT_EQ(s.errorCode, 0);
  EXPECT_EQ(s.items[kSlotLine].start, 1);
  EXPECT_EQ(s.items[kSlotLine].position, 2);
  EXPECT_EQ(s.items[kSlotLine].end, 3);
  EXPECT_EQ(s.cells[9].gradient, 100);
  EXPECT_EQ(s.cells[10].gradient, 103);
  EXPECT_EQ(s.cells[19].terrain, 0);
  EXPECT_EQ(s.cells[20].terrain, 2);
  EXPECT_EQ(s.cells[39].terrain, 2);
  EXPECT_EQ(s.cells[40].terrain, 0);
}

TEST(LineReaderTest, CaseDecidesGeneralRecords) {
  const std::string line =
      Crlf({"[generale]", "Lunghezza Percorso, 10000", "Progressiva chilometrica uno, 0, 5000, 0",
            "Sfondo uno, 4", "[fine]", "x"});
  auto c = CompileTexts(line, kNoTrain);
  const Scenario& s = c.scenario;
  ASSERT_EQ(s.errorCode, 0);
  EXPECT_EQ(s.lastCell, 340);
  EXPECT_EQ(s.items[kSlotTotals].end, 10000);
  for (int slot : {kSlotProgressionTre, kSlotProgressionDue, kSlotProgressionUno}) {
    EXPECT_EQ(s.items[slot].end, 0) << slot;
  }
  EXPECT_EQ(s.items[kSlotLine].start, 0);
}

TEST(LineReaderTest, GeneralRecordsDestinations) {
  const std::string line = Crlf({
      "[generale]",
      "lunghezza percorso,    241000",
      "progressiva chilometrica uno,    0,    1000,    1",
      "progressiva chilometrica due,    0,    2000,    0",
      "progressiva chilometrica tre,    0,    3000,    0",
      "sfondo uno,    1",
      "sfondo due,    2",
      "sfondo tre,    3",
      "ripetizione segnali 4 codici,    0,    239000",
      "[curve]",
      "[fine]",
  });
  auto c = CompileTexts(line, kNoTrain);
  const Scenario& s = c.scenario;
  EXPECT_EQ(s.errorCode, 0);
  EXPECT_EQ(s.items[kSlotTotals].end, 241000);
  // Backgrounds one, three, two.
  EXPECT_EQ(s.items[kSlotLine].start, 1);
  EXPECT_EQ(s.items[kSlotLine].end, 3);
  EXPECT_EQ(s.items[kSlotLine].position, 2);
  EXPECT_EQ(s.items[kSlotTrain].start, 0);
  EXPECT_EQ(s.items[kSlotTrain].end, 239000);
  EXPECT_EQ(s.items[kSlotTrain].position, 4);
  // Read as tre 81, due 82, uno 83; all starts 0, so the last progression
  // with a kilometric value above 0 in the order tre, due, uno wins: (uno,
  // due, tre), and uno's flag adds 100.
  auto triple = [&](int slot) {
    const ScenarioItem& i = s.items[slot];
    return std::vector<int32_t>{i.start, i.end, i.position};
  };
  EXPECT_EQ(triple(81), (std::vector<int32_t>{0, 1100, 1}));
  EXPECT_EQ(triple(82), (std::vector<int32_t>{0, 2000, 0}));
  EXPECT_EQ(triple(83), (std::vector<int32_t>{0, 3000, 0}));
  // Both descriptions are deleted after reading.
  EXPECT_FALSE(LineLeft(c));
  EXPECT_FALSE(TrainLeft(c));
}

TEST(LineReaderTest, SignalRepetitionCodes) {
  struct Case {
    const char* record;
    int32_t codes;
  };
  const Case cases[] = {
      {"ripetizione segnali 4 codici, 0, 239000", 4},
      {"ripetizione segnali 9 codici, 0, 239000", 9},
      {"ripetizione segnali 94 codici, 0, 239000", 4},
      {"ripetizione segnali 4 codici, 1000, 0", 0},
      {"ripetizione segnali 9 codici, -50, -100", 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.record);
    auto r = CompileTexts(
        Crlf({"[generale]", "lunghezza percorso, 241000", c.record, "[curve]", "x"}), kNoTrain);
    EXPECT_EQ(r.scenario.errorCode, 0);
    EXPECT_EQ(r.scenario.items[kSlotTrain].position, c.codes);
  }
}

TEST(LineReaderTest, GridSizeFollowsTheLength) {
  struct Case {
    int32_t length;
    int32_t lastCell;
    int32_t profileEnd;
  };
  const Case cases[] = {
      {241000, 4960, 248000}, {1000000, 20140, 1007000},
      {0, 140, 7000},         {25, 140, 7025},  // 140.5 rounds to even
      {75, 142, 7075},                          // 141.5 rounds to even
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    auto r = CompileTexts(testing::LineHeader(c.length) + "[fine]\r\n", kNoTrain);
    const Scenario& s = r.scenario;
    EXPECT_EQ(s.errorCode, 0);
    EXPECT_EQ(s.lastCell, c.lastCell);
    EXPECT_EQ(s.profileEnd, c.profileEnd);
    EXPECT_EQ(s.cells.size(), static_cast<std::size_t>(c.lastCell) + 1);
    EXPECT_FALSE(s.profile.has_value());
  }
  auto r = CompileTexts(testing::LineHeader(1000) + "[fine]\r\n", kNoTrain, 1);
  ASSERT_TRUE(r.scenario.profile.has_value());
  EXPECT_EQ(r.scenario.profile->end(), 8000);
}

// A compile its source asks to stop ends at once: no error of the author's
// is recorded and neither description is deleted; one never asked runs
// whole.
TEST(LineReaderTest, ACancelledCompileStopsAndDeletesNothing) {
  const std::string line = testing::LineHeader(9000) + Crlf({"pendenza, 2000, 6", "[fine]"});
  for (bool cancelled : {true, false}) {
    SCOPED_TRACE(cancelled);
    std::atomic<bool> cancel{cancelled};
    TextDescriptions source(kLineId, kTrain);
    source.line = line;
    source.train = std::string(kNoTrain);
    source.cancel = &cancel;
    Scenario s;
    s.lineId = kLineId;
    s.trainNumber = kTrain;
    const CompileResult r = memorizza_percorso(s, false, source);
    EXPECT_EQ(r.end, cancelled ? CompileEnd::kCancelled : CompileEnd::kCompiled);
    EXPECT_EQ(s.errorCode, 0);
    EXPECT_EQ(source.line.has_value(), cancelled);  // a whole compile deletes them
    EXPECT_EQ(source.train.has_value(), cancelled);
    EXPECT_EQ(s.hasGrid, !cancelled);
  }
}

// Several length records: the grid is the last valid one's, however the
// general section ends, with the same errors as a single record of it.
TEST(LineReaderTest, TheLastLengthSizesTheGrid) {
  const std::string features =
      Crlf({"[curve]", "curvas3, 900, 1000", "[pendenze]", "pendenza, 2000, 6", "[fine]"});
  struct Case {
    const char* name;
    std::string general;  // the general section's records after "[generale]"
    int32_t lastCell;     // -1: no grid
    int32_t code;
  };
  const Case cases[] = {
      {"three lengths, the last smaller",
       Crlf({"lunghezza percorso, 30000", "lunghezza percorso, 50000", "lunghezza percorso, 9000"}),
       320, 0},
      {"a length out of range after a valid one",
       Crlf({"lunghezza percorso, 9000", "lunghezza percorso, 1000001"}), 320, 1},
      {"an error after two lengths",
       Crlf({"lunghezza percorso, 9000", "lunghezza percorso, 12000",
             "ripetizione segnali 4 codici, 75, 1000"}),
       380, 3},
      {"a length that cannot be read after a valid one",
       "lunghezza percorso, 9000\r\nlunghezza percorso, 99999999999\r\n", 320, 25},
      {"an invalid length alone", Crlf({"lunghezza percorso, -1"}), -1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (int32_t withProfile : {0, 1}) {
      auto r = CompileTexts("[generale]\r\n" + c.general + features, kNoTrain, withProfile);
      const Scenario& s = r.scenario;
      EXPECT_EQ(s.errorCode, c.code);
      EXPECT_EQ(s.hasGrid, c.lastCell >= 0);
      if (c.lastCell < 0) continue;
      EXPECT_EQ(s.lastCell, c.lastCell);
      EXPECT_EQ(s.cells.size(), static_cast<std::size_t>(c.lastCell) + 1);
      EXPECT_EQ(s.profile.has_value(), withProfile == 1);
    }
  }
  // The same scenario, byte for byte, as from the last length alone.
  const std::string many = "[generale]\r\n" + Repeat("lunghezza percorso, 50000", 200) +
                           Crlf({"lunghezza percorso, 9000"});
  const std::string one = "[generale]\r\n" + Crlf({"lunghezza percorso, 9000"});
  auto a = CompileTexts(many + features, kNoTrain, 1);
  auto b = CompileTexts(one + features, kNoTrain, 1);
  EXPECT_EQ(a.scenario.errorCode, b.scenario.errorCode);
  EXPECT_TRUE(EncodeCells(a.scenario.cells) == EncodeCells(b.scenario.cells));
  EXPECT_TRUE(EncodeItems(a.scenario.items) == EncodeItems(b.scenario.items));
  EXPECT_TRUE(EncodeProfile(*a.scenario.profile) == EncodeProfile(*b.scenario.profile));
}

}  // namespace
}  // namespace sb

namespace sb {
namespace {

// Each diagnostic points at the field at fault: the position field for an
// error about where a feature lies, the keyword for a record-level error,
// the field whose read failed; no column where no field is at fault or the
// field lies on another line than the record's keyword.
TEST(LineReaderTest, DiagnosticsPointAtTheFieldAtFault) {
  const std::string head = Crlf({"[generale]", "lunghezza percorso, 1000"});
  const struct {
    const char* name;
    std::string text;
    int32_t withProfile;
    int32_t code;
    int line;
    int column;
  } kCases[] = {
      {"length out of range: the length",
       Crlf({"[generale]", "lunghezza percorso,   1000001", "x"}), 0, 1, 2, 23},
      {"repetition start", head + Crlf({"ripetizione segnali 4, 25, 1000", "[curve]", "x"}), 0, 3,
       3, 24},
      {"repetition end", head + Crlf({"ripetizione segnali 4, 50,\t1030", "[curve]", "x"}), 0, 4, 3,
       28},
      {"repetition without 4 or 9: the keyword",
       head + Crlf({"  ripetizione segnali, 50, 1000", "[curve]", "x"}), 0, 5, 3, 3},
      {"no [generale]: where it was expected", Crlf({"lunghezza percorso, 1000", "[curve]", " x"}),
       0, 102, 1, 1},
      {"curve without curvature: the keyword", head + Crlf({"[curve]", "   curvas, 100, 100", "x"}),
       1, 103, 4, 4},
      {"curve past the profile: its length", head + Crlf({"[curve]", "curva 1d, 100, 9000", "x"}),
       1, 103, 4, 16},
      {"text board on a taken cell: its position",
       head + Crlf({"[curve]", "cartello_indicatore, 500, A", "cartello_indicatore,  510, B", "x"}),
       0, 6, 5, 23},
      {"speed board on a taken cell: its position",
       head + Crlf({"[curve]", "indicatori_vmax, 500, 1, 1, 1, 0, 1, 1, 1, 0",
                    "indicatori_vmax, 510, 1, 1, 1, 0, 1, 1, 1, 0", "x"}),
       0, 21, 5, 18},
      {"beyond the grid: the position", head + Crlf({"[curve]", "pendenza, 8000, 1", "x"}), 0, 15,
       4, 11},
      {"position on the next line: no column", head + Crlf({"[curve]", "pendenza", "8000, 1", "x"}),
       0, 15, 4, 0},
      {"number out of range: that number",
       Crlf({"[generale]", "lunghezza percorso, 99999999999", "[curve]", "x"}), 0, 25, 2, 21},
      {"range failure on a later field",
       head + Crlf({"[curve]", "montagna, 100, 200, 99999999999", "x"}), 0, 25, 4, 21},
      {"the file ends inside a record: no field", head + Crlf({"[curve]", "pendenza, 100"}), 0, 25,
       4, 0},
      {"a failure of no one field: the keyword",
       Crlf({"[generale]", "[curve]", " curvas1, -100, 100", "x"}), 1, 25, 3, 2},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    auto r = CompileTexts(c.text, kNoTrain, c.withProfile);
    const Scenario& s = r.scenario;
    // The error is the last one told; warnings may follow it (the train).
    auto last_error = std::find_if(s.diagnostics.rbegin(), s.diagnostics.rend(),
                                   [](const Diagnostic& x) { return !x.is_warning(); });
    ASSERT_NE(last_error, s.diagnostics.rend());
    const Diagnostic& d = *last_error;
    EXPECT_EQ(d.code, c.code);
    EXPECT_EQ(d.line, c.line);
    EXPECT_EQ(d.column, c.column);
    const std::string place = std::string("Test_linea.txt:") + std::to_string(c.line) +
                              (c.column > 0 ? ":" + std::to_string(c.column) : "") + ": error: ";
    const std::string shown = FormatDiagnostic(d);
    const std::string first = shown.substr(0, shown.find('\n'));
    EXPECT_EQ(first.rfind(place, 0), 0u) << shown;
    EXPECT_TRUE(first.ends_with(" [" + std::to_string(c.code) + "]")) << shown;
  }
}

}  // namespace
}  // namespace sb
