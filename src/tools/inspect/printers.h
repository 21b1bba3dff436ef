// The inspect printers: what a decoded compiled file holds, as text for a
// person, one JSON object, or CSV rows. `name` is the file's name and
// `fileSize` its size in bytes, both shown in the text form. The text and CSV
// forms show control bytes of stored texts and of the name as \xNN; JSON
// keeps them, escaped by its encoder.
#ifndef SB_TOOLS_INSPECT_PRINTERS_H_
#define SB_TOOLS_INSPECT_PRINTERS_H_

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "model/file_names.h"
#include "model/line_profile.h"
#include "model/model.h"

namespace sb {

enum class InspectFormat { kText, kJson, kCsv };

// Cells with a kind, a value or an approach code, one per row.
void PrintCells(const std::string& name, std::size_t fileSize, const std::vector<TrackCell>& cells,
                InspectFormat format, std::ostream& out);
// Used slots with their roles (CSV: every slot).
void PrintItems(const std::string& name, std::size_t fileSize, const ItemTable& items,
                InspectFormat format, std::ostream& out);
// A summary (text, JSON) or every metre (CSV).
void PrintProfile(const std::string& name, std::size_t fileSize, const ProfileTable& profile,
                  InspectFormat format, std::ostream& out);

// Decodes `bytes` as a compiled file of `kind` named `name` and prints it;
// Invalid, and nothing printed, when the bytes are not of the layout.
Status PrintCompiledFile(const std::string& name, CompiledFileKind kind, std::string_view bytes,
                         InspectFormat format, std::ostream& out);

}  // namespace sb

#endif  // SB_TOOLS_INSPECT_PRINTERS_H_
