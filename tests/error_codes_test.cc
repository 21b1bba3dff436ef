// The table of error codes: every code once, in order, with a meaning; and
// the authors' guide lists the same codes with the same meanings.
#include "compiler/error_codes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace sb {
namespace {

TEST(ErrorCodesTest, EachCodeOnceInOrderWithAMeaning) {
  int32_t previous = -1;
  for (const ErrorCodeMeaning& entry : ErrorCodeTable()) {
    EXPECT_GT(Number(entry.code), previous);
    EXPECT_NE(std::string(entry.meaning), "") << entry.code;
    EXPECT_STREQ(ErrorMeaning(entry.code), entry.meaning);
    previous = Number(entry.code);
  }
  EXPECT_EQ(ErrorCodeTable().front().code, ErrorCode::kNone);
  EXPECT_STREQ(ErrorMeaning(ErrorCode::kNone), "no error");
  for (int32_t unused : {-1, 14, 23, 26, 100, 104, 1249, 1252}) {
    EXPECT_STREQ(ErrorMeaning(ErrorCode{unused}), "") << unused;
  }
}

// The rows "| code | meaning | ..." of the guide's error table.
std::map<int32_t, std::string> GuideRows() {
  std::ifstream in(std::string(SB_SOURCE_DIR) + "/docs/authors.md");
  EXPECT_TRUE(in) << "docs/authors.md";
  std::map<int32_t, std::string> rows;
  bool inTable = false;
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("## ", 0) == 0) inTable = line == "## Error codes";
    if (!inTable || line.rfind("| ", 0) != 0) continue;
    std::istringstream cells(line.substr(2));
    std::string code;
    std::string meaning;
    std::getline(cells, code, '|');
    std::getline(cells, meaning, '|');
    if (code.empty() || code[0] < '0' || code[0] > '9') continue;  // the heading
    rows[std::stoi(code)] = meaning.substr(1, meaning.size() - 2);
  }
  return rows;
}

TEST(ErrorCodesTest, TheGuideListsEveryCodeWithItsMeaning) {
  const std::map<int32_t, std::string> rows = GuideRows();
  std::size_t listed = 0;
  for (const ErrorCodeMeaning& entry : ErrorCodeTable()) {
    if (entry.code == ErrorCode::kNone) continue;
    auto it = rows.find(Number(entry.code));
    if (it == rows.end()) {
      ADD_FAILURE() << "docs/authors.md has no row for error " << entry.code;
      continue;
    }
    EXPECT_EQ(it->second, entry.meaning) << "error " << entry.code;
    ++listed;
  }
  // No row for a code the compiler does not know.
  EXPECT_EQ(rows.size(), listed);
}

}  // namespace
}  // namespace sb
