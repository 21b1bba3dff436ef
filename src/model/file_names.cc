#include "model/file_names.h"

#include <filesystem>

namespace sb {
namespace {

std::string LastComponent(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

// True when `name` ends with `suffix` and has something before it.
bool EndsWith(const std::string& name, const std::string& suffix) {
  return name.size() > suffix.size() &&
         name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

std::optional<std::string> LineIdFromName(const std::string& path) {
  const std::string name = LastComponent(path);
  const std::string suffix = "_linea.txt";
  if (!EndsWith(name, suffix)) return std::nullopt;
  return name.substr(0, name.size() - suffix.size());
}

std::optional<std::string> TrainNumberFromName(const std::string& path, const std::string& lineId) {
  const std::string name = LastComponent(path);
  const std::string prefix = lineId + "_";
  const std::string suffix = "-.txt";
  if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
      !EndsWith(name, suffix)) {
    return std::nullopt;
  }
  return name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
}

CompiledFileKind KindFromName(const std::string& path) {
  const std::string name = LastComponent(path);
  if (EndsWith(name, "_linea.dat")) return CompiledFileKind::kProfile;
  if (EndsWith(name, ".sim")) return CompiledFileKind::kItems;
  if (EndsWith(name, ".dat")) return CompiledFileKind::kCells;
  return CompiledFileKind::kUnknown;
}

namespace {

std::optional<ScenarioName> ScenarioBefore(const std::string& path, const std::string& suffix) {
  const std::string name = LastComponent(path);
  if (!EndsWith(name, suffix)) return std::nullopt;
  const std::string stem = name.substr(0, name.size() - suffix.size());
  const std::size_t cut = stem.rfind('_');
  if (cut == std::string::npos || cut == 0 || cut + 1 == stem.size()) return std::nullopt;
  return ScenarioName{stem.substr(0, cut), stem.substr(cut + 1)};
}

}  // namespace

std::optional<ScenarioName> ScenarioFromItemFileName(const std::string& path) {
  return ScenarioBefore(path, ".sim");
}

std::optional<ScenarioName> ScenarioFromTrainName(const std::string& path) {
  return ScenarioBefore(path, "-.txt");
}

}  // namespace sb
