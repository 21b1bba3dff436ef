#include "generated_descriptions.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "base/file_io.h"
#include "model/file_names.h"

namespace sb::bench {
namespace {

constexpr int32_t kBlock = 20000;
constexpr int kMaxStations = 70;  // the item slots 1 to 74 hold stations here
constexpr int kTextBoards = 5;

// Appends one record and its CR LF.
void Line(std::string* out, const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  out->append(buffer, static_cast<std::size_t>(std::clamp(n, 0, int{sizeof buffer} - 1)));
  out->append("\r\n");
}

int32_t Blocks(int32_t length) { return length / kBlock; }

}  // namespace

std::string GenerateLineDescription(int32_t length) {
  std::string out;
  out.reserve(static_cast<std::size_t>(length) / 20);
  Line(&out, "[generale]");
  Line(&out, "lunghezza percorso,    %d", length);
  Line(&out, "progressiva chilometrica uno,    0,    111000,    0");
  Line(&out, "progressiva chilometrica due,    0,    0,    0");
  Line(&out, "progressiva chilometrica tre,    0,    0,    0");
  Line(&out, "sfondo uno,    1");
  Line(&out, "sfondo due,    0");
  Line(&out, "sfondo tre,    0");
  Line(&out, "ripetizione segnali 4 codici,    0,    %d", length);

  // Curves end 8 km before the line does: the plan profile may not pass
  // 1,000,000 m inside a curve.
  Line(&out, "[curve]");
  for (int32_t i = 0;; ++i) {
    const int32_t start = 1000 + 2000 * i;
    const int32_t arc = 300 + 100 * (i % 5);
    if (start + arc > length - 8000) break;
    Line(&out, "curva%c%d, %d, %d", (i / 2) % 2 ? 'd' : 's', 1 + i % 3, start, arc);
  }

  Line(&out, "[pendenze]");
  for (int32_t i = 0; 1000 * i < length; ++i) {
    Line(&out, "pendenza,  %d,   %d", 1000 * i, (i * 7) % 21 - 10);
  }

  Line(&out, "[montagne]");
  for (int32_t i = 0; i < std::min(80, length / 25000); ++i) {
    const int32_t start = 25000 * i + 5000;
    Line(&out, "montagna,   %d,  %d,  11", start, start + 3000);
  }

  // Boards fall on cells 50, 150, 250 and 350 of a block; text boards on
  // cell 300. Signals take the cells 1, 21, 41, ... of a block.
  Line(&out, "[cartelli]");
  for (int32_t p = 2450; p < length - 1000; p += 5000) {
    Line(&out, "indicatori_vmax,  %d,  140,  160,  170,  0,  140,  160,  170,  0", p);
  }
  Line(&out, "[indicazioni]");
  for (int k = 0; k < kTextBoards; ++k) {
    const int32_t p = kBlock * (k * Blocks(length) / kTextBoards) + 14950;
    Line(&out, "cartello_indicatore,  %d,   (Km %d+%03d)", p, p / 1000, p % 1000);
  }
  Line(&out, "[fine]");
  return out;
}

std::string GenerateTrainDescription(int32_t length) {
  std::string out;
  out.reserve(static_cast<std::size_t>(length) / 10);
  Line(&out, "[generale]");
  Line(&out, "numero vetture,    12");
  Line(&out, "percentuale massa frenata,    125");
  Line(&out, "sabbia,    60");
  Line(&out, "orologio,    15              16            30 ");

  Line(&out, "[aderenze]");
  for (int32_t i = 0; 10000 * i < length; ++i) {
    Line(&out, "aderenza,   %d,    %d", 10000 * i, 100 - 5 * (i % 3));
  }
  Line(&out, "[vel_limite]");
  for (int32_t i = 0; 2500 * i < length; ++i) {
    Line(&out, "velocita,   %d,   %d", 2500 * i, 100 + 10 * (i % 7));
  }

  // A station 12 km into every block: its stopping zone ends at 12,200 m,
  // so the stop mark lies on the block's cell 243.
  Line(&out, "[stazioni]");
  for (int32_t b = 0; b < std::min(kMaxStations, Blocks(length)); ++b) {
    const int32_t p = kBlock * b + 12000;
    const int32_t minutes = 15 * 60 + 11 * b;
    Line(&out, "stazione,  %d, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   60,  %d,%d, 0, STAZIONE %d", p,
         (minutes / 60) % 24, minutes % 60, b + 1);
  }

  // A slowdown 5.5 km into every block: warning on cell 87, the cells
  // before it on 83 to 86, start on 111, end on 127.
  Line(&out, "[rallentamenti]");
  for (int32_t b = 0; b < Blocks(length); ++b) {
    Line(&out, "rallentamento,   %d,    60,  800, 0,  1,  60", kBlock * b + 5500);
  }

  Line(&out, "[segnali]");
  for (int32_t p = 1000; p <= length - 1000; p += 1000) {
    Line(&out, "segnale,  %d,   2, 4, 0,  0, 0,    0,  0,0,0, 0", p);
  }
  Line(&out, "[codici]");
  Line(&out, "[fine]");
  return out;
}

bool WriteGeneratedDescriptions(const std::string& dir, int32_t length) {
  return ReplaceFile(JoinPath(dir, LineDescriptionName(kGeneratedLineId)),
                     GenerateLineDescription(length))
             .ok() &&
         ReplaceFile(JoinPath(dir, TrainDescriptionName(kGeneratedLineId, kGeneratedTrain)),
                     GenerateTrainDescription(length))
             .ok();
}

}  // namespace sb::bench
