// The form a diagnostic takes on a terminal: the location editors read, the
// severity, the message with its code or warning identifier, the record
// with a caret under the field at fault, notes and a hint.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/diagnostics.h"
#include "test_support.h"

namespace sb {
namespace {

Diagnostic Error(int32_t code, std::string record, int column) {
  Diagnostic d;
  d.code = ErrorCode{code};
  d.file = "Test_1-.txt";
  d.line = 3;
  d.column = column;
  d.record = std::move(record);
  d.message = "bad field";
  return d;
}

Diagnostic StationError() {
  Diagnostic d;
  d.code = ErrorCode{8};
  d.position = 10020;
  d.file = "Costa_42-.txt";
  d.line = 40;
  d.column = 13;
  d.record = "stazione,   10020, 12,  500,  0, 0, 0,  1,1,0,  4,1,1,   60,  15,27, 0, RICCIONE";
  d.message = "station position is not a multiple of 50";
  d.related = {{"Costa_42-.txt", 18, 5, "the stop mark of station BETA was set here"}};
  d.hint = "move the station to a multiple of 50 m";
  return d;
}

Diagnostic ExtraValues() {
  Diagnostic d;
  d.severity = Severity::kWarning;
  d.warning = Warning::kExtraValues;
  d.file = "Test_linea.txt";
  d.line = 7;
  d.column = 27;
  d.record = "pendenza,  1000,  5,  3,  9";
  d.message = "the record holds 1 value more than it reads";
  d.hint = "remove the values after 3";
  return d;
}

TEST(FormatDiagnostic, WholeMessages) {
  struct Case {
    const char* name;
    Diagnostic diagnostic;
    std::string km;
    std::string shown;
  };
  Diagnostic atTheEnd = Error(25, "velocita, 0,", 13);
  Diagnostic noColumn = Error(25, "velocita, 0, 110", 0);
  Diagnostic silentWarning = ExtraValues();
  silentWarning.message.clear();
  silentWarning.hint.clear();
  Diagnostic noFile;
  noFile.code = ErrorCode{1250};
  Diagnostic fileOnly;
  fileOnly.code = ErrorCode{101};
  fileOnly.file = "Test_linea.txt";
  fileOnly.message = "cannot read 'Test_linea.txt'";
  Diagnostic notes = Error(6, "cartello_indicatore,  1000,  B", 23);
  notes.related = {{"Test_linea.txt", 4, 0, "the cell's board was placed by this record"},
                   {"Test_linea.txt", 0, 0, "a note of the whole \x1b[2Jfile"},
                   {"", 0, 0, "a note of no place"}};
  notes.hint =
      "move one \x07"
      "board";
  const Case cases[] = {
      {"an error with a caret, a note and a hint", StationError(), "km 121+020",
       "Costa_42-.txt:40:13: error: station position is not a multiple of 50 "
       "(at 10020 m, km 121+020) [8]\n"
       "    stazione,   10020, 12,  500,  0, 0, 0,  1,1,0,  4,1,1,   60,  15,27, 0, RICCIONE\n"
       "                ^\n"
       "Costa_42-.txt:18:5: note: the stop mark of station BETA was set here\n"
       "hint: move the station to a multiple of 50 m"},
      {"a warning names its identifier", ExtraValues(), "",
       "Test_linea.txt:7:27: warning: the record holds 1 value more than it reads "
       "[-Wextra-values]\n"
       "    pendenza,  1000,  5,  3,  9\n"
       "                              ^\n"
       "hint: remove the values after 3"},
      {"a warning without a message shows its summary", silentWarning, "",
       "Test_linea.txt:7:27: warning: a record's line holds more fields than it reads "
       "[-Wextra-values]\n"
       "    pendenza,  1000,  5,  3,  9\n"
       "                              ^"},
      {"an error of no file shows its code's meaning", noFile, "",
       "error: " + std::string(ErrorMeaning(ErrorCode{1250})) + " [1250]"},
      {"a file but no line", fileOnly, "",
       "Test_linea.txt: error: cannot read 'Test_linea.txt' [101]"},
      {"notes with what they know of their place, escaped", notes, "",
       "Test_1-.txt:3:23: error: bad field [6]\n"
       "    cartello_indicatore,  1000,  B\n"
       "                          ^\n"
       "Test_linea.txt:4: note: the cell's board was placed by this record\n"
       "Test_linea.txt: note: a note of the whole \\x1b[2Jfile\n"
       "note: a note of no place\n"
       "hint: move one \\x07board"},
      {"no caret without a column", noColumn, "",
       "Test_1-.txt:3: error: bad field [25]\n"
       "    velocita, 0, 110"},
      {"a value missing at the end of the line", atTheEnd, "",
       "Test_1-.txt:3:13: error: bad field [25]\n"
       "    velocita, 0,\n"
       "                ^"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FormatDiagnostic(c.diagnostic, c.km), c.shown);
  }
}

// The caret stands under the field as the terminal shows the quoted record.
TEST(FormatDiagnostic, CaretUnderTheFieldAsShown) {
  const std::string longRecord = std::string(kRecordQuoteBytes, 'x') + " ...";
  struct Case {
    const char* name;
    std::string record;
    int column;
    std::string quoted;  // the lines after the first; "" for no quote at all
  };
  const Case cases[] = {
      {"a TAB stays a TAB", "\tsegnale,\t2000", 11,
       "    \tsegnale,\t2000\n"
       "    \t        \t^"},
      {"an escaped control byte takes four places",
       "a\x01"
       "b, 5",
       6,
       "    a\\x01b, 5\n"
       "            ^"},
      {"a UTF-8 character takes one place", "citt\xC3\xA0, 5", 9,
       "    citt\xC3\xA0, 5\n"
       "           ^"},
      {"a code page byte takes one place", "citt\xE0, 5", 8,
       "    citt\xE0, 5\n"
       "           ^"},
      {"a lone C1 byte is escaped: four places each", "a\x80\x80, 5", 6,
       "    a\\x80\\x80, 5\n"
       "               ^"},
      {"a UTF-8 C1 control is escaped: eight places", "a\xC2\x9B, 5", 6,
       "    a\\xc2\\x9b, 5\n"
       "               ^"},
      {"an overlong form is a byte each", "a\xC0\xAF, 5", 6,
       "    a\xC0\xAF, 5\n"
       "         ^"},
      {"a field cut off the quote gets no caret", longRecord, kRecordQuoteBytes + 1,
       "    " + longRecord},
      {"a field within the cut quote gets its caret", longRecord, kRecordQuoteBytes,
       "    " + longRecord + "\n    " + std::string(kRecordQuoteBytes - 1, ' ') + "^"},
      {"a column past the record gets no caret", "abc", 9, "    abc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Diagnostic d = Error(25, c.record, c.column);
    const std::string first =
        "Test_1-.txt:3:" + std::to_string(c.column) + ": error: bad field [25]\n";
    EXPECT_EQ(FormatDiagnostic(d), first + c.quoted);
  }
}

// The readers quote a long record cut short where the caret expects it.
TEST(FormatDiagnostic, ALongRecordAsTheReaderQuotesIt) {
  const std::string prefix = "cartello_indicatore,  1000,  ";
  const std::string record = prefix + std::string(300, 'B');
  auto r = testing::CompileTexts(
      testing::Crlf({"[generale]", "lunghezza percorso,    10000", "[cartelli]",
                     "cartello_indicatore,  1000,  A", record, "[fine]"}),
      nullptr);
  ASSERT_FALSE(r.scenario.diagnostics.empty());
  const Diagnostic& d = r.scenario.diagnostics.back();
  ASSERT_EQ(d.column, 23);
  EXPECT_EQ(d.record, record.substr(0, kRecordQuoteBytes) + " ...");
  const std::string shown = FormatDiagnostic(d);
  EXPECT_NE(shown.find("\n    " + std::string(22, ' ') + "^"), std::string::npos) << shown;
}

}  // namespace
}  // namespace sb
