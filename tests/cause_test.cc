// Errors that name their cause: what holds a taken cell and the record that
// put it there, a missing line length said plainly, a missing section
// pointed at where it was expected.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/diagnostics.h"
#include "compiler/error_codes.h"
#include "test_support.h"

namespace sb {
namespace {

using testing::CompileTexts;
using testing::Crlf;
using testing::LineHeader;

struct Related {
  std::string file;
  int line;
  int column;
  std::string message;
};

struct Case {
  const char* name;
  std::string line;
  std::string train;
  int32_t code;
  int lineNo;
  int column;
  std::string message;
  std::vector<Related> related;
  std::string hint;
};

constexpr const char* kSignal = "segnale, %d, 2,1,0,0,0, 2,1,0,0, 0";

std::string Signal(int position) {
  char buf[80];
  std::snprintf(buf, sizeof buf, kSignal, position);
  return buf;
}

std::string Train(std::initializer_list<std::string> records) {
  std::string out = Crlf({"[generale]", "velocita, 0, 100", "aderenza, 0, 100"});
  for (const std::string& r : records) out += r + "\r\n";
  return out + "[fine]\r\n";
}

const std::string kTakenHint = "features take one 50 m cell each: move one of them to a free cell";

TEST(CauseTest, ErrorsNameWhatHoldsTheCellAndWhere) {
  const std::string line = LineHeader(30000) + Crlf({"[fine]"});
  const std::string boards =
      LineHeader(30000) + Crlf({"indicatori_vmax, 5000, 100,105,110,2,100,105,110,2"});
  const std::vector<Case> kCases = {
      {"slowdown start on a signal",
       line,
       Train({Signal(10000), "rallentamento, 10000, 60, 500, 0, 0, 60"}),
       18,
       5,
       16,
       "the slowdown's start cell 201, which already holds the signal at 10000 m",
       {{"Test_1-.txt", 4, 10, "the signal at 10000 m was placed by this record"}},
       kTakenHint},
      {"slowdown end on a signal: the end cell named",
       line,
       Train({Signal(10500), "rallentamento, 10000, 60, 500, 0, 0, 60"}),
       19,
       5,
       16,
       "the slowdown's end cell 211 (at 10500 m), which already holds the signal at 10500 m",
       {{"Test_1-.txt", 4, 10, "the signal at 10500 m was placed by this record"}},
       kTakenHint},
      {"slowdown warning on a signal",
       line,
       Train({Signal(8800), "rallentamento, 10000, 60, 500, 0, 0, 60"}),
       17,
       5,
       16,
       "the slowdown's warning cell 177 (1200 m before its start), which already holds the "
       "signal at 8800 m",
       {{"Test_1-.txt", 4, 10, "the signal at 8800 m was placed by this record"}},
       kTakenHint},
      {"a cell before the warning",
       line,
       Train({Signal(8700), "rallentamento, 10000, 60, 500, 0, 1, 60"}),
       20,
       5,
       16,
       "cell 175, one of the four before the slowdown's warning, which already holds the signal "
       "at 8700 m",
       {{"Test_1-.txt", 4, 10, "the signal at 8700 m was placed by this record"}},
       kTakenHint},
      {"speed point on a slowdown's start",
       line,
       Train({"rallentamento, 10000, 60, 500, 0, 0, 60", "abbattimento, 10050, 30"}),
       7,
       5,
       15,
       "speed point on cell 201, which already holds the start of the slowdown at 10000 m",
       {{"Test_1-.txt", 4, 16, "the start of the slowdown at 10000 m was placed by this record"}},
       kTakenHint},
      {"signal on a board of the line",
       boards,
       Train({Signal(5000)}),
       16,
       4,
       10,
       "signal on cell 101, which already holds the maximum-speed indicator board at 5000 m",
       {{"Test_linea.txt", 4, 18,
         "the maximum-speed indicator board at 5000 m was placed by this record"}},
       kTakenHint},
      {"text board on a speed board",
       boards + Crlf({"cartello_indicatore, 5000, KM 5", "[fine]"}),
       Train({}),
       6,
       5,
       22,
       "text board on cell 101, which already holds the maximum-speed indicator board at 5000 m",
       {{"Test_linea.txt", 4, 18,
         "the maximum-speed indicator board at 5000 m was placed by this record"},
        {"Test_linea.txt", 5, 22,
         "the train description is not read: the reading ends with this error"}},
       kTakenHint},
      {"speed board on a text board",
       LineHeader(30000) + Crlf({"cartello_indicatore, 5000, KM 5",
                                 "indicatori_vmax, 5000, 100,105,110,2,100,105,110,2", "[fine]"}),
       Train({}),
       21,
       5,
       18,
       "maximum-speed indicator board on cell 101, which already holds the text board 'KM 5' at "
       "5000 m",
       {{"Test_linea.txt", 4, 22, "the text board 'KM 5' at 5000 m was placed by this record"},
        {"Test_linea.txt", 5, 18,
         "the train description is not read: the reading ends with this error"}},
       kTakenHint},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    auto r = testing::CompileTexts(c.line, c.train.c_str());
    const Scenario& s = r.scenario;
    ASSERT_FALSE(s.diagnostics.empty());
    const Diagnostic& d = s.diagnostics.back();
    EXPECT_EQ(d.code, c.code);
    EXPECT_EQ(d.line, c.lineNo);
    EXPECT_EQ(d.column, c.column);
    EXPECT_EQ(d.message, c.message);
    ASSERT_EQ(d.related.size(), c.related.size());
    for (std::size_t i = 0; i < c.related.size(); ++i) {
      EXPECT_EQ(d.related[i].file, c.related[i].file);
      EXPECT_EQ(d.related[i].line, c.related[i].line);
      EXPECT_EQ(d.related[i].column, c.related[i].column);
      EXPECT_EQ(d.related[i].message, c.related[i].message);
    }
    EXPECT_EQ(d.hint, c.hint);
  }
}

std::string Station(int position, const char* name) {
  return "stazione, " + std::to_string(position) + ", 12, 500, 0,0,0,1,1,0,4,1,1,0, 15,17,0, " +
         name;
}

// The first diagnostic of the given severity, whole, as compile prints it
// (without the km post, which the report adds).
std::string FirstPrinted(const Scenario& s, Severity severity) {
  for (const Diagnostic& d : s.diagnostics) {
    if (d.severity == severity) return FormatDiagnostic(d);
  }
  return "(none)";
}

// An error that ends the reading says what it leaves uncompiled; the error
// of the identity cell says which record took it; a description without
// "[generale]" is pointed at the field that looks like a misspelt one.
TEST(CauseTest, ErrorsSayWhatTheyLeaveUnreadAndWhatCausedThem) {
  const std::string line = LineHeader(30000) + Crlf({"[fine]"});
  const std::string rallentamento = "rallentamento, 20000, 60, 500, 0, 0, 60";
  struct Printed {
    const char* name;
    std::string line;
    std::string train;
    Severity severity;
    std::string printed;
  };
  const std::vector<Printed> kCases = {
      {"a train's stop counts the records after it by kind", line,
       Train({Station(1010, "ALFA"), Signal(5000), Signal(6000), rallentamento,
              Station(9000, "BETA"), "abbattimento, 12000, 100"}),
       Severity::kError,
       "Test_1-.txt:4:11: error: station position is not a multiple of 50 (at 1010 m) [8]\n"
       "    stazione, 1010, 12, 500, 0,0,0,1,1,0,4,1,1,0, 15,17,0, ALFA\n"
       "              ^\n"
       "Test_1-.txt:4:11: note: the reading stops here: 1 station, 2 signals, 1 slowdown and 1 "
       "speed point after this line are not compiled"},
      {"one record left: singular", line, Train({Station(1010, "ALFA"), Signal(5000)}),
       Severity::kError,
       "Test_1-.txt:4:11: error: station position is not a multiple of 50 (at 1010 m) [8]\n"
       "    stazione, 1010, 12, 500, 0,0,0,1,1,0,4,1,1,0, 15,17,0, ALFA\n"
       "              ^\n"
       "Test_1-.txt:4:11: note: the reading stops here: 1 signal after this line is not "
       "compiled"},
      {"nothing left in the train: no note", line, Train({Signal(5000), Station(1010, "ALFA")}),
       Severity::kError,
       "Test_1-.txt:5:11: error: station position is not a multiple of 50 (at 1010 m) [8]\n"
       "    stazione, 1010, 12, 500, 0,0,0,1,1,0,4,1,1,0, 15,17,0, ALFA"
       "\n              ^"},
      {"a read failure counts as well", line,
       Train({"stazione, 1000, 300, 500, 0,0,0,1,1,0,4,1,1,0, 15,17,0, ALFA", Signal(5000)}),
       Severity::kError,
       "Test_1-.txt:4:17: error: the station's kind is outside 0 to 255 [25]\n"
       "    stazione, 1000, 300, 500, 0,0,0,1,1,0,4,1,1,0, 15,17,0, ALFA\n"
       "                    ^\n"
       "Test_1-.txt:4:17: note: the reading stops here: 1 signal after this line is not "
       "compiled"},
      {"the line's stop: its rest, and the train not read",
       Crlf({"[generale]", "lunghezza percorso, 2000000", "[pendenze]", "pendenza, 0, 5",
             "pendenza, 900, 6", "curvas3, 100, 200", "[fine]"}),
       Train({Signal(5000)}), Severity::kError,
       "Test_linea.txt:2:21: error: line length 2000000 m is outside 0 to 1000000 m (at 2000000 "
       "m) [1]\n"
       "    lunghezza percorso, 2000000\n"
       "                        ^\n"
       "Test_linea.txt:2:21: note: the reading stops here: 2 gradients and 1 curve after this "
       "line are not compiled, and the train description is not read"},
      {"the line's reading ends (15): the train is still read",
       LineHeader(1000) + Crlf({"pendenza, 9000, 5", "pendenza, 9500, 6", "[fine]"}), Train({}),
       Severity::kError,
       "Test_linea.txt:4:11: error: a gradient at 9000 m lies beyond the cell grid: its position "
       "+ 100 m must not pass 8000 m, where the last cell (160) begins; the grid runs 7000 m past "
       "the end of the 1000 m line (at 9000 m) [15]\n"
       "    pendenza, 9000, 5\n"
       "              ^\n"
       "Test_linea.txt:4:11: note: the reading stops here: 1 gradient after this line is not "
       "compiled"},
      {"a speed point on the identity cell", line, Train({"abbattimento, 50, 100"}),
       Severity::kError,
       "Test_1-.txt:4:15: error: the speed point at 50 m lies on cell 1, which holds the "
       "scenario's identity codes and must stay free (at 50 m) [1250]\n"
       "    abbattimento, 50, 100\n"
       "                  ^\n"
       "hint: move it further from the start: signals, slowdowns and boards at 25 m or more, "
       "speed points at 75 m or more"},
      {"a point the compiler placed on the identity cell: the slowdown it is for", line,
       Train({Signal(50), Signal(100), "rallentamento, 350, 60, 500, 0, 0, 60"}), Severity::kError,
       "Test_1-.txt:6:16: error: the speed point the compiler places for the start of the "
       "slowdown at 350 m lies on cell 1, which holds the scenario's identity codes and must "
       "stay free (at 350 m) [1250]\n"
       "    rallentamento, 350, 60, 500, 0, 0, 60\n"
       "                   ^\n"
       "hint: move it further from the start: signals, slowdowns and boards at 25 m or more, "
       "speed points at 75 m or more"},
      {"a misspelt [generale] in the line",
       Crlf({"-- the line", "[generael]", "lunghezza percorso, 30000", "[fine]"}), Train({}),
       Severity::kError,
       "Test_linea.txt:2:1: error: '[generael]' is no \"[generale]\" line: the line's records "
       "need one before them [102]\n"
       "    [generael]\n"
       "    ^\n"
       "Test_linea.txt:2:1: note: the train description is not read: the reading ends with this "
       "error\n"
       "hint: did you mean '[generale]'?"},
      {"a misspelt [generale] in the train", line,
       Crlf({"-- the train", "generale]", "velocita, 0, 100", "[fine]"}), Severity::kWarning,
       "Test_1-.txt:2:1: warning: 'generale]' is no \"[generale]\" line: the train description "
       "holds no records [-Wno-general-section]\n"
       "    generale]\n"
       "    ^\n"
       "hint: did you mean '[generale]'?"},
  };
  for (const Printed& c : kCases) {
    SCOPED_TRACE(c.name);
    auto r = CompileTexts(c.line, c.train);
    EXPECT_EQ(FirstPrinted(r.scenario, c.severity), c.printed);
  }
}

TEST(CauseTest, AMissingLineLengthIsSaidPlainly) {
  // Misspelt: the general section holds no length record.
  const std::string line = Crlf({"[generale]", "lunghezza percoso, 30000", "[curve]",
                                 "curvas3, 900, 1000", "[pendenze]", "pendenza, 0, 5", "[fine]"});
  auto r = CompileTexts(line, nullptr, 1);
  std::vector<const Diagnostic*> errors;
  for (const Diagnostic& d : r.scenario.diagnostics) {
    if (!d.is_warning()) errors.push_back(&d);
  }
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0]->code, ErrorCode::kBeyondGrid);
  EXPECT_EQ(errors[0]->line, 4);
  EXPECT_EQ(errors[0]->message,
            "a curve at 900 m comes before any line length record: the line has no cells yet");
  EXPECT_EQ(errors[0]->hint,
            "give the line length in the general section of the line description, for example "
            "'lunghezza percorso, 30000'");
  // The fill that follows fails for want of cells: about the file, not the curve.
  EXPECT_EQ(errors[1]->code, ErrorCode::kUnreadable);
  EXPECT_EQ(errors[1]->line, 0);
  EXPECT_EQ(errors[1]->record, "");
  EXPECT_EQ(errors[1]->message,
            "no line length record was read, so there is no cell for the gradients up to the end "
            "of the line");
  // Only the words changed: the run state is what it always was.
  EXPECT_EQ(r.scenario.errorCode, ErrorCode::kUnreadable);
  EXPECT_EQ(r.scenario.errorPosition, 900);
}

TEST(CauseTest, BeyondTheGridSaysWhereTheGridEnds) {
  const std::string train = Crlf({"[generale]", "velocita, 0, 100", Signal(9000), "[fine]"});
  auto r = CompileTexts(LineHeader(1000), train.c_str());
  const Diagnostic& d = r.scenario.diagnostics.back();
  EXPECT_EQ(d.code, ErrorCode::kBeyondGrid);
  EXPECT_EQ(d.message,
            "a signal at 9000 m lies beyond the cell grid: its position + 100 m must not pass "
            "8000 m, where the last cell (160) begins; the grid runs 7000 m past the end of the "
            "1000 m line");
}

TEST(CauseTest, AProgressionOffTheStepPointsAtItsRecord) {
  const std::string line = Crlf({"[generale]", "lunghezza percorso, 30000",
                                 "progressiva chilometrica uno, 30, 111000, 0", "[fine]"});
  auto r = CompileTexts(line, Train({}).c_str());
  const Diagnostic& d = r.scenario.diagnostics.back();
  EXPECT_EQ(d.code, ErrorCode::kProgressionStep);
  EXPECT_EQ(d.file, "Test_linea.txt");
  EXPECT_EQ(d.line, 3);
  EXPECT_EQ(d.column, 31);
  EXPECT_EQ(d.message, "kilometric progression (30, 111000) is not on a multiple of 50 m");
}

TEST(CauseTest, StationsTooCloseNameTheOtherStation) {
  const std::string train =
      Crlf({"[generale]", "velocita, 0, 100", "aderenza, 0, 100",
            "stazione, 1000, 8, 500, 0,0,0, 1,1,0, 4,1,1, 60, 0,0,0, ALFA",
            "stazione, 1500, 8, 500, 0,0,0, 1,1,0, 4,1,1, 60, 0,0,0, BETA", "[fine]"});
  auto r = CompileTexts(LineHeader(30000), train.c_str());
  const Diagnostic& d = r.scenario.diagnostics.back();
  EXPECT_EQ(d.code, ErrorCode::kStationSpacing);
  EXPECT_EQ(d.line, 5);
  EXPECT_EQ(d.message,
            "the stopping zone of station BETA begins at 1000 m, less than 350 m after the zone of "
            "station ALFA ends (1500 m)");
  ASSERT_EQ(d.related.size(), 1u);
  EXPECT_EQ(d.related[0].line, 4);
  EXPECT_EQ(d.related[0].message, "station ALFA is here");
}

TEST(CauseTest, AnErrorLeftStandingIsNamedAsTheEarlierOne) {
  // The curve lies beyond the grid (error 15, the line's reading ends); the
  // train's first feature then stops on that standing error.
  const std::string line = LineHeader(1000) + Crlf({"curvas3, 9000, 100", "[fine]"});
  const std::string train = Crlf({"[generale]", "velocita, 0, 100", Signal(500), "[fine]"});
  auto r = CompileTexts(line, train.c_str(), 1);
  const Diagnostic& d = r.scenario.diagnostics.back();
  EXPECT_EQ(d.code, ErrorCode::kBeyondGrid);
  EXPECT_EQ(d.file, "Test_1-.txt");
  EXPECT_EQ(d.message,
            "error 15 recorded earlier still stands, so the reading stops at this record");
  ASSERT_EQ(d.related.size(), 1u);
  EXPECT_EQ(d.related[0].file, "Test_linea.txt");
  EXPECT_EQ(d.related[0].line, 4);
  EXPECT_EQ(d.related[0].message, "error 15 was recorded here");
}

}  // namespace
}  // namespace sb
