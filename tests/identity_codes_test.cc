// The identity codes: the code text, the two sums, the reserved places and
// the two checks that end a run before anything is written.
#include "compiler/identity_codes.h"

#include <gtest/gtest.h>

#include <string>

#include "compiler/scenario.h"
#include "test_support.h"

namespace sb {
namespace {

using testing::CompileTexts;
using testing::Crlf;
using testing::LineHeader;

Scenario Named(const std::string& train, const std::string& line) {
  Scenario s;
  s.items[kSlotTrain].text = train;
  s.items[kSlotLine].text = line;
  return s;
}

TEST(IdentityCodes, CodeTextIsTrainThenLineInLowerCaseThenFiller) {
  Scenario s = Named("911", "Lungomare_Nord");
  EXPECT_EQ(CodeText(s), "911lungomare_nordrrssttuuvvzzaabbccddeeffgg");
  EXPECT_EQ(s.currentLine, "911lungomare_nordrrssttuuvvzzaabbccddeeffgg");
  // The sums read the first 25 characters only: "911lungomare_nordrrssttuu".
}

TEST(IdentityCodes, Sums) {
  struct Case {
    const char* train;
    const char* line;
    int32_t og;  // sum of the codes
    int32_t st;  // sum of position x code
  };
  // Worked out by hand from "911lungomare_nordrrssttuu" and its variants.
  const Case cases[] = {
      {"911", "Lungomare_Nord", 2579, 35855},
      {"912", "Lungomare_Nord", 2580, 35858},  // one character changed: both change
      {"191", "Lungomare_Nord", 2579, 35863},  // two exchanged: only the weighted one
      {"119", "Lungomare_Nord", 2579, 35871},
      {"911", "LUNGOMARE_NORD", 2579, 35855},  // case does not matter
      {"911", "lungomare_nord", 2579, 35855},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.train) + " " + c.line);
    Scenario s = Named(c.train, c.line);
    EXPECT_EQ(codice_gara_og(s), c.og);
    EXPECT_EQ(codice_gara_st(s), c.st);
  }
}

TEST(IdentityCodes, CharactersPastTheTwentyFifthDoNotCount) {
  // "911" and the first 22 characters of the line make the 25.
  Scenario a = Named("911", "Lungomare_Nord_e_Costa_Sud");
  Scenario b = Named("911", "Lungomare_Nord_e_CostaXyzw");
  EXPECT_EQ(codice_gara_og(a), codice_gara_og(b));
  EXPECT_EQ(codice_gara_st(a), codice_gara_st(b));
}

TEST(IdentityCodes, StoresMarkersAndCodes) {
  Scenario s = Named("911", "Lungomare_Nord");
  s.SizeForLength(241000);
  ASSERT_EQ(StoreIdentityCodes(s), 0);
  EXPECT_EQ(s.items[kSlotLine].num1, 610);
  EXPECT_EQ(s.items[kSlotLine].seconds, 35855);
  EXPECT_EQ(s.cells[1].value1, 5121);
  EXPECT_EQ(s.cells[1].value2, 2579);
}

TEST(IdentityCodes, ReservedPlacesAlreadyTaken) {
  struct Case {
    const char* name;
    void (*take)(Scenario&);
    int32_t code;
    // What the reserved places hold afterwards.
    int16_t num1, value1;
    int32_t seconds;
    int16_t value2;
  };
  const Case cases[] = {
      {"cell 1 value1", [](Scenario& s) { s.cells[1].value1 = 32; }, 1250, 0, 32, 0, 0},
      {"item 85 num1", [](Scenario& s) { s.items[kSlotLine].num1 = 1; }, 1250, 1, 0, 0, 0},
      // The markers are stored before the second check.
      {"cell 1 value2", [](Scenario& s) { s.cells[1].value2 = 30; }, 1251, 610, 5121, 0, 30},
      {"item 85 seconds", [](Scenario& s) { s.items[kSlotLine].seconds = 7; }, 1251, 610, 5121, 7,
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scenario s = Named("911", "Lungomare_Nord");
    s.SizeForLength(241000);
    c.take(s);
    EXPECT_EQ(StoreIdentityCodes(s), c.code);
    EXPECT_EQ(s.items[kSlotLine].num1, c.num1);
    EXPECT_EQ(s.cells[1].value1, c.value1);
    EXPECT_EQ(s.items[kSlotLine].seconds, c.seconds);
    EXPECT_EQ(s.cells[1].value2, c.value2);
  }
}

TEST(IdentityCodes, AFeatureOnCellOneEndsTheRunWithoutCompiledFiles) {
  struct Case {
    const char* name;
    const char* record;
    int32_t code;
  };
  const Case cases[] = {
      // A signal at 0 falls on cell 1 and sets its value1 to s1*10 + d1.
      {"signal at 0", "segnale,  0,  2, 3, 1, 1, 0, 2, 2, 1, 1, 0", 1250},
      // A slowdown start at 0 with speed 0 sets only value2 (its d_v).
      {"slowdown at 0 of speed 0", "rallentamento,  0,  0, 200, 0, 0, 30", 1251},
      // A slowdown starting on cell 8 whose cells 3 and 2 hold signals gets
      // its nearest speed point on cell 1.
      {"route point on cell 1",
       "segnale,  50,  2, 4, 0, 0, 0, 0, 0, 0, 0, 0\r\n"
       "segnale,  100,  2, 4, 0, 0, 0, 0, 0, 0, 0, 0\r\n"
       "rallentamento,  350,  120, 100, 0, 0, 0",
       1250},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Nothing is written after this end: the drivers' tests show it.
    auto compiled = CompileTexts(LineHeader(10000), Crlf({"[generale]", c.record, "[fine]"}), 1);
    EXPECT_EQ(compiled.result.end, CompileEnd::kReported);
    EXPECT_EQ(compiled.result.reportedCode, c.code);
  }
}

}  // namespace
}  // namespace sb
