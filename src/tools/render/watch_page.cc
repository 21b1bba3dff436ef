#include "tools/render/watch_page.h"

#include "compiler/compiler.h"
#include "compiler/description_source.h"
#include "compiler/diagnostics.h"
#include "compiler/scenario.h"
#include "model/file_names.h"
#include "model/km_post.h"
#include "running_time/running_time.h"

namespace sb::render {
namespace {

constexpr std::size_t kMaxPageWarnings = 1000;

}  // namespace

std::string WatchPage(const std::optional<std::string>& lineBytes,
                      const std::optional<std::string>& trainBytes, const std::string& lineId,
                      const std::string& trainNumber, const PageOptions& options,
                      const std::vector<std::string>& unread, const std::atomic<bool>* cancel,
                      const WatchTrain& train) {
  const std::string title = lineId + ", train " + trainNumber;
  if (!lineBytes || !trainBytes) {
    std::vector<std::string> lines = unread;
    if (lines.empty()) {
      if (!lineBytes) lines.push_back(LineDescriptionName(lineId) + ": error: cannot be read");
      if (!trainBytes) {
        lines.push_back(TrainDescriptionName(lineId, trainNumber) + ": error: cannot be read");
      }
    }
    return DiagnosticsHtml(title, lines, options);
  }
  Scenario s;
  s.lineId = lineId;
  s.trainNumber = trainNumber;
  const CompileResult result = CompileInMemory(s, *lineBytes, *trainBytes, cancel);
  if (result.end == CompileEnd::kCancelled) return {};
  // Warnings too, in the order compile prints them: one may be the cause of
  // the error that follows, or of a picture that is not what was meant.
  // A flood of them (a file that is no description) is cut short: the page
  // is rewritten at every change and must stay light.
  std::vector<std::string> lines;
  bool anError = false;
  std::size_t warnings = 0;
  for (const Diagnostic& d : s.diagnostics) {
    anError = anError || !d.is_warning();
    if (d.is_warning() && ++warnings > kMaxPageWarnings) continue;
    lines.push_back(FormatDiagnostic(d, d.position ? KmPost(s.items, *d.position) : ""));
  }
  if (warnings > kMaxPageWarnings) {
    lines.push_back(std::to_string(warnings - kMaxPageWarnings) +
                    " more warnings are not listed here; compile lists them");
  }
  if (s.errorCode != ErrorCode::kNone || result.end != CompileEnd::kCompiled || !s.hasGrid) {
    if (!anError) lines.push_back("error " + std::to_string(Number(s.errorCode)));
    return DiagnosticsHtml(title, lines, options);
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
  std::optional<running::RunningTime> times;
  if (train.table) {
    times = running::ComputeRunningTime(s, running::ResolveTrain(*train.table, s));
    in.times = &*times;
  }
  in.timesNote = train.note;
  return RenderHtml(in, options, lines);
}

}  // namespace sb::render
