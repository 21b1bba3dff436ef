// The editor's walk through a description against the readers themselves:
// on descriptions that read to their end, both read the same fields, in
// the same order, each as a keyword or as the same value.
#include "description/record_walk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/content.h"
#include "content/templates.h"
#include "test_support.h"

namespace sb {
namespace {

// "line:column what" for each field read; "keyword" for one read in a
// keyword's place.
std::string Shown(int line, int column, const char* what) {
  return std::to_string(line) + ":" + std::to_string(column) + " " +
         (what != nullptr ? what : "keyword");
}

std::vector<std::string> WalkShown(const std::string& bytes, bool lineDescription) {
  std::vector<std::string> out;
  for (const WalkedField& f : WalkDescription(bytes, lineDescription)) {
    int line = 1;
    std::size_t lineBegin = 0;
    for (std::size_t i = 0; i < f.begin; ++i) {
      const bool crlf = bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
      if (bytes[i] == '\n' || (bytes[i] == '\r' && !crlf)) {
        ++line;
        lineBegin = i + 1;
      }
    }
    const char* what = f.role == FieldRole::kValue ? f.record->columns[f.column].what : nullptr;
    out.push_back(Shown(line, static_cast<int>(f.begin - lineBegin) + 1, what));
  }
  return out;
}

constexpr const char* kShortLine = "[generale]\nlunghezza percorso, 20000\n[curve]\n[fine]\n";
constexpr const char* kShortTrain = "[generale]\nvelocita, 0, 100\naderenza, 0, 100\n[fine]\n";

TEST(RecordWalk, ReadsTheFieldsTheReadersRead) {
  const std::string builtInLine(content::RawBytes(content::Document::kLine));
  const std::string builtInTrain(content::RawBytes(content::Document::kTrain));
  struct Case {
    const char* name;
    std::string line;
    std::string train;
  };
  const std::vector<Case> cases = {
      {"the built-in descriptions", builtInLine, builtInTrain},
      {"the template of new", std::string(content::TemplateLineBytes()),
       std::string(content::TemplateTrainBytes())},
      {"ten dashed fields, a bracket with a dash, texts quoted and cut by a comma, values from "
       "the next line",
       "title - before\n[generale]\n-1,-2,-3,-4,-5,-6,-7,-8,-9,-10,-11\n"
       "lunghezza percorso, 20000\n-[not the end]\nprogressiva chilometrica uno, 0, 111000, 0\n"
       "[curve]\nsfondo uno, 1\ncurva destra 3, 900, 1000\n"
       "cartello_indicatore, 5000, \"Km 1, 2\" dropped\n"
       "cartello_indicatore, 7000, A, pendenza, 8000, 5\nmontagna, 6000,\n  7500, 11\n[fine]\n",
       kShortTrain},
      {"a third dashed field read again, records commented out, a keyword of two records, the "
       "last field",
       kShortLine,
       "[generale]\n-- one\n-- two\n"
       "-- stazione, 1000, 12, 400, 0,0,0, 1,1,0, 4,1,1, 0, 15,17,0, ALFA\n-- a\n-- b\n"
       "\"\" stazione, 3000, 12, 400, 0,0,0, 1,1,0, 4,1,1, 0, 15,17,0, BETA\n"
       "\"\" pendenza, 100, -6\n-- x\n-- y\n"
       "velocita aderenza, 0, 100, 0, 100\r\nsabbia\n"},
      {"a train without its opening", kShortLine, "nothing here\n-- x\nsabbia, 5\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<FieldRead> log;
    testing::Compiled compiled;
    compiled.descriptions.line = c.line;
    compiled.descriptions.train = c.train;
    compiled.descriptions.fieldLog = &log;
    compiled.scenario.lineId = std::string(testing::kLineId);
    compiled.scenario.trainNumber = std::string(testing::kTrain);
    memorizza_percorso(compiled.scenario, true, compiled.descriptions);
    // Only a reading that no error stopped reads every field.
    ASSERT_EQ(Number(compiled.scenario.errorCode), 0);
    std::vector<std::string> line;
    std::vector<std::string> train;
    for (const FieldRead& r : log) {
      (r.which == DescriptionKind::kLine ? line : train).push_back(Shown(r.line, r.column, r.what));
    }
    EXPECT_EQ(WalkShown(c.line, true), line);
    EXPECT_EQ(WalkShown(c.train, false), train);
  }
}

// What each field is taken for, where the reading's rules decide it.
TEST(RecordWalk, TellsEachFieldsRole) {
  const std::string train = "[generale]\n-- one\n-- two\n-- sabbia, 5\n\"\" sabbia, 6\nsabbia\n";
  std::vector<std::string> roles;
  for (const WalkedField& f : WalkDescription(train, false)) {
    static const char* const kNames[] = {"preamble", "opening", "skipped",
                                         "keyword",  "value",   "no record"};
    // Appended rather than added: g++ 12 sees a false overlap in " " + text.
    std::string shown = kNames[static_cast<int>(f.role)];
    shown.append(" '").append(train.substr(f.begin, f.dropEnd - f.begin)).append("'");
    if (f.record != nullptr) shown.append(" ").append(f.record->keyword);
    roles.push_back(shown);
  }
  EXPECT_EQ(roles, (std::vector<std::string>{
                       "opening '[generale]'",
                       "skipped '-- one'",
                       "skipped '-- two'",
                       // The third dashed field in a row is a keyword again.
                       "keyword '-- sabbia' sabbia",
                       "value '5' sabbia",
                       // Two quotes hold the empty text; the reader drops the rest.
                       "no record '\"\" sabbia'",
                       "no record '6'",
                       // The last field of the file is never a record.
                       "no record 'sabbia'",
                   }));
}

}  // namespace
}  // namespace sb
