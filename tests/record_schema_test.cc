// The record schema against what follows it: the readers read every column
// where the schema puts it, as it types it and under its name; and every
// list of keywords outside the code (the two highlighting grammars, the
// fuzzer's dictionary) holds the schema's keywords and no other.
#include "description/record_schema.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "compiler/error_codes.h"
#include "test_support.h"

namespace sb {
namespace {

using testing::CompileTexts;
using testing::Crlf;

std::string ReadSource(const std::string& path) {
  std::ifstream in(std::string(SB_SOURCE_DIR) + "/" + path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string RangeOf(ValueType type) {
  switch (type) {
    case ValueType::kInt32: return "-2147483648 to 2147483647";
    case ValueType::kInt16: return "-32768 to 32767";
    case ValueType::kUInt8: return "0 to 255";
    case ValueType::kText: return "";
  }
  return "";
}

// Each column in turn is the one that cannot be read: a number too large
// for any column, or, for a text, the end of the file. The columns before
// it hold values no reader stops at. The read that fails names the column,
// so the reader read it at its place, as its type.
TEST(RecordSchema, EveryColumnIsReadWhereAndAsTheSchemaSays) {
  const std::string line = Crlf({"[generale]", "lunghezza percorso, 20000", "[curve]"});
  for (const RecordSchema& record : RecordSchemas()) {
    for (std::size_t column = 0; column < record.columns.size(); ++column) {
      const ColumnSchema& at = record.columns[column];
      SCOPED_TRACE(std::string(record.keyword) + " column " + std::string(at.name));
      std::string text(record.keyword);
      for (std::size_t before = 0; before < column; ++before) {
        text += record.columns[before].position ? ", 1000" : ", 0";
      }
      const bool isText = at.type == ValueType::kText;
      if (!isText) text += ", 99999999999\r\n[fine]\r\n";
      std::string lineText = line;
      std::string trainText = Crlf({"[generale]"});
      switch (record.part) {
        case RecordPart::kLineGeneral: lineText = "[generale]\r\n" + text; break;
        case RecordPart::kLineFeature: lineText += text; break;
        case RecordPart::kTrain: trainText += text; break;
      }
      // With a profile, so that curves are read.
      const testing::Compiled c = CompileTexts(lineText, trainText, 1);
      ASSERT_EQ(c.scenario.errorCode, ErrorCode::kUnreadable);
      const Diagnostic& failure = c.scenario.diagnostics.back();
      EXPECT_EQ(failure.message, isText ? "the file ends where a text was expected"
                                        : std::string(at.what) + " is outside " + RangeOf(at.type));
    }
  }
}

// --- Keyword lists outside the code ------------------------------------------

// The keywords a highlighting pattern stands for, each with whether it
// ignores case. The patterns use a small part of the regular expressions:
// alternatives, (?:...) and (?i:...) groups, character classes and \s+ for
// the blanks between words.
using Keywords = std::set<std::pair<std::string, bool>>;

class PatternExpander {
 public:
  explicit PatternExpander(std::string_view pattern) : p_(pattern) {}

  Keywords Expand() {
    Keywords out;
    for (const auto& [text, ci] : Alternatives(false)) out.insert({text, ci});
    EXPECT_EQ(at_, p_.size()) << "unexpected text in " << p_;
    return out;
  }

 private:
  using Strings = std::vector<std::pair<std::string, bool>>;

  Strings Alternatives(bool ci) {
    Strings all = Sequence(ci);
    while (at_ < p_.size() && p_[at_] == '|') {
      ++at_;
      const Strings more = Sequence(ci);
      all.insert(all.end(), more.begin(), more.end());
    }
    return all;
  }

  Strings Sequence(bool ci) {
    // The empty start leaves the case rule to what follows it.
    Strings done = {{"", true}};
    while (at_ < p_.size() && p_[at_] != '|' && p_[at_] != ')') {
      const Strings atom = Atom(ci);
      Strings joined;
      for (const auto& [head, headCi] : done) {
        for (const auto& [tail, tailCi] : atom) joined.push_back({head + tail, headCi && tailCi});
      }
      done = std::move(joined);
    }
    return done;
  }

  Strings Atom(bool ci) {
    const char c = p_[at_];
    if (p_.substr(at_, 3) == "\\s+") {
      at_ += 3;
      return {{" ", ci}};
    }
    if (c == '(') {
      bool inner = ci;
      if (p_.substr(at_, 4) == "(?i:") {
        inner = true;
        at_ += 4;
      } else if (p_.substr(at_, 3) == "(?:") {
        at_ += 3;
      } else {
        ADD_FAILURE() << "unexpected group in " << p_;
        at_ = p_.size();
        return {};
      }
      Strings group = Alternatives(inner);
      ++at_;  // ')'
      return group;
    }
    if (c == '[') {
      Strings chars;
      ++at_;
      while (at_ < p_.size() && p_[at_] != ']') {
        if (p_[at_ + 1] == '-' && p_[at_ + 2] != ']') {
          for (char x = p_[at_]; x <= p_[at_ + 2]; ++x) chars.push_back({std::string(1, x), ci});
          at_ += 3;
        } else {
          chars.push_back({std::string(1, p_[at_++]), ci});
        }
      }
      ++at_;  // ']'
      return chars;
    }
    ++at_;
    return {{std::string(1, c), ci}};
  }

  std::string_view p_;
  std::size_t at_ = 0;
};

// The regular expression of a grammar's rule as the JSON writes it.
std::string RuleMatchAsWritten(const std::string& grammar, const std::string& rule) {
  const std::size_t ruleAt = grammar.find("\"" + rule + "\": {");
  const std::string key = "\"match\": \"";
  const std::size_t matchAt = grammar.find(key, ruleAt);
  if (ruleAt == std::string::npos || matchAt == std::string::npos) {
    ADD_FAILURE() << "no rule " << rule;
    return {};
  }
  std::size_t end = matchAt + key.size();
  while (end < grammar.size() && grammar[end] != '"') end += grammar[end] == '\\' ? 2 : 1;
  return grammar.substr(matchAt + key.size(), end - matchAt - key.size());
}

std::string RuleMatch(const std::string& grammar, const std::string& rule) {
  const std::string written = RuleMatchAsWritten(grammar, rule);
  std::string match;
  for (std::size_t i = 0; i < written.size(); ++i) {
    if (written[i] == '\\') ++i;
    if (i < written.size()) match += written[i];
  }
  return match;
}

// The keywords of a record rule: what comes between the blanks that may
// begin a line and what may follow the keyword in its field.
Keywords RuleKeywords(const std::string& grammar, const std::string& rule) {
  const std::string match = RuleMatch(grammar, rule);
  const std::string head = "^\\s*(";
  const std::size_t end = match.find("[^,\\-]*(?=");
  if (match.rfind(head, 0) != 0 || end == std::string::npos) {
    ADD_FAILURE() << rule << " is not a record rule: " << match;
    return {};
  }
  return PatternExpander(std::string_view(match).substr(head.size(), end - head.size())).Expand();
}

// The schema's keywords as authors write them, each with whether the
// reader ignores its case; `text` picks the records whose last value is a
// text, the others when false.
Keywords SchemaKeywords(std::initializer_list<RecordPart> parts, bool text) {
  Keywords out;
  for (RecordPart part : parts) {
    for (std::string_view keyword : KeywordsAsWritten(part)) {
      const RecordSchema* record = FindRecord(part, keyword);
      if (record == nullptr) {
        ADD_FAILURE() << keyword << " is no record";
        continue;
      }
      if ((record->columns.back().type == ValueType::kText) != text) continue;
      out.insert({std::string(keyword), record->test.mode == Compare::kText});
    }
  }
  return out;
}

TEST(RecordSchema, TheHighlightingGrammarsHoldItsKeywords) {
  const std::string line = ReadSource("editors/vscode/syntaxes/sb-line.tmLanguage.json");
  const std::string train = ReadSource("editors/vscode/syntaxes/sb-train.tmLanguage.json");
  const std::initializer_list<RecordPart> lineParts = {RecordPart::kLineGeneral,
                                                       RecordPart::kLineFeature};
  const std::initializer_list<RecordPart> trainParts = {RecordPart::kTrain};
  EXPECT_EQ(RuleKeywords(line, "record"), SchemaKeywords(lineParts, false));
  EXPECT_EQ(RuleKeywords(line, "text-record"), SchemaKeywords(lineParts, true));
  EXPECT_EQ(RuleKeywords(train, "record"), SchemaKeywords(trainParts, false));
  EXPECT_EQ(RuleKeywords(train, "text-record"), SchemaKeywords(trainParts, true));

  // Beyond their names, scopes and keywords the two are one grammar.
  auto common = [](std::string grammar, const std::string& scope, const std::string& name) {
    using testing::ReplaceAll;
    for (const char* rule : {"record", "text-record"}) {
      grammar = ReplaceAll(grammar, RuleMatchAsWritten(grammar, rule), "KEYWORDS");
    }
    return ReplaceAll(ReplaceAll(grammar, scope, "SCOPE"), name, "NAME");
  };
  EXPECT_EQ(common(line, "sb-line", "Scenario line description"),
            common(train, "sb-train", "Scenario train description"));
}

// The fuzzer builds records from its dictionary's words: every record and
// every section header must be among them.
TEST(RecordSchema, TheFuzzDictionaryHoldsEveryRecordAndHeader) {
  std::istringstream dictionary(ReadSource("fuzz/descriptions.dict"));
  std::vector<std::string> words;
  for (std::string entry; std::getline(dictionary, entry);) {
    if (entry.size() >= 2 && entry.front() == '"' && entry.back() == '"') {
      words.push_back(entry.substr(1, entry.size() - 2));
    }
  }
  for (const RecordSchema& record : RecordSchemas()) {
    bool found = false;
    for (const std::string& word : words) found = found || FindRecord(record.part, word) == &record;
    EXPECT_TRUE(found) << "no word of the dictionary is read as " << record.keyword;
  }
  for (const SectionHeader& header : SectionHeaders()) {
    EXPECT_TRUE(std::find(words.begin(), words.end(), header.header) != words.end())
        << "the dictionary lacks " << header.header;
  }
}

}  // namespace
}  // namespace sb
