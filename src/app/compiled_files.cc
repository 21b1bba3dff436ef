#include "app/compiled_files.h"

#include <functional>
#include <memory>

#include "base/file_io.h"
#include "format/cell_codec.h"
#include "format/item_codec.h"
#include "format/profile_codec.h"
#include "model/file_names.h"

namespace sb {

std::vector<std::string> CompiledFileNames(const Scenario& s, bool withProfile) {
  std::vector<std::string> names;
  if (withProfile) names.push_back(ProfileFileName(s.lineId));
  names.push_back(ItemFileName(s.lineId, s.trainNumber));
  names.push_back(CellFileName(s.lineId, s.trainNumber));
  return names;
}

WrittenFiles WriteCompiledFiles(const Scenario& s, bool withProfile, Disk& disk,
                                const std::string& dir, const DocumentSource& documents) {
  WrittenFiles out;
  struct Staged {
    std::string name;
    std::unique_ptr<RegionFile> file;
  };
  // Each file is written whole beside its old one before the next is
  // encoded; dropping `staged` removes what was written.
  std::vector<Staged> staged;
  auto stage = [&](const std::string& name, const std::function<void(RegionFile&)>& write) {
    std::unique_ptr<RegionFile> file = disk.ReplaceInRegions(JoinPath(dir, name));
    write(*file);
    if (Status st = file->Finish(); !st.ok()) {
      out.status = std::move(st);
      return false;
    }
    staged.push_back({name, std::move(file)});
    return true;
  };
  auto stageCompiled = [&] {
    if (withProfile && s.profile && !stage(ProfileFileName(s.lineId), [&s](RegionFile& file) {
          EncodeProfile(*s.profile, [&file](uint64_t offset, std::string_view bytes) {
            file.WriteAt(offset, bytes);
          });
        })) {
      return false;
    }
    return stage(ItemFileName(s.lineId, s.trainNumber),
                 [&s](RegionFile& file) { file.WriteAt(0, EncodeItems(s.items)); }) &&
           stage(CellFileName(s.lineId, s.trainNumber),
                 [&s](RegionFile& file) { file.WriteAt(0, EncodeCells(s.cells)); });
  };
  const bool compiledStaged = stageCompiled();
  // Documents that cannot be drawn end the writing as refused, whatever
  // the disk did meanwhile: the run would have written nothing either way.
  std::optional<std::vector<DocumentFile>> drawn =
      documents ? documents() : std::vector<DocumentFile>{};
  if (!drawn) {
    out.refused = true;
    return out;
  }
  if (!compiledStaged) return out;
  for (const DocumentFile& document : *drawn) {
    if (!stage(document.name, [&document](RegionFile& file) { file.WriteAt(0, document.bytes); })) {
      return out;
    }
  }
  for (Staged& file : staged) {
    if (Status st = file.file->Commit(); !st.ok()) {
      out.status = std::move(st);
      return out;
    }
    out.names.push_back(file.name);
  }
  return out;
}

Status ReadCompiledFile(Disk& disk, const std::string& path, CompiledFileKind kind,
                        std::string* bytes) {
  const std::uint64_t maxBytes = kind == CompiledFileKind::kCells   ? kMaxCellFileSize
                                 : kind == CompiledFileKind::kItems ? kMaxItemFileSize
                                                                    : kMaxProfileFileSize;
  const Status st = disk.ReadFile(path, bytes, maxBytes);
  if (st.IsTooLarge()) {
    return Status::Invalid(path + ": " + st.reason() + " (the largest file of its kind)");
  }
  return st.WithReason(st.Message("read"));
}

}  // namespace sb
