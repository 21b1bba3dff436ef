#include "app/scenario_loader.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/exit_status.h"
#include "base/file_io.h"
#include "base/printable.h"
#include "format/cell_codec.h"
#include "format/item_codec.h"
#include "format/profile_codec.h"
#include "model/file_names.h"

namespace sb {
namespace {

// `text` names the folder and files the user gave, control bytes and all.
int Fail(std::ostream& err, const std::string& text, int status) {
  err << "scenario-builder: " << EscapeControls(text) << "\n";
  return status;
}

// Sets the line identifier and train number of `in` from the one scenario
// in `dir` that fits those given (an empty one fits any).
int FindScenario(const std::string& dir, RenderInput* in, std::ostream& err) {
  // A folder that is not there, or may not be read, is the file system's
  // answer, not a question of which scenario to draw.
  std::error_code ec;
  std::filesystem::directory_iterator probe(dir.empty() ? "." : dir, ec);
  if (ec) return Fail(err, "cannot read the folder '" + dir + "': " + ec.message(), kExitIo);
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
    return Fail(err, text + "; give --line-id and --train-number", kExitUsage);
  }
  in->lineId = fits.front().first;
  in->trainNumber = fits.front().second;
  return kExitOk;
}

// Reads the file `name` of `dir`, if it is no larger than `maxBytes` (the
// largest of its kind), and decodes it into `value`.
template <typename T>
int ReadAndDecode(const std::string& dir, const std::string& name, std::uint64_t maxBytes,
                  Status (*decode)(std::string_view, T*), T* value, std::ostream& err) {
  std::string bytes;
  Status st = ReadWholeFile(JoinPath(dir, name), &bytes, maxBytes);
  if (st.IsTooLarge()) {
    return Fail(err, JoinPath(dir, name) + ": " + st.reason() + " (the largest file of its kind)",
                kExitDataError);
  }
  if (!st.ok()) return Fail(err, st.Message("read"), kExitIo);
  Status decoded = decode(bytes, value);
  if (!decoded.ok())
    return Fail(err, JoinPath(dir, name) + ": " + decoded.reason(), kExitDataError);
  return kExitOk;
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

int LoadScenario(const std::string& dir, const std::string& lineId, const std::string& trainNumber,
                 RenderInput* in, std::optional<ProfileTable>* profile, std::ostream& err) {
  in->lineId = lineId;
  in->trainNumber = trainNumber;
  if (lineId.empty() || trainNumber.empty()) {
    if (int rc = FindScenario(dir, in, err); rc != kExitOk) return rc;
  }
  const std::string cellName = CellFileName(in->lineId, in->trainNumber);
  if (int rc = ReadAndDecode(dir, cellName, kMaxCellFileSize, &DecodeCells, &in->cells, err);
      rc != kExitOk) {
    return rc;
  }
  const std::string itemName = ItemFileName(in->lineId, in->trainNumber);
  if (int rc = ReadAndDecode(dir, itemName, kMaxItemFileSize, &DecodeItems, &in->items, err);
      rc != kExitOk) {
    return rc;
  }
  // A scenario compiled without its profile has no plan; anything else
  // under the profile's name is read, and refused if it is not a file.
  const std::string profileName = ProfileFileName(in->lineId);
  std::error_code ec;
  if (std::filesystem::exists(JoinPath(dir, profileName), ec)) {
    if (int rc = ReadAndDecode(dir, profileName, kMaxProfileFileSize, &DecodeProfile, profile, err);
        rc != kExitOk) {
      return rc;
    }
    in->profile = &**profile;
  }
  return kExitOk;
}

}  // namespace sb
