// Ordering of the three kilometric progressions in slots 81 to 83.
#include "compiler/progressions.h"

#include <gtest/gtest.h>

#include <array>
#include <ostream>

#include "model/km_post.h"

namespace sb {
namespace {

struct Triple {
  int32_t start, value, flag;
  bool operator==(const Triple&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Triple& t) {
  return os << "(" << t.start << ", " << t.value << ", " << t.flag << ")";
}

constexpr Triple kZero{0, 0, 0};

TEST(ProgressionsTest, Orderings) {
  struct Case {
    const char* name;
    Triple tre, due, uno;            // as read: slots 81, 82, 83
    std::array<Triple, 3> expected;  // slots 81, 82, 83 afterwards
  };
  const Triple U{0, 111000, 0};
  const Case cases[] = {
      {"all zero", kZero, kZero, kZero, {kZero, kZero, kZero}},
      {"only uno, at the start", kZero, kZero, U, {U, kZero, kZero}},
      // Starts all 0: the last of the tests tre, due, uno that holds wins.
      {"tre only has a value", {0, 5000, 0}, kZero, kZero, {{{0, 5000, 0}, kZero, kZero}}},
      {"due only has a value", kZero, {0, 5000, 0}, kZero, {{{0, 5000, 0}, kZero, kZero}}},
      {"tre and due have values",
       {0, 3000, 0},
       {0, 2000, 0},
       kZero,
       {{{0, 2000, 0}, {0, 3000, 0}, kZero}}},
      {"tre and uno have values",
       {0, 3000, 0},
       kZero,
       {0, 1000, 0},
       {{{0, 1000, 0}, kZero, {0, 3000, 0}}}},
      // Starts that cancel out count as all at the start.
      {"starts summing to 0",
       {-50, 3000, 0},
       {50, 0, 0},
       kZero,
       {{{-50, 3000, 0}, {50, 0, 0}, kZero}}},
      // Otherwise by start, descending, strict.
      {"due furthest, tre and uno equal",
       kZero,
       {50000, 161000, 1},
       U,
       {{{50000, 161100, 1}, U, kZero}}},
      {"tre > due > uno",
       {300, 3, 0},
       {200, 2, 0},
       {100, 1, 0},
       {{{300, 3, 0}, {200, 2, 0}, {100, 1, 0}}}},
      {"tre > uno > due",
       {300, 3, 0},
       {100, 2, 0},
       {200, 1, 0},
       {{{300, 3, 0}, {200, 1, 0}, {100, 2, 0}}}},
      {"due > tre > uno",
       {200, 3, 0},
       {300, 2, 0},
       {100, 1, 0},
       {{{300, 2, 0}, {200, 3, 0}, {100, 1, 0}}}},
      {"due > uno > tre",
       {100, 3, 0},
       {300, 2, 0},
       {200, 1, 0},
       {{{300, 2, 0}, {200, 1, 0}, {100, 3, 0}}}},
      {"uno > tre > due",
       {200, 3, 0},
       {100, 2, 0},
       {300, 1, 0},
       {{{300, 1, 0}, {200, 3, 0}, {100, 2, 0}}}},
      {"uno > due > tre",
       {100, 3, 0},
       {200, 2, 0},
       {300, 1, 0},
       {{{300, 1, 0}, {200, 2, 0}, {100, 3, 0}}}},
      {"tre first, due and uno equal",
       {300, 3, 0},
       {100, 2, 0},
       {100, 1, 0},
       {{{300, 3, 0}, {100, 1, 0}, {100, 2, 0}}}},
      // No strictly greatest start: everything becomes 0.
      {"uno and due equal and furthest",
       kZero,
       {10000, 2, 0},
       {10000, 1, 0},
       {kZero, kZero, kZero}},
      {"tre and uno equal and furthest",
       {10000, 3, 0},
       kZero,
       {10000, 1, 0},
       {kZero, kZero, kZero}},
      {"tre and due equal and furthest",
       {10000, 3, 0},
       {10000, 2, 0},
       kZero,
       {kZero, kZero, kZero}},
      // Only a flag of 1 adds 100.
      {"flags",
       {300, 3000, 2},
       {200, 2000, -1},
       {100, 1000, 1},
       {{{300, 3000, 2}, {200, 2000, -1}, {100, 1100, 1}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scenario s;
    const Triple in[3] = {c.tre, c.due, c.uno};
    for (int i = 0; i < 3; ++i) {
      ScenarioItem& item = s.items[kSlotProgressionTre + i];
      item.start = in[i].start;
      item.end = in[i].value;
      item.position = in[i].flag;
      item.text = "kept";
    }
    progressive_ordina(s);
    for (int i = 0; i < 3; ++i) {
      const ScenarioItem& item = s.items[kSlotProgressionTre + i];
      EXPECT_EQ((Triple{item.start, item.end, item.position}), c.expected[i]) << "slot " << 81 + i;
      EXPECT_EQ(item.text, "kept");
    }
  }
}

// A km post back to metres: where the posts jump forward a post may be on
// no place, where they jump back on two; the last metre before a jump and
// the first after it belong to different pieces.
TEST(ProgressionsTest, KmPostsBackToPositions) {
  ItemTable items{};
  items[kSlotProgressionUno].start = 0;
  items[kSlotProgressionUno].end = 111000;
  items[kSlotProgressionDue].start = 12000;
  items[kSlotProgressionDue].end = 122000;  // back 999 m: 122+000 to 122+999 twice
  items[kSlotProgressionTre].start = 20000;
  items[kSlotProgressionTre].end = 140000;  // forward: 130+000 to 139+999 nowhere
  struct Case {
    int64_t km;
    std::vector<int64_t> positions;
  };
  const Case cases[] = {
      {111000, {0}},
      {115430, {4430}},
      {122990, {11990, 12990}},
      {122000, {11000, 12000}},
      {122999, {11999, 12999}},
      {123000, {13000}},
      {129999, {19999}},
      {130000, {}},
      {139999, {}},
      {140000, {20000}},
      {110500, {}},  // before the line's start
      {165000, {}},  // past its end
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PositionsOfKm(items, c.km, 0, 25000), c.positions) << c.km;
    for (const int64_t at : c.positions) EXPECT_EQ(KilometricValue(items, at), c.km) << c.km;
  }
  // Before the first progression its posts are counted back.
  items[kSlotProgressionUno].start = 500;
  EXPECT_EQ(PositionsOfKm(items, 110600, 0, 25000), std::vector<int64_t>{100});
  EXPECT_EQ(KilometricValue(items, 100), 110600);

  // Without progressions a post is the metres along the line.
  const ItemTable none{};
  EXPECT_EQ(PositionsOfKm(none, 7150, 0, 25000), std::vector<int64_t>{7150});
  EXPECT_EQ(KmPieces(none).size(), 1u);
}

}  // namespace
}  // namespace sb
