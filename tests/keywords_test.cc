// Keyword matching: substrings of the keyword field, as text (any case) or
// exactly; a field may satisfy several records.
#include "description/keywords.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "description/keyword_suggestion.h"

namespace sb {
namespace {

template <std::size_t N>
std::vector<int> MatchingRows(const std::array<KeywordTest, N>& table, std::string_view field) {
  std::vector<int> rows;
  for (std::size_t i = 0; i < N; ++i) {
    if (table[i].Matches(field)) rows.push_back(static_cast<int>(i));
  }
  return rows;
}

TEST(KeywordsTest, ContainsByMode) {
  struct Case {
    const char* field;
    const char* needle;
    bool text;
    bool exact;
  };
  const Case cases[] = {
      {"lunghezza percorso", "percorso", true, true},
      {"Lunghezza Percorso", "percorso", true, false},
      {"CURVAS3", "s", true, false},
      {"xx[Generale]yy", "[generale]", true, false},
      {"sfondo", "sfondo uno", false, false},
      {"", "a", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.field) + " / " + c.needle);
    EXPECT_EQ(Contains(c.field, c.needle, Compare::kText), c.text);
    EXPECT_EQ(Contains(c.field, c.needle, Compare::kExact), c.exact);
  }
}

TEST(KeywordsTest, RecordsOfAField) {
  using G = LineGeneralRecord;
  using F = LineFeatureRecord;
  auto g = [](G r) { return static_cast<int>(r); };
  auto f = [](F r) { return static_cast<int>(r); };
  struct Case {
    const char* field;
    bool general;  // general table, else feature table
    std::vector<int> rows;
  };
  const Case cases[] = {
      {"lunghezza percorso", true, {g(G::kLength)}},
      {"Lunghezza Percorso", true, {g(G::kLength)}},
      {"progressiva chilometrica uno", true, {g(G::kProgressionUno)}},
      {"Progressiva chilometrica uno", true, {}},
      {"progressiva chilometrica tre", true, {g(G::kProgressionTre)}},
      {"sfondo uno", true, {g(G::kBackgroundUno)}},
      {"Sfondo uno", true, {}},
      {"sfondo due tre", true, {g(G::kBackgroundDue), g(G::kBackgroundTre)}},
      {"ripetizione segnali 4 codici", true, {g(G::kSignalRepetition)}},
      {"Ripetizione segnali 4 codici", true, {}},
      {"pendenza", false, {f(F::kGradient)}},
      {"PENDENZA", false, {f(F::kGradient)}},
      {"CURVAS3", false, {f(F::kCurve)}},
      {"montagna", false, {f(F::kMountain)}},
      // "indicatori_vmax" contains "indicat" but not "cartello", and
      // "cartello_indicatore" does not contain "indicatori_v".
      {"indicatori_vmax", false, {f(F::kSpeedBoard)}},
      {"cartello_indicatore", false, {f(F::kTextBoard)}},
      {"cartello indicatori_vmax", false, {f(F::kSpeedBoard), f(F::kTextBoard)}},
      {"[curve]", false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    EXPECT_EQ(c.general ? MatchingRows(kLineGeneralTests, c.field)
                        : MatchingRows(kLineFeatureTests, c.field),
              c.rows);
  }
}

// At most one edit per four letters of the candidate (and at least one);
// the nearest wins, the first of equals.
TEST(KeywordsTest, TheNearestKeywordIsASlipOfTheKeys) {
  constexpr std::string_view kCandidates[] = {"stazione", "segnale", "velocita", "rallentamento",
                                              "abbattimento"};
  const struct {
    std::string_view field;
    std::string_view nearest;
  } cases[] = {
      {"stazoine", "stazione"},         // two edits of eight letters
      {"stazion", "stazione"},          // one letter short
      {"  STAZIONE\t", "stazione"},     // case and blanks
      {"staz", ""},                     // four letters short
      {"stzxxone", ""},                 // three edits
      {"segnal", "segnale"},            // one edit of seven letters
      {"segnalexy", ""},                // two
      {"ralentamen", "rallentamento"},  // three of thirteen
      {"ralentam", ""},                 // five letters short
      {"abbatimento", "abbattimento"},  // nearer than rallentamento
      {"sconosciuto", ""},
      {"", ""},
      {"stazionestazionestazionestazionestazionestazionestazionestazionestazione", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.field);
    EXPECT_EQ(NearestKeyword(c.field, kCandidates), c.nearest);
  }
}

}  // namespace
}  // namespace sb
