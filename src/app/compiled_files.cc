#include "app/compiled_files.h"

#include "base/file_io.h"
#include "format/cell_codec.h"
#include "format/item_codec.h"
#include "format/profile_codec.h"
#include "model/file_names.h"

namespace sb {
namespace {

Status WriteProfile(Disk& disk, const std::string& path, const LineProfile& profile) {
  std::unique_ptr<RegionFile> file = disk.ReplaceInRegions(path);
  EncodeProfile(profile,
                [&file](uint64_t offset, std::string_view bytes) { file->WriteAt(offset, bytes); });
  return file->Commit();
}

}  // namespace

WrittenFiles WriteCompiledFiles(const Scenario& s, bool withProfile, Disk& disk,
                                const std::string& dir) {
  WrittenFiles out;
  auto done = [&out](const std::string& name, Status st) {
    if (!st.ok()) {
      out.status = std::move(st);
      return false;
    }
    out.names.push_back(name);
    return true;
  };
  auto path = [&dir](const std::string& name) { return JoinPath(dir, name); };
  const std::string profileName = ProfileFileName(s.lineId);
  const std::string itemName = ItemFileName(s.lineId, s.trainNumber);
  const std::string cellName = CellFileName(s.lineId, s.trainNumber);
  if (withProfile && s.profile &&
      !done(profileName, WriteProfile(disk, path(profileName), *s.profile))) {
    return out;
  }
  if (!done(itemName, disk.WriteFile(path(itemName), EncodeItems(s.items)))) return out;
  done(cellName, disk.WriteFile(path(cellName), EncodeCells(s.cells)));
  return out;
}

}  // namespace sb
