// How long an author waits for diagnostics: one didChange of the built-in
// scenario's train description through the editor server's dispatch, in
// process, up to its publishDiagnostics (the line and the train compiled
// together, the plan profile included, every diagnostic converted). The
// target is 50 ms; the counters give the median and the worst iteration.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "base/disk.h"
#include "base/windows1252.h"
#include "content/content.h"
#include "tools/lsp/server.h"
#include "tools/lsp/text.h"

namespace sb::bench {
namespace {

using nlohmann::json;

json Note(const std::string& method, json params) {
  return {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
}

void BM_LspDidChangeToDiagnostics(benchmark::State& state) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "sb-lsp-bench";
  std::filesystem::create_directories(dir);
  const std::string line = Windows1252ToUtf8(content::RawBytes(content::Document::kLine));
  const std::string train = Windows1252ToUtf8(content::RawBytes(content::Document::kTrain));
  // Each change alternates between a train with one mistake and the fixed one.
  std::string broken = train;
  broken.replace(broken.find("stazione,    5250"), 17, "stazione,    5260");
  const std::string lineUri = lsp::PathToUri((dir / "Bench_linea.txt").string());
  const std::string trainUri = lsp::PathToUri((dir / "Bench_1-.txt").string());

  RealDisk disk;
  lsp::Server server(disk);
  server.Handle(
      {{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", json::object()}});
  for (const auto& [uri, text] : {std::pair{lineUri, line}, std::pair{trainUri, train}}) {
    server.Handle(Note("textDocument/didOpen",
                       {{"textDocument", {{"uri", uri}, {"version", 1}, {"text", text}}}}));
  }
  std::vector<double> latencies;
  int version = 2;
  for (auto _ : state) {
    const std::string& text = version % 2 == 0 ? broken : train;
    const json change = Note("textDocument/didChange",
                             {{"textDocument", {{"uri", trainUri}, {"version", version++}}},
                              {"contentChanges", {{{"text", text}}}}});
    const auto start = std::chrono::steady_clock::now();
    const std::vector<json> out = server.Handle(change);
    const auto end = std::chrono::steady_clock::now();
    // Only diagnostics that changed are published: the train's, each time.
    if (out.empty()) state.SkipWithError("expected the train's diagnostics");
    const double seconds = std::chrono::duration<double>(end - start).count();
    state.SetIterationTime(seconds);
    latencies.push_back(seconds * 1e3);
  }
  std::sort(latencies.begin(), latencies.end());
  if (!latencies.empty()) {
    state.counters["median_ms"] = latencies[latencies.size() / 2];
    state.counters["worst_ms"] = latencies.back();
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_LspDidChangeToDiagnostics)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sb::bench
