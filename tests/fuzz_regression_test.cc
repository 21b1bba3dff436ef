// Inputs that once broke the compiler, run through the whole compile as
// the fuzz targets run them (profile on): each must end with a defined
// outcome and error code, and in reasonable time.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "compiler/compiler.h"
#include "test_support.h"

namespace sb {
namespace {

using testing::CompileTexts;

std::string Repeat(const std::string& s, int n) {
  std::string out;
  out.reserve(s.size() * static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

struct Case {
  const char* name;
  std::string line;
  std::string train;
  CompileEnd end;
  int32_t errorCode;
};

TEST(FuzzRegression, EndsWithADefinedError) {
  const Case cases[] = {
      // Every keyword copied its whole line for the diagnostics: 400,000
      // fields on one line took hours.
      {"one line of 400,000 fields", "[generale]\r\n" + Repeat("a,", 400000), "",
       CompileEnd::kNoGrid, 25},
      // The places a station off the step could move to were worked out in
      // 32 bits: 25 m below the lowest position overflowed.
      {"a station at the lowest position", "[generale]\r\nlunghezza percorso, 20000\r\n[fine]\r\n",
       "[generale]\r\nstazione,-2147483648 500, 0,WWWW5,17,0, LAST\r\nfine\r\n",
       CompileEnd::kCompiled, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto start = std::chrono::steady_clock::now();
    testing::Compiled out = CompileTexts(c.line, c.train, 1);
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(out.result.end, c.end);
    EXPECT_EQ(out.scenario.errorCode, c.errorCode);
    EXPECT_LT(seconds, 30.0);
    // A diagnostic quotes at most the start of a long line.
    for (const Diagnostic& d : out.scenario.diagnostics) EXPECT_LE(d.record.size(), 204u);
  }
}

}  // namespace
}  // namespace sb
