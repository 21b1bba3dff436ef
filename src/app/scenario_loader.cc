#include "app/scenario_loader.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "app/compiled_files.h"
#include "base/file_io.h"
#include "format/cell_codec.h"
#include "format/item_codec.h"
#include "format/profile_codec.h"
#include "model/file_names.h"
#include "tools/common/scenario_features.h"
#include "tools/project/project_file.h"

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

std::optional<running::TrainTable> TrainDataIn(Disk& disk, const std::string& dir,
                                               std::string* problem) {
  const std::string path = JoinPath(dir, std::string(kProjectFileName));
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return running::TrainTable{};
  std::string bytes;
  std::vector<Diagnostic> found;
  if (Status st = disk.ReadFile(path, &bytes, kMaxProjectBytes); !st.ok()) {
    found.push_back(UnreadableProject(path, st));
  } else {
    ProjectParse parse = ParseProject(bytes, path);
    if (parse.ok()) return parse.project.trainData;
    found = std::move(parse.diagnostics);
  }
  const std::string text = FormatDiagnostic(found.front());
  *problem = text.substr(0, text.find('\n'));
  return std::nullopt;
}

std::vector<Scenario::CurveSource> CurvesOfProfile(const ProfileTable& p) {
  // Each metre of an arc turns the step before it by its curvature c:
  // cross(step before, step) = -c * |step before|^2. The file keeps the
  // doubles computed, so c comes back to within rounding of the
  // coordinates (1e-10 m on a line of 1000 km), far below the least
  // curvature a curve has (1e-4 per m).
  constexpr double kStraight = 1e-6;
  std::vector<Scenario::CurveSource> out;
  const auto has = [&](int32_t m) {
    return p.tag(m, 0) != ProfileTable::Tag::kEmpty && p.tag(m, 1) != ProfileTable::Tag::kEmpty;
  };
  double sum = 0;
  for (int32_t m = 2; m <= p.end() && has(m - 2) && has(m - 1) && has(m); ++m) {
    const double a = p.value(m - 1, 0) - p.value(m - 2, 0);
    const double b = p.value(m - 1, 1) - p.value(m - 2, 1);
    const double u = p.value(m, 0) - p.value(m - 1, 0);
    const double v = p.value(m, 1) - p.value(m - 1, 1);
    const double squared = a * a + b * b;
    const double c = squared > 0 ? -(a * v - b * u) / squared : 0;
    Scenario::CurveSource* last = out.empty() ? nullptr : &out.back();
    const bool continues = last != nullptr && last->start + last->length == m - 1 &&
                           std::fabs(c - last->curvature) < kStraight;
    if (continues) {
      ++last->length;
      sum += c;
      last->curvature = sum / last->length;
    } else if (std::fabs(c) >= kStraight) {
      // The arc's metres follow its start: metre start + 1 is its first.
      out.push_back({m - 1, 1, c});
      sum = c;
    }
  }
  return out;
}

Scenario ScenarioOfFiles(const RenderInput& in) {
  Scenario s;
  s.lineId = in.lineId;
  s.trainNumber = in.trainNumber;
  s.cells = in.cells;
  s.hasGrid = !in.cells.empty();
  s.lastCell = static_cast<int32_t>(in.cells.size()) - 1;
  s.items = in.items;
  if (in.profile != nullptr) s.curveSources = CurvesOfProfile(*in.profile);
  // A slowdown stands from the cell after the one its written start falls
  // in: its start comes back to within a cell, its length to a cell.
  for (const Slowdown& d : Slowdowns(in.cells)) {
    Scenario::SlowdownSource source;
    source.start = static_cast<int32_t>(std::max<int64_t>(d.startCell - 1, 0) * kCellLength);
    source.speed = d.speed;
    source.length = static_cast<int32_t>((d.endCell - d.startCell) * kCellLength);
    s.slowdownSources.push_back(source);
  }
  return s;
}

}  // namespace sb
