// What the scenario run and the compile cost, each beside its floor: the
// same bytes written with one plain buffered write per file. tools/bench.sh
// turns the medians into ratios.
//
// The readers delete the descriptions they read, so the compile benchmarks
// put fresh copies in place before every iteration, with the timers paused:
// the copying is not part of the figures.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/scenario_run.h"
#include "compiler/compiler.h"
#include "model/file_names.h"
#include "compiler/scenario.h"
#include "content/content.h"
#include "content/content_writer.h"
#include "generated_descriptions.h"
#include "base/file_io.h"

namespace sb::bench {
namespace {

namespace fs = std::filesystem;

using Files = std::vector<std::pair<std::string, std::string>>;  // name, bytes

// One scratch directory for the whole process, removed at exit.
class Workspace {
 public:
  Workspace() {
    std::string pattern = (fs::temp_directory_path() / "sb-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) root_ = pattern;
  }
  ~Workspace() {
    std::error_code ec;
    if (!root_.empty()) fs::remove_all(root_, ec);
  }
  // A fresh subdirectory.
  std::string Dir(const std::string& name) const {
    fs::path p = fs::path(root_) / name;
    std::error_code ec;
    fs::remove_all(p, ec);
    fs::create_directories(p, ec);
    return p.string();
  }

 private:
  std::string root_;
};

Workspace& Work() {
  static Workspace w;
  return w;
}

// The floor: fopen, one fwrite, fclose.
bool WritePlain(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

bool WriteAll(const std::string& dir, const Files& files) {
  for (const auto& [name, bytes] : files) {
    if (!WritePlain(JoinPath(dir, name), bytes)) return false;
  }
  return true;
}

Files ReadAll(const std::string& dir, const std::vector<std::string>& names) {
  Files files;
  for (const std::string& name : names) {
    std::string bytes;
    ReadWholeFile(JoinPath(dir, name), &bytes);
    files.emplace_back(name, std::move(bytes));
  }
  return files;
}

int64_t TotalBytes(const Files& files) {
  int64_t n = 0;
  for (const auto& f : files) n += static_cast<int64_t>(f.second.size());
  return n;
}

std::vector<std::string> CompiledNames(const std::string& lineId, const std::string& train) {
  return {ProfileFileName(lineId), ItemFileName(lineId, train), CellFileName(lineId, train)};
}

// Two descriptions and what compiling them leaves.
struct CompileCase {
  std::string lineId;
  std::string train;
  Files descriptions;
  Files compiled;
  std::string failure;  // why the reference compile is not usable
};

CompileResult Compile(const CompileCase& c, const std::string& descDir, const std::string& outDir,
                      int32_t* errorCode) {
  Scenario s;
  s.lineId = c.lineId;
  s.trainNumber = c.train;
  CompileResult r = memorizza_percorso(s, 1, CompilerDirs{descDir, outDir});
  *errorCode = s.errorCode;
  return r;
}

// Compiles once to learn the compiled bytes; the compile must be clean.
void Prepare(CompileCase& c, const std::string& tag) {
  const std::string dir = Work().Dir("reference-" + tag);
  WriteAll(dir, c.descriptions);
  int32_t code = 0;
  CompileResult r = Compile(c, dir, dir, &code);
  if (r.end != RunEnd::kWritten || code != 0) {
    c.failure = "reference compile ended with errorCode " + std::to_string(code);
    return;
  }
  c.compiled = ReadAll(dir, CompiledNames(c.lineId, c.train));
}

const CompileCase& ScenarioCase() {
  static CompileCase c = [] {
    CompileCase k;
    k.lineId = kScenarioLineId;
    k.train = kScenarioTrainNumber;
    k.descriptions = {
        {LineDescriptionName(k.lineId), RenderLines(content::Lines(content::Document::kLine))},
        {TrainDescriptionName(k.lineId, k.train),
         RenderLines(content::Lines(content::Document::kTrain))}};
    Prepare(k, "scenario");
    return k;
  }();
  return c;
}

const CompileCase& GeneratedCase(int32_t length) {
  static std::map<int32_t, CompileCase> cases;
  auto it = cases.find(length);
  if (it != cases.end()) return it->second;
  CompileCase k;
  k.lineId = kGeneratedLineId;
  k.train = kGeneratedTrain;
  k.descriptions = {{LineDescriptionName(k.lineId), GenerateLineDescription(length)},
                    {TrainDescriptionName(k.lineId, k.train), GenerateTrainDescription(length)}};
  Prepare(k, std::to_string(length));
  return cases.emplace(length, std::move(k)).first->second;
}

void RunCompile(benchmark::State& state, const CompileCase& c) {
  if (!c.failure.empty()) {
    state.SkipWithError(c.failure.c_str());
    return;
  }
  const std::string descDir = Work().Dir("descriptions");
  const std::string outDir = Work().Dir("compiled");
  for (auto _ : state) {
    state.PauseTiming();
    const bool copied = WriteAll(descDir, c.descriptions);
    state.ResumeTiming();
    if (!copied) {
      state.SkipWithError("cannot copy the descriptions");
      break;
    }
    int32_t code = 0;
    CompileResult r = Compile(c, descDir, outDir, &code);
    if (r.end != RunEnd::kWritten || code != 0) {
      state.SkipWithError("the compile recorded an error");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * TotalBytes(c.compiled));
}

void RunFloor(benchmark::State& state, const CompileCase& c) {
  if (!c.failure.empty()) {
    state.SkipWithError(c.failure.c_str());
    return;
  }
  const std::string dir = Work().Dir("floor");
  for (auto _ : state) {
    if (!WriteAll(dir, c.compiled)) {
      state.SkipWithError("cannot write the floor's files");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * TotalBytes(c.compiled));
}

// The six files the scenario run leaves.
const Files& ScenarioRunFiles() {
  static Files files = [] {
    const std::string dir = Work().Dir("reference-run");
    Form_Load(dir);
    std::vector<std::string> names = CompiledNames(kScenarioLineId, kScenarioTrainNumber);
    names.push_back(NotesName(kScenarioLineId, kScenarioTrainNumber));
    names.push_back(SlowdownOrderName(kScenarioLineId, kScenarioTrainNumber));
    names.push_back(TimetableSheetName(kScenarioLineId, kScenarioTrainNumber));
    return ReadAll(dir, names);
  }();
  return files;
}

void BM_ScenarioRun(benchmark::State& state) {
  const std::string dir = Work().Dir("run");
  for (auto _ : state) {
    RunOutcome o = Form_Load(dir);
    if (o.exitCode != kExitOk) {
      state.SkipWithError("the scenario run did not end with status 0");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          TotalBytes(ScenarioRunFiles()));
}

void BM_ScenarioRunFloor(benchmark::State& state) {
  const Files& files = ScenarioRunFiles();
  const std::string dir = Work().Dir("run-floor");
  for (auto _ : state) {
    if (!WriteAll(dir, files)) {
      state.SkipWithError("cannot write the floor's files");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * TotalBytes(files));
}

void BM_ScenarioCompile(benchmark::State& state) { RunCompile(state, ScenarioCase()); }
void BM_ScenarioCompileFloor(benchmark::State& state) { RunFloor(state, ScenarioCase()); }

void BM_LineCompile(benchmark::State& state) {
  const int32_t length = static_cast<int32_t>(state.range(0));
  RunCompile(state, GeneratedCase(length));
  state.counters["metres"] = length;
}

void BM_LineCompileFloor(benchmark::State& state) {
  const int32_t length = static_cast<int32_t>(state.range(0));
  RunFloor(state, GeneratedCase(length));
  state.counters["metres"] = length;
}

BENCHMARK(BM_ScenarioRun)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScenarioRunFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScenarioCompile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScenarioCompileFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LineCompile)
    ->Arg(250000)
    ->Arg(500000)
    ->Arg(kMaxLineLength)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_LineCompileFloor)
    ->Arg(250000)
    ->Arg(500000)
    ->Arg(kMaxLineLength)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace sb::bench

BENCHMARK_MAIN();
