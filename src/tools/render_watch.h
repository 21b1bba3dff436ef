// render --watch: the interactive page of a pair of descriptions, compiled
// in memory and written again whenever either description changes.
#ifndef SB_TOOLS_RENDER_WATCH_H_
#define SB_TOOLS_RENDER_WATCH_H_

#include <chrono>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "tools/html_page.h"

namespace sb {

struct WatchRequest {
  std::string linePath;
  std::string trainPath;
  std::string lineId;       // empty: told from linePath's name
  std::string trainNumber;  // empty: told from trainPath's name
  std::string htmlPath;     // empty: "<ID>_<N>.html" beside the line description
};

// The page of one compile of the two descriptions' bytes: the picture, or,
// when the compile ends in an error (or a description could not be read:
// nullopt), the diagnostics as `compile` prints them.
std::string WatchPage(const std::optional<std::string>& lineBytes,
                      const std::optional<std::string>& trainBytes, const std::string& lineId,
                      const std::string& trainNumber, const render::PageOptions& options);

// How often the descriptions' modification times are looked at.
inline constexpr std::chrono::milliseconds kWatchPoll{300};

// Writes the page and its sidecar "<page>.gen.js", then again after every
// change of either description, until `stop` says so (polled as often as
// the files) or, when `stop` is empty, until SIGINT or SIGTERM. Returns 130
// when stopped, the page left as last written; 64 when the identifiers
// cannot be told; 74 when the page cannot be written.
int RenderWatch(const WatchRequest& request, std::ostream& err,
                const std::function<bool()>& stop = {});

}  // namespace sb

#endif  // SB_TOOLS_RENDER_WATCH_H_
