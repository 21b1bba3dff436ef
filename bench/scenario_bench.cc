// What the scenario run and the compile cost, each beside its floor: the
// same bytes written with one plain buffered write per file. tools/bench.sh
// turns the medians into ratios.
//
// The compile benchmarks hand the compiler its descriptions from memory and
// write the compiled files to the real disk, as the floor does. The readers
// delete the descriptions they read, so every iteration gets fresh copies,
// made with the timers paused: the copying is not part of the figures.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/build_command.h"
#include "app/compile_report.h"
#include "app/compiled_files.h"
#include "app/scenario_run.h"
#include "base/disk.h"
#include "base/file_io.h"
#include "compiler/compiler.h"
#include "compiler/description_source.h"
#include "compiler/scenario.h"
#include "content/content.h"
#include "content/content_writer.h"
#include "content/templates.h"
#include "generated_descriptions.h"
#include "model/file_names.h"
#include "running_time/running_time.h"

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
    ReadWholeFile(JoinPath(dir, name), &bytes, std::uint64_t{1} << 30).IgnoreError();
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

// The case's descriptions, to be read (and deleted) by one compile.
TextDescriptions Source(const CompileCase& c) {
  TextDescriptions source(c.lineId, c.train);
  source.line = c.descriptions[0].second;
  source.train = c.descriptions[1].second;
  return source;
}

// Compiles and writes the compiled files into `outDir` on `disk`; true when
// all went well and no error was recorded.
bool Compile(const CompileCase& c, TextDescriptions& source, Disk& disk, const std::string& outDir,
             int32_t* errorCode) {
  Scenario s;
  s.lineId = c.lineId;
  s.trainNumber = c.train;
  CompileResult r = memorizza_percorso(s, true, source);
  *errorCode = Number(s.errorCode);
  if (r.end != CompileEnd::kCompiled || s.errorCode != ErrorCode::kNone) return false;
  return WriteCompiledFiles(s, true, disk, outDir).status.ok();
}

// Compiles once to learn the compiled bytes; the compile must be clean.
void Prepare(CompileCase& c) {
  MemoryDisk disk;
  TextDescriptions source = Source(c);
  int32_t code = 0;
  if (!Compile(c, source, disk, "", &code)) {
    c.failure = "reference compile ended with errorCode " + std::to_string(code);
    return;
  }
  for (const std::string& name : CompiledNames(c.lineId, c.train)) {
    c.compiled.emplace_back(name, disk.files()[name]);
  }
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
    Prepare(k);
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
  Prepare(k);
  return cases.emplace(length, std::move(k)).first->second;
}

void RunCompile(benchmark::State& state, const CompileCase& c) {
  if (!c.failure.empty()) {
    state.SkipWithError(c.failure.c_str());
    return;
  }
  const std::string outDir = Work().Dir("compiled");
  RealDisk disk;
  for (auto _ : state) {
    state.PauseTiming();
    TextDescriptions source = Source(c);
    state.ResumeTiming();
    int32_t code = 0;
    if (!Compile(c, source, disk, outDir, &code)) {
      state.SkipWithError("the compile failed or recorded an error");
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

// `build` of the example project against `compile` of the same two
// descriptions, each as its command runs it (files read from the disk, the
// report made): what drawing the three documents adds.
std::string ExampleProjectDir() {
  static const std::string dir = [] {
    const std::string d = Work().Dir("example-project");
    RealDisk disk;
    const Status line = disk.WriteFile(JoinPath(d, LineDescriptionName(kScenarioLineId)),
                                       RenderLines(content::Lines(content::Document::kLine)));
    const Status train =
        disk.WriteFile(JoinPath(d, TrainDescriptionName(kScenarioLineId, kScenarioTrainNumber)),
                       RenderLines(content::Lines(content::Document::kTrain)));
    const Status project =
        disk.WriteFile(JoinPath(d, "scenario.toml"), content::ExampleProjectBytes());
    return line.ok() && train.ok() && project.ok() ? d : std::string();
  }();
  return dir;
}

// `compile` of the example's two descriptions, as its command asks for it.
CompileRequest ExampleCompileRequest(const std::string& dir) {
  CompileRequest request;
  request.linePath = JoinPath(dir, LineDescriptionName(kScenarioLineId));
  request.trainPath = JoinPath(dir, TrainDescriptionName(kScenarioLineId, kScenarioTrainNumber));
  request.lineId = kScenarioLineId;
  request.trainNumber = kScenarioTrainNumber;
  return request;
}

void BM_ExampleBuild(benchmark::State& state) {
  const std::string dir = ExampleProjectDir();
  BuildRequest request;
  request.dir = dir;
  request.out = Work().Dir("example-build");
  request.report.quiet = true;
  RealDisk disk;
  for (auto _ : state) {
    std::ostringstream out, err;
    if (dir.empty() || RunBuild(disk, request, out, err) != kExitOk) {
      state.SkipWithError("the build did not end with status 0");
      break;
    }
  }
}

void BM_ExampleCompile(benchmark::State& state) {
  const std::string dir = ExampleProjectDir();
  CompileRequest request = ExampleCompileRequest(dir);
  request.outDir = Work().Dir("example-compile");
  CompileReportOptions report;
  report.quiet = true;
  for (auto _ : state) {
    std::ostringstream out, err;
    if (dir.empty() || ReportCompile(CompileDescriptions(request), report, out, err) != kExitOk) {
      state.SkipWithError("the compile did not end with status 0");
      break;
    }
  }
}

// What the build adds before writing: the project file parsed, the running
// times worked out and the three documents drawn, on a scenario compiled
// once.
void BM_ExampleDocuments(benchmark::State& state) {
  const std::string dir = ExampleProjectDir();
  CompileRequest request = ExampleCompileRequest(dir);
  request.outDir = Work().Dir("example-documents");
  const RunOutcome compiled = CompileDescriptions(request);
  const std::string_view projectBytes = content::ExampleProjectBytes();
  for (auto _ : state) {
    ProjectParse parse = ParseProject(projectBytes, "scenario.toml");
    std::vector<Diagnostic> errors;
    const running::RunningTime times = running::ComputeRunningTime(
        compiled.scenario, running::ResolveTrain(parse.project.trainData, compiled.scenario));
    std::vector<DocumentFile> files =
        DrawDocuments(compiled.scenario, parse.project, times, &errors);
    if (!parse.ok() || !errors.empty() || files.size() != 3) {
      state.SkipWithError("the documents could not be drawn");
      break;
    }
    benchmark::DoNotOptimize(files);
  }
}

// The running times of the whole route, first station to last, on the
// built-in scenario compiled once: what `build` and the editor add.
void BM_RunningTime(benchmark::State& state) {
  static const Scenario scenario = [] {
    Scenario s;
    s.lineId = kScenarioLineId;
    s.trainNumber = kScenarioTrainNumber;
    s.withProfile = 1;
    CompileInMemory(s, RenderLines(content::Lines(content::Document::kLine)),
                    RenderLines(content::Lines(content::Document::kTrain)));
    return s;
  }();
  const running::Train train = running::ResolveTrain({}, scenario);
  for (auto _ : state) {
    const running::RunningTime times = running::ComputeRunningTime(scenario, train);
    if (times.rows.empty()) {
      state.SkipWithError("the built-in scenario has no running times");
      break;
    }
    benchmark::DoNotOptimize(times.rows.data());
  }
}

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

// A line description of nothing but line length records, compiled in
// memory: each record must cost what any other record costs, not a grid.
void BM_RepeatedLengthRecords(benchmark::State& state) {
  std::string line = "[generale]\r\n";
  for (int64_t i = 0; i < state.range(0); ++i) line += "lunghezza percorso, 241000\r\n";
  line += "[curve]\r\n[fine]\r\n";
  for (auto _ : state) {
    Scenario s;
    s.lineId = "L";
    s.trainNumber = "1";
    TextDescriptions source("L", "1");
    source.line = line;
    source.train = "[generale]\r\n[fine]\r\n";
    memorizza_percorso(s, true, source);
    benchmark::DoNotOptimize(s.cells.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(line.size()));
}

BENCHMARK(BM_RepeatedLengthRecords)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScenarioRun)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScenarioRunFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScenarioCompile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScenarioCompileFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExampleBuild)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExampleCompile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExampleDocuments)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RunningTime)->Unit(benchmark::kMicrosecond)->UseRealTime();
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
