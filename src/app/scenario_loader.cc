#include "app/scenario_loader.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/compiled_files.h"
#include "base/file_io.h"
#include "format/cell_codec.h"
#include "format/item_codec.h"
#include "format/profile_codec.h"
#include "model/file_names.h"

namespace sb {
namespace {

// Sets the line identifier and train number of `in` from the one scenario
// in `dir` that fits those given (an empty one fits any).
Status FindScenario(const std::string& dir, RenderInput* in) {
  // A folder that is not there, or may not be read, is the file system's
  // answer, not a question of which scenario to draw.
  std::error_code ec;
  std::filesystem::directory_iterator probe(dir.empty() ? "." : dir, ec);
  if (ec) return Status::IoError(dir, "cannot read the folder '" + dir + "': " + ec.message());
  std::vector<std::pair<std::string, std::string>> fits;
  for (const auto& found : FindCompiledScenarios(dir)) {
    if ((in->lineId.empty() || found.first == in->lineId) &&
        (in->trainNumber.empty() || found.second == in->trainNumber)) {
      fits.push_back(found);
    }
  }
  if (fits.size() != 1) {
    std::string text =
        fits.empty() ? "no compiled scenario (<ID>_<N>.sim with <ID>_<N>.dat) in '" + dir + "'"
                     : "'" + dir + "' holds several compiled scenarios:";
    for (const auto& f : fits) text += " " + f.first + "_" + f.second;
    return Status::Usage(text + "; give --line-id and --train-number");
  }
  in->lineId = fits.front().first;
  in->trainNumber = fits.front().second;
  return Status::Ok();
}

// Reads the file `name` of `dir` and decodes it into `value`.
template <typename T>
Status ReadAndDecode(Disk& disk, const std::string& dir, const std::string& name,
                     CompiledFileKind kind, Status (*decode)(std::string_view, T*), T* value) {
  const std::string path = JoinPath(dir, name);
  std::string bytes;
  SB_RETURN_IF_ERROR(ReadCompiledFile(disk, path, kind, &bytes));
  const Status decoded = decode(bytes, value);
  return decoded.WithReason(path + ": " + decoded.reason());
}

}  // namespace

std::vector<std::pair<std::string, std::string>> FindCompiledScenarios(const std::string& dir) {
  std::vector<std::pair<std::string, std::string>> out;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir.empty() ? "." : dir, ec)) {
    const std::optional<ScenarioName> name =
        ScenarioFromItemFileName(entry.path().filename().string());
    if (!name) continue;
    if (!RegularFileExists(JoinPath(dir, CellFileName(name->lineId, name->train)))) continue;
    out.emplace_back(name->lineId, name->train);
  }
  std::sort(out.begin(), out.end());
  return out;
}

Status LoadScenario(Disk& disk, const std::string& dir, const std::string& lineId,
                    const std::string& trainNumber, RenderInput* in,
                    std::optional<ProfileTable>* profile) {
  in->lineId = lineId;
  in->trainNumber = trainNumber;
  if (lineId.empty() || trainNumber.empty()) SB_RETURN_IF_ERROR(FindScenario(dir, in));
  SB_RETURN_IF_ERROR(ReadAndDecode(disk, dir, CellFileName(in->lineId, in->trainNumber),
                                   CompiledFileKind::kCells, &DecodeCells, &in->cells));
  SB_RETURN_IF_ERROR(ReadAndDecode(disk, dir, ItemFileName(in->lineId, in->trainNumber),
                                   CompiledFileKind::kItems, &DecodeItems, &in->items));
  // A scenario compiled without its profile has no plan; anything else
  // under the profile's name is read, and refused if it is not a file.
  const std::string profileName = ProfileFileName(in->lineId);
  std::error_code ec;
  if (std::filesystem::exists(JoinPath(dir, profileName), ec)) {
    SB_RETURN_IF_ERROR(
        ReadAndDecode(disk, dir, profileName, CompiledFileKind::kProfile, &DecodeProfile, profile));
    in->profile = &**profile;
  }
  return Status::Ok();
}

}  // namespace sb
