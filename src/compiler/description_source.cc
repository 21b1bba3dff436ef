#include "compiler/description_source.h"

#include "model/file_names.h"

namespace sb {

TextDescriptions::TextDescriptions(const std::string& lineId, const std::string& trainNumber)
    : lineName_(LineDescriptionName(lineId)),
      trainName_(TrainDescriptionName(lineId, trainNumber)) {}

Status TextDescriptions::Read(DescriptionKind which, std::string* bytes) {
  const std::optional<std::string>& text = which == DescriptionKind::kLine ? line : train;
  if (!text) return Status::IoError(Name(which), "No such file or directory");
  *bytes = *text;
  return Status::Ok();
}

Status TextDescriptions::Delete(DescriptionKind which) {
  const bool isLine = which == DescriptionKind::kLine;
  const std::optional<std::string>& failure = isLine ? lineDeleteFailure : trainDeleteFailure;
  std::optional<std::string>& text = isLine ? line : train;
  if (!text) return Status::Ok();
  if (failure) return Status::IoError(Name(which), *failure);
  text.reset();
  return Status::Ok();
}

std::string TextDescriptions::Name(DescriptionKind which) const {
  return which == DescriptionKind::kLine ? lineName_ : trainName_;
}

}  // namespace sb
