// Route completion on small hand-made grids: which cells receive speed
// points, which values a later signal lowers, and which error each failed
// search records.
#include "compiler/route_completion.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "compiler/scenario.h"
#include "test_support.h"

namespace sb {
namespace {

// A line length of 0 gives cells 0 to 140.
constexpr int32_t kLast = 140;

struct Mark {
  int32_t cell;
  uint8_t kind;
  int16_t value1 = 0;
};

struct Point {
  int32_t cell;
  int16_t value1 = kRoutePointSpeed;
  bool operator==(const Point&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Point& p) {
  return os << "{cell " << p.cell << ", " << p.value1 << "}";
}

Scenario Grid(const std::vector<Mark>& marks) {
  Scenario s;
  s.SizeForLength(0);
  for (const Mark& m : marks) {
    s.cells[static_cast<std::size_t>(m.cell)].kind = m.kind;
    s.cells[static_cast<std::size_t>(m.cell)].value1 = m.value1;
  }
  return s;
}

// Every kind-12 cell of the grid, in index order.
std::vector<Point> Points(const Scenario& s) {
  std::vector<Point> out;
  for (std::size_t i = 0; i < s.cells.size(); ++i) {
    if (s.cells[i].kind == kKindSpeedPoint)
      out.push_back({static_cast<int32_t>(i), s.cells[i].value1});
  }
  return out;
}

struct Case {
  const char* name;
  std::vector<Mark> marks;
  std::vector<Point> points;  // every kind-12 cell afterwards
  int32_t errorCode = 0;
  int32_t errorPosition = 0;
};

constexpr uint8_t kSig = kKindSignal;
constexpr uint8_t kEnd = kKindSlowdownEnd;
constexpr uint8_t kStart = kKindSlowdownStart;
constexpr uint8_t kWarn = kKindSlowdownWarning;
constexpr uint8_t kBoard = kKindSpeedBoard;
constexpr uint8_t kMount = kKindMountainMark;
constexpr uint8_t kPt = kKindSpeedPoint;

void RunCases(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scenario s = Grid(c.marks);
    ASSERT_EQ(s.lastCell, kLast);
    CompleteRoute(s);
    EXPECT_EQ(Points(s), c.points);
    EXPECT_EQ(s.errorCode, c.errorCode);
    EXPECT_EQ(s.errorPosition, c.errorPosition);
    EXPECT_EQ(s.diagnostics.size(), c.errorCode == 0 ? 0u : 1u);
  }
}

TEST(RouteCompletion, SignalsBeforeAWarning) {
  RunCases({
      {"a signal gets its point on the cell before it", {{50, kWarn}, {40, kSig}}, {{39}}},
      {"first cell taken: the one before", {{50, kWarn}, {40, kSig}, {39, kBoard}}, {{38}}},
      {"a mountain mark is free", {{50, kWarn}, {40, kSig}, {39, kMount}}, {{39}}},
      {"a point of 150 before the signal keeps 150",
       {{50, kWarn}, {40, kSig}, {39, kPt, 150}, {38, kBoard}},
       {{39, 150}}},
      {"a point of 200 before the signal becomes 180",
       {{50, kWarn}, {40, kSig}, {39, kPt, 200}, {38, kBoard}},
       {{39, 180}}},
      {"a free second cell wins over lowering the first",
       {{50, kWarn}, {40, kSig}, {39, kPt, 200}},
       {{38}, {39, 200}}},
      {"first cell taken, second a point of 200",
       {{50, kWarn}, {40, kSig}, {39, kBoard}, {38, kPt, 200}},
       {{38, 180}}},
      {"no cell: error 11 at the signal",
       {{50, kWarn}, {40, kSig}, {39, kBoard}, {38, kBoard}},
       {},
       11,
       40 * 50},
      {"adjacent signals: t gets t-2, t-1 gets t-3",
       {{50, kWarn}, {40, kSig}, {39, kSig}},
       {{37}, {38}}},
      {"every signal in the scan is served", {{50, kWarn}, {45, kSig}, {35, kSig}}, {{34}, {44}}},
      {"a signal 20 cells before the warning is served", {{50, kWarn}, {30, kSig}}, {{29}}},
      {"a signal 21 cells before the warning is not", {{50, kWarn}, {29, kSig}}, {}},
      {"the scan reaches cell 3", {{10, kWarn}, {3, kSig}}, {{2}}},
      {"a signal on cell 3 with cell 2 taken puts its point on cell 1",
       {{10, kWarn}, {3, kSig}, {2, kBoard}},
       {{1}}},
      {"the scan stops before cell 2", {{10, kWarn}, {2, kSig}}, {}},
      {"a warning on cell 3 scans nothing", {{3, kWarn}, {2, kSig}}, {}},
      {"the walk ends at lastCell - 2", {{kLast - 1, kWarn}, {kLast - 5, kSig}}, {}},
      {"a warning on lastCell - 2 is visited",
       {{kLast - 2, kWarn}, {kLast - 5, kSig}},
       {{kLast - 6}}},
  });
}

TEST(RouteCompletion, PointsBeforeASlowdownStart) {
  // Speed 120: no points inside; the end cell follows closely.
  RunCases({
      {"start on cell 7: no point", {{7, kStart, 120}, {9, kEnd}}, {}},
      {"start on cell 8: a point 5 cells before", {{8, kStart, 120}, {10, kEnd}}, {{3}}},
      {"start on cell 8 with cells 3 and 2 taken: the point lands on cell 1",
       {{8, kStart, 120}, {10, kEnd}, {3, kBoard}, {2, kBoard}},
       {{1}}},
      {"start on cell 13: only the nearest spacing", {{13, kStart, 120}, {15, kEnd}}, {{8}}},
      {"start on cell 14: two spacings", {{14, kStart, 120}, {16, kEnd}}, {{3}, {9}}},
      {"start on cell 20: two spacings", {{20, kStart, 120}, {22, kEnd}}, {{9}, {15}}},
      {"start on cell 21: three spacings", {{21, kStart, 120}, {23, kEnd}}, {{3}, {10}, {16}}},
      {"three spacings, all free", {{30, kStart, 120}, {32, kEnd}}, {{12}, {19}, {25}}},
      {"5 before taken: 6 before", {{30, kStart, 120}, {32, kEnd}, {25, kSig}}, {{12}, {19}, {24}}},
      {"5 and 6 before taken: 7 before",
       {{30, kStart, 120}, {32, kEnd}, {25, kSig}, {24, kSig}},
       {{12}, {19}, {23}}},
      {"5 to 7 before taken: error 12 at the start, 11 and 18 before still served",
       {{30, kStart, 120}, {32, kEnd}, {25, kSig}, {24, kSig}, {23, kSig}},
       {{12}, {19}},
       12,
       30 * 50},
      {"11 to 13 before taken: error 12, the others served",
       {{30, kStart, 120}, {32, kEnd}, {19, kBoard}, {18, kBoard}, {17, kBoard}},
       {{12}, {25}},
       12,
       30 * 50},
      {"points already placed count as taken",
       {{30, kStart, 120}, {32, kEnd}, {36, kStart, 120}, {38, kEnd}},
       {{12}, {18}, {19}, {24}, {25}, {31}}},
  });
}

TEST(RouteCompletion, PointsInsideASlowSlowdown) {
  // Start on cell 5: no points before it, so only the inside is seen.
  RunCases({
      {"speed 110: none", {{5, kStart, 110}, {40, kEnd}}, {}},
      {"speed 105: one every 8 cells", {{5, kStart, 105}, {40, kEnd}}, {{13}, {21}, {29}, {37}}},
      {"a speed read as signed 16 bits", {{5, kStart, -1}, {14, kEnd}}, {{13}}},
      {"cell taken: the one before, counting on from there",
       {{5, kStart, 105}, {40, kEnd}, {13, kBoard}},
       {{12}, {20}, {28}, {36}}},
      {"cell and the one before taken: the one after, counting on from there",
       {{5, kStart, 105}, {40, kEnd}, {13, kBoard}, {12, kBoard}},
       {{14}, {22}, {30}, {38}}},
      {"no cell: error 13 at the cell and no further point",
       {{5, kStart, 105}, {40, kEnd}, {13, kBoard}, {12, kBoard}, {14, kBoard}},
       {},
       13,
       13 * 50},
      {"the count reaches 8 on the end cell: the cell before it",
       {{5, kStart, 105}, {13, kEnd}},
       {{12}}},
      {"the count reaches 8 on the last cell: nothing after it is tried",
       {{132, kStart, 105}, {kLast, kEnd}, {kLast - 1, kBoard}},
       {{114}, {121}, {127}},
       13,
       kLast * 50},
  });
}

TEST(RouteCompletion, SignalAfterASlowdownEnd) {
  // Start on cell 5, end on cell 12: the count never reaches 8 inside.
  RunCases({
      {"a signal 12 cells after the end", {{5, kStart, 105}, {12, kEnd}, {24, kSig}}, {{23}}},
      {"a signal 13 cells after the end is not served",
       {{5, kStart, 105}, {12, kEnd}, {25, kSig}},
       {}},
      {"the cell before the signal taken: the one before that",
       {{5, kStart, 105}, {12, kEnd}, {24, kSig}, {23, kBoard}},
       {{22}}},
      {"both taken: error 13 at the end cell",
       {{5, kStart, 105}, {12, kEnd}, {24, kSig}, {23, kBoard}, {22, kBoard}},
       {},
       13,
       12 * 50},
      {"only the first signal is served",
       {{5, kStart, 105}, {12, kEnd}, {16, kSig}, {20, kSig}},
       {{15}}},
      {"a signal right after the end: the end cell is taken, so the cell before it",
       {{5, kStart, 105}, {12, kEnd}, {13, kSig}},
       {{11}}},
      // The scan index of a fast slowdown is its own end cell, located first.
      {"speed 110 or more: the end is located first",
       {{5, kStart, 120}, {12, kEnd}, {24, kSig}},
       {{23}}},
      {"speed 110 or more: a signal 13 cells after the end is not served",
       {{5, kStart, 120}, {12, kEnd}, {25, kSig}},
       {}},
  });
}

TEST(RouteCompletion, ScansStayInsideTheGrid) {
  RunCases({
      // A slowdown of length 0 leaves a start cell and no end cell.
      {"no end cell, speed 105: points up to the last cell, then nothing after",
       {{130, kStart, 105}},
       {{112}, {119}, {125}, {138}}},
      {"no end cell, speed 120: no point for a later signal",
       {{100, kStart, 120}, {105, kSig}},
       {{82}, {89}, {95}}},
      {"an end close to the last cell: a signal on the last cell is served",
       {{120, kStart, 120}, {135, kEnd}, {kLast, kSig}},
       {{102}, {109}, {115}, {kLast - 1}}},
      {"an end on lastCell - 1: the scan after it ends at the last cell",
       {{130, kStart, 120}, {kLast - 1, kEnd}},
       {{112}, {119}, {125}}},
  });
}

TEST(RouteCompletion, ALaterErrorOverwritesAnEarlierOne) {
  Scenario s = Grid({{50, kWarn},
                     {40, kSig},
                     {39, kBoard},
                     {38, kBoard},
                     {80, kStart, 120},
                     {82, kEnd},
                     {75, kBoard},
                     {74, kBoard},
                     {73, kBoard}});
  CompleteRoute(s);
  EXPECT_EQ(s.errorCode, 12);
  EXPECT_EQ(s.errorPosition, 80 * 50);
  ASSERT_EQ(s.diagnostics.size(), 2u);
  EXPECT_EQ(s.diagnostics[0].code, 11);
  EXPECT_EQ(s.diagnostics[0].position, 40 * 50);
  EXPECT_EQ(s.diagnostics[1].code, 12);
  EXPECT_EQ(s.diagnostics[1].position, 80 * 50);
  // The walk went on after both.
  EXPECT_EQ(Points(s), (std::vector<Point>{{62}, {69}}));
}

// An author needs to know which record an error of the walk comes from: the
// slowdown whose start finds no room before it.
TEST(RouteCompletion, ErrorsPointAtTheRecordBehindThem) {
  const std::string train =
      testing::Crlf({"[generale]", "rallentamento,   23450,    80,  800, 0,  0,  80",
                     "segnale,  23100,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
                     "segnale,  23150,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
                     "segnale,  23200,   2, 4, 0,  0, 0,    0,  0,0,0, 0", "[fine]"});
  testing::Compiled c = testing::CompileTexts(testing::LineHeader(), train);
  EXPECT_EQ(c.scenario.errorCode, 12);
  EXPECT_EQ(c.scenario.errorPosition, 470 * 50);
  ASSERT_FALSE(c.scenario.diagnostics.empty());
  const Diagnostic& d = c.scenario.diagnostics.back();
  EXPECT_EQ(d.code, 12);
  EXPECT_EQ(d.file, "Test_1-.txt");
  EXPECT_EQ(d.line, 2);
  EXPECT_EQ(d.column, 18);  // the slowdown's position
  EXPECT_EQ(d.record, "rallentamento,   23450,    80,  800, 0,  0,  80");
}

}  // namespace
}  // namespace sb
