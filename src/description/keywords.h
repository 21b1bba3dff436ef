// Records are recognised by substrings of their keyword field, never by the
// whole field. Each test compares either as text (letters without regard to
// case) or exactly.
#ifndef SB_DESCRIPTION_KEYWORDS_H_
#define SB_DESCRIPTION_KEYWORDS_H_

#include <array>
#include <string_view>

namespace sb {

enum class Compare { kText, kExact };

bool Contains(std::string_view field, std::string_view needle, Compare mode);

// A keyword test: the field must contain every listed substring.
struct KeywordTest {
  std::string_view first;
  std::string_view second;  // empty when only one substring is needed
  Compare mode;

  bool Matches(std::string_view field) const {
    return Contains(field, first, mode) && (second.empty() || Contains(field, second, mode));
  }
};

// General section of a line description, in the order they are tried.
enum class LineGeneralRecord {
  kLength,
  kProgressionTre,
  kProgressionDue,
  kProgressionUno,
  kBackgroundUno,
  kBackgroundDue,
  kBackgroundTre,
  kSignalRepetition
};
inline constexpr std::array<KeywordTest, 8> kLineGeneralTests = {{
    {"lunghezza", "percorso", Compare::kText},
    {"tre", "progressiva", Compare::kExact},
    {"due", "progressiva", Compare::kExact},
    {"uno", "progressiva", Compare::kExact},
    {"sfondo", "uno", Compare::kExact},
    {"sfondo", "due", Compare::kExact},
    {"sfondo", "tre", Compare::kExact},
    {"segnali", "ripetizione", Compare::kExact},
}};

// Feature part of a line description, in the order they are tried.
enum class LineFeatureRecord { kGradient, kCurve, kMountain, kSpeedBoard, kTextBoard };
inline constexpr std::array<KeywordTest, 5> kLineFeatureTests = {{
    {"pendenza", "", Compare::kText},
    {"curva", "", Compare::kText},
    {"montagna", "", Compare::kText},
    {"indicatori_v", "", Compare::kText},
    {"cartello", "indicat", Compare::kText},
}};

// Train description records, in the order they are tried; all compare as text.
enum class TrainRecord {
  kBrakedMass,
  kCars,
  kSpeedLimit,
  kAdhesion,
  kClock,
  kSand,
  kSignal,
  kSlowdown,
  kSpeedPoint,
  kStation
};
inline constexpr std::array<KeywordTest, 10> kTrainTests = {{
    {"frenata", "massa", Compare::kText},
    {"vetture", "", Compare::kText},
    {"velocit", "", Compare::kText},
    {"aderenza", "", Compare::kText},
    {"orologio", "", Compare::kText},
    {"sabbia", "", Compare::kText},
    {"segnale", "", Compare::kText},
    {"rallentamento", "", Compare::kText},
    {"abbattimento", "", Compare::kText},
    {"stazione", "", Compare::kText},
}};

}  // namespace sb

#endif  // SB_DESCRIPTION_KEYWORDS_H_
