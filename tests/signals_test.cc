// Signals and slowdowns on the cell grid: memo_segnale and
// memo_rallentamento on a sized grid, and the same records read from a
// train description.
#include "compiler/signals.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/compiler.h"
#include "compiler/scenario.h"
#include "format/cell_codec.h"
#include "model/file_names.h"
#include "test_support.h"

namespace sb {
namespace {

using sb::testing::kLineId;
using sb::testing::kTrain;
using sb::testing::LineHeader;

Scenario Grid() {
  Scenario s;
  s.SizeForLength(241000);  // cells 0 to 4960
  return s;
}

// Reads a train description of the given lines after a bare 241000 m line.
Scenario ReadTrain(const std::vector<std::string>& lines) {
  std::string train = "[generale]\r\n";
  for (const std::string& l : lines) train += l + "\r\n";
  TextDescriptions source(kLineId, kTrain);
  source.line = LineHeader();
  source.train = train;
  Scenario s;
  s.lineId = kLineId;
  s.trainNumber = kTrain;
  memorizza_dati(s, source).IgnoreError();
  EXPECT_FALSE(source.train.has_value());
  return s;
}

struct Signal {
  int32_t posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo;
};

// The error code the encoder hands back (it never records one itself) and
// the time as it left it.
struct Placed {
  int32_t code;
  int32_t time;
};

Placed PlaceSignal(Scenario& s, Signal a) {
  SignalRecord r{a.posizione, a.sx, a.s1, a.s2, a.s3, a.rapp, a.dx, a.d1, a.d2, a.d3, a.tempo};
  ErrorCode code = ErrorCode{-1};
  EXPECT_TRUE(memo_segnale(s, r, &code).ok());
  EXPECT_EQ(s.errorCode, 0);
  EXPECT_TRUE(s.diagnostics.empty());
  return {Number(code), r.time};
}

struct Slowdown {
  int32_t x, v, l, f_tt, f_ta, d_v;
};

// The error code the encoder hands back; it never records one itself.
int32_t PlaceSlowdown(Scenario& s, Slowdown a) {
  SlowdownFault fault{ErrorCode{-1}, -1};
  EXPECT_TRUE(memo_rallentamento(s, {a.x, a.v, a.l, a.f_tt, a.f_ta, a.d_v}, &fault).ok());
  EXPECT_EQ(s.errorCode, 0);
  EXPECT_TRUE(s.diagnostics.empty());
  return Number(fault.code);
}

struct Cell {
  int index;
  uint8_t kind;
  int16_t value1, value2, value3;
};

// The listed cells hold what they say; every other cell of 0 .. 600 is
// untouched.
void ExpectCells(const Scenario& s, const std::vector<Cell>& cells) {
  for (int i = 0; i <= 600; ++i) {
    Cell want{i, 0, 0, 0, 0};
    for (const Cell& c : cells) {
      if (c.index == i) want = c;
    }
    const TrackCell& got = s.cells[i];
    EXPECT_EQ(got.kind, want.kind) << "cell " << i;
    EXPECT_EQ(got.value1, want.value1) << "cell " << i;
    EXPECT_EQ(got.value2, want.value2) << "cell " << i;
    EXPECT_EQ(got.value3, want.value3) << "cell " << i;
    EXPECT_EQ(got.value4, 0) << "cell " << i;
  }
}

// --- Signals -------------------------------------------------------------------

TEST(SignalTest, PacksDigitsAndMarksTheApproach) {
  const struct {
    std::string record;  // as the content writes it
    Signal signal;
    int cell;
    int16_t v1, v2, v3, v4;
    int codeTens;  // sx * 3 + dx
  } kCases[] = {
      {"segnale,    8900,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
       {8900, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0},
       179,
       32,
       11,
       11,
       8,
       8},
      {"segnale,    7600,   2, 4, 1,  0, 0,    1,  3,1,0, 0",
       {7600, 2, 4, 1, 0, 0, 1, 3, 1, 0, 0},
       153,
       43,
       11,
       0,
       7,
       7},
      // Approach codes below cell 0 are not written.
      {"segnale, 250, 1, 9, 9, 9, 5, 2, 9, 9, 9, 0",
       {250, 1, 9, 9, 9, 5, 2, 9, 9, 9, 0},
       6,
       99,
       99,
       99,
       55,
       5},
      {"segnale, 0, 0, 1, 2, 3, 0, 0, 0, 0, 0, 0",
       {0, 0, 1, 2, 3, 0, 0, 0, 0, 0, 0},
       1,
       10,
       20,
       30,
       0,
       0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.record);
    Scenario direct = Grid();
    // An approach code already there is replaced.
    if (c.cell >= 2) direct.cells[c.cell - 2].approachCode = 99;
    PlaceSignal(direct, c.signal);
    Scenario read = ReadTrain({c.record});
    EXPECT_EQ(read.errorCode, 0);
    for (const Scenario* s : {&direct, &read}) {
      const TrackCell& cell = s->cells[c.cell];
      EXPECT_EQ(cell.kind, kKindSignal);
      EXPECT_EQ(cell.value1, c.v1);
      EXPECT_EQ(cell.value2, c.v2);
      EXPECT_EQ(cell.value3, c.v3);
      EXPECT_EQ(cell.value4, c.v4);
      EXPECT_EQ(cell.signalTime, 0);
      for (int i = 0; i < c.cell; ++i) {
        const int k = (c.cell - i) / 2;
        const bool coded = (c.cell - i) % 2 == 0 && k <= 4;
        EXPECT_EQ(s->cells[i].approachCode, coded ? c.codeTens * 10 + k : 0) << "cell " << i;
      }
    }
  }
}

TEST(SignalTest, TempoCountsOnlyForSx2AndIsRaisedTo101) {
  const struct {
    int32_t sx, tempo;
    uint8_t signalTime;
    int32_t tempoAfter;  // the caller's variable
  } kCases[] = {
      {2, 0, 0, 0},       {2, 1, 101, 101},   {2, 50, 101, 101}, {2, 100, 101, 101},
      {2, 101, 101, 101}, {2, 150, 150, 150}, {2, 300, 44, 300}, {2, -5, 251, -5},
      {1, 50, 0, 101},    {0, 200, 0, 200},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE("sx " + std::to_string(c.sx) + " tempo " + std::to_string(c.tempo));
    Scenario s = Grid();
    EXPECT_EQ(PlaceSignal(s, {8900, c.sx, 3, 1, 1, 0, 2, 2, 1, 1, c.tempo}).time, c.tempoAfter);
    EXPECT_EQ(s.cells[179].signalTime, c.signalTime);
  }
}

TEST(SignalTest, CellIndexRoundsHalfToEven) {
  const struct {
    int32_t position;
    int cell;
  } kCases[] = {{0, 1}, {24, 1}, {25, 2}, {75, 2}, {125, 4}, {8900, 179}, {247850, 4958}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.position);
    Scenario s = Grid();
    EXPECT_EQ(PlaceSignal(s, {c.position, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0}).code, 0);
    EXPECT_EQ(s.cells[c.cell].kind, kKindSignal);
  }
}

TEST(SignalTest, OnlyEmptyAndMountainMarkCellsTakeASignal) {
  const Signal signal{8900, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0};
  for (uint8_t kind : {0, 1, 2, 3, 4, 5, 6, 10, 11, 12, 13, 14}) {
    SCOPED_TRACE("kind " + std::to_string(kind));
    Scenario s = Grid();
    s.cells[179].kind = kind;
    s.cells[179].value1 = 7;
    const std::string before = EncodeCells(s.cells);
    const int32_t code = PlaceSignal(s, signal).code;
    if (kind == kKindEmpty || kind == kKindMountainMark) {
      EXPECT_EQ(code, 0);
      EXPECT_EQ(s.cells[179].kind, kKindSignal);
      EXPECT_EQ(s.cells[179].value1, 32);
    } else {
      EXPECT_EQ(code, 16);
      EXPECT_EQ(EncodeCells(s.cells), before);
    }
  }
  // A second signal on the same cell, read from a description.
  Scenario s = ReadTrain({"segnale, 8900, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0",
                          "segnale, 8910, 1, 5, 5, 5, 0, 0, 5, 5, 5, 0", "sabbia, 5"});
  EXPECT_EQ(s.errorCode, 16);
  EXPECT_EQ(s.errorPosition, 8910);
  EXPECT_EQ(s.cells[179].value1, 32);
  EXPECT_EQ(s.cells[177].approachCode, 81);
  EXPECT_EQ(s.items[kSlotTrain].num1, 0);
}

// --- Slowdowns -----------------------------------------------------------------

TEST(SlowdownTest, WarningStartEndAndTheCellsBeforeTheWarning) {
  const struct {
    std::string name;
    Slowdown slowdown;
    std::vector<Cell> cells;
  } kCases[] = {
      {"23450 m, 80 km/h, 800 m",
       {23450, 80, 800, 0, 1, 80},
       {{446, 4, 80, 80, 0},
        {470, 3, 80, 80, 0},
        {486, 2, 80, 80, 0},
        {445, 5, 1, 1, 0},
        {444, 5, 2, 2, 0},
        {443, 5, 3, 3, 0},
        {442, 5, 4, 4, 0}}},
      {"whole train, no cells before the warning",
       {23450, 80, 800, 1, 0, 0},
       {{446, 4, 80, 0, 0}, {470, 3, 80, 0, 1}, {486, 2, 80, 0, 1}}},
      // Up to 1500 m there is no warning, whatever f_ta says.
      {"at 1500 m", {1500, 60, 200, 0, 1, 60}, {{31, 3, 60, 60, 0}, {35, 2, 60, 60, 0}}},
      {"at 1550 m",
       {1550, 60, 200, 0, 1, 60},
       {{8, 4, 60, 60, 0},
        {32, 3, 60, 60, 0},
        {36, 2, 60, 60, 0},
        {7, 5, 1, 1, 0},
        {6, 5, 2, 2, 0},
        {5, 5, 3, 3, 0},
        {4, 5, 4, 4, 0}}},
      // The warning rounds 7.5 up, the cells before it round 6.5 down.
      {"at 1525 m",
       {1525, 60, 200, 0, 1, 60},
       {{8, 4, 60, 60, 0},
        {32, 3, 60, 60, 0},
        {36, 2, 60, 60, 0},
        {6, 5, 1, 1, 0},
        {5, 5, 2, 2, 0},
        {4, 5, 3, 3, 0},
        {3, 5, 4, 4, 0}}},
      // Start and end share a cell: it ends as a start.
      {"length 0", {23450, 80, 0, 1, 0, 80}, {{446, 4, 80, 80, 0}, {470, 3, 80, 80, 1}}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Scenario s = Grid();
    EXPECT_EQ(PlaceSlowdown(s, c.slowdown), 0);
    ExpectCells(s, c.cells);
  }
}

TEST(SlowdownTest, ZeroSecondSpeedLeavesValue2) {
  Scenario s = Grid();
  const int cells[] = {442, 443, 444, 445, 446, 470, 486};
  for (int i : cells) s.cells[i].value2 = 77;
  ASSERT_EQ(PlaceSlowdown(s, {23450, 80, 800, 0, 1, 0}), 0);
  for (int i : cells) {
    EXPECT_NE(s.cells[i].kind, kKindEmpty) << "cell " << i;
    EXPECT_EQ(s.cells[i].value2, 77) << "cell " << i;
  }
}

// The warning, start and end cells are all tested before anything is
// written; the four cells before the warning are tested after.
TEST(SlowdownTest, TakenCells) {
  const Slowdown example{23450, 80, 800, 0, 1, 80};  // w 446, s 470, e 486, h 445
  const struct {
    std::string name;
    Slowdown slowdown;
    int taken;  // cell given a signal first, -1 for none
    uint8_t takenKind;
    int32_t code;
    int w, s, e, h;
  } kCases[] = {
      {"warning", example, 446, kKindSignal, 17, 446, 470, 486, 445},
      {"start", example, 470, kKindSignal, 18, 446, 470, 486, 445},
      {"end", example, 486, kKindStopMark, 19, 446, 470, 486, 445},
      {"fourth before the warning", example, 442, kKindSignal, 20, 446, 470, 486, 445},
      {"first before the warning", example, 445, kKindSpeedPoint, 20, 446, 470, 486, 445},
      {"mountain mark before the warning", example, 442, kKindMountainMark, 0, 446, 470, 486, 445},
      {"before the warning, f_ta 0",
       {23450, 80, 800, 0, 0, 80},
       442,
       kKindSignal,
       0,
       446,
       470,
       486,
       -1},
      {"no warning at 1500 m", {1500, 60, 200, 0, 1, 60}, 7, kKindSignal, 0, -1, 31, 35, -1},
      // At 1575 m both roundings give cell 8: the first cell before the
      // warning is the warning itself.
      {"at 1575 m", {1575, 60, 200, 0, 1, 60}, -1, 0, 20, 8, 32, 36, 8},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Scenario s = Grid();
    if (c.taken >= 0) s.cells[c.taken].kind = c.takenKind;
    const Scenario before = s;
    EXPECT_EQ(PlaceSlowdown(s, c.slowdown), c.code);
    if (c.code >= 17 && c.code <= 19) {
      EXPECT_EQ(EncodeCells(s.cells), EncodeCells(before.cells));
      continue;
    }
    if (c.w >= 0) {
      EXPECT_EQ(s.cells[c.w].kind, kKindSlowdownWarning);
    }
    EXPECT_EQ(s.cells[c.s].kind, kKindSlowdownStart);
    EXPECT_EQ(s.cells[c.e].kind, kKindSlowdownEnd);
    if (c.code == 20) {
      for (int i = c.h - 3; i <= c.h; ++i) {
        if (i == c.w) continue;
        EXPECT_EQ(s.cells[i].kind, before.cells[i].kind) << "cell " << i;
        EXPECT_EQ(s.cells[i].value1, 0) << "cell " << i;
      }
    } else if (c.h >= 0) {
      for (int i = c.h - 3; i <= c.h; ++i) EXPECT_EQ(s.cells[i].kind, kKindBeforeWarning);
    } else if (c.taken >= 0) {
      EXPECT_EQ(s.cells[c.taken].kind, c.takenKind);
    }
  }
}

TEST(SlowdownTest, FromTheTrainDescription) {
  const std::string record = "rallentamento,   23450,    80,  800, 0,  1,  80";
  Scenario ok = ReadTrain({record});
  EXPECT_EQ(ok.errorCode, 0);
  ExpectCells(ok, {{446, 4, 80, 80, 0},
                   {470, 3, 80, 80, 0},
                   {486, 2, 80, 80, 0},
                   {445, 5, 1, 1, 0},
                   {444, 5, 2, 2, 0},
                   {443, 5, 3, 3, 0},
                   {442, 5, 4, 4, 0}});

  // A signal on the warning cell (22250 m) or on the fourth cell before it
  // (22050 m). The reading stops at the slowdown's position.
  const struct {
    int32_t signal;
    int32_t code;
    bool written;
  } kCases[] = {{22250, 17, false}, {22050, 20, true}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.signal);
    Scenario s =
        ReadTrain({"velocita, 0, 100",
                   "segnale, " + std::to_string(c.signal) + ", 2, 4, 0, 0, 0, 0, 0, 0, 0, 0",
                   record, "sabbia, 5"});
    EXPECT_EQ(s.errorCode, c.code);
    EXPECT_EQ(s.errorPosition, 23450);
    EXPECT_EQ(s.cells[470].kind, c.written ? kKindSlowdownStart : kKindEmpty);
    EXPECT_EQ(s.cells[486].kind, c.written ? kKindSlowdownEnd : kKindEmpty);
    EXPECT_EQ(s.cells[445].kind, kKindEmpty);
    EXPECT_EQ(s.items[kSlotTrain].num1, 0);
    EXPECT_EQ(s.cells[0].speedLimit, 0);  // a stop: no tails
  }
}

// Only a record's start is checked against the grid; a slowdown whose end
// cell lies past the last cell is beyond the grid as a whole.
TEST(SlowdownTest, EndPastTheLastCellIsBeyondTheGrid) {
  // Start cell 4958; the end cell is (247850 + l) / 50 + 1, rounded half to even.
  Scenario fits = ReadTrain({"rallentamento, 247850, 80, 100, 0, 1, 80"});
  EXPECT_EQ(fits.errorCode, 0);
  EXPECT_EQ(fits.cells[4960].kind, kKindSlowdownEnd);
  EXPECT_EQ(fits.cells[4958].kind, kKindSlowdownStart);

  Scenario past =
      ReadTrain({"velocita, 0, 100", "rallentamento, 247850, 80, 150, 0, 1, 80", "sabbia, 5"});
  EXPECT_EQ(past.errorCode, 15);
  EXPECT_EQ(past.errorPosition, 247850);
  EXPECT_EQ(past.items[kSlotTrain].num1, 0);
  for (int i = 4920; i <= 4960; ++i) EXPECT_EQ(past.cells[i].kind, kKindEmpty) << "cell " << i;
  EXPECT_EQ(past.cells[4957].speedLimit, 20);  // the tails ran
}

}  // namespace
}  // namespace sb
