#include "app/description_files.h"

#include <utility>

namespace sb {

DescriptionFiles::DescriptionFiles(Disk& disk, File line, File train, Afterwards afterwards)
    : disk_(disk), line_(std::move(line)), train_(std::move(train)), afterwards_(afterwards) {}

Status DescriptionFiles::Preload(DescriptionKind which) {
  std::string bytes;
  Status st = disk_.ReadFile(Of(which).path, &bytes, kMaxDescriptionBytes);
  if (st.ok()) Preloaded(which) = std::move(bytes);
  return st;
}

bool DescriptionFiles::LineExists() { return preloadedLine_ || disk_.IsFile(line_.path); }

Status DescriptionFiles::Read(DescriptionKind which, std::string* bytes) {
  if (std::optional<std::string>& preloaded = Preloaded(which)) {
    *bytes = std::move(*preloaded);
    preloaded.reset();
    return Status::Ok();
  }
  return disk_.ReadFile(Of(which).path, bytes, kMaxDescriptionBytes);
}

Status DescriptionFiles::Delete(DescriptionKind which) {
  if (afterwards_ == Afterwards::kKeep || !disk_.IsFile(Of(which).path)) return Status::Ok();
  return disk_.RemoveFile(Of(which).path);
}

std::string DescriptionFiles::Name(DescriptionKind which) const { return Of(which).name; }

}  // namespace sb
