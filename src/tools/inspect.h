// Reading the three compiled files back, and printing what they hold.
//
// The decoders are strict: a file must have exactly the layout the writers
// produce, or it is rejected with a message that says what is wrong and
// where. Nothing is read past the end of the bytes, and the sizes a file
// may claim are bounded by what a line of at most 1000000 m can produce:
//   cells:   15 bytes per cell, 141 to 20141 cells (a line of 0 to
//            1000000 m plus its 7000 m overrun, one cell per 50 m);
//   items:   exactly 87 records of 34 + n bytes, the last one ending the
//            file;
//   profile: a sequence of tagged elements (tag 0 empty, 2 int16, 5
//            double), an even number of them split into two equal columns
//            of 7001 to 1007001 metres each.
#ifndef SB_APP_INSPECT_H_
#define SB_APP_INSPECT_H_

#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "model/line_profile.h"
#include "model/model.h"

namespace sb {

// A decoded file, or the reason it could not be decoded.
template <typename T>
struct Decoded {
  std::optional<T> value;
  std::string error;  // empty when `value` is set

  bool ok() const { return value.has_value(); }
  static Decoded Fail(std::string why) { return Decoded{std::nullopt, std::move(why)}; }
};

using ItemTable = std::array<ScenarioItem, kItemSlots>;

inline constexpr int32_t kMinCells = 141;    // a line of 0 m: cells 0 to 140
inline constexpr int32_t kMaxCells = 20141;  // a line of 1000000 m: cells 0 to 20140
inline constexpr int32_t kMinProfileMetres = kLineOverrun + 1;
inline constexpr int32_t kMaxProfileMetres = kMaxLineLength + kLineOverrun + 1;

Decoded<std::vector<TrackCell>> DecodeCells(std::string_view bytes);
Decoded<ItemTable> DecodeItems(std::string_view bytes);
Decoded<ProfileTable> DecodeProfile(std::string_view bytes);

// Which of the three files a name denotes: "<ID>_linea.dat" is a profile,
// any other "*.dat" a cell grid, "*.sim" an item table.
enum class CompiledFileKind { kUnknown, kCells, kItems, kProfile };
CompiledFileKind KindFromName(const std::string& path);

// The name of a cell kind ("signal", "slowdown start", ...); "none" for 0.
std::string CellKindName(uint8_t kind);

// A cell is listed when it has a kind, or any of its values, its signal time
// or its approach code is set. The per-stretch bytes (terrain, speed limit,
// gradient, adhesion) are set on nearly every cell and list nothing alone.
bool CellIsListed(const TrackCell& cell);

// A slot is used when any field is non-zero or its text is not empty.
bool ItemIsUsed(const ScenarioItem& item);

// What a slot is for: "station 3", "board text", "kilometric progression
// 1", "totals", "line identity", "train identity", "unused". A slot of 1 to
// 80 that holds only a text is a board text; any other used slot there is
// a station.
std::string ItemRole(int slot, const ScenarioItem& item);

// Texts are stored one byte per character in the Western single-byte code
// page; this gives them as UTF-8 for display.
std::string TextAsUtf8(const std::string& stored);

// The plan-profile summary printed by inspect.
struct ProfileSummary {
  int32_t end = 0;         // last metre
  int32_t lineLength = 0;  // end - 7000
  int64_t empty = 0;       // elements never computed
  int64_t ints = 0;        // 16-bit integer elements (the seeds)
  int64_t doubles = 0;     // computed elements
  bool hasExtent = false;  // false when no element holds a value
  double minX = 0, maxX = 0, minY = 0, maxY = 0;
  double turningDegrees = 0;  // sum of absolute heading changes
};
ProfileSummary SummarizeProfile(const ProfileTable& profile);

enum class InspectFormat { kText, kJson, kCsv };

// Decodes the compiled file at `path` (its kind told by its name) and prints
// it on `out`. Returns 0; 65 when the file is not of its layout; 74 when it
// cannot be read; 64 when its name tells none of the three kinds. Messages
// go to `err`.
int Inspect(const std::string& path, InspectFormat format, std::ostream& out, std::ostream& err);

}  // namespace sb

#endif  // SB_APP_INSPECT_H_
