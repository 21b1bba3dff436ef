// The line feature encoders: gradients, curves and the plan profile,
// mountains, maximum-speed indicator boards and text boards.
#include "compiler/line_features.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "compiler/readers.h"
#include "test_support.h"

namespace sb {
namespace {

using testing::CompileTexts;
using testing::Crlf;

constexpr const char* kNoTrain = "[generale]\r\n";
using Tag = ProfileTable::Tag;

// A line of `length` metres with the given feature records.
std::string Line(int32_t length, const std::vector<std::string>& features) {
  std::string out = testing::LineHeader(length);
  for (const std::string& f : features) out += f + "\r\n";
  return out + "[fine]\r\n";
}

std::string Board(int32_t position, const std::string& sides = "100, 105, 110, 2") {
  return "indicatori_vmax, " + std::to_string(position) + ", " + sides + ", " + sides;
}

TEST(GradientTest, CellsCarryTheValueInForce) {
  auto c = CompileTexts(Line(10000, {"pendenza,  0,   0", "pendenza,  2000,   6",
                                     "pendenza,  6000,   7", "pendenza,  9500,   0"}),
                        kNoTrain);
  const Scenario& s = c.scenario;
  ASSERT_EQ(s.errorCode, 0);
  ASSERT_EQ(s.lastCell, 340);
  const struct {
    int from, to;
    uint8_t value;
  } runs[] = {{0, 39, 100}, {40, 119, 106}, {120, 189, 107}, {190, 337, 100}, {338, 340, 0}};
  for (const auto& r : runs) {
    for (int i = r.from; i <= r.to; ++i) ASSERT_EQ(s.cells[i].gradient, r.value) << "cell " << i;
  }
}

TEST(GradientTest, RecordEdgeCases) {
  struct Case {
    const char* name;
    std::vector<std::string> records;
    std::vector<std::pair<int, uint8_t>> cells;  // cell, gradient byte
  };
  const Case cases[] = {
      // The second record of a cell fills one more cell with the first's value.
      {"two records in one cell",
       {"pendenza, 0, 1", "pendenza, 2000, 5", "pendenza, 2010, 9", "pendenza, 3000, 2"},
       {{39, 101}, {40, 105}, {41, 109}, {59, 109}, {60, 102}}},
      // Cell index 0 fills nothing; 26 m rounds to cell 1 and fills cell 0.
      {"first record at 0", {"pendenza, 0, 7", "pendenza, 500, 3"}, {{0, 107}, {9, 107}}},
      {"first record at 20", {"pendenza, 20, 7", "pendenza, 500, 3"}, {{0, 107}, {9, 107}}},
      {"first record at 26", {"pendenza, 26, 7", "pendenza, 500, 3"}, {{0, 100}, {1, 107}}},
      // Only the low 8 bits of value + 100 are kept.
      {"-100", {"pendenza, 0, -100", "pendenza, 500, 0"}, {{0, 0}}},
      {"155", {"pendenza, 0, 155", "pendenza, 500, 0"}, {{0, 255}}},
      {"156", {"pendenza, 0, 156", "pendenza, 500, 0"}, {{0, 0}}},
      {"-101", {"pendenza, 0, -101", "pendenza, 500, 0"}, {{0, 255}}},
      {"-6", {"pendenza, 0, -6", "pendenza, 500, 0"}, {{0, 94}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto r = CompileTexts(Line(10000, c.records), kNoTrain);
    ASSERT_EQ(r.scenario.errorCode, 0);
    for (auto [cell, value] : c.cells) EXPECT_EQ(r.scenario.cells[cell].gradient, value) << cell;
  }
}

// Records piled on the grid's last cells push the fill past the last cell;
// those cells do not exist and the fill stops there.
TEST(GradientTest, FillPastTheLastCellIsClipped) {
  auto c = CompileTexts(Line(0, {"pendenza, 6900, 1", "pendenza, 6900, 2", "pendenza, 6900, 3",
                                 "pendenza, 6900, 4", "pendenza, 6900, 5"}),
                        kNoTrain);
  const Scenario& s = c.scenario;
  EXPECT_EQ(s.errorCode, 0);
  ASSERT_EQ(s.lastCell, 140);
  EXPECT_EQ(s.cells[137].gradient, 100);
  EXPECT_EQ(s.cells[138].gradient, 101);
  EXPECT_EQ(s.cells[139].gradient, 102);
  EXPECT_EQ(s.cells[140].gradient, 103);
}

TEST(ProfileTest, SeedsStraightTailAndEmptyEnd) {
  auto c = CompileTexts(Line(0, {}), kNoTrain, 1);
  const Scenario& s = c.scenario;
  ASSERT_EQ(s.errorCode, 0);
  ASSERT_TRUE(s.profile.has_value());
  const ProfileTable p = s.profile->Table();
  ASSERT_EQ(p.end(), 7000);
  for (int col : {0, 1}) {
    EXPECT_EQ(p.tag(0, col), Tag::kInt16);
    EXPECT_EQ(p.tag(1, col), Tag::kInt16);
  }
  EXPECT_EQ(p.value(0, 0), 0.0);
  EXPECT_EQ(p.value(0, 1), 0.0);
  EXPECT_EQ(p.value(1, 0), 0.0);
  EXPECT_EQ(p.value(1, 1), 1.0);
  for (int32_t m = 2; m <= 6998; ++m) {
    ASSERT_EQ(p.tag(m, 0), Tag::kDouble) << m;
    ASSERT_EQ(p.tag(m, 1), Tag::kDouble) << m;
    ASSERT_EQ(p.value(m, 0), 0.0) << m;
    ASSERT_EQ(p.value(m, 1), static_cast<double>(m)) << m;
  }
  for (int32_t m : {6999, 7000}) {
    EXPECT_EQ(p.tag(m, 0), Tag::kEmpty) << m;
    EXPECT_EQ(p.tag(m, 1), Tag::kEmpty) << m;
  }
}

// The plan computed here metre by metre, with the curvature that should be
// in force on each metre: x(m) = x(m-1) + (a + c*b), y(m) = y(m-1) + (b - c*a).
struct Bend {
  int32_t from, to;  // metres bent
  double c;
};

void ExpectPlan(const ProfileTable& p, const std::vector<Bend>& bends, int32_t upTo) {
  std::vector<double> x(upTo + 1), y(upTo + 1);
  x[0] = 0, y[0] = 0, x[1] = 0, y[1] = 1;
  for (int32_t m = 2; m <= upTo; ++m) {
    double c = 0;
    for (const Bend& b : bends) {
      if (m >= b.from && m <= b.to) c = b.c;
    }
    const double a = x[m - 1] - x[m - 2];
    const double b = y[m - 1] - y[m - 2];
    if (c == 0) {
      x[m] = x[m - 1] + a;
      y[m] = y[m - 1] + b;
    } else {
      x[m] = x[m - 1] + (a + c * b);
      y[m] = y[m - 1] + (b - c * a);
    }
  }
  for (int32_t m = 2; m <= upTo; ++m) {
    ASSERT_EQ(p.tag(m, 0), Tag::kDouble) << m;
    ASSERT_EQ(p.value(m, 0), x[m]) << "x of metre " << m;
    ASSERT_EQ(p.value(m, 1), y[m]) << "y of metre " << m;
  }
}

TEST(CurveTest, BendsExactlyTheMetresAfterItsStart) {
  struct Case {
    const char* name;
    std::vector<std::string> records;
    std::vector<Bend> bends;
  };
  const Case cases[] = {
      // Straight up to metre 10, arc on metres 11 to 13.
      {"one curve", {"curvad5, 10, 3"}, {{11, 13, 0.002}}},
      {"length 0", {"curvad5, 10, 0"}, {}},
      // The second curve starts behind the cursor: no run-in, arc 14 to 15.
      {"overlapping", {"curvad5, 10, 3", "curvas5, 12, 3"}, {{11, 13, 0.002}, {14, 15, -0.002}}},
      {"ending behind the cursor", {"curvad5, 10, 3", "curvad6, 5, 3"}, {{11, 13, 0.002}}},
      {"two apart", {"curvad5, 10, 3", "curvas1, 20, 2"}, {{11, 13, 0.002}, {21, 22, -0.0001}}},
      // Long enough for the order of the additions to show in the last bits.
      {"long arc", {"curvad6, 100, 1000"}, {{101, 1100, 0.003}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto r = CompileTexts(Line(0, c.records), kNoTrain, 1);
    ASSERT_EQ(r.scenario.errorCode, 0);
    ExpectPlan(r.scenario.profile->Table(), c.bends, 2000);
  }

  // The first metres of the arc, by hand.
  auto r = CompileTexts(Line(0, {"curvad5, 10, 3"}), kNoTrain, 1);
  const ProfileTable p = r.scenario.profile->Table();
  EXPECT_EQ(p.value(10, 0), 0.0);
  EXPECT_EQ(p.value(10, 1), 10.0);
  EXPECT_EQ(p.value(11, 0), 0.002);
  EXPECT_EQ(p.value(11, 1), 11.0);
  EXPECT_DOUBLE_EQ(p.value(12, 0), 0.006);
  EXPECT_DOUBLE_EQ(p.value(12, 1), 11.999996);
}

TEST(CurveTest, CurvatureFromTheKeyword) {
  struct Case {
    const char* keyword;
    double c;
  };
  const Case cases[] = {
      {"curvad1", 0.0001},          {"curvad2", 0.0002}, {"curvad3", 0.0004},  {"curvad4", 0.001},
      {"curvad5", 0.002},           {"curvad6", 0.003},  {"curvas3", -0.0004}, {"CURVAS3", -0.0004},
      {"curvad21", 0.0001},  // "1" is tested before "2"
      {"curva 6 sinistra", -0.003},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keyword);
    auto r = CompileTexts(Line(0, {std::string(c.keyword) + ", 10, 1"}), kNoTrain, 1);
    ASSERT_EQ(r.scenario.errorCode, 0);
    // The step before the arc is (0, 1), so the first arc metre moves x by c.
    EXPECT_EQ(r.scenario.profile->Table().value(11, 0), c.c);
  }
}

TEST(CurveTest, WithoutAProfileACurveIsNoRecord) {
  // "curvas" names no curvature; its numbers are read as keyword fields.
  auto c = CompileTexts(Line(1000, {"curvas, 10, 3", "pendenza, 500, 4"}), kNoTrain, 0);
  EXPECT_EQ(c.scenario.errorCode, 0);
  EXPECT_FALSE(c.scenario.profile.has_value());
  EXPECT_EQ(c.scenario.cells[10].gradient, 104);
}

TEST(CurveTest, CurvePastTheProfileEndIsError103) {
  auto c = CompileTexts(Line(0, {"curvad1, 6900, 200"}), kNoTrain, 1);
  EXPECT_EQ(c.scenario.errorCode, 103);
  EXPECT_EQ(c.scenario.errorPosition, 0);
  EXPECT_EQ(c.scenario.profile->Table().tag(7000, 0), Tag::kDouble);
}

TEST(CurveTest, ProfileCursorPastOneMillionMetres) {
  Scenario s;
  s.withProfile = 1;
  s.SizeForLength(1000000);
  s.profile->Seed();
  EXPECT_EQ(EncodeCurve(s, "curvad1", 999900, 200), CurveResult::kPastLimit);
  const ProfileTable p = s.profile->Table();
  EXPECT_EQ(p.tag(1000000, 0), Tag::kDouble);
  EXPECT_EQ(p.tag(1000001, 0), Tag::kEmpty);
}

// The curve encoder and the profile tail against the reading taken
// literally, one metre at a time: random curves (overlapping, of length 0,
// behind the cursor, past the end of the profile) on a short line, then the
// tail. Every outcome and every element must agree.
TEST(CurveTest, RunsAgreeWithTheMetreByMetreReading) {
  struct Reference {
    int32_t end;
    int32_t cursor = 2;
    std::vector<double> x, y;
    explicit Reference(int32_t e) : end(e), x{0, 0}, y{0, 1} {}
    void Step(bool arc, double c) {
      const auto m = static_cast<std::size_t>(cursor);
      const double a = x[m - 1] - x[m - 2];
      const double b = y[m - 1] - y[m - 2];
      x.push_back(arc ? x[m - 1] + (a + c * b) : x[m - 1] + a);
      y.push_back(arc ? y[m - 1] + (b - c * a) : y[m - 1] + b);
      ++cursor;
    }
    CurveResult Run(int64_t last, bool arc, double c) {
      while (cursor <= last) {
        if (cursor > end) return CurveResult::kPastProfileEnd;
        Step(arc, c);
        if (cursor > kProfileLimit) return CurveResult::kPastLimit;
      }
      return CurveResult::kOk;
    }
    CurveResult Curve(int32_t start, int32_t length, double c) {
      const CurveResult r = Run(start, false, 0);
      return r != CurveResult::kOk ? r : Run(int64_t{start} + length, true, c);
    }
  };
  const std::pair<const char*, double> kinds[] = {
      {"curvad6", 0.003}, {"curvas4", -0.001}, {"curvad1", 0.0001}};
  std::mt19937 rng(20261210);
  for (int trial = 0; trial < 200; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    Scenario s;
    s.withProfile = 1;
    s.SizeForLength(0);  // metres 0 to 7000
    s.profile->Seed();
    Reference ref(s.profileEnd);
    CurveResult got = CurveResult::kOk;
    int32_t start = 0;
    // Mostly forward, sometimes behind the cursor; lengths from 0 up. The
    // last curve may run past the end of the profile (metre 7000).
    while (got == CurveResult::kOk && start < 6300) {
      start += static_cast<int32_t>(rng() % 900) - 150;
      const auto length = static_cast<int32_t>(rng() % 4 == 0 ? 0 : rng() % 700);
      const auto& [keyword, c] = kinds[rng() % 3];
      got = EncodeCurve(s, keyword, start, length);
      ASSERT_EQ(got, ref.Curve(start, length, c)) << keyword << ", " << start << ", " << length;
      ASSERT_EQ(s.profile->cursor(), ref.cursor);
    }
    if (got == CurveResult::kOk) {
      ProfileTail(s);
      ref.Run(ref.end - 2, false, 0);
    }
    ASSERT_EQ(s.profile->cursor(), ref.cursor);
    const ProfileTable t = s.profile->Table();
    for (int32_t m = 2; m <= s.profileEnd; ++m) {
      const bool computed = m < ref.cursor;
      ASSERT_EQ(t.tag(m, 0), computed ? Tag::kDouble : Tag::kEmpty) << m;
      if (!computed) continue;
      ASSERT_EQ(t.value(m, 0), ref.x[static_cast<std::size_t>(m)]) << "x of metre " << m;
      ASSERT_EQ(t.value(m, 1), ref.y[static_cast<std::size_t>(m)]) << "y of metre " << m;
    }
  }
}

TEST(MountainTest, TerrainAndEveryFourthCellMarked) {
  auto c = CompileTexts(Line(241000, {"montagna,   24350,  26350,  11"}), kNoTrain);
  const Scenario& s = c.scenario;
  ASSERT_EQ(s.errorCode, 0);
  EXPECT_EQ(s.cells[486].terrain, 0);
  EXPECT_EQ(s.cells[527].terrain, 0);
  for (int i = 487; i <= 526; ++i) {
    EXPECT_EQ(s.cells[i].terrain, 1) << i;
    const bool mark = (i - 487 + 1) % 4 == 0;  // 490, 494, ..., 526
    EXPECT_EQ(s.cells[i].kind, mark ? kKindMountainMark : kKindEmpty) << i;
  }
  EXPECT_EQ(s.mountainCount, 1);
}

TEST(MountainTest, CloseMountainsBecomeType3) {
  struct Case {
    const char* name;
    std::vector<std::string> records;
    int cell;
    uint8_t terrain;
  };
  const Case cases[] = {
      {"first mountain near the start", {"montagna, 100, 1000, 2"}, 2, 2},
      {"gap 150", {"montagna, 1000, 2000, 2", "montagna, 2150, 3000, 1"}, 50, 3},
      {"gap 151", {"montagna, 1000, 2000, 2", "montagna, 2151, 3000, 1"}, 50, 1},
      {"overlap", {"montagna, 1000, 2000, 2", "montagna, 1900, 3000, 1"}, 50, 3},
      {"marks asked", {"montagna, 1000, 2000, 2", "montagna, 2151, 3000, 14"}, 50, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto r = CompileTexts(Line(10000, c.records), kNoTrain);
    ASSERT_EQ(r.scenario.errorCode, 0);
    EXPECT_EQ(r.scenario.cells[c.cell].terrain, c.terrain);
  }
}

TEST(MountainTest, MarksOnlyOnEmptyCellsAndBoardsReplaceMarks) {
  // Cell 490 holds a board before the mountain; cells 494 and 498 would be
  // marks, and boards placed afterwards take them.
  auto c = CompileTexts(Line(241000, {Board(24450), "montagna, 24350, 26350, 11", Board(24650),
                                      "cartello_indicatore, 24850, T"}),
                        kNoTrain);
  const Scenario& s = c.scenario;
  ASSERT_EQ(s.errorCode, 0);
  EXPECT_EQ(s.cells[490].kind, kKindSpeedBoard);
  EXPECT_EQ(s.cells[490].value1, 2020);
  EXPECT_EQ(s.cells[490].terrain, 1);
  EXPECT_EQ(s.cells[494].kind, kKindSpeedBoard);
  EXPECT_EQ(s.cells[498].kind, kKindTextBoard);
  EXPECT_EQ(s.cells[502].kind, kKindMountainMark);
}

TEST(MountainTest, CellsBeyondTheGridAreClipped) {
  auto c = CompileTexts(Line(0, {"montagna, 6900, 9000, 1"}), kNoTrain);
  const Scenario& s = c.scenario;
  EXPECT_EQ(s.errorCode, 0);
  EXPECT_EQ(s.cells[137].terrain, 0);
  for (int i = 138; i <= 140; ++i) EXPECT_EQ(s.cells[i].terrain, 1) << i;
}

TEST(MountainTest, EightyFirstMountainIsARunTimeFailure) {
  for (int count : {80, 81}) {
    SCOPED_TRACE(count);
    std::vector<std::string> records(count, "montagna, 1000, 2000, 1");
    auto c = CompileTexts(Line(10000, records), kNoTrain);
    EXPECT_EQ(c.scenario.errorCode, count == 80 ? 0 : 25);
    EXPECT_EQ(c.scenario.mountainCount, 80);
  }
}

TEST(SpeedBoardTest, PackedValuesAndCell) {
  struct Case {
    std::string record;
    int cell;
    int16_t v1, v2, v3, v4;
  };
  const Case cases[] = {
      {Board(19150), 384, 2020, 2121, 2222, 22},
      {Board(2950, "140, 160, 170, 0"), 60, 2828, 3232, 3434, 0},
      {Board(2975, "140, 160, 170, 0"), 60, 2828, 3232, 3434, 0},  // 60.5 rounds to 60
      {Board(3025, "140, 160, 170, 0"), 62, 2828, 3232, 3434, 0},  // 61.5 rounds to 62
      // vad / 5 is real and the sum rounds to nearest: 21.4, 21.6, 22.6.
      {"indicatori_vmax, 5000, 1, 1, 1, 3, 7, 8, 13, 4", 101, 21, 22, 23, 34},
      // Only the low 16 bits of the stripe counts count.
      {"indicatori_vmax, 5000, 0, 0, 0, 65537, 0, 0, 0, 2", 101, 0, 0, 0, 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.record);
    auto r = CompileTexts(Line(241000, {c.record}), kNoTrain);
    const TrackCell& cell = r.scenario.cells[c.cell];
    ASSERT_EQ(r.scenario.errorCode, 0);
    EXPECT_EQ(cell.kind, kKindSpeedBoard);
    EXPECT_EQ(cell.value1, c.v1);
    EXPECT_EQ(cell.value2, c.v2);
    EXPECT_EQ(cell.value3, c.v3);
    EXPECT_EQ(cell.value4, c.v4);
  }
}

TEST(SpeedBoardTest, ValueBeyond16BitsIsARunTimeFailure) {
  auto c = CompileTexts(Line(10000, {"indicatori_vmax, 500, 2000, 1, 1, 0, 0, 0, 0, 0"}), kNoTrain);
  EXPECT_EQ(c.scenario.errorCode, 25);
  EXPECT_EQ(c.scenario.cells[11].kind, kKindEmpty);
}

TEST(BoardTest, OnlyFreeCellsTakeABoard) {
  const std::string speed = Board(1000);
  const std::string text = "cartello_indicatore, 1000, T";
  const std::string mark = "montagna, 900, 2000, 11";  // marks cell 21
  struct Case {
    const char* name;
    std::string first, second;
    int32_t code;
    uint8_t kind;  // of cell 21 afterwards
  };
  const Case cases[] = {
      {"speed on speed", speed, speed, 21, kKindSpeedBoard},
      {"speed on text", text, speed, 21, kKindTextBoard},
      {"text on speed", speed, text, 6, kKindSpeedBoard},
      {"text on text", text, text, 6, kKindTextBoard},
      {"speed on mark", mark, speed, 0, kKindSpeedBoard},
      {"text on mark", mark, text, 0, kKindTextBoard},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto r = CompileTexts(Line(10000, {c.first, c.second}), kNoTrain);
    EXPECT_EQ(r.scenario.errorCode, c.code);
    EXPECT_EQ(r.scenario.errorPosition, c.code == 0 ? 0 : 1000);
    EXPECT_EQ(r.scenario.cells[21].kind, c.kind);
  }
}

TEST(TextBoardTest, TextsCountDownFromSlot80) {
  const std::string line = Line(241000, {"cartello_indicatore,  97500,   (Km 208+500)",
                                         "cartello_indicatore,  212400,   (Km 323+402)"});
  TextDescriptions source(testing::kLineId, testing::kTrain);
  source.line = line;
  Scenario s;
  s.lineId = testing::kLineId;
  Description d(source, DescriptionKind::kLine);
  LineFeatureState st;
  PhaseEnd end = PhaseEnd::kStopped;
  ASSERT_TRUE(ReadLineDescription(s, d, st, &end).ok());
  ASSERT_EQ(end, PhaseEnd::kFinished);
  EXPECT_EQ(s.errorCode, 0);
  EXPECT_EQ(s.cells[1951].kind, kKindTextBoard);
  EXPECT_EQ(s.cells[1951].value1, 80);
  EXPECT_EQ(s.items[80].text, "(Km 208+500)");
  EXPECT_EQ(s.cells[4249].kind, kKindTextBoard);
  EXPECT_EQ(s.cells[4249].value1, 79);
  EXPECT_EQ(s.items[79].text, "(Km 323+402)");
  EXPECT_EQ(st.boardSlot, 78);
}

TEST(TextBoardTest, TextEndsAtACommaAndIsNeverAKeyword) {
  auto c = CompileTexts(Line(10000, {"cartello_indicatore, 500, Km 1, 2",
                                     "cartello_indicatore, 1000, pendenza, 1500, 5"}),
                        kNoTrain);
  const Scenario& s = c.scenario;
  ASSERT_EQ(s.errorCode, 0);
  EXPECT_EQ(s.items[80].text, "Km 1");
  EXPECT_EQ(s.items[79].text, "pendenza");
  EXPECT_EQ(s.cells[30].gradient, 100);
}

TEST(TextBoardTest, EightyFirstBoardIsARunTimeFailure) {
  for (int count : {80, 81}) {
    SCOPED_TRACE(count);
    std::vector<std::string> records;
    for (int i = 1; i <= count; ++i) {
      records.push_back("cartello_indicatore, " + std::to_string(100 * i) + ", B" +
                        std::to_string(i));
    }
    auto c = CompileTexts(Line(10000, records), kNoTrain);
    EXPECT_EQ(c.scenario.errorCode, count == 80 ? 0 : 25);
    EXPECT_EQ(c.scenario.items[80].text, "B1");
    EXPECT_EQ(c.scenario.items[1].text, "B80");
    EXPECT_EQ(c.scenario.items[0].text, "");
  }
}

}  // namespace
}  // namespace sb
