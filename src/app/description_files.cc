#include "app/description_files.h"

#include <utility>

namespace sb {

DescriptionFiles::DescriptionFiles(Disk& disk, File line, File train, Afterwards afterwards)
    : disk_(disk), line_(std::move(line)), train_(std::move(train)), afterwards_(afterwards) {}

Status DescriptionFiles::PreloadLine() {
  std::string bytes;
  Status st = disk_.ReadFile(line_.path, &bytes);
  if (st.ok()) preloadedLine_ = std::move(bytes);
  return st;
}

bool DescriptionFiles::LineExists() { return preloadedLine_ || disk_.IsFile(line_.path); }

Status DescriptionFiles::Read(DescriptionKind which, std::string* bytes) {
  if (which == DescriptionKind::kLine && preloadedLine_) {
    *bytes = std::move(*preloadedLine_);
    preloadedLine_.reset();
    return Status::Ok();
  }
  return disk_.ReadFile(Of(which).path, bytes);
}

Status DescriptionFiles::Delete(DescriptionKind which) {
  if (afterwards_ == Afterwards::kKeep || !disk_.IsFile(Of(which).path)) return Status::Ok();
  return disk_.RemoveFile(Of(which).path);
}

std::string DescriptionFiles::Name(DescriptionKind which) const { return Of(which).name; }

}  // namespace sb
