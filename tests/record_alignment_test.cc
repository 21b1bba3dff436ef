// Aligning a description's records: what is aligned and how, what is left
// alone, that aligning twice is aligning once, and that the aligned text
// compiles to the same files, errors and warnings (only columns move).
#include "description/record_alignment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/warnings.h"
#include "content/content.h"
#include "format/cell_codec.h"
#include "format/item_codec.h"
#include "format/profile_codec.h"
#include "sha256.h"
#include "test_support.h"

namespace sb {
namespace {

using testing::CompileTexts;
using testing::Crlf;
using testing::Sha256Hex;

struct Case {
  const char* name;
  std::string input;
  std::string aligned;
};

std::vector<Case> Cases() {
  const std::string station =
      "stazione, 10000, 12, 500, 0, 0, 0, 1, 1, 0, 4, 1, 1, 60, 15, 27, 0, RICCIONE";
  return {
      {"values right-aligned per kind of record, keywords at the start",
       Crlf({"[vel_limite]", "velocita,0,110", "  velocita,   2950,  160", "velocita, 17500, 5"}),
       Crlf({"[vel_limite]", "velocita,     0, 110", "velocita,  2950, 160",
             "velocita, 17500,   5"})},
      {"each section and each kind aligned apart",
       Crlf({"[curve]", "curvas3, 900, 1000", "curva destra 3, 13050, 80", "[pendenze]",
             "pendenza, 0, -6", "pendenza, 21000, 12", "montagna, 1, 2, 3"}),
       Crlf({"[curve]", "curvas3,          900, 1000", "curva destra 3, 13050,   80", "[pendenze]",
             "pendenza,     0, -6", "pendenza, 21000, 12", "montagna, 1, 2, 3"})},
      {"a station's name follows one blank and keeps its own",
       Crlf({"stazione,  0,8,500,0,0,0,1,1,0,4,1,1,1,15,17,0,   PORTO S.ELPIDIO  ", station}),
       Crlf({"stazione,     0,  8, 500, 0, 0, 0, 1, 1, 0, 4, 1, 1,  1, 15, 17, 0, PORTO "
             "S.ELPIDIO  ",
             station})},
      {"comments and blank lines kept, tabs after commas become blanks",
       Crlf({"-- speeds, from (m)", "", "velocita,\t0,\t\t110", "   ", "velocita, 200, 90 "}),
       Crlf({"-- speeds, from (m)", "", "velocita,   0, 110", "   ", "velocita, 200,  90 "})},
      {"LF and lone CR line ends kept, and a missing last one",
       "aderenza,0,100\naderenza,  50,  7\raderenza, 3,20",
       "aderenza,  0, 100\naderenza, 50,   7\raderenza,  3,  20"},
      // Each of these would be read differently, or shows something to
      // mend: left as it is, and out of its neighbours' widths.
      {"lines left alone",
       Crlf({"velocita, 5, 10", "velocita,  5000", "velocita,  5,  10,  15", "velocita,  5 ,  10",
             "velocita,  5.0,  10", "velocita,  1 2,  10", "velocita,  5,  10 -- comment",
             "velocita aderenza,  5,  10", "velo,  5,  10", "velocita,  123456789012,  10",
             "velocita-,  5,  10", "velocita,  ,  10", "[velocita,  5,  10",
             "cartello_indicatore,  9700,  \"(Km 120,700)\"",
             "velocita,  5,  10" + std::string(400, ' ') + "x"}),
       Crlf({"velocita, 5, 10", "velocita,  5000", "velocita,  5,  10,  15", "velocita,  5 ,  10",
             "velocita,  5.0,  10", "velocita,  1 2,  10", "velocita,  5,  10 -- comment",
             "velocita aderenza,  5,  10", "velo,  5,  10", "velocita,  123456789012,  10",
             "velocita-,  5,  10", "velocita,  ,  10", "[velocita,  5,  10",
             "cartello_indicatore,  9700,  \"(Km 120,700)\"",
             "velocita,  5,  10" + std::string(400, ' ') + "x"})},
      // A quoted keyword would run to the next quote, over the lines between.
      {"lines a quoted text may run through",
       Crlf({"velocita,  1,  2", "\"x", "velocita,  3,  4", "y\", 5", "velocita,  6,  7"}),
       Crlf({"velocita, 1, 2", "\"x", "velocita,  3,  4", "y\", 5", "velocita, 6, 7"})},
      {"a quote inside a word opens nothing",
       Crlf({"stazione, 0, 8, 500, 0, 0, 0, 1, 1, 0, 4, 1, 1, 1, 15, 17, 0, PORTO D'ASCOLI",
             "cartello_indicatore, 9700, KM\"1", "aderenza,  0,  1"}),
       Crlf({"stazione, 0, 8, 500, 0, 0, 0, 1, 1, 0, 4, 1, 1, 1, 15, 17, 0, PORTO D'ASCOLI",
             "cartello_indicatore, 9700, KM\"1", "aderenza, 0, 1"})},
      {"nothing to align", "", ""},
  };
}

TEST(RecordAlignment, AlignsPlainRecordsAndLeavesTheRest) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(AlignRecords(c.input), c.aligned);
    EXPECT_EQ(AlignRecords(c.aligned), c.aligned) << "aligning twice changes more";
    EXPECT_TRUE(AlignmentEdits(c.aligned).empty());
  }
}

TEST(RecordAlignment, EditsNameTheirLineAndColumn) {
  const std::vector<BlankEdit> edits = AlignmentEdits("x\r\n velocita,0,  110\r\nvelocita, 20, 5");
  const std::vector<BlankEdit> expected = {
      {3, 4, 1, 0, 0}, {13, 13, 1, 10, 2}, {15, 17, 1, 12, 1}, {35, 36, 2, 13, 3}};
  EXPECT_EQ(edits, expected);
}

// What a compile gives, columns and quoted records aside: the only things
// aligning may move.
std::vector<std::string> Outcome(const std::string& line, const std::string& train,
                                 int32_t withProfile) {
  const testing::Compiled c = CompileTexts(line, train, withProfile);
  const Scenario& s = c.scenario;
  std::vector<std::string> out = {
      "error " + std::to_string(Number(s.errorCode)) + " at " + std::to_string(s.errorPosition),
      "cells " + Sha256Hex(EncodeCells(s.cells)), "items " + Sha256Hex(EncodeItems(s.items)),
      "profile " + Sha256Hex(s.profile ? EncodeProfile(*s.profile) : "")};
  for (const Diagnostic& d : s.diagnostics) {
    std::string shown = d.is_warning() ? std::string(WarningId(d.warning))
                                       : "error " + std::to_string(Number(d.code));
    shown += " " + d.file + ":" + std::to_string(d.line) + " {" + d.message + "} {" + d.hint + "}";
    if (d.position) shown += " at " + std::to_string(*d.position);
    for (const RelatedLocation& r : d.related) {
      shown += " note " + r.file + ":" + std::to_string(r.line) + " " + r.message;
    }
    out.push_back(shown);
  }
  return out;
}

TEST(RecordAlignment, CompilesAsBefore) {
  std::vector<testing::DescriptionVariant> variants = testing::BuiltInVariants();
  const std::string line =
      Crlf({"[generale]", "  lunghezza percorso,20000", "[curve]", "curvas3, 900,1000",
            "pendenza,   0,  0", "pendenza, 2000, 6,", "1", "montagna, 6000, 7500", "[fine]"});
  variants.push_back(
      {"mistakes: missing, extra and borrowed values, a taken cell", line,
       Crlf({"[generale]", "aderenza,  0, 100", "velocita,0, 100, 7", "[stazioni]",
             "stazione,  0,  8,  500,  0, 0, 0,  1,1,0,  4,1,1,    1,  15,17, 0,   UNO  ",
             "[segnali]", "segnale,  2000, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0",
             "segnale,    2000,   2, 4, 0, 0, 0, 0, 0, 0, 0, 0", "[fine]"})});
  variants.push_back({"a field stops the reading", line,
                      Crlf({"aderenza, 0, 100", "velocita,  0,  99999999999", "velocita, 5, 5"})});
  for (const testing::DescriptionVariant& v : variants) {
    for (int32_t withProfile : {0, 1}) {
      SCOPED_TRACE(std::string(v.name) + (withProfile ? ", with the profile" : ""));
      const std::string line = AlignRecords(v.line);
      const std::string train = AlignRecords(v.train);
      EXPECT_EQ(Outcome(line, train, withProfile), Outcome(v.line, v.train, withProfile));
      EXPECT_EQ(AlignRecords(line), line);
      EXPECT_EQ(AlignRecords(train), train);
    }
  }
  // The scenario's own stations are aligned as they were meant to be.
  const std::string train = AlignRecords(content::RawBytes(content::Document::kTrain));
  EXPECT_NE(train.find("\r\nstazione,      0,  8, 500, 0, 0, 0, 1, 1, 0, 4, 1, 1,   1, 15, 17, 0, "
                       "RIMINI\r\n"),
            std::string::npos);
}

}  // namespace
}  // namespace sb
