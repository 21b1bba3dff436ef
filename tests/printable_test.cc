// Control bytes shown escaped, everything else as it is; the diagnostic form
// that goes to a terminal escapes every text the author wrote.
#include "base/printable.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "compiler/diagnostics.h"

namespace sb {
namespace {

TEST(EscapeControls, ControlBytesOnlyAreEscaped) {
  std::string allControls;
  std::string allEscaped;
  for (int byte = 0; byte < 0x20; ++byte) {
    if (byte == '\t') continue;
    allControls += static_cast<char>(byte);
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02x", byte);
    allEscaped += hex;
  }
  allControls += '\x7f';
  allEscaped += "\\x7f";
  struct Case {
    const char* name;
    std::string text;
    std::string shown;
  };
  const Case cases[] = {
      {"empty", "", ""},
      {"plain words", "segnale, 2000, RICCIONE", "segnale, 2000, RICCIONE"},
      {"a title sequence", "\x1b]0;pwned\x07", "\\x1b]0;pwned\\x07"},
      {"a clear-screen sequence", "A\x1b[2JB", "A\\x1b[2JB"},
      {"NUL inside", std::string("a\0b", 3), "a\\x00b"},
      {"TAB kept: authors space with it", "a\tb\t", "a\tb\t"},
      {"CR and LF inside a text", "a\r\nb", "a\\x0d\\x0ab"},
      {"DEL", "a\x7f", "a\\x7f"},
      {"code page letters and UTF-8 kept", "Localit\xE0 \xC3\xA0 \xE2\x82\xAC \xFF",
       "Localit\xE0 \xC3\xA0 \xE2\x82\xAC \xFF"},
      {"UTF-8 C1 controls: CSI, ST, OSC",
       "a\xC2\x9B"
       "2Jb\xC2\x9C\xC2\x9D"
       "0;x",
       "a\\xc2\\x9b2Jb\\xc2\\x9c\\xc2\\x9d0;x"},
      {"single-byte C1 controls",
       "\x9B"
       "2J \x80 \x9F",
       "\\x9b2J \\x80 \\x9f"},
      {"a lead byte cut off before its C1", "\xC2", "\xC2"},
      {"U+00A0 is not a control", "\xC2\xA0", "\xC2\xA0"},
      {"a backslash stays as it is", "C:\\x1b\\", "C:\\x1b\\"},
      {"every control byte", allControls, allEscaped},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(EscapeControls(c.text), c.shown);
  }
}

TEST(FormatDiagnostic, ShowsTheAuthorsTextsEscaped) {
  Diagnostic d;
  d.code = ErrorCode{6};
  d.position = 1000;
  d.file = "dir\x1b[2J/Test_linea.txt";
  d.line = 5;
  d.column = 23;
  d.record = "cartello_indicatore,  1000,  \x1b]0;pwned\x07";
  d.message = "the board \x1b]0;x\x07 is taken";
  EXPECT_EQ(FormatDiagnostic(d, "km 1+000"),
            "dir\\x1b[2J/Test_linea.txt:5:23: error: the board \\x1b]0;x\\x07 is taken "
            "(at 1000 m, km 1+000) [6]\n"
            "    cartello_indicatore,  1000,  \\x1b]0;pwned\\x07\n"
            "                          ^");
}

}  // namespace
}  // namespace sb
