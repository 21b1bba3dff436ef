// How long an author waits for diagnostics: one didChange through the
// editor server's dispatch, in process, up to its publishDiagnostics (the
// line and the trains compiled, the plan profile included, every diagnostic
// converted). The counters give the median and the worst iteration.
#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "app/editor_projects.h"
#include "base/disk.h"
#include "base/file_io.h"
#include "base/windows1252.h"
#include "content/content.h"
#include "content/templates.h"
#include "generated_descriptions.h"
#include "model/file_names.h"
#include "tools/lsp/server.h"
#include "tools/lsp/text.h"

namespace sb::bench {
namespace {

using nlohmann::json;

json Note(const std::string& method, json params) {
  return {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
}

// A folder of descriptions: those open in the editor (UTF-8, as the editor
// sends them), those only on disk (Windows-1252 bytes), and the open one
// the author edits, whose text each change flips between two.
struct Folder {
  std::vector<std::pair<std::string, std::string>> open;
  std::vector<std::pair<std::string, std::string>> onDisk;
  std::string edited;
  std::string before;
  std::string after;
};

// The text with one more warning, so that every change is published: an
// unknown record in the general section, or a word at the end of a text
// without one.
std::string WithOneMore(const std::string& text) {
  std::string changed = text;
  const std::string general = "[generale]\r\n";
  const std::size_t at = changed.find(general);
  if (at == std::string::npos) return changed + " x";
  changed.insert(at + general.size(), "sconosciuto,    1\r\n");
  return changed;
}

Folder Edited(Folder folder, const std::string& name, const std::string& bytes) {
  folder.edited = name;
  folder.before = Windows1252ToUtf8(bytes);
  folder.after = WithOneMore(folder.before);
  return folder;
}

std::string TemplateLine() { return Windows1252ToUtf8(content::TemplateLineBytes()); }

Folder TemplateFolder() {
  Folder f;
  f.open.emplace_back("Nuova_linea.txt", TemplateLine());
  return Edited(std::move(f), "Nuova_1-.txt", std::string(content::TemplateTrainBytes()));
}

Folder LineFolder(int32_t length) {
  Folder f;
  f.open.emplace_back(LineDescriptionName(kGeneratedLineId),
                      Windows1252ToUtf8(GenerateLineDescription(length)));
  return Edited(std::move(f), TrainDescriptionName(kGeneratedLineId, kGeneratedTrain),
                GenerateTrainDescription(length));
}

// The template's train with `count` records that are none of their section.
Folder ManyWarnings(int count) {
  Folder f;
  f.open.emplace_back("Nuova_linea.txt", TemplateLine());
  std::string train(content::TemplateTrainBytes());
  std::string unknown;
  for (int i = 0; i < count; ++i) unknown += "sconosciuto,    " + std::to_string(i) + "\r\n";
  train.insert(train.find("[segnali]\r\n"), unknown);
  return Edited(std::move(f), "Nuova_1-.txt", train);
}

// The template's train after `count` comment lines, each holding a
// character the code page cannot hold (an arrow).
Folder ManyUnencodable(int count) {
  Folder f = TemplateFolder();
  std::string comments;
  for (int i = 0; i < count; ++i) {
    comments += "-- da " + std::to_string(i) + " \xE2\x86\x92 oltre\r\n";
  }
  f.before = comments + f.before;
  f.after = comments + f.after;
  return f;
}

// `trains` trains of a line of `length` metres, one edited; the others on
// disk, or open too.
Folder ManyTrains(int trains, int32_t length, bool allOpen) {
  Folder f = LineFolder(length);
  const std::string train = GenerateTrainDescription(length);
  for (int n = 2; n <= trains; ++n) {
    const std::string name = TrainDescriptionName(kGeneratedLineId, std::to_string(n));
    if (allOpen) {
      f.open.emplace_back(name, Windows1252ToUtf8(train));
    } else {
      f.onDisk.emplace_back(name, train);
    }
  }
  return f;
}

// The same with the line edited: every train depends on it.
Folder ManyTrainsLineEdited(int trains, int32_t length) {
  Folder f = ManyTrains(trains, length, false);
  f.onDisk.emplace_back(f.edited, GenerateTrainDescription(length));
  f.open.clear();
  return Edited(std::move(f), LineDescriptionName(kGeneratedLineId),
                GenerateLineDescription(length));
}

// Prose of about `size` bytes (Italian words, accents, typographic quotes
// and now and then an arrow the code page cannot hold) under a train's
// name, beside the template's line.
Folder Prose(std::size_t size) {
  static const char* const kWords[] = {"il",
                                       "treno",
                                       "parte",
                                       "dalla",
                                       "stazione",
                                       "alle",
                                       "quindici,",
                                       "passa",
                                       "per",
                                       "città",
                                       "\xE2\x80\x9Cveloce\xE2\x80\x9D",
                                       "e",
                                       "poi",
                                       "più",
                                       "lento",
                                       "verso",
                                       "il",
                                       "mare.",
                                       "\xE2\x86\x92",
                                       "la",
                                       "linea",
                                       "è",
                                       "lunga;"};
  std::string text;
  std::size_t word = 0;
  std::size_t column = 0;
  while (text.size() < size) {
    const std::string w = kWords[word++ % std::size(kWords)];
    text += w;
    column += w.size() + 1;
    text += column > 70 ? "\r\n" : " ";
    if (column > 70) column = 0;
  }
  Folder f;
  f.onDisk.emplace_back("Prosa_linea.txt", std::string(content::TemplateLineBytes()));
  f.edited = "Prosa_1-.txt";
  f.before = text;
  f.after = text + " \xE2\x86\x92";
  return f;
}

double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

void MeasureChanges(benchmark::State& state, const Folder& folder,
                    lsp::ProjectReader projects = {}) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("sb-lsp-bench-" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  for (const auto& [name, bytes] : folder.onDisk) {
    if (!ReplaceFile((dir / name).string(), bytes).ok()) state.SkipWithError("cannot write");
  }
  const auto uri = [&](const std::string& name) { return lsp::PathToUri((dir / name).string()); };
  RealDisk disk;
  lsp::Server server(disk, std::move(projects));
  server.Handle(
      {{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", json::object()}});
  std::vector<std::pair<std::string, std::string>> open = folder.open;
  open.emplace_back(folder.edited, folder.before);
  for (const auto& [name, text] : open) {
    server.Handle(Note("textDocument/didOpen",
                       {{"textDocument", {{"uri", uri(name)}, {"version", 1}, {"text", text}}}}));
  }
  std::vector<double> latencies;
  std::vector<double> cpu;
  int version = 2;
  for (auto _ : state) {
    const std::string& text = version % 2 == 0 ? folder.after : folder.before;
    const json change =
        Note("textDocument/didChange",
             {{"textDocument", {{"uri", uri(folder.edited)}, {"version", version++}}},
              {"contentChanges", {{{"text", text}}}}});
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ThreadCpuMs();
    const std::vector<json> out = server.Handle(change);
    cpu.push_back(ThreadCpuMs() - cpuStart);
    const auto end = std::chrono::steady_clock::now();
    // Every change alters the edited description's diagnostics.
    if (out.empty()) state.SkipWithError("expected the edited description's diagnostics");
    const double seconds = std::chrono::duration<double>(end - start).count();
    state.SetIterationTime(seconds);
    latencies.push_back(seconds * 1e3);
  }
  std::sort(latencies.begin(), latencies.end());
  std::sort(cpu.begin(), cpu.end());
  if (!latencies.empty()) {
    state.counters["median_ms"] = latencies[latencies.size() / 2];
    state.counters["worst_ms"] = latencies.back();
    // The server's own work, whatever else the machine is doing.
    state.counters["median_cpu_ms"] = cpu[cpu.size() / 2];
  }
  std::filesystem::remove_all(dir);
}

// The built-in scenario's train, each change flipping a station between a
// cell it may take and one it may not.
void BM_LspDidChangeToDiagnostics(benchmark::State& state) {
  Folder f;
  f.open.emplace_back("Bench_linea.txt",
                      Windows1252ToUtf8(content::RawBytes(content::Document::kLine)));
  f.edited = "Bench_1-.txt";
  f.before = Windows1252ToUtf8(content::RawBytes(content::Document::kTrain));
  f.after = f.before;
  f.after.replace(f.after.find("stazione,    5250"), 17, "stazione,    5260");
  MeasureChanges(state, f);
}
BENCHMARK(BM_LspDidChangeToDiagnostics)->UseManualTime()->Unit(benchmark::kMillisecond);

// The built-in scenario under its own names, each change adding a warning
// and keeping it free of errors: without its project file (0), and with it
// (1), when the train's running times are worked out after each compile.
void BM_LspExampleProject(benchmark::State& state) {
  Folder f;
  f.open.emplace_back("Lungomare_Nord_linea.txt",
                      Windows1252ToUtf8(content::RawBytes(content::Document::kLine)));
  if (state.range(0) != 0) {
    f.onDisk.emplace_back("scenario.toml", std::string(content::ExampleProjectBytes()));
  }
  f.edited = "Lungomare_Nord_911-.txt";
  f.before = Windows1252ToUtf8(content::RawBytes(content::Document::kTrain));
  f.after = WithOneMore(f.before);
  MeasureChanges(state, f, EditorProjectReader());
}
BENCHMARK(BM_LspExampleProject)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// The template `new` writes.
void BM_LspTemplate(benchmark::State& state) { MeasureChanges(state, TemplateFolder()); }
BENCHMARK(BM_LspTemplate)->UseManualTime()->Unit(benchmark::kMillisecond);

// A generated line and its train of 500 km (the train edited).
void BM_LspLine500km(benchmark::State& state) { MeasureChanges(state, LineFolder(500000)); }
BENCHMARK(BM_LspLine500km)->UseManualTime()->Unit(benchmark::kMillisecond);

// 16,000 warnings in the edited train (target 50 ms).
void BM_LspWarnings16000(benchmark::State& state) { MeasureChanges(state, ManyWarnings(16000)); }
BENCHMARK(BM_LspWarnings16000)->UseManualTime()->Unit(benchmark::kMillisecond);

// 16,000 characters the code page cannot hold, each a warning (target 50 ms).
void BM_LspUnencodable16000(benchmark::State& state) {
  MeasureChanges(state, ManyUnencodable(16000));
}
BENCHMARK(BM_LspUnencodable16000)->UseManualTime()->Unit(benchmark::kMillisecond);

// 21 trains of a 1,000 km line, one edited (target 20 ms).
void BM_LspTrains21(benchmark::State& state) {
  MeasureChanges(state, ManyTrains(21, 1000000, false));
}
BENCHMARK(BM_LspTrains21)->UseManualTime()->Unit(benchmark::kMillisecond);

// The same, all 21 open in the editor.
void BM_LspTrains21Open(benchmark::State& state) {
  MeasureChanges(state, ManyTrains(21, 1000000, true));
}
BENCHMARK(BM_LspTrains21Open)->UseManualTime()->Unit(benchmark::kMillisecond);

// The same with the line edited, which every train is compiled with.
void BM_LspTrains21Line(benchmark::State& state) {
  MeasureChanges(state, ManyTrainsLineEdited(21, 1000000));
}
BENCHMARK(BM_LspTrains21Line)->UseManualTime()->Unit(benchmark::kMillisecond);

// 430 KB of prose saved under a train's name.
void BM_LspProse430KB(benchmark::State& state) { MeasureChanges(state, Prose(430 * 1024)); }
BENCHMARK(BM_LspProse430KB)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sb::bench
