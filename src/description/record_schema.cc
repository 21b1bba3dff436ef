#include "description/record_schema.h"

#include <array>

namespace sb {
namespace {

// The table is indexed by Record, and each part's records stand together
// in the order of its keyword tests.
constexpr bool IndexedByRecord() {
  for (std::size_t i = 0; i < kRecordSchemas.size(); ++i) {
    if (static_cast<std::size_t>(kRecordSchemas[i].record) != i) return false;
  }
  return true;
}
static_assert(IndexedByRecord());

template <std::size_t N>
constexpr bool PartInTestOrder(RecordPart part, const std::array<KeywordTest, N>& tests) {
  const std::span<const RecordSchema> records = RecordsOf(part);
  if (records.size() != N) return false;
  for (std::size_t i = 0; i < N; ++i) {
    const KeywordTest& a = records[i].test;
    if (records[i].part != part || a.first != tests[i].first || a.second != tests[i].second ||
        a.mode != tests[i].mode) {
      return false;
    }
  }
  return true;
}
static_assert(PartInTestOrder(RecordPart::kLineGeneral, kLineGeneralTests));
static_assert(PartInTestOrder(RecordPart::kLineFeature, kLineFeatureTests));
static_assert(PartInTestOrder(RecordPart::kTrain, kTrainTests));

constexpr std::array<SectionHeader, 14> kHeaders = {{
    {"[generale]", true},
    {"[curve]", true},
    {"[pendenze]", true},
    {"[montagne]", true},
    {"[cartelli]", true},
    {"[indicazioni]", true},
    {"[fine]", true},
    {"[generale]", false},
    {"[aderenze]", false},
    {"[vel_limite]", false},
    {"[stazioni]", false},
    {"[rallentamenti]", false},
    {"[segnali]", false},
    {"[fine]", false},
}};

// The keywords as authors write them, for "did you mean".
constexpr std::array<std::string_view, 9> kGeneralKeywords = {"lunghezza percorso",
                                                              "progressiva chilometrica uno",
                                                              "progressiva chilometrica due",
                                                              "progressiva chilometrica tre",
                                                              "sfondo uno",
                                                              "sfondo due",
                                                              "sfondo tre",
                                                              "ripetizione segnali 4 codici",
                                                              "ripetizione segnali 9 codici"};
// Curves are offered in their full form: "curva" alone names no curvature.
constexpr std::array<std::string_view, 16> kFeatureKeywords = {
    "pendenza", "curvas1",  "curvas2",         "curvas3",
    "curvas4",  "curvas5",  "curvas6",         "curvad1",
    "curvad2",  "curvad3",  "curvad4",         "curvad5",
    "curvad6",  "montagna", "indicatori_vmax", "cartello_indicatore"};
constexpr std::array<std::string_view, 10> kTrainKeywords = {"percentuale massa frenata",
                                                             "numero vetture",
                                                             "velocita",
                                                             "aderenza",
                                                             "orologio",
                                                             "sabbia",
                                                             "segnale",
                                                             "rallentamento",
                                                             "abbattimento",
                                                             "stazione"};

}  // namespace

std::span<const RecordSchema> RecordSchemas() { return kRecordSchemas; }

const RecordSchema* FindRecord(RecordPart part, std::string_view keywordField) {
  if (keywordField.find('-') != std::string_view::npos) return nullptr;
  for (const RecordSchema& r : RecordsOf(part)) {
    if (r.test.Matches(keywordField)) return &r;
  }
  return nullptr;
}

bool OpensRecords(std::string_view field) { return Contains(field, "[generale]", Compare::kText); }

bool EndsGeneralSection(std::string_view field) {
  if (field.find('[') == std::string_view::npos || field.find(']') == std::string_view::npos) {
    return false;
  }
  const std::size_t first = field.find_first_not_of(' ');
  return first == std::string_view::npos || field[first] != '-';
}

std::span<const SectionHeader> SectionHeaders() { return kHeaders; }

std::span<const std::string_view> KeywordsAsWritten(RecordPart part) {
  switch (part) {
    case RecordPart::kLineGeneral: return kGeneralKeywords;
    case RecordPart::kLineFeature: return kFeatureKeywords;
    case RecordPart::kTrain: return kTrainKeywords;
  }
  return {};
}

}  // namespace sb
