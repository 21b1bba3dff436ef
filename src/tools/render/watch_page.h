// The page render --watch writes for one compile of a pair of descriptions,
// held in memory.
#ifndef SB_TOOLS_RENDER_WATCH_PAGE_H_
#define SB_TOOLS_RENDER_WATCH_PAGE_H_

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "running_time/train.h"
#include "tools/render/html_page.h"

namespace sb::render {

// The train the page's running times are computed for: the project file's
// [train] (the defaults when there is no project file), or none, and
// `note` says why the page has no running times.
struct WatchTrain {
  std::optional<running::TrainTable> table = running::TrainTable{};
  std::string note;
};

// The page of one compile of the two descriptions' bytes: the picture, or,
// when the compile ends in an error, the diagnostics as `compile` prints
// them. A description that was not read is nullopt: `unread` says why
// (one line each), or the page says it cannot be read. When `cancel` turns
// true the compile stops at its next record and the page is "". The
// picture has the running times of `train`.
std::string WatchPage(const std::optional<std::string>& lineBytes,
                      const std::optional<std::string>& trainBytes, const std::string& lineId,
                      const std::string& trainNumber, const PageOptions& options,
                      const std::vector<std::string>& unread = {},
                      const std::atomic<bool>* cancel = nullptr, const WatchTrain& train = {});

}  // namespace sb::render

#endif  // SB_TOOLS_RENDER_WATCH_PAGE_H_
