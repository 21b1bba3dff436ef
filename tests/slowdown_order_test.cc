#include "tools/documents/slowdown_order.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/content.h"
#include "test_support.h"

namespace sb::documents {
namespace {

using testing::CompileTexts;
using testing::Crlf;

// The document's lines, without their CR LF.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find("\r\n", at);
    out.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return out;
}

// A line of 30 km whose km posts run 50 km ahead of the positions, and a
// train over four stations 7 km apart.
std::string Line(int kmAhead = 50000) {
  return Crlf({"[generale]", "lunghezza percorso, 30000",
               "progressiva chilometrica uno, 0, " + std::to_string(kmAhead) + ", 0", "[fine]"});
}

std::string Train(std::initializer_list<std::string> slowdowns) {
  std::string out = Crlf({"[generale]", "velocita, 0, 100", "aderenza, 0, 100",
                          "stazione,  1000, 12, 400, 0,0,0, 1,1,0, 4,1,1, 0, 15,17,0, ALFA",
                          "stazione,  8000, 12, 400, 0,0,0, 1,1,0, 4,1,1, 0, 0,0,0, BETA",
                          "stazione, 15000, 12, 400, 0,0,0, 1,1,0, 4,1,1, 0, 0,0,0, GAMMA",
                          "stazione, 22000, 12, 400, 0,0,0, 1,1,0, 4,1,1, 0, 0,0,0, DELTA"});
  for (const std::string& r : slowdowns) out += r + "\r\n";
  return out + "[fine]\r\n";
}

struct RowCase {
  const char* name;
  std::string record;
  std::string between;
  int64_t kmPost;
  std::string prescription;
  std::vector<std::string> within;
};

// Which stations a row names, its km post and its prescription, one
// slowdown at a time; GAMMA is printed under another name.
TEST(SlowdownOrderTest, RowsNameTheStationsAroundAndWithin) {
  const std::vector<RowCase> kCases = {
      {"between two stations",
       "rallentamento, 4000, 80, 800, 0, 1, 80",
       "ALFA - BETA",
       54,
       "-----",
       {}},
      {"a station at its end",
       "rallentamento, 13000, 40, 2000, 0, 1, 40",
       "BETA - DELTA",
       63,
       "B",
       {"G.MMA"}},
      {"a station at its start",
       "rallentamento, 15000, 40, 500, 0, 1, 40",
       "BETA - DELTA",
       65,
       "B",
       {"G.MMA"}},
      {"whole train", "rallentamento, 18000, 60, 200, 1, 1, 60", "G.MMA - DELTA", 68, "A", {}},
      {"whole train and a station",
       "rallentamento, 21000, 30, 1500, 1, 1, 30",
       "G.MMA",
       71,
       "A B",
       {"DELTA"}},
      {"before the first station",
       "rallentamento, 200, 30, 500, 0, 0, 30",
       "ALFA",
       50,
       "-----",
       {}},
      {"over two stations",
       "rallentamento, 7500, 30, 8000, 0, 1, 30",
       "ALFA - DELTA",
       57,
       "B",
       {"BETA", "G.MMA"}},
  };
  const OrderFacts facts{"7", "", {{"GAMMA", "G.MMA"}}};
  for (const RowCase& c : kCases) {
    SCOPED_TRACE(c.name);
    auto compiled = CompileTexts(Line(), Train({c.record}).c_str());
    ASSERT_TRUE(compiled.scenario.diagnostics.empty())
        << FormatDiagnostic(compiled.scenario.diagnostics.front());
    std::vector<Diagnostic> diagnostics;
    const std::vector<OrderRow> rows = SlowdownOrderRows(compiled.scenario, facts, &diagnostics);
    EXPECT_TRUE(diagnostics.empty());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].number, 1);
    EXPECT_EQ(rows[0].between, c.between);
    EXPECT_EQ(rows[0].kmPost, c.kmPost);
    EXPECT_EQ(rows[0].prescription, c.prescription);
    EXPECT_EQ(rows[0].stationsWithin, c.within);
  }
}

// The rows keep the records' order, not the positions'.
TEST(SlowdownOrderTest, RowsFollowTheRecordsOrder) {
  auto compiled = CompileTexts(Line(), Train({"rallentamento, 18000, 60, 200, 0, 1, 60",
                                              "rallentamento, 4000, 80, 800, 0, 1, 80"})
                                           .c_str());
  std::vector<Diagnostic> diagnostics;
  const std::vector<OrderRow> rows = SlowdownOrderRows(compiled.scenario, {}, &diagnostics);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].speed, 60);
  EXPECT_EQ(rows[1].speed, 80);
  EXPECT_EQ(rows[1].number, 2);
  EXPECT_EQ(rows[1].length, 800);
}

// A km post beyond what the form prints is told at the slowdown's record;
// the last one it prints is km 999+999.
TEST(SlowdownOrderTest, KmPostOutsideTheFormIsAnError) {
  struct Case {
    int kmAhead;
    const char* message;
  };
  const std::vector<Case> kCases = {
      {995000, nullptr},
      {995001,
       "the slowdown order cannot print this slowdown's km post, km 1000+000: it lies outside km "
       "0+000 to 999+999"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.kmAhead);
    auto compiled =
        CompileTexts(Line(c.kmAhead), Train({"rallentamento, 4999, 80, 800, 0, 1, 80"}).c_str());
    const SlowdownOrder order = BuildSlowdownOrder(compiled.scenario, {});
    if (c.message == nullptr) {
      EXPECT_TRUE(order.diagnostics.empty());
      continue;
    }
    ASSERT_EQ(order.diagnostics.size(), 1u);
    const Diagnostic& d = order.diagnostics[0];
    EXPECT_EQ(d.severity, Severity::kError);
    EXPECT_EQ(d.message, c.message);
    EXPECT_EQ(d.file, "Test_1-.txt");
    EXPECT_EQ(d.line, 8);
    EXPECT_EQ(d.column, 16);
    EXPECT_EQ(d.position, 4999);
  }
}

// Cells centre their numbers (the odd blank after), the stations stand
// after one blank, and a text too long is cut at its cell.
TEST(SlowdownOrderTest, RowCellsAndCutTexts) {
  struct Case {
    OrderRow row;
    const char* line;
  };
  const std::vector<Case> kCases = {
      {{1, "CATTOLICA - PESARO", 134, 80, 800, "-----", {}},
       " | 1 | CATTOLICA - PESARO         |    134     |    80    |   800   |   -----    |"},
      {{3, "PORTO S.GIORGIO - CUPRAMARITTIMA", 271, 50, 1800, "B", {}},
       " | 3 | PORTO S.GIORGIO - CUPRAMARI|    271     |    50    |  1800   |     B      |"},
      {{10, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0", 0, 5, 50, "A B", {}},
       " |10 | ABCDEFGHIJKLMNOPQRSTUVWXYZ0|     0      |    5     |   50    |    A B     |"},
      {{123456, "", -1, 2147483647, 1234567890, "A", {}},
       " |123|                            |     -1     |2147483647|123456789|     A      |"},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(FormatOrderRow(c.row), c.line);
    EXPECT_EQ(FormatOrderRow(c.row).size(), 82u);
  }
}

// One page: the rows, then empty rows to the bottom rule, the legend with
// a B line for each station within a slowdown, dots where there is none.
TEST(SlowdownOrderTest, PageLegendHasALineForEachStationWithin) {
  const std::vector<OrderRow> withStations = {
      {1, "A - B", 1, 10, 100, "B", {"X"}},
      {2, "B - C", 2, 10, 100, "-----", {}},
      {3, "C - D", 3, 10, 100, "A B", {"Y", "Z"}},
  };
  const std::vector<std::string> lines =
      Lines(FormatSlowdownOrder(withStations, "NORD - SUD", "12345"));
  ASSERT_EQ(lines.size(), 48u);
  EXPECT_EQ(lines[4], "  Linea  NORD - SUD");
  EXPECT_EQ(lines[6],
            "  Si ordina al macchinista del treno  12345  di effettuare i seguenti rallentamenti");
  for (std::size_t i = 8; i <= 38; ++i) EXPECT_EQ(lines[i].size(), 82u) << i;
  EXPECT_EQ(lines[15],
            " |   |                            |            |          |         |            |");
  const std::vector<std::string> legend(lines.begin() + 39, lines.end());
  EXPECT_EQ(legend, (std::vector<std::string>{
                        "",
                        "              Prescrizioni specifiche",
                        " A - Da rispettare con tutto il treno (per i treni viaggiatori)",
                        " B - Interessa anche la stazione di X",
                        " B - Interessa anche la stazione di Y",
                        " B - Interessa anche la stazione di Z",
                        " D - Rallentamneto N. ... e N. ...  sono contigui",
                        " C - Da rispettare dalle ore ....  alle ore ..... di tutti",
                        "     i giorni esclusi i seguenti:.........",
                    }));

  const std::vector<std::string> none = Lines(FormatSlowdownOrder({}, "L", "1"));
  ASSERT_EQ(none.size(), 46u);
  EXPECT_EQ(none[12], none[15]);  // every row slot empty
  EXPECT_EQ(none[42], " B - Interessa anche la stazione di .........");
}

// Past the form's 26 rows a second page follows with the same frame; each
// page's legend tells the stations of its own rows.
TEST(SlowdownOrderTest, MoreRowsThanTheFormContinueOnASecondPage) {
  std::vector<OrderRow> rows;
  for (int n = 1; n <= 27; ++n) rows.push_back({n, "A - B", n, 10, 100, "-----", {}});
  rows[26].prescription = "B";
  rows[26].stationsWithin = {"LAST"};
  const std::vector<std::string> lines = Lines(FormatSlowdownOrder(rows, "L", "9"));
  ASSERT_EQ(lines.size(), 92u);
  const std::vector<std::string> page1(lines.begin(), lines.begin() + 46);
  const std::vector<std::string> page2(lines.begin() + 46, lines.end());
  for (std::size_t i = 0; i < 46; ++i) {
    if (i >= 12 && i <= 37) continue;  // the row slots
    if (i == 42) continue;             // the B line
    EXPECT_EQ(page1[i], page2[i]) << i;
  }
  EXPECT_EQ(page1[37], FormatOrderRow(rows[25]));
  EXPECT_EQ(page2[12], FormatOrderRow(rows[26]));
  EXPECT_EQ(page2[13], page2[37]);
  EXPECT_EQ(page1[42], " B - Interessa anche la stazione di .........");
  EXPECT_EQ(page2[42], " B - Interessa anche la stazione di LAST");
}

// The order of the built-in descriptions, with the printed names of the
// built-in timetable sheet, is the built-in order but for row 3, whose
// literal text abbreviates its stations as no printed name does.
TEST(SlowdownOrderTest, BuiltInDescriptionsGiveTheBuiltInOrder) {
  auto compiled = CompileTexts(std::string(content::RawBytes(content::Document::kLine)),
                               std::string(content::RawBytes(content::Document::kTrain)).c_str());
  const OrderFacts facts{"911",
                         "RIMINI - PESCARA CENTRALE",
                         {{"PORTO SAN GIORGIO", "PORTO S.GIORGIO"},
                          {"CIVITANOVA MARCHE-MONTEGRANARO", "CIVITANOVA MARCHE"},
                          {"PORTO D'ASCOLI", "P.ASCOLI"},
                          {"SAN BENEDETTO", "SAN BENEDETTO DEL TRONTO"}}};
  const SlowdownOrder order = BuildSlowdownOrder(compiled.scenario, facts);
  EXPECT_TRUE(order.diagnostics.empty());
  const std::vector<std::string> built = Lines(order.text);
  const std::vector<std::string> literal =
      Lines(std::string(content::RawBytes(content::Document::kSlowdowns)));
  ASSERT_EQ(built.size(), literal.size());
  std::vector<std::string> differences;
  for (std::size_t i = 0; i < built.size(); ++i) {
    if (built[i] != literal[i]) differences.push_back(std::to_string(i + 1) + ": " + built[i]);
  }
  EXPECT_EQ(differences, (std::vector<std::string>{"15:  | 3 | PORTO S.GIORGIO - CUPRAMARI|    271 "
                                                   "    |    50    |  1800   |     B      |"}));

  // Without a line name the order names the first and the last station.
  const OrderFacts unnamed{"911", "", facts.printedNames};
  EXPECT_EQ(BuildSlowdownOrder(compiled.scenario, unnamed).text, order.text);
}

}  // namespace
}  // namespace sb::documents
