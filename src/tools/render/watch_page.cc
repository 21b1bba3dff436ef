#include "tools/render/watch_page.h"

#include "compiler/compiler.h"
#include "compiler/description_source.h"
#include "compiler/diagnostics.h"
#include "compiler/scenario.h"
#include "model/file_names.h"
#include "model/km_post.h"

namespace sb::render {

std::string WatchPage(const std::optional<std::string>& lineBytes,
                      const std::optional<std::string>& trainBytes, const std::string& lineId,
                      const std::string& trainNumber, const PageOptions& options,
                      const std::vector<std::string>& unread, const std::atomic<bool>* cancel) {
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
  if (s.errorCode != ErrorCode::kNone || result.end != CompileEnd::kCompiled || !s.hasGrid) {
    std::vector<std::string> lines;
    for (const Diagnostic& d : s.diagnostics) {
      if (d.is_warning()) continue;
      lines.push_back(FormatDiagnostic(d, d.position ? KmPost(s.items, *d.position) : ""));
    }
    if (lines.empty()) lines.push_back("error " + std::to_string(Number(s.errorCode)));
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
  return RenderHtml(in, options);
}

}  // namespace sb::render
