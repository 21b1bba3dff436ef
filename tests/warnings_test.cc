// The warnings the readers give: each mistake a small pair of descriptions,
// the warnings pinned whole (identifier, place, message, hint); the
// built-in descriptions and harmless variants of them give none; a warning
// never changes what is compiled; silencing one leaves the others; and the
// lists of identifiers outside the code hold every one.
#include "compiler/warnings.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "content/content.h"
#include "content/templates.h"
#include "description/record_alignment.h"
#include "format/cell_codec.h"
#include "format/item_codec.h"
#include "format/profile_codec.h"
#include "test_support.h"

namespace sb {
namespace {

using testing::CompileTexts;
using testing::Crlf;

constexpr const char* kLineFile = "Test_linea.txt";
constexpr const char* kTrainFile = "Test_1-.txt";

// A line of 10000 m and a train that sets speed and adhesion from 0 m:
// together they give no warning.
std::string Line(std::initializer_list<std::string> features) {
  std::string text = Crlf({"[generale]", "lunghezza percorso, 10000", "[curve]"});
  text += Crlf(features);
  return text + Crlf({"[fine]"});
}
std::string Train(std::initializer_list<std::string> records) {
  std::string text = Crlf({"[generale]", "aderenza, 0, 100", "velocita, 0, 100"});
  text += Crlf(records);
  return text + Crlf({"[fine]"});
}

struct Expected {
  std::string id;
  std::string file;
  int line;
  int column;
  std::string message;
  std::string hint;
  std::string note = {};  // a related location: "file:line:column message"
};

std::string Show(const Diagnostic& d) {
  std::string out = d.is_warning() ? std::string(WarningId(d.warning))
                                   : "error " + std::to_string(Number(d.code));
  out += " " + d.file + ":" + std::to_string(d.line) + ":" + std::to_string(d.column) + " {" +
         d.message + "} hint {" + d.hint + "}";
  for (const RelatedLocation& r : d.related) {
    out += " note {" + r.file + ":" + std::to_string(r.line) + ":" + std::to_string(r.column) +
           " " + r.message + "}";
  }
  return out;
}

std::vector<std::string> Warnings(const Scenario& s) {
  std::vector<std::string> out;
  for (const Diagnostic& d : s.diagnostics) {
    if (d.is_warning()) out.push_back(Show(d));
  }
  return out;
}

std::vector<std::string> Shown(const std::vector<Expected>& expected) {
  std::vector<std::string> out;
  for (const Expected& e : expected) {
    out.push_back(e.id + " " + e.file + ":" + std::to_string(e.line) + ":" +
                  std::to_string(e.column) + " {" + e.message + "} hint {" + e.hint + "}" +
                  (e.note.empty() ? "" : " note {" + e.note + "}"));
  }
  return out;
}

struct Case {
  const char* name;
  std::string line;
  std::string train;
  std::vector<Expected> warnings;
  int32_t withProfile = 0;
};

std::vector<Case> Cases() {
  return {

      {"extra value after the speed",
       Line({}),
       Train({"velocita, 5000, 10,5"}),
       {{"extra-values", kTrainFile, 4, 20,
         "expected 2 values for 'velocita', found more on its line: '5' is read as the next "
         "keyword",
         ""}}},
      {"extra value after blanks",
       Line({}),
       Train({"velocita, 5000, 10 20"}),
       {{"extra-values", kTrainFile, 4, 20,
         "expected 2 values for 'velocita', found more on its line: '20' is read as the next "
         "keyword",
         ""}}},
      {"a station name with a comma",
       Line({}),
       Train({"stazione, 5000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 0,0, 0, PORTO, SAN GIORGIO"}),
       {{"extra-values", kTrainFile, 4, 67,
         "expected 17 values for 'stazione', found more on its line: 'SAN GIORGIO' is read as the "
         "next keyword",
         "a comma ends the station's name: put the name in double quotes to keep its comma"}}},
      {"a quoted station name keeps its comma",
       Line({}),
       Train({"stazione, 5000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 0,0, 0, \"PORTO, SAN GIORGIO\""}),
       {}},
      {"a board text with a comma",
       Line({"cartello_indicatore, 500, PORTO, SAN GIORGIO"}),
       Train({}),
       {{"extra-values", kLineFile, 4, 34,
         "expected 2 values for 'cartello_indicatore', found more on its line: 'SAN GIORGIO' is "
         "read as the next keyword",
         "a comma ends the board's text: put the text in double quotes to keep its comma"}}},
      {"a station short of its name",
       Line({}),
       Train({"stazione, 5000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 0,0, 0",
              "stazione, 9000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 0,0, 0, B"}),
       {{"missing-values", kTrainFile, 4, 1,
         "'stazione' takes 17 values but its line holds 16; the name is read from line 5 "
         "('stazione')",
         "", "Test_1-.txt:5:1 the name is read from here"}}},
      {"a keyword alone on its line",
       Line({}),
       Train({"velocita", "5000, 100"}),
       {{"missing-values", kTrainFile, 4, 1,
         "'velocita' takes 2 values but its line holds 0; the speed limit's position is read from "
         "line 5 ('5000')",
         "", "Test_1-.txt:5:1 the speed limit's position is read from here"}}},
      {"a quoted text over two lines",
       Line({"cartello_indicatore, 500, \"A", "B\""}),
       Train({}),
       {}},
      {"a decimal speed",
       Line({}),
       Train({"velocita, 5000, 140.0"}),
       {{"not-a-number", kTrainFile, 4, 17, "expected a whole number, found '140.0'",
         "write 140"}}},
      {"an empty number",
       Line({}),
       Train({"velocita, 5000, "}),
       {{"not-a-number", kTrainFile, 4, 17, "expected a whole number, found nothing", ""}}},
      {"a line length that is no number",
       Crlf({"[generale]", "lunghezza percorso, 1O000", "[curve]", "[fine]"}),
       Train({}),
       {{"not-a-number", kLineFile, 2, 21,
         "expected a whole number, found '1O000'; the line length reads as 0", ""}}},
      {"a misspelt train record",
       Line({}),
       Train({"stazone, 5000"}),
       {{"unknown-record", kTrainFile, 4, 1, "'stazone' is no record of the train description",
         "did you mean 'stazione'?"}}},
      {"a misspelt curve",
       Line({"curvs3, 100, 100"}),
       Train({}),
       {{"unknown-record", kLineFile, 4, 1, "'curvs3' is no record of the line description",
         "did you mean 'curvas3'?"}},
       1},
      {"a line of free text: one warning, no guess",
       Line({"nota, vedi sotto, 12"}),
       Train({}),
       {{"unknown-record", kLineFile, 4, 1, "'nota' is no record of the line description", ""}}},
      {"headers and blank lines are no records",
       Line({"[pendenze]", "", "   ", "[ altro ]"}),
       Train({"[stazioni]", ""}),
       {}},
      {"a misspelt feature",
       Line({"pendnza, 100, 1"}),
       Train({}),
       {{"unknown-record", kLineFile, 4, 1, "'pendnza' is no record of the line description",
         "did you mean 'pendenza'?"}}},
      {"a misspelt length",
       Crlf({"[generale]", "lunghezza percoso, 10000", "[curve]", "[fine]"}),
       Train({}),
       {{"unknown-record", kLineFile, 2, 1,
         "'lunghezza percoso' is no record of the line description's general section",
         "did you mean 'lunghezza percorso'?"},
        {"no-line-length", kLineFile, 3, 1,
         "expected a 'lunghezza percorso' record before the general section ends here",
         "add 'lunghezza percorso, <metres>' above it"}}},
      {"a line record in the train",
       Line({}),
       Train({"pendenza, 100, 1"}),
       {{"unknown-record", kTrainFile, 4, 1,
         "'pendenza' is a record of the line description, not of the train description", ""}}},
      {"a train record in the line",
       Line({"velocita, 0, 100"}),
       Train({}),
       {{"unknown-record", kLineFile, 4, 1,
         "'velocita' is a record of the train description, not of the line description", ""}}},
      {"a general record after the general section",
       Line({"sfondo uno, 1"}),
       Train({}),
       {{"unknown-record", kLineFile, 4, 1,
         "'sfondo uno' is a record of the general section, which has ended",
         "move it above the line that ends the general section",
         "Test_linea.txt:3:1 the general section ends here"}}},
      {"a feature in the general section",
       Crlf({"[generale]", "lunghezza percorso, 10000", "pendenza, 0, 1", "[curve]", "[fine]"}),
       Train({}),
       {{"unknown-record", kLineFile, 3, 1,
         "'pendenza' is a feature record, read only after the general section ends",
         "end the general section with a bracketed line such as '[curve]' above it"}}},
      {"a keyword with a hyphen",
       Line({}),
       Train({"velocita-max, 5000, 100"}),
       {{"hyphen-keyword", kTrainFile, 4, 1,
         "'velocita-max' is skipped as a separator because it holds '-'; a keyword may not hold a "
         "hyphen",
         ""}}},
      {"three separator lines",
       Line({}),
       Train({"----", "----", "----"}),
       {{"hyphen-run", kTrainFile, 6, 1,
         "'----' holds '-' but is read as a keyword: only 2 fields holding '-' in a row are "
         "skipped",
         ""}}},
      {"no [generale] in the train",
       Line({}),
       Crlf({"velocita, 0, 100"}),
       {{"no-general-section", kTrainFile, 1, 1,
         "no \"[generale]\" line: the train description holds no records",
         "add a line \"[generale]\" above the records"}}},
      {"no line length",
       Crlf({"[generale]", "sfondo uno, 1", "[curve]", "[fine]"}),
       Train({}),
       {{"no-line-length", kLineFile, 3, 1,
         "expected a 'lunghezza percorso' record before the general section ends here",
         "add 'lunghezza percorso, <metres>' above it"}}},
      {"no speed limit from 0 m",
       Line({}),
       Crlf({"[generale]", "aderenza, 0, 100", "velocita, 2000, 100", "[fine]"}),
       {{"no-start-record", kTrainFile, 3, 11,
         "no 'velocita' record at 0 m: the speed limit is 0 km/h from 0 m to 2000 m",
         "add 'velocita, 0, <value>' before it"}}},
      {"no adhesion at all",
       Line({}),
       Crlf({"[generale]", "velocita, 0, 100", "[fine]"}),
       {{"no-start-record", kTrainFile, 1, 1,
         "no 'aderenza' record: the adhesion is 0 along the whole line",
         "add 'aderenza, 0, <value>'"}}},
      {"gradients out of order",
       Line({"pendenza, 2000, 1", "pendenza, 1000, 2"}),
       Train({}),
       {{"out-of-order", kLineFile, 5, 11,
         "the gradient at 1000 m comes before the previous one (2000 m): records of one kind go in "
         "position order",
         "", "Test_linea.txt:4:11 the previous gradient"}}},
      {"overlapping curves",
       Line({"curvas3, 1000, 500", "curvad3, 1400, 200"}),
       Train({}),
       {{"out-of-order", kLineFile, 5, 10,
         "the curve from 1400 m overlaps the previous one (1000 m to 1500 m)", "",
         "Test_linea.txt:4:10 the previous curve"}},
       1},
      {"touching curves", Line({"curvas3, 1000, 500", "curvad3, 1500, 200"}), Train({}), {}, 1},
      {"speed limits out of order",
       Line({}),
       Train({"velocita, 3000, 100", "velocita, 2000, 90"}),
       {{"out-of-order", kTrainFile, 5, 11,
         "the speed limit at 2000 m comes before the previous one (3000 m): records of one kind go "
         "in position order",
         "", "Test_1-.txt:4:11 the previous speed limit"}}},
      {"a gradient below its byte",
       Line({"pendenza, 1000, -120"}),
       Train({}),
       {{"value-range", kLineFile, 4, 17,
         "gradient -120 is outside -100 to 155 (stored as value + 100 in one byte): it becomes "
         "+136",
         ""}}},
      {"a speed between steps",
       Line({}),
       Train({"velocita, 3000, 112"}),
       {{"value-range", kTrainFile, 4, 17,
         "speed 112 km/h is stored in 5 km/h steps: it becomes 110 km/h", "write 110"}}},
      {"an adhesion above its byte",
       Line({}),
       Train({"aderenza, 3000, 300"}),
       {{"value-range", kTrainFile, 4, 17,
         "adhesion 300 is outside 0 to 255 (one byte): it becomes 44", ""}}},
      {"a mountain type above its byte",
       Line({"montagna, 1000, 2000, 300"}),
       Train({}),
       {{"value-range", kLineFile, 4, 23,
         "mountain type 300 is stored as 290, outside 0 to 255 (one byte): it becomes 34", ""}}},
      {"a signal's digits out of range",
       Line({}),
       Train({"segnale, 3000, 3, 12, 0, 0, 0, 0, 0, 0, 0, 0"}),
       {{"value-range", kTrainFile, 4, 16, "sx 3 is outside 0 to 2", ""},
        {"value-range", kTrainFile, 4, 19,
         "s1 12 is outside 0 to 9 (digits are packed as tens and units)", ""}}},
      {"a signal's time above its byte",
       Line({}),
       Train({"segnale, 3000, 2, 4, 0, 0, 0, 0, 0, 0, 0, 300"}),
       {{"value-range", kTrainFile, 4, 43,
         "tempo 300 is outside 0 to 255 (one byte): it becomes 44", ""}}},
      {"a slowdown's speed past 16 bits",
       Line({}),
       Train({"rallentamento, 3000, 40000, 200, 0, 1, 40"}),
       {{"value-range", kTrainFile, 4, 22,
         "v 40000 km/h is outside -32768 to 32767 (16 bits): it becomes -25536", ""}}},
      {"a speed point past 16 bits",
       Line({}),
       Train({"abbattimento, 3000, 40000"}),
       {{"value-range", kTrainFile, 4, 21,
         "speed point value 40000 km/h is above 32767 (16 bits): it becomes -25536", ""}}},
      {"a gradient past the line's end",
       Line({"pendenza, 12000, 1"}),
       Train({}),
       {{"past-line-end", kLineFile, 4, 11,
         "the gradient at 12000 m lies past the end of the line (10000 m)", ""}}},
      {"a signal past the line's end",
       Line({}),
       Train({"segnale, 12000, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0"}),
       {{"past-line-end", kTrainFile, 4, 10,
         "the signal at 12000 m lies past the end of the line (10000 m)", ""}}},
      {"a stop mark over a signal",
       Line({}),
       Train({"segnale, 5100, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0",
              "stazione, 5000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 0,0, 0, FANO"}),
       {{"replaced-feature", kTrainFile, 5, 11,
         "the stop mark of station FANO replaces the signal at 5100 m on cell 103", "",
         "Test_1-.txt:4:10 the signal at 5100 m was placed by this record"}}},
      {"a name in UTF-8",
       Line({}),
       Train({"stazione, 5000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 0,0, 0, FORL\xc3\x8c"}),
       {{"text-encoding", kTrainFile, 4, 60,
         "'FORL\xc3\x8c' looks like UTF-8: the simulator reads Windows-1252 and shows "
         "'FORL\xc3\x83\xc5\x92'",
         "save the file as Windows-1252"}}},
      {"a name in Windows-1252",
       Line({}),
       Train({"stazione, 5000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 0,0, 0, FORL\xcc"}),
       {}},
      {"a board text with a control byte",
       Line({"cartello_indicatore, 500, A\x01"
             "B"}),
       Train({}),
       {{"text-encoding", kLineFile, 4, 27,
         "the board text 'A\x01"
         "B' holds the control byte 0x01, which the simulator shows as no letter",
         "remove it"}}},
      // What a mistyped number most likely meant goes by its field's unit.
      {"a thousands separator in metres",
       Line({}),
       Train({"velocita, 5.000, 90"}),
       {{"not-a-number", kTrainFile, 4, 11, "expected a whole number, found '5.000'",
         "write 5000: this field is in metres, written without a thousands separator"}}},
      {"three decimals in km/h are decimals",
       Line({}),
       Train({"velocita, 5000, 100.000"}),
       {{"not-a-number", kTrainFile, 4, 17, "expected a whole number, found '100.000'",
         "write 100"}}},
      {"a thousands separator in a count",
       Line({}),
       Train({"numero vetture, 1'000"}),
       {{"not-a-number", kTrainFile, 4, 17, "expected a whole number, found '1'000'",
         "write 1000: a number is written without a thousands separator"}}},
      {"a blank between thousands",
       Line({}),
       Train({"velocita, 5 000, 90"}),
       {{"not-a-number", kTrainFile, 4, 11,
         "expected a whole number, found '5 000': it reads as 5, and '000' as the next value",
         "write 5000: a number is written without a thousands separator"},
        {"extra-values", kTrainFile, 4, 18,
         "expected 2 values for 'velocita', found more on its line: '90' is read as the next "
         "keyword",
         ""}}},
      {"blanks parting a record's own columns", Line({}), Train({"velocita, 5000 100"}), {}},
      {"a quoted number with a thousands comma",
       Line({}),
       Train({"velocita, \"5,000\", 90"}),
       {{"not-a-number", kTrainFile, 4, 11, "expected a whole number, found '\"5,000\"'",
         "write 5000: this field is in metres, written without a thousands separator"},
        {"not-a-number", kTrainFile, 4, 14, "expected a whole number, found '000\"'", ""},
        {"extra-values", kTrainFile, 4, 20,
         "expected 2 values for 'velocita', found more on its line: '90' is read as the next "
         "keyword",
         ""}}},
      {"kilometres in a metres field",
       Line({}),
       Train({"rallentamento, 3000, 60, 0.6, 0, 1, 60"}),
       {{"not-a-number", kTrainFile, 4, 26, "expected a whole number, found '0.6'",
         "'0.6' looks like kilometres, and this field is in metres: write 600"},
        {"value-range", kTrainFile, 4, 26,
         "the slowdown's length, 0 m, puts its end on its start cell (61): the slowdown has no "
         "end, and runs on to the next slowdown's end",
         "l is the length in metres, such as 600; the end cell is (x + l) / 50 + 1"}}},
      {"kilometres with their unit",
       Line({}),
       Train({"velocita, 5km, 90"}),
       {{"not-a-number", kTrainFile, 4, 11, "expected a whole number, found '5km'",
         "'5km' is in kilometres, and this field is in metres: write 5000"}}},
      {"a decimal too far to be kilometres",
       Line({}),
       Train({"velocita, 5000.5, 90"}),
       {{"not-a-number", kTrainFile, 4, 11, "expected a whole number, found '5000.5'",
         "write a whole number of metres, such as 5000"}}},
      {"a time in the hour's field",
       Line({}),
       Train({"orologio, 7:30, 0, 0"}),
       {{"not-a-number", kTrainFile, 4, 11, "expected a whole number, found '7:30'",
         "'7:30' looks like a time: the hour, the minute and the second are fields of their own: "
         "write 7 here and 30 as the minute"}}},
      {"a speed in metres per second",
       Line({}),
       Train({"velocita, 3000, 22"}),
       {{"value-range", kTrainFile, 4, 17,
         "speed 22 km/h is stored in 5 km/h steps: it becomes 20 km/h",
         "22 looks like metres per second: 22 m/s is 79.2 km/h; speeds are in km/h, in steps of 5: "
         "write 80, or 20 for 22 km/h"}}},
      // Invisible and look-alike characters are named by their code.
      {"a no-break space before a number",
       Line({}),
       Train({"velocita, \xA0"
              "5000, 90"}),
       {{"not-a-number", kTrainFile, 4, 11,
         "expected a whole number, found '\xA0"
         "5000' (U+00A0 NO-BREAK SPACE before '5000')",
         "write 5000"}}},
      {"a UTF-8 no-break space between thousands",
       Line({}),
       Train({"velocita, 5\xC2\xA0"
              "000, 90"}),
       {{"not-a-number", kTrainFile, 4, 11,
         "expected a whole number, found '5\xC2\xA0"
         "000' (U+00A0 NO-BREAK SPACE before '000')",
         "write 5000"}}},
      {"a soft hyphen in a number",
       Line({}),
       Train({"velocita, 50\xAD"
              "00, 90"}),
       {{"not-a-number", kTrainFile, 4, 11,
         "expected a whole number, found '50\xAD"
         "00' (U+00AD SOFT HYPHEN before '00')",
         "write 5000"}}},
      {"a minus sign before a gradient",
       Line({"pendenza, 1000, \xE2\x88\x92"
             "5"}),
       Train({}),
       {{"not-a-number", kLineFile, 4, 17,
         "expected a whole number, found '\xE2\x88\x92"
         "5' (U+2212 MINUS SIGN before '5')",
         "write -5"}}},
      {"typographic quotes around a number",
       Line({}),
       Train({"velocita, \x93"
              "5000\x94, 90"}),
       {{"not-a-number", kTrainFile, 4, 11,
         "expected a whole number, found '\x93"
         "5000\x94' (U+201C LEFT DOUBLE QUOTATION MARK before '5000', U+201D RIGHT DOUBLE "
         "QUOTATION MARK after '5000')",
         "write 5000"}}},
      {"a zero-width space in a keyword",
       Line({}),
       Train({"veloc\xE2\x80\x8Bita, 5000, 90"}),
       {{"unknown-record", kTrainFile, 4, 1,
         "'veloc\xE2\x80\x8Bita' (U+200B ZERO WIDTH SPACE before 'ita') is no record of the train "
         "description",
         "write 'velocita' with plain characters"}}},
      {"an en dash for a comment",
       Line({}),
       Train({"\x96 the bridge"}),
       {{"unknown-record", kTrainFile, 4, 1,
         "'\x96 the bridge' (U+2013 EN DASH before 'the bridge') is no record of the train "
         "description",
         "write '- the bridge' with plain characters"}}},
      {"typographic quotes around a name with a comma",
       Line({}),
       Train({"stazione, 5000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 0,0, 0, \x93PORTO, SAN "
              "GIORGIO\x94"}),
       {{"extra-values", kTrainFile, 4, 68,
         "expected 17 values for 'stazione', found more on its line: 'SAN GIORGIO\x94' (U+201D "
         "RIGHT DOUBLE QUOTATION MARK after 'SAN GIORGIO') is read as the next keyword",
         "write the quotes as '\"': a typographic quote quotes nothing, so a comma ends the "
         "text"}}},
      // The second byte of a UTF-8 letter is no look-alike: 0xC3 0xA0 is an a with a grave accent.
      {"a UTF-8 letter after a number",
       Line({}),
       Train({"velocita, 5000, 9\xC3\xA0"}),
       {{"not-a-number", kTrainFile, 4, 17, "expected a whole number, found '9\xC3\xA0'", ""}}},
      {"a byte order mark before the first line", Line({}), "\xEF\xBB\xBF" + Train({}), {}},
      {"a curve turned left by the 's' of another word",
       Line({"curva destra 5, 900, 500"}),
       Train({}),
       {{"curve-keyword", kLineFile, 4, 1,
         "'curva destra 5' turns left: any 's' in a curve keyword turns it left, here the "
         "'s' of 'destra'",
         "write 'curvad5' for a right-hand curve, 'curvas5' for a left-hand one"}},
       1},
      {"a curve without its side letter",
       Line({"curva left 3, 900, 500"}),
       Train({}),
       {{"curve-keyword", kLineFile, 4, 1,
         "'curva left 3' turns right: a curve keyword turns left only when it holds an 's'",
         "write 'curvad3' for a right-hand curve, 'curvas3' for a left-hand one"}},
       1},
      {"a side in a word of its own",
       Line({"curva sinistra 2, 900, 500"}),
       Train({}),
       {{"curve-keyword", kLineFile, 4, 1,
         "'curva sinistra 2' turns left: any 's' in a curve keyword turns it left, here "
         "the 's' of 'sinistra'",
         "write 'curvad2' for a right-hand curve, 'curvas2' for a left-hand one"}},
       1},
      {"a 'd' side undone by a later 's'",
       Line({"curvad3 bis, 900, 500"}),
       Train({}),
       {{"curve-keyword", kLineFile, 4, 1,
         "'curvad3 bis' turns left: any 's' in a curve keyword turns it left, here the "
         "'s' of 'bis'",
         "write 'curvad3' for a right-hand curve, 'curvas3' for a left-hand one"}},
       1},
      {"two curvature digits",
       Line({"curvas53, 900, 500"}),
       Train({}),
       {{"curve-keyword", kLineFile, 4, 1,
         "'curvas53' has curvature class 3 (radius 2500 m): of its digits 5 and 3, the "
         "lowest from 1 to 6 names the class",
         "write 'curvas3', which compiles as now, or the one digit you mean"}},
       1},
      {"a radius after the digit",
       Line({"curvad4 r1000, 900, 500"}),
       Train({}),
       {{"curve-keyword", kLineFile, 4, 1,
         "'curvad4 r1000' has curvature class 1 (radius 10000 m): of its digits 4, 1 and "
         "0, the lowest from 1 to 6 names the class",
         "write 'curvad1', which compiles as now, or the one digit you mean"}},
       1},
      {"a stray side and two digits",
       Line({"curva destra 35, 900, 500"}),
       Train({}),
       {{"curve-keyword", kLineFile, 4, 1,
         "'curva destra 35' turns left: any 's' in a curve keyword turns it left, here "
         "the 's' of 'destra'; it has curvature class 3 (radius 2500 m): of its digits 3 "
         "and 5, the lowest from 1 to 6 names the class",
         "write 'curvad3' for a right-hand curve, 'curvas3' for a left-hand one, with the "
         "one digit you mean"}},
       1},
      {"clean curve keywords in any case",
       Line({"CURVAS3, 900, 500", "CurvaD5, 1500, 200", "curvas33, 2000, 100",
             "curvasx6, 2500, 100"}),
       Train({}),
       {},
       1},
      {"a curve keyword read without the profile",
       Line({"curva destra 5, 900, 500"}),
       Train({}),
       {}},
      {"a curve keyword without a digit is an error only",
       Line({"curva destra, 900, 500"}),
       Train({}),
       {},
       1},
      {"a minute past 59",
       Line({}),
       Train({"stazione, 3000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 15,65,0, FANO"}),
       {{"time-range", kTrainFile, 4, 55,
         "the scheduled time 15:65:00 of station FANO is no time of day: minute 65 is "
         "outside 0 to 59; it is stored as 57900 s, which is 16:05:00",
         "write 16, 5, 0 if 16:05:00 is meant"}}},
      {"a second past 59 and a negative minute",
       Line({}),
       Train({"stazione, 3000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 15,-5,75, FANO"}),
       {{"time-range", kTrainFile, 4, 55,
         "the scheduled time 15:-5:75 of station FANO is no time of day: minute -5 is "
         "outside 0 to 59 and second 75 is outside 0 to 59; it is stored as 53775 s, "
         "which is 14:56:15",
         "write 14, 56, 15 if 14:56:15 is meant"}}},
      {"an hour past 23",
       Line({}),
       Train({"stazione, 3000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 25,10,0, FANO"}),
       {{"time-range", kTrainFile, 4, 52,
         "the scheduled time 25:10:00 of station FANO is no time of day: hour 25 is "
         "outside 0 to 23; it is stored as 90600 s, past the end of the day",
         "hours run from 0 to 23 and begin again at 0 after midnight: write 1, 10, 0 for "
         "01:10:00"}}},
      {"midnight written as 24",
       Line({}),
       Train({"stazione, 3000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 24,0,0, FANO"}),
       {{"time-range", kTrainFile, 4, 52,
         "the scheduled time 24:00:00 of station FANO is no time of day: hour 24 is "
         "outside 0 to 23; it is stored as 86400 s, past the end of the day",
         "hours run from 0 to 23; 0, 0, 0 reads as no time: write 0, 0, 1 for midnight"}}},
      {"a time before the start of the day",
       Line({}),
       Train({"stazione, 3000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 0,-10,0, FANO"}),
       {{"time-range", kTrainFile, 4, 54,
         "the scheduled time 00:-10:00 of station FANO is no time of day: minute -10 is "
         "outside 0 to 59; it is stored as -600 s, before the start of the day",
         "write a time from 0, 0, 0 to 23, 59, 59"}}},
      {"a time earlier than the previous timed station's",
       Line({}),
       Train({"stazione, 3000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 15,44,0, PESARO",
              "stazione, 6000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 0,0,0, MAROTTA",
              "stazione, 9000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 15,27,0, FANO"}),
       {{"time-order", kTrainFile, 6, 52,
         "station FANO is scheduled at 15:27:00, earlier than PESARO before it "
         "(15:44:00): times grow along the route",
         "correct one of the two times; a time more than 12 hours earlier than the one "
         "before it is taken as past midnight",
         "Test_1-.txt:4:52 the previous station with a time, PESARO"}}},
      {"a drop of 12 hours is no midnight",
       Line({}),
       Train({"stazione, 3000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 13,0,0, PESARO",
              "stazione, 6000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 1,0,0, FANO"}),
       {{"time-order", kTrainFile, 5, 52,
         "station FANO is scheduled at 01:00:00, earlier than PESARO before it "
         "(13:00:00): times grow along the route",
         "correct one of the two times; a time more than 12 hours earlier than the one "
         "before it is taken as past midnight",
         "Test_1-.txt:4:52 the previous station with a time, PESARO"}}},
      {"times across midnight, untimed and equal ones",
       Line({}),
       Train({"stazione, 2000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 23,50,0, PESARO",
              "stazione, 4000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 0,0,0, MAROTTA",
              "stazione, 6000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 0,10,0, FANO",
              "stazione, 8000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 0,10,0, ANCONA"}),
       {}},
      {"a time out of range is compared with no other",
       Line({}),
       Train({"stazione, 3000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 15,44,0, PESARO",
              "stazione, 6000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 16,75,0, FANO",
              "stazione, 9000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 15,50,0, ANCONA"}),
       {{"time-range", kTrainFile, 5, 55,
         "the scheduled time 16:75:00 of station FANO is no time of day: minute 75 is "
         "outside 0 to 59; it is stored as 62100 s, which is 17:15:00",
         "write 17, 15, 0 if 17:15:00 is meant"}}},
      // A record over two lines: the cause comes first; what it caused is
      // told where the value read stands, with the record beside it.
      {"values a tab apart",
       Line({}),
       Train({"velocita\t5000\t100", "velocita, 100, 110"}),
       {{"missing-values", kTrainFile, 4, 1,
         "'velocita\t5000\t100' takes 2 values but its line holds 0; the speed limit's "
         "position is read from line 5 ('velocita')",
         "separate the values with commas: a tab or a blank does not end a field",
         "Test_1-.txt:5:1 the speed limit's position is read from here"},
        {"not-a-number", kTrainFile, 5, 1, "expected a whole number, found 'velocita'", "",
         "Test_1-.txt:4:1 read as the speed limit's position by the record on this line, whose "
         "values run on into line 5"}}},
      {"a line break inside a record",
       Line({}),
       Train({"segnale, 3000, 2, 4,", "0, 0, 0, 0, 0, 12, 0"}),
       {{"missing-values", kTrainFile, 4, 1,
         "'segnale' takes 11 values but its line holds 4; s3 is read from line 5 ('0')", "",
         "Test_1-.txt:5:1 s3 is read from here"},
        {"not-a-number", kTrainFile, 4, 21, "expected a whole number, found nothing", ""},
        {"value-range", kTrainFile, 5, 16,
         "d3 12 is outside 0 to 9 (digits are packed as tens and units)", "",
         "Test_1-.txt:4:1 read as d3 by the record on this line, whose values run on into line "
         "5"}}},
      {"a value missing before a name of two words",
       Line({}),
       Train({"stazione, 5000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 0,0, PORTO SAN GIORGIO"}),
       {{"missing-values", kTrainFile, 4, 1,
         "'stazione' takes 17 values but its line holds 16; the second is read from 'PORTO SAN "
         "GIORGIO' up to its blank, and the name from the rest",
         "a value is missing before 'PORTO SAN GIORGIO': write all 17, separated by commas"},
        {"not-a-number", kTrainFile, 4, 57, "expected a whole number, found 'PORTO'", "",
         "Test_1-.txt:4:63 after the blank, 'SAN GIORGIO' is read as the next field"}}},
      {"two values missing before a name of three words",
       Line({}),
       Train({"stazione, 5000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 0, PORTO SAN GIORGIO"}),
       {{"missing-values", kTrainFile, 4, 1,
         "'stazione' takes 17 values but its line holds 15; the minute is read from 'PORTO SAN "
         "GIORGIO' up to its blank, and the second from the rest",
         "values are missing before 'PORTO SAN GIORGIO': write all 17, separated by commas"},
        {"not-a-number", kTrainFile, 4, 55, "expected a whole number, found 'PORTO'", "",
         "Test_1-.txt:4:61 after the blank, 'SAN GIORGIO' is read as the next field"},
        {"not-a-number", kTrainFile, 4, 61, "expected a whole number, found 'SAN'", "",
         "Test_1-.txt:4:65 after the blank, 'GIORGIO' is read as the next field"}}},
      {"three values missing before a name of three words",
       Line({}),
       Train({"stazione, 5000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, PORTO SAN GIORGIO"}),
       {{"missing-values", kTrainFile, 4, 1,
         "'stazione' takes 17 values but its line holds 14; the name is read from line 5 "
         "('[fine]')",
         "", "Test_1-.txt:5:1 the name is read from here"},
        {"not-a-number", kTrainFile, 4, 52, "expected a whole number, found 'PORTO'", "",
         "Test_1-.txt:4:58 after the blank, 'SAN GIORGIO' is read as the next field"},
        {"not-a-number", kTrainFile, 4, 58, "expected a whole number, found 'SAN'", "",
         "Test_1-.txt:4:62 after the blank, 'GIORGIO' is read as the next field"},
        {"not-a-number", kTrainFile, 4, 62, "expected a whole number, found 'GIORGIO'", ""}}},
      {"numbers a blank apart", Line({}), Train({"orologio, 15 16 30"}), {}},
      {"a name of two words after all its values",
       Line({}),
       Train({"stazione, 5000, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 0, 0,0, 0, PORTO SAN GIORGIO"}),
       {}},
  };
}

TEST(Warnings, EachMistakeIsToldOnce) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    auto r = CompileTexts(c.line, c.train, c.withProfile);
    EXPECT_EQ(Warnings(r.scenario), Shown(c.warnings));
  }
}

TEST(Warnings, NoneOnTheBuiltInDescriptionsAndHarmlessVariants) {
  for (const auto& v : testing::BuiltInVariants()) {
    for (int32_t withProfile : {0, 1}) {
      SCOPED_TRACE(std::string(v.name) + (withProfile ? ", with the profile" : ""));
      auto r = CompileTexts(v.line, v.train, withProfile);
      std::vector<std::string> told;
      for (const Diagnostic& d : r.scenario.diagnostics) told.push_back(Show(d));
      EXPECT_EQ(told, std::vector<std::string>{});
    }
  }
}

// What a compile leaves for the files and the run state, warnings aside.
struct Outcome {
  int32_t errorCode;
  int32_t errorPosition;
  std::string cells;
  std::string items;
  std::string profile;
  std::vector<std::string> errors;

  bool operator==(const Outcome&) const = default;
};

Outcome OutcomeOf(const Scenario& s) {
  Outcome o{Number(s.errorCode),
            s.errorPosition,
            EncodeCells(s.cells),
            EncodeItems(s.items),
            s.profile ? EncodeProfile(*s.profile) : "",
            {}};
  for (const Diagnostic& d : s.diagnostics) {
    if (!d.is_warning()) o.errors.push_back(Show(d));
  }
  return o;
}

TEST(Warnings, ChangeNothingThatIsCompiled) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    auto warned = CompileTexts(c.line, c.train, c.withProfile);
    testing::Compiled quiet;
    quiet.descriptions.line = c.line;
    quiet.descriptions.train = c.train;
    quiet.scenario.lineId = std::string(testing::kLineId);
    quiet.scenario.trainNumber = std::string(testing::kTrain);
    quiet.scenario.keepWarnings = false;
    quiet.result = memorizza_percorso(quiet.scenario, c.withProfile != 0, quiet.descriptions);
    EXPECT_TRUE(Warnings(quiet.scenario).empty());
    EXPECT_TRUE(OutcomeOf(warned.scenario) == OutcomeOf(quiet.scenario));
  }
}

// Aligning the records moves blanks only: every case compiles as before,
// its warnings and errors on the same lines, saying the same.
TEST(Warnings, StayOnTheirLinesWhenTheRecordsAreAligned) {
  auto told = [](const Scenario& s) {
    std::vector<std::string> out;
    for (const Diagnostic& d : s.diagnostics) {
      Diagnostic at = d;
      at.column = 0;
      for (RelatedLocation& r : at.related) r.column = 0;
      out.push_back(Show(at));
    }
    return out;
  };
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    const auto before = CompileTexts(c.line, c.train, c.withProfile);
    const auto after = CompileTexts(AlignRecords(c.line), AlignRecords(c.train), c.withProfile);
    EXPECT_EQ(told(after.scenario), told(before.scenario));
    Outcome a = OutcomeOf(after.scenario);
    Outcome b = OutcomeOf(before.scenario);
    a.errors.clear();
    b.errors.clear();
    EXPECT_TRUE(a == b);
  }
}

// A record commented out with two quotes, the editors' comment token, is
// read as an empty line would be: the same compile and the same warnings,
// none for its own fields. So is every record line of the template, also
// where it follows two comment lines (a third line with a '-' would be read).
TEST(Warnings, ARecordCommentedOutWithTwoQuotesIsAnEmptyLine) {
  const std::string line(content::TemplateLineBytes());
  const std::string train(content::TemplateTrainBytes());
  auto split = [](const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) {
      if (!l.empty() && l.back() == '\r') l.pop_back();
      lines.push_back(l);
    }
    return lines;
  };
  // `text` with its line `n` (0-based) replaced.
  auto withLine = [&](const std::string& text, std::size_t n, const std::string& replaced) {
    std::vector<std::string> lines = split(text);
    lines[n] = replaced;
    std::string out;
    for (const std::string& l : lines) out += l + "\n";
    return out;
  };
  for (const bool lineDescription : {true, false}) {
    const std::string& text = lineDescription ? line : train;
    const std::vector<std::string> lines = split(text);
    for (std::size_t n = 0; n < lines.size(); ++n) {
      if (lines[n].find(',') == std::string::npos) continue;  // not a record
      SCOPED_TRACE(lines[n]);
      const std::string commented = withLine(text, n, "\"\" " + lines[n]);
      const std::string empty = withLine(text, n, "");
      auto a =
          lineDescription ? CompileTexts(commented, train, 1) : CompileTexts(line, commented, 1);
      auto b = lineDescription ? CompileTexts(empty, train, 1) : CompileTexts(line, empty, 1);
      EXPECT_TRUE(OutcomeOf(a.scenario) == OutcomeOf(b.scenario));
      EXPECT_EQ(Warnings(a.scenario), Warnings(b.scenario));
    }
  }
}

// A silenced warning is never built, but what its check notes for the
// others (a line explained, a record seen) stands: silencing one leaves
// the others as they were, and the compile the same.
TEST(Warnings, SilencingOneLeavesTheOthers) {
  for (const Case& c : Cases()) {
    for (const WarningInfo& info : WarningTable()) {
      const std::string id(info.id);
      std::vector<Expected> rest;
      for (const Expected& e : c.warnings) {
        if (e.id != id) rest.push_back(e);
      }
      if (rest.size() == c.warnings.size()) continue;
      SCOPED_TRACE(std::string(c.name) + ", -Wno-" + id);
      testing::Compiled r;
      r.descriptions.line = c.line;
      r.descriptions.train = c.train;
      r.scenario.lineId = std::string(testing::kLineId);
      r.scenario.trainNumber = std::string(testing::kTrain);
      r.scenario.silencedWarnings[static_cast<std::size_t>(info.warning)] = true;
      r.result = memorizza_percorso(r.scenario, c.withProfile != 0, r.descriptions);
      EXPECT_EQ(Warnings(r.scenario), Shown(rest));
      EXPECT_TRUE(OutcomeOf(r.scenario) ==
                  OutcomeOf(CompileTexts(c.line, c.train, c.withProfile).scenario));
    }
  }
}

// The bash completion offers -W<id> and -Wno-<id>, and the manual page
// lists the identifiers, both as `compile --help` does: every identifier,
// in the table's order, and no other.
TEST(Warnings, TheCompletionAndTheManualPageListEveryIdentifier) {
  std::vector<std::string> ids;
  for (const WarningInfo& info : WarningTable()) ids.emplace_back(info.id);
  const std::string source(SB_SOURCE_DIR);

  const std::string completion = testing::ReadFile(source + "/completions/scenario-builder.bash");
  const std::string start = "_scenario_builder_warnings=\"";
  const std::size_t begin = completion.find(start);
  ASSERT_NE(begin, std::string::npos);
  std::istringstream words(completion.substr(
      begin + start.size(), completion.find('"', begin + start.size()) - begin - start.size()));
  std::vector<std::string> offered;
  for (std::string word; words >> word;) offered.push_back(word);
  EXPECT_EQ(offered, ids) << "completions/scenario-builder.bash";

  // Each identifier is written "\%extra\-values" in the WARNINGS section.
  const std::string page = testing::ReadFile(source + "/docs/scenario-builder.1.in");
  const std::size_t section = page.find(".SH WARNINGS");
  ASSERT_NE(section, std::string::npos);
  const std::string text = page.substr(section, page.find(".SH ", section + 1) - section);
  std::vector<std::string> listed;
  for (std::size_t at = text.find("\\%"); at != std::string::npos; at = text.find("\\%", at)) {
    at += 2;
    std::string id;
    for (; at < text.size(); ++at) {
      if (text.compare(at, 2, "\\-") == 0) {
        id += '-';
        ++at;
      } else if (text[at] >= 'a' && text[at] <= 'z') {
        id += text[at];
      } else {
        break;
      }
    }
    listed.push_back(id);
  }
  EXPECT_EQ(listed, ids) << "docs/scenario-builder.1.in";
}

}  // namespace
}  // namespace sb
