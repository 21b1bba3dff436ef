// render --watch: the interactive page of a pair of descriptions, compiled
// in memory and written again whenever either description changes.
#ifndef SB_APP_WATCH_COMMAND_H_
#define SB_APP_WATCH_COMMAND_H_

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "base/status.h"
#include "tools/render/watch_page.h"

namespace sb {

struct WatchRequest {
  std::string linePath;
  std::string trainPath;
  std::string lineId;       // empty: told from linePath's name
  std::string trainNumber;  // empty: told from trainPath's name
  std::string htmlPath;     // empty: "<ID>_<N>.html" beside the line description
};

// How often the descriptions' modification times are looked at.
inline constexpr std::chrono::milliseconds kWatchPoll{300};

// Writes the page and its sidecar "<page>.gen.js", then again after every
// change of either description (telling each write on `err`), until `stop`
// says so (polled as often as the files; then interrupted as by SIGINT)
// or, when `stop` is empty, until SIGINT or SIGTERM, the page left as last
// written: the watch ends Interrupted by the signal. Fails Usage when the
// identifiers cannot be told or the page would be a description; with an
// I/O error when the page cannot be written. The page the user named is
// written as what it is; the default page and the sidecar are replaced
// whole, a link under their names replaced, never followed. A description
// whose owner or permissions change while it is watched (a link to
// someone's private file put in its place) is not read again. The page's
// running times are those of the train in the project file beside the
// line description (scenario.toml, watched too), or of the default train
// without one; a project file that does not parse leaves them out, and
// the page says why.
Status RenderWatch(const WatchRequest& request, std::ostream& err,
                   const std::function<bool()>& stop = {});

}  // namespace sb

#endif  // SB_APP_WATCH_COMMAND_H_
