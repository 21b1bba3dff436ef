#include "tools/lsp/workspace.h"

#include <algorithm>
#include <set>
#include <thread>
#include <tuple>

#include "base/windows1252.h"
#include "compiler/compiler.h"
#include "compiler/description_source.h"
#include "model/file_names.h"

namespace sb::lsp {
namespace {

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
          Number(d.code),
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
  // The plan profile is built as `compile` builds it: curves are read only then.
  if (CompileInMemory(*s, lineBytes, trainBytes.value_or(std::string()), cancel).end ==
      CompileEnd::kCancelled) {
    return nullptr;
  }
  return s;
}

// A train description whose line description is missing.
Diagnostic NoLine(const Group& group) {
  Diagnostic d;
  d.code = ErrorCode::kNoLineDescription;
  d.message = "the line description " + LineDescriptionName(group.lineId) +
              " was not found beside this train description";
  d.hint = "create " + LineDescriptionName(group.lineId) + " in the same folder";
  return d;
}

}  // namespace

void Workspace::Open(const std::string& path, const std::string& utf8) {
  EncodedText encoded = Utf8ToWindows1252(utf8);
  auto text = std::make_shared<SourceText>();
  text->utf8 = utf8;
  text->bytes = std::move(encoded.bytes);
  text->unencodable = std::move(encoded.unencodable);
  text->open = true;
  text->IndexLines();
  open_[path] = std::move(text);
}

void Workspace::Close(const std::string& path) { open_.erase(path); }

bool Workspace::AnyOpenIn(const Group& group) const {
  for (const auto& [path, text] : open_) {
    if (FolderOf(path) != group.folder) continue;
    const std::optional<Group> g = GroupOf(path);
    if (g && g->lineId == group.lineId) return true;
  }
  return false;
}

std::shared_ptr<const SourceText> Workspace::Text(const std::string& path) const {
  return Read(path, true);
}

std::shared_ptr<const SourceText> Workspace::Peek(const std::string& path) const {
  return Read(path, false);
}

std::shared_ptr<const SourceText> Workspace::Read(const std::string& path, bool keep) const {
  if (auto it = open_.find(path); it != open_.end()) return it->second;
  FileStamp stamp;
  if (!disk_.StampOf(path, &stamp).ok()) {
    kept_.erase(path);
    return nullptr;
  }
  const auto kept = kept_.find(path);
  if (kept != kept_.end() && kept->second.stamp == stamp) return kept->second.text;
  auto text = std::make_shared<SourceText>();
  if (!disk_.ReadFile(path, &text->bytes, kMaxDescriptionBytes).ok()) {
    kept_.erase(path);
    return nullptr;
  }
  text->utf8 = Windows1252ToUtf8(text->bytes);
  text->IndexLines();
  if (keep) {
    kept_[path] = OnDisk{stamp, text};
  } else if (kept != kept_.end()) {
    kept_.erase(kept);  // changed on disk since it was kept
  }
  return text;
}

void Workspace::ForgetFilesIn(const std::string& folder) {
  std::erase_if(kept_, [&](const auto& entry) { return FolderOf(entry.first) == folder; });
}

bool Workspace::Exists(const std::string& path) const {
  return open_.count(path) != 0 || disk_.IsFile(path);
}

std::optional<Group> Workspace::GroupOf(const std::string& path) const {
  return GroupOf(path, nullptr);
}

std::optional<Group> Workspace::GroupOf(const std::string& path, LineLookups* lookups) const {
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
    const std::string linePath = InFolder(folder, LineDescriptionName(id));
    bool exists = false;
    if (!lookups) {
      exists = Exists(linePath);
    } else if (auto seen = lookups->find(linePath); seen != lookups->end()) {
      exists = seen->second;
    } else {
      exists = lookups->emplace(linePath, Exists(linePath)).first->second;
    }
    if (exists) return Group{folder, id};
  }
  if (!fallback) return std::nullopt;
  return Group{folder, *fallback};
}

std::vector<std::string> Workspace::TrainsOf(const Group& group) const {
  std::set<std::string> trains;
  // Every train of a folder asks after the same few line descriptions.
  LineLookups lookups;
  const auto consider = [&](const std::string& path) {
    if (FolderOf(path) != group.folder) return;
    if (!NameOf(path).ends_with(kTrainSuffix)) return;
    std::optional<Group> owner = GroupOf(path, &lookups);
    if (!owner || owner->lineId != group.lineId) return;
    if (auto n = TrainNumberFromName(NameOf(path), group.lineId)) trains.insert(*n);
  };
  for (const auto& [path, text] : open_) consider(path);
  // A folder that cannot be listed has only the open buffers.
  std::vector<std::string> names;
  if (disk_.ListFiles(group.folder, &names).ok()) {
    for (const std::string& name : names) consider(InFolder(group.folder, name));
  }
  return {trains.begin(), trains.end()};
}

const FileResult* GroupAnalysis::Find(const std::string& path) const {
  const auto at = index.find(path);
  return at != index.end() ? &files[at->second] : nullptr;
}

namespace {

bool SameText(const std::shared_ptr<const SourceText>& a,
              const std::shared_ptr<const SourceText>& b) {
  // A file unchanged on disk is the very text kept of it.
  return a == b || a->bytes == b->bytes;
}

// A train's compile, in the group's order; `scenario` is null until compiled.
struct TrainJob {
  std::string train;
  FileResult result;
  std::shared_ptr<Scenario> scenario;
};

// Compiles the jobs on as many threads as the machine runs at once: the
// trains of one line do not depend on one another, and a change to the
// line compiles them all. Several trains share one reading of the line,
// which for a long line costs more than a train. False when `cancel`
// stopped one.
bool CompileTrains(const Group& group, const std::string& lineBytes, std::vector<TrainJob*>& jobs,
                   const std::atomic<bool>* cancel) {
  std::optional<SharedLine> shared;
  if (jobs.size() > 1) {
    Scenario base;
    base.lineId = group.lineId;
    base.trainNumber = kNoTrain;
    shared = ReadLineOnce(base, lineBytes, cancel);
    if (shared->descriptionIo.IsCancelled()) return false;
  }
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t i = next++; i < jobs.size(); i = next++) {
      TrainJob& job = *jobs[i];
      const std::string& trainBytes = job.result.text->bytes;
      if (!shared) {
        job.scenario = Compile(group, job.train, lineBytes, trainBytes, cancel);
        continue;
      }
      auto s = std::make_shared<Scenario>();
      s->trainNumber = job.train;
      if (CompileWithLine(*shared, *s, trainBytes, cancel).end != CompileEnd::kCancelled) {
        job.scenario = std::move(s);
      }
    }
  };
  const std::size_t threads =
      std::min<std::size_t>(jobs.size(), std::max(1u, std::thread::hardware_concurrency()));
  std::vector<std::thread> helpers;
  for (std::size_t t = 1; t < threads; ++t) helpers.emplace_back(work);
  work();
  for (std::thread& helper : helpers) helper.join();
  return std::all_of(jobs.begin(), jobs.end(), [](const TrainJob* job) { return job->scenario; });
}

void AnalyzeFiles(GroupAnalysis& analysis, const Workspace& workspace,
                  const GroupAnalysis* previous, const std::atomic<bool>* cancel) {
  const Group& group = analysis.group;
  const std::string linePath = InFolder(group.folder, LineDescriptionName(group.lineId));
  const std::shared_ptr<const SourceText> line = workspace.Text(linePath);
  const std::vector<std::string> trains = workspace.TrainsOf(group);
  if (line)
    analysis.files.push_back(FileResult{linePath, line, {}, {}, nullptr, false, {}, nullptr});
  // The earlier results hold for this line text only.
  const FileResult* previousLine = previous ? previous->Find(linePath) : nullptr;
  const bool sameLine = line && previousLine && SameText(previousLine->text, line);
  std::vector<TrainJob> jobs;
  std::vector<TrainJob*> toCompile;
  jobs.reserve(trains.size());
  for (const std::string& train : trains) {
    const std::string trainPath = InFolder(group.folder, TrainDescriptionName(group.lineId, train));
    std::shared_ptr<const SourceText> text = workspace.Text(trainPath);
    if (!text) continue;
    TrainJob& job = jobs.emplace_back();
    job.train = train;
    if (!line) {
      job.result = FileResult{trainPath, std::move(text), {}, {}, nullptr, false, {}, nullptr};
      job.result.diagnostics.push_back(NoLine(group));
      continue;
    }
    const FileResult* earlier = sameLine ? previous->Find(trainPath) : nullptr;
    if (earlier && earlier->scenario && SameText(earlier->text, text)) {
      job.result = *earlier;
      job.result.text = std::move(text);  // the same bytes; open or not may differ
      job.result.reused = true;
    } else {
      job.result = FileResult{trainPath, std::move(text), {}, {}, nullptr, false, {}, nullptr};
      toCompile.push_back(&job);
    }
  }
  if (!toCompile.empty() && !CompileTrains(group, line->bytes, toCompile, cancel)) {
    analysis.cancelled = true;
    return;
  }
  std::set<DiagnosticKey> lineSeen;
  for (TrainJob& job : jobs) {
    FileResult& result = job.result;
    if (!line) {
      analysis.files.push_back(std::move(result));
      continue;
    }
    if (job.scenario) {
      const std::string trainName = TrainDescriptionName(group.lineId, job.train);
      const auto place = [&](const Diagnostic& d) {
        if (d.file == trainName || d.file.empty()) {
          result.diagnostics.push_back(d);
        } else {
          result.lineDiagnostics.push_back(d);
        }
      };
      for (const Diagnostic& d : job.scenario->diagnostics) place(d);
      for (const Diagnostic& d : NotKeptWarnings(*job.scenario)) place(d);
      result.scenario = std::move(job.scenario);
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
      analysis.files[0].reused = true;
      return;
    }
    std::shared_ptr<Scenario> s = Compile(group, kNoTrain, line->bytes, std::nullopt, cancel);
    if (!s) {
      analysis.cancelled = true;
      return;
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
}

}  // namespace

GroupAnalysis Analyze(const Group& group, const Workspace& workspace, const GroupAnalysis* previous,
                      const std::atomic<bool>* cancel) {
  GroupAnalysis analysis;
  analysis.group = group;
  AnalyzeFiles(analysis, workspace, previous, cancel);
  for (std::size_t i = 0; i < analysis.files.size(); ++i) {
    analysis.index.emplace(analysis.files[i].path, i);
  }
  return analysis;
}

std::vector<Diagnostic> CompileEdited(const Group& group, const Workspace& workspace,
                                      const std::string& path, const std::string& bytes) {
  const std::string lineName = LineDescriptionName(group.lineId);
  std::shared_ptr<Scenario> s;
  std::string name = NameOf(path);
  if (name == lineName) {
    s = Compile(group, kNoTrain, bytes, std::nullopt, nullptr);
  } else {
    const std::optional<std::string> train = TrainNumberFromName(path, group.lineId);
    const std::shared_ptr<const SourceText> line = workspace.Text(InFolder(group.folder, lineName));
    if (!train || !line) return {};
    s = Compile(group, *train, line->bytes, bytes, nullptr);
  }
  std::vector<Diagnostic> own;
  if (!s) return own;
  for (Diagnostic& d : s->diagnostics) {
    if (d.file == name || d.file.empty()) own.push_back(std::move(d));
  }
  return own;
}

bool Workspace::SavedAsUtf16(const std::string& path) const {
  std::string bytes;
  if (!disk_.ReadFile(path, &bytes, kMaxDescriptionBytes).ok() || bytes.size() < 2) return false;
  return (bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF');
}

}  // namespace sb::lsp
