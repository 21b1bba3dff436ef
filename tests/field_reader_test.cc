// The lexical rules of the descriptions: separators, blanks, text and
// number fields, empty fields, ranges, end of file and line numbers.
#include "description/field_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace sb {
namespace {

// Reads `ops` from `input` ('t' text, 'i' 32-bit number) and returns what was
// read, numbers in decimal; "<fail>" where a read failed.
std::vector<std::string> ReadAll(const std::string& input, const std::string& ops) {
  FieldReader r(input);
  std::vector<std::string> out;
  for (char op : ops) {
    if (op == 't') {
      std::string s;
      out.push_back(r.ReadText(&s) ? s : "<fail>");
    } else {
      int32_t v = 0;
      out.push_back(r.ReadInt32(&v) ? std::to_string(v) : "<fail>");
    }
  }
  return out;
}

TEST(FieldReaderTest, FieldsAsRead) {
  struct Case {
    const char* input;
    const char* ops;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"a,b\r\nc", "ttt", {"a", "b", "c"}},
      // Blanks in front are skipped, blanks behind a text are kept.
      {"  \tabc  ,x", "tt", {"abc  ", "x"}},
      {"(Km 208+500)\r\nz", "tt", {"(Km 208+500)", "z"}},
      // A number ends at a blank; its trailing blanks and separator are its own.
      {"orologio,    15              16            30 ", "tiii", {"orologio", "15", "16", "30"}},
      {"12 ,x", "it", {"12", "x"}},
      {"5   \r\nx", "it", {"5", "x"}},
      {"1 2,3", "iii", {"1", "2", "3"}},
      // A quoted text runs to its closing quote; the rest up to the separator
      // is dropped.
      {"\"a, b\"  tail,next", "tt", {"a, b", "next"}},
      // Empty fields: two commas in a row, a blank line.
      {"a,,b\r\n\r\nc", "ttttt", {"a", "", "b", "", "c"}},
      {",,5", "iii", {"0", "0", "5"}},
      {"\r\n7", "ii", {"0", "7"}},
      // Not a number: 0.
      {"abc,12x,-,-7", "iiii", {"0", "0", "0", "-7"}},
      // Lone LF and lone CR end lines too.
      {"1\n2\r3\r\n4", "iiii", {"1", "2", "3", "4"}},
      {"a\nb", "tt", {"a", "b"}},
      // The 32-bit range.
      {"-2147483648,2147483647", "ii", {"-2147483648", "2147483647"}},
      {"2147483648,7", "i", {"<fail>"}},
      {"-2147483649", "i", {"<fail>"}},
      {"99999999999999999999999", "i", {"<fail>"}},
      // Reading past the end.
      {"", "t", {"<fail>"}},
      {"", "i", {"<fail>"}},
      {"5", "ii", {"5", "<fail>"}},
      {"x\r\n", "tt", {"x", "<fail>"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    EXPECT_EQ(ReadAll(c.input, c.ops), c.expected);
  }
}

TEST(FieldReaderTest, NarrowRanges) {
  struct Case {
    const char* input;
    char width;  // 'h' 16-bit, 'b' unsigned 8-bit
    bool ok;
    int32_t value;
  };
  const Case cases[] = {
      {"-32768", 'h', true, -32768}, {"32767", 'h', true, 32767}, {"32768", 'h', false, 0},
      {"-32769", 'h', false, 0},     {"x", 'h', true, 0},         {"0", 'b', true, 0},
      {"255", 'b', true, 255},       {"256", 'b', false, 0},      {"-1", 'b', false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    FieldReader r(c.input);
    int32_t got = 0;
    bool ok;
    if (c.width == 'h') {
      int16_t v = 11;
      ok = r.ReadInt16(&v);
      got = v;
    } else {
      uint8_t v = 11;
      ok = r.ReadUInt8(&v);
      got = v;
    }
    EXPECT_EQ(ok, c.ok);
    // A failed read leaves its destination alone.
    EXPECT_EQ(got, c.ok ? c.value : 11);
  }
}

TEST(FieldReaderTest, EndOfFileAfterReads) {
  struct Case {
    const char* input;
    const char* ops;
    bool eof;
  };
  const Case cases[] = {
      {"", "", true},
      {"a", "t", true},
      {"a\r\n", "t", true},
      {"7   ", "i", true},
      {"7   \r\n", "i", true},
      // A separator followed by a line end leaves an empty field to read.
      {"a,\r\n", "t", false},
      {"a\r\n\r\n", "t", false},
      {"a,b", "t", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    FieldReader r(c.input);
    for (char op : std::string(c.ops)) {
      std::string s;
      int32_t v;
      ASSERT_TRUE(op == 't' ? r.ReadText(&s) : r.ReadInt32(&v));
    }
    EXPECT_EQ(r.eof(), c.eof);
  }
}

TEST(FieldReaderTest, LineOfEachField) {
  const std::string input = "a,b\r\nc\nd\r\n\r\n  e,\"x\r\ny\",f";
  FieldReader r(input);
  struct Expected {
    const char* text;
    int line;
    int column;  // of the field's first byte; a quote counts, blanks before do not
    const char* line_text;
  };
  const Expected fields[] = {{"a", 1, 1, "a,b"},
                             {"b", 1, 3, "a,b"},
                             {"c", 2, 1, "c"},
                             {"d", 3, 1, "d"},
                             {"", 4, 1, ""},
                             {"e", 5, 3, "  e,\"x"},
                             {"x\r\ny", 5, 5, "  e,\"x"},
                             {"f", 6, 4, "y\",f"}};
  EXPECT_EQ(r.column(), 0);
  for (const Expected& e : fields) {
    std::string s;
    ASSERT_TRUE(r.ReadText(&s));
    EXPECT_EQ(s, e.text);
    EXPECT_EQ(r.line(), e.line) << e.text;
    EXPECT_EQ(r.column(), e.column) << e.text;
    EXPECT_EQ(r.LineText(), e.line_text) << e.text;
  }
  EXPECT_TRUE(r.eof());
  // A read at the end begins no field: the last field's place stands.
  std::string s;
  EXPECT_FALSE(r.ReadText(&s));
  EXPECT_EQ(r.line(), 6);
  EXPECT_EQ(r.column(), 4);
}

TEST(FieldReaderTest, ColumnOfNumberFields) {
  // Blanks between numbers end a field; a tab counts as one byte.
  FieldReader r("orologio,    15              16            30 \r\nx,\t-7, 99999999999");
  struct Expected {
    int line, column;
  };
  std::string keyword;
  ASSERT_TRUE(r.ReadText(&keyword));
  for (Expected e : {Expected{1, 14}, Expected{1, 30}, Expected{1, 44}}) {
    int32_t v;
    ASSERT_TRUE(r.ReadInt32(&v));
    EXPECT_EQ(r.line(), e.line);
    EXPECT_EQ(r.column(), e.column);
  }
  ASSERT_TRUE(r.ReadText(&keyword));
  int32_t v;
  ASSERT_TRUE(r.ReadInt32(&v));
  EXPECT_EQ(v, -7);
  EXPECT_EQ(r.column(), 4);
  // A number out of range still began its field there.
  EXPECT_FALSE(r.ReadInt32(&v));
  EXPECT_EQ(r.line(), 2);
  EXPECT_EQ(r.column(), 8);
}

// What the warnings need of the last field: how it ended, its own text,
// whether a number was one, and the field that follows on its line.
TEST(FieldReaderTest, TellsHowTheLastFieldEnded) {
  using End = FieldReader::End;
  struct Case {
    const char* input;
    char op;  // 't' text, 'i' number
    End end;
    const char* text;
    bool whole;
    int nextColumn;
    const char* nextText;
  };
  const Case cases[] = {
      {"8,5\r\n", 'i', End::kComma, "8", true, 3, "5"},
      {"8 , 5 \r\n", 'i', End::kComma, "8", true, 5, "5"},
      {"8 5\r\n", 'i', End::kBeforeText, "8", true, 3, "5"},
      {"30 \r\nx", 'i', End::kLineEnd, "30", true, 0, ""},
      {"30", 'i', End::kEndOfData, "30", true, 0, ""},
      {"140.0,x", 'i', End::kComma, "140.0", false, 7, "x"},
      {"  ,x", 'i', End::kComma, "", false, 4, "x"},
      {"-\r\n", 'i', End::kLineEnd, "-", false, 0, ""},
      {"PORTO, SAN GIORGIO  \r\n", 't', End::kComma, "PORTO", true, 8, "SAN GIORGIO"},
      {"\"A\r\nB\"\r\nx", 't', End::kLineEnd, "A\r\nB", true, 0, ""},
      {"a,", 't', End::kComma, "a", true, 3, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    FieldReader r(c.input);
    if (c.op == 't') {
      std::string text;
      ASSERT_TRUE(r.ReadText(&text));
    } else {
      int32_t value = 0;
      ASSERT_TRUE(r.ReadInt32(&value));
      EXPECT_EQ(r.last_number_whole(), c.whole);
    }
    EXPECT_EQ(r.last_end(), c.end);
    EXPECT_EQ(r.last_text(), c.text);
    EXPECT_EQ(r.NextFieldColumn(), c.nextColumn);
    EXPECT_EQ(r.NextFieldText(), c.nextText);
  }
}

}  // namespace
}  // namespace sb
