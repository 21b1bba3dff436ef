// Shared by the fuzz targets: the descriptions handed to the compiler from
// memory, and the checks every run must pass.
#ifndef SB_FUZZ_FUZZ_SUPPORT_H_
#define SB_FUZZ_FUZZ_SUPPORT_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "compiler/compiler.h"
#include "compiler/diagnostics.h"
#include "compiler/scenario.h"
#include "model/file_names.h"

namespace sb::fuzz {

inline constexpr const char* kLineId = "F";
inline constexpr const char* kTrain = "1";

// A tiny train description: a few records of every kind the reader knows.
inline constexpr std::string_view kTinyTrain =
    "[generale]\r\n"
    "numero vetture,    5\r\n"
    "percentuale massa frenata,    120\r\n"
    "sabbia,    60\r\n"
    "orologio,    15              16            30 \r\n"
    "[aderenze]\r\n"
    "aderenza,   0,    100\r\n"
    "[vel_limite]\r\n"
    "velocita,       0,   110\r\n"
    "velocita,    2950,   160\r\n"
    "[stazioni]\r\n"
    "stazione,       0,  8,  500,  0, 0, 0,  1,1,0,  4,1,1,    1,  15,17, 0, UNO\r\n"
    "stazione,    5250, 28,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, DUE\r\n"
    "[rallentamenti]\r\n"
    "rallentamento,   3450,    80,  800, 0,  1,  80\r\n"
    "[segnali]\r\n"
    "segnale,    2000,   2, 4, 0,  0, 0,    0,  0,0,0, 0\r\n"
    "segnale,    7600,   2, 4, 1,  0, 0,    1,  3,1,0, 0\r\n"
    "abbattimento,    4000,   60\r\n"
    "[fine]\r\n";

// The two descriptions as the compiler will read them.
inline TextDescriptions Descriptions(std::string_view line, std::string_view train) {
  TextDescriptions d(kLineId, kTrain);
  d.line = std::string(line);
  d.train = std::string(train);
  return d;
}

inline void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

// What must hold after any read, whatever the bytes were.
inline void CheckState(const Scenario& s) {
  Check(ErrorMeaning(s.errorCode)[0] != '\0', "the error code has a meaning");
  Check(s.errorCode == ErrorCode::kNone || !s.diagnostics.empty(),
        "an error code comes with a diagnostic");
  if (s.hasGrid) {
    Check(s.lastCell >= 0, "the grid has a last cell");
    Check(s.cells.size() == static_cast<std::size_t>(s.lastCell) + 1, "the grid matches lastCell");
  }
  if (s.profile) {
    const LineProfile& p = *s.profile;
    Check(p.end() == s.profileEnd, "the profile matches profileEnd");
    Check(p.cursor() >= 2 && p.cursor() <= p.end() + 1, "the profile's cursor inside it");
    int32_t previous = 1;
    for (const ProfileRun& run : p.runs()) {
      Check(run.last > previous && run.last <= p.end(), "profile runs in order, inside it");
      previous = run.last;
    }
    Check(previous + 1 == p.cursor(), "the last run ends before the cursor");
  }
  Check(s.mountainCount >= 0 && s.mountainCount < kMountainSlots, "mountain count in range");
  for (const Diagnostic& d : s.diagnostics) (void)FormatDiagnostic(d);
}

inline Scenario NewScenario() {
  Scenario s;
  s.lineId = kLineId;
  s.trainNumber = kTrain;
  return s;
}

}  // namespace sb::fuzz

#endif  // SB_FUZZ_FUZZ_SUPPORT_H_
