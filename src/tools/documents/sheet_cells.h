// The timetable sheet's cells and what is told of facts that do not fit
// them: shared by the rows and the form.
#ifndef SB_TOOLS_DOCUMENTS_SHEET_CELLS_H_
#define SB_TOOLS_DOCUMENTS_SHEET_CELLS_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/diagnostics.h"
#include "tools/documents/timetable_sheet.h"

namespace sb::sheet {

inline constexpr const char* kFactsFile = "scenario.toml";

// A page holds 31 row slots; the last is never filled, so that a page ends
// on an empty row above its bottom rule.
inline constexpr std::size_t kRowSlots = 31;
inline constexpr std::size_t kRowsPerPage = 30;

// Cell widths of the header and of the table, in characters.
inline constexpr std::size_t kTrainNumberWidth = 5;
inline constexpr std::size_t kRouteNameWidth = 22;
inline constexpr std::size_t kHeaderBoxWidth = 14;
inline constexpr std::size_t kClassificationWidth = 19;
inline constexpr std::size_t kBlockedMassWidth = 13;
inline constexpr std::size_t kPageLabelWidth = 25;
inline constexpr std::size_t kNameWidth = 27;
inline constexpr std::size_t kRecoveryWidth = 3;
inline constexpr int kMaxSpeedInCell = 9999;

// A change of speed limit this close to a station is shown in its row.
inline constexpr int64_t kStationReach = 200;
inline constexpr int64_t kMaxKmPost = 999999;

// The Progr Km cell: " 121.030  "; blank for no km post or one out of range.
std::string KmCell(std::optional<int64_t> km);

// An error about a fact of the project file, at its place there.
Diagnostic FactError(const FactPlace& place, std::string message, std::string hint);
std::string Quoted(std::string_view text);
// Tells `what` when `text` is wider than its cell.
void CheckWidth(std::string_view text, std::size_t width, std::string_view what,
                const FactPlace& place, std::vector<Diagnostic>* out);

}  // namespace sb::sheet

#endif  // SB_TOOLS_DOCUMENTS_SHEET_CELLS_H_
