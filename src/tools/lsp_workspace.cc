#include "tools/lsp_workspace.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <tuple>

#include "base/file_io.h"
#include "base/windows1252.h"
#include "compiler/compiler.h"
#include "compiler/description_source.h"
#include "model/file_names.h"

namespace sb::lsp {
namespace {

// As large as the compile command reads.
constexpr std::uint64_t kMaxDescriptionBytes = std::uint64_t{256} << 20;
constexpr std::string_view kTrainSuffix = "-.txt";
// The train number under which a line without a train is compiled; its
// (empty) description is never shown.
constexpr const char* kNoTrain = "0";

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string InFolder(const std::string& folder, const std::string& name) {
  return folder + "/" + name;
}

using DiagnosticKey = std::tuple<int, int32_t, int, int, int, std::string>;
DiagnosticKey KeyOf(const Diagnostic& d) {
  return {static_cast<int>(d.severity),
          d.code,
          static_cast<int>(d.warning),
          d.line,
          d.column,
          d.message};
}

// Nothing when `cancel` stopped the compile.
std::shared_ptr<Scenario> Compile(const Group& group, const std::string& train,
                                  const std::string& lineBytes,
                                  const std::optional<std::string>& trainBytes,
                                  const std::atomic<bool>* cancel) {
  auto s = std::make_shared<Scenario>();
  s->lineId = group.lineId;
  s->trainNumber = train;
  TextDescriptions source(group.lineId, train);
  source.line = lineBytes;
  source.train = trainBytes.value_or(std::string());
  source.cancel = cancel;
  // The plan profile is built as `compile` builds it: curves are read only then.
  if (memorizza_percorso(*s, true, source).end == CompileEnd::kCancelled) return nullptr;
  return s;
}

// A train description whose line description is missing.
Diagnostic NoLine(const Group& group) {
  Diagnostic d;
  d.code = kErrorNoLineDescription;
  d.message = "the line description " + LineDescriptionName(group.lineId) +
              " was not found beside this train description";
  d.hint = "create " + LineDescriptionName(group.lineId) + " in the same folder";
  return d;
}

}  // namespace

void Workspace::Open(const std::string& path, const std::string& utf8) {
  EncodedText encoded = Utf8ToWindows1252(utf8);
  open_[path] = SourceText{utf8, std::move(encoded.bytes), std::move(encoded.unencodable), true};
}

void Workspace::Close(const std::string& path) { open_.erase(path); }

std::vector<std::string> Workspace::OpenPaths() const {
  std::vector<std::string> paths;
  for (const auto& [path, text] : open_) paths.push_back(path);
  return paths;
}

std::optional<SourceText> Workspace::Text(const std::string& path) const {
  if (auto it = open_.find(path); it != open_.end()) return it->second;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    disk_.erase(path);
    return std::nullopt;
  }
  const auto time = std::filesystem::last_write_time(path, ec);
  const std::uintmax_t size = ec ? 0 : std::filesystem::file_size(path, ec);
  if (auto it = disk_.find(path); !ec && it != disk_.end()) {
    if (it->second.time == time && it->second.size == size) return it->second.text;
  }
  SourceText text;
  if (!ReadWholeFile(path, &text.bytes, kMaxDescriptionBytes).ok()) {
    disk_.erase(path);
    return std::nullopt;
  }
  text.utf8 = Windows1252ToUtf8(text.bytes);
  if (!ec) disk_[path] = OnDisk{time, size, text};
  return text;
}

void Workspace::ForgetFilesIn(const std::string& folder) {
  std::erase_if(disk_, [&](const auto& entry) { return FolderOf(entry.first) == folder; });
}

bool Workspace::Exists(const std::string& path) const {
  return open_.count(path) != 0 || RegularFileExists(path);
}

std::optional<Group> Workspace::GroupOf(const std::string& path) const {
  const std::string folder = FolderOf(path);
  const std::string name = NameOf(path);
  if (std::optional<std::string> id = LineIdFromName(name)) return Group{folder, *id};
  if (name.size() <= kTrainSuffix.size() || !name.ends_with(kTrainSuffix)) return std::nullopt;
  const std::string stem = name.substr(0, name.size() - kTrainSuffix.size());
  std::optional<std::string> fallback;
  for (std::size_t at = stem.rfind('_'); at != std::string::npos && at > 0;
       at = stem.rfind('_', at - 1)) {
    if (at + 1 >= stem.size()) continue;
    const std::string id = stem.substr(0, at);
    if (!fallback) fallback = id;
    if (Exists(InFolder(folder, LineDescriptionName(id)))) return Group{folder, id};
  }
  if (!fallback) return std::nullopt;
  return Group{folder, *fallback};
}

std::vector<std::string> Workspace::TrainsOf(const Group& group) const {
  std::set<std::string> trains;
  const auto consider = [&](const std::string& path) {
    if (FolderOf(path) != group.folder) return;
    if (!NameOf(path).ends_with(kTrainSuffix)) return;
    std::optional<Group> owner = GroupOf(path);
    if (!owner || owner->lineId != group.lineId) return;
    if (auto n = TrainNumberFromName(NameOf(path), group.lineId)) trains.insert(*n);
  };
  for (const auto& [path, text] : open_) consider(path);
  std::error_code ec;
  for (std::filesystem::directory_iterator it(group.folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    if (it->is_regular_file(ec)) consider(InFolder(group.folder, it->path().filename().string()));
  }
  return {trains.begin(), trains.end()};
}

const FileResult* GroupAnalysis::Find(const std::string& path) const {
  for (const FileResult& f : files) {
    if (f.path == path) return &f;
  }
  return nullptr;
}

GroupAnalysis Analyze(const Group& group, const Workspace& workspace, const GroupAnalysis* previous,
                      const std::atomic<bool>* cancel) {
  GroupAnalysis analysis{group, {}};
  const std::string linePath = InFolder(group.folder, LineDescriptionName(group.lineId));
  const std::optional<SourceText> line = workspace.Text(linePath);
  const std::vector<std::string> trains = workspace.TrainsOf(group);
  if (line) analysis.files.push_back(FileResult{linePath, *line, {}, {}, nullptr});
  // The earlier results hold for this line text only.
  const FileResult* previousLine = previous ? previous->Find(linePath) : nullptr;
  const bool sameLine = line && previousLine && previousLine->text.bytes == line->bytes;
  std::set<DiagnosticKey> lineSeen;
  for (const std::string& train : trains) {
    const std::string trainPath = InFolder(group.folder, TrainDescriptionName(group.lineId, train));
    std::optional<SourceText> text = workspace.Text(trainPath);
    if (!text) continue;
    if (!line) {
      FileResult result{trainPath, std::move(*text), {}, {}, nullptr};
      result.diagnostics.push_back(NoLine(group));
      analysis.files.push_back(std::move(result));
      continue;
    }
    const FileResult* earlier = sameLine ? previous->Find(trainPath) : nullptr;
    FileResult result;
    if (earlier && earlier->scenario && earlier->text.bytes == text->bytes) {
      result = *earlier;
      result.text = std::move(*text);  // the same bytes; open or not may differ
    } else {
      result = FileResult{trainPath, std::move(*text), {}, {}, nullptr};
      std::shared_ptr<Scenario> s = Compile(group, train, line->bytes, result.text.bytes, cancel);
      if (!s) {
        analysis.cancelled = true;
        return analysis;
      }
      const std::string trainName = TrainDescriptionName(group.lineId, train);
      const auto place = [&](const Diagnostic& d) {
        if (d.file == trainName || d.file.empty()) {
          result.diagnostics.push_back(d);
        } else {
          result.lineDiagnostics.push_back(d);
        }
      };
      for (const Diagnostic& d : s->diagnostics) place(d);
      for (const Diagnostic& d : NotKeptWarnings(*s)) place(d);
      result.scenario = std::move(s);
    }
    for (const Diagnostic& d : result.lineDiagnostics) {
      if (lineSeen.insert(KeyOf(d)).second) analysis.files[0].diagnostics.push_back(d);
    }
    if (!analysis.files[0].scenario) analysis.files[0].scenario = result.scenario;
    analysis.files.push_back(std::move(result));
  }
  if (line && !analysis.files[0].scenario) {
    if (sameLine && previous->files.size() == 1 && previousLine->scenario) {
      analysis.files[0].diagnostics = previousLine->diagnostics;
      analysis.files[0].scenario = previousLine->scenario;
      return analysis;
    }
    std::shared_ptr<Scenario> s = Compile(group, kNoTrain, line->bytes, std::nullopt, cancel);
    if (!s) {
      analysis.cancelled = true;
      return analysis;
    }
    const std::string lineName = LineDescriptionName(group.lineId);
    for (const Diagnostic& d : s->diagnostics) {
      if (d.file == lineName || d.file.empty()) analysis.files[0].diagnostics.push_back(d);
    }
    for (Diagnostic& d : NotKeptWarnings(*s)) {
      if (d.file == lineName) analysis.files[0].diagnostics.push_back(std::move(d));
    }
    analysis.files[0].scenario = std::move(s);
  }
  return analysis;
}

}  // namespace sb::lsp
