#include <optional>
#include <vector>

#include "format/cell_codec.h"
#include "format/item_codec.h"
#include "format/profile_codec.h"
#include "tools/inspect/printers.h"

namespace sb {

Status PrintCompiledFile(const std::string& name, CompiledFileKind kind, std::string_view bytes,
                         InspectFormat format, std::ostream& out) {
  Status status;
  switch (kind) {
    case CompiledFileKind::kCells: {
      std::vector<TrackCell> cells;
      status = DecodeCells(bytes, &cells);
      if (status.ok()) PrintCells(name, bytes.size(), cells, format, out);
      break;
    }
    case CompiledFileKind::kItems: {
      ItemTable items;
      status = DecodeItems(bytes, &items);
      if (status.ok()) PrintItems(name, bytes.size(), items, format, out);
      break;
    }
    case CompiledFileKind::kProfile: {
      std::optional<ProfileTable> profile;
      status = DecodeProfile(bytes, &profile);
      if (status.ok()) PrintProfile(name, bytes.size(), *profile, format, out);
      break;
    }
    case CompiledFileKind::kUnknown: status = Status::Invalid("not a compiled file's name"); break;
  }
  return status;
}

}  // namespace sb
