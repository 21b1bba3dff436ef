#include "tools/render_watch.h"

#include <atomic>
#include <csignal>
#include <filesystem>
#include <thread>
#include <vector>

#include "base/exit_status.h"
#include "base/file_io.h"
#include "base/printable.h"
#include "base/user_file.h"
#include "compiler/compiler.h"
#include "compiler/description_source.h"
#include "compiler/diagnostics.h"
#include "compiler/scenario.h"
#include "model/file_names.h"
#include "model/km_post.h"

namespace sb {
namespace {

// As compile reads descriptions: at most 256 MiB each.
constexpr std::uint64_t kMaxWatchedBytes = 256ull << 20;
constexpr int kExitInterrupted = 130;

std::atomic<bool> gInterrupted{false};
extern "C" void OnInterrupt(int) { gInterrupted = true; }

std::optional<std::string> ReadDescription(const std::string& path) {
  std::string bytes;
  if (!ReadWholeFile(path, &bytes, kMaxWatchedBytes).ok()) return std::nullopt;
  return bytes;
}

// What tells a change: the modification time and the size, or nothing for
// a file that is not there (being saved, say).
struct Stamp {
  std::filesystem::file_time_type time{};
  std::uintmax_t size = 0;
  bool exists = false;
  bool operator==(const Stamp&) const = default;
};

Stamp StampOf(const std::string& path) {
  std::error_code ec;
  Stamp s;
  s.time = std::filesystem::last_write_time(path, ec);
  if (ec) return s;
  s.size = std::filesystem::file_size(path, ec);
  s.exists = !ec;
  return s;
}

std::vector<std::string> Unreadable(const std::optional<std::string>& line,
                                    const std::optional<std::string>& train,
                                    const std::string& lineId, const std::string& trainNumber) {
  std::vector<std::string> out;
  if (!line) out.push_back(LineDescriptionName(lineId) + ": error: cannot be read");
  if (!train) out.push_back(TrainDescriptionName(lineId, trainNumber) + ": error: cannot be read");
  return out;
}

}  // namespace

std::string WatchPage(const std::optional<std::string>& lineBytes,
                      const std::optional<std::string>& trainBytes, const std::string& lineId,
                      const std::string& trainNumber, const render::PageOptions& options) {
  const std::string title = lineId + ", train " + trainNumber;
  if (!lineBytes || !trainBytes) {
    return render::DiagnosticsHtml(title, Unreadable(lineBytes, trainBytes, lineId, trainNumber),
                                   options);
  }
  Scenario s;
  s.lineId = lineId;
  s.trainNumber = trainNumber;
  TextDescriptions source(lineId, trainNumber);
  source.line = *lineBytes;
  source.train = *trainBytes;
  const CompileResult result = memorizza_percorso(s, true, source);
  if (s.errorCode != 0 || result.end != CompileEnd::kCompiled || !s.hasGrid) {
    std::vector<std::string> lines;
    for (const Diagnostic& d : s.diagnostics) {
      if (d.is_warning()) continue;
      lines.push_back(FormatDiagnostic(d, d.position ? KmPost(s.items, *d.position) : ""));
    }
    if (lines.empty()) lines.push_back("error " + std::to_string(s.errorCode));
    return render::DiagnosticsHtml(title, lines, options);
  }
  RenderInput in;
  in.lineId = lineId;
  in.trainNumber = trainNumber;
  in.cells = s.cells;
  in.items = s.items;
  std::optional<ProfileTable> profile;
  if (s.profile) {
    profile = s.profile->Table();
    in.profile = &*profile;
  }
  return render::RenderHtml(in, options);
}

namespace {

int WatchLoop(const WatchRequest& request, const std::string& page, const std::string& lineId,
              const std::string& trainNumber, const std::function<bool()>& stopped,
              std::ostream& err) {
  const std::string sidecar = page + ".gen.js";
  const std::string sidecarName = std::filesystem::path(sidecar).filename().string();
  Stamp line{}, train{};
  for (int64_t generation = 1;; ++generation) {
    line = StampOf(request.linePath);
    train = StampOf(request.trainPath);
    const std::string html =
        WatchPage(ReadDescription(request.linePath), ReadDescription(request.trainPath), lineId,
                  trainNumber, {generation, sidecarName});
    Status st = WriteUserFile(page, html);
    if (st.ok()) st = WriteUserFile(sidecar, render::SidecarScript(generation));
    if (!st.ok()) {
      err << "scenario-builder: " << EscapeControls(st.Message("write")) << "\n";
      return kExitIo;
    }
    err << "scenario-builder: wrote " << EscapeControls(page) << " (" << generation << ")\n";
    while (StampOf(request.linePath) == line && StampOf(request.trainPath) == train) {
      if (stopped()) return kExitInterrupted;
      std::this_thread::sleep_for(kWatchPoll);
    }
  }
}

}  // namespace

int RenderWatch(const WatchRequest& request, std::ostream& err, const std::function<bool()>& stop) {
  std::string lineId = request.lineId, trainNumber = request.trainNumber;
  if (lineId.empty()) lineId = LineIdFromName(request.linePath).value_or("");
  if (trainNumber.empty() && !lineId.empty()) {
    trainNumber = TrainNumberFromName(request.trainPath, lineId).value_or("");
  }
  if (lineId.empty() || trainNumber.empty()) {
    err << "scenario-builder: cannot tell the line identifier and train number from '"
        << EscapeControls(request.linePath) << "' and '" << EscapeControls(request.trainPath)
        << "'; give --line-id and --train-number\n";
    return kExitUsage;
  }
  std::string page = request.htmlPath;
  if (page.empty()) {
    page = JoinPath(std::filesystem::path(request.linePath).parent_path().string(),
                    lineId + "_" + trainNumber + ".html");
  }
  // The page and its sidecar are rewritten again and again: neither may be
  // one of the descriptions being watched, or the author's text is lost.
  for (const std::string& written : {page, page + ".gen.js"}) {
    for (const std::string* input : {&request.linePath, &request.trainPath}) {
      if (SameFile(written, *input)) {
        err << "scenario-builder: '" << EscapeControls(written)
            << "' is one of the descriptions to watch; write the page elsewhere\n";
        return kExitUsage;
      }
    }
  }
  // Ctrl-C only asks the loop to stop: a page being written is finished
  // (the cleanup handler main installs would cut it short), and the earlier
  // handlers come back on the way out.
  std::function<bool()> stopped = stop;
  using Handler = void (*)(int);
  Handler oldInt = SIG_ERR, oldTerm = SIG_ERR;
  if (!stopped) {
    gInterrupted = false;
    oldInt = std::signal(SIGINT, OnInterrupt);
    oldTerm = std::signal(SIGTERM, OnInterrupt);
    stopped = [] { return gInterrupted.load(); };
  }
  const int rc = WatchLoop(request, page, lineId, trainNumber, stopped, err);
  if (oldInt != SIG_ERR) std::signal(SIGINT, oldInt);
  if (oldTerm != SIG_ERR) std::signal(SIGTERM, oldTerm);
  return rc;
}

}  // namespace sb
