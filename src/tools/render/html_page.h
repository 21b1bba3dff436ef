// The interactive page of a compiled scenario: one HTML file that holds its
// data as JSON, its script and its style, and needs nothing else to open.
#ifndef SB_TOOLS_RENDER_HTML_PAGE_H_
#define SB_TOOLS_RENDER_HTML_PAGE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "tools/render/render_input.h"

namespace sb::render {

// While `render --watch` rewrites the page, the page loads the script
// `sidecar` (a file name beside it) every few hundred milliseconds; it
// calls sbGeneration(N), and a page whose generation is not N reloads
// itself. A script rather than fetch(): browsers refuse fetch() of file://
// URLs. The page holds the name as a relative URL, every byte but letters,
// digits and "-._~" percent-encoded: '#', '?', '%' or bytes that are not
// UTF-8 would otherwise make it name another file.
struct PageOptions {
  int64_t generation = 0;
  std::string sidecar;  // empty: not watching
};

// The page drawing `in`, with the compile's `warnings` (one per line, as
// the compiler printed them) listed above the picture when there are any.
std::string RenderHtml(const RenderInput& in, const PageOptions& options = {},
                       const std::vector<std::string>& warnings = {});

// A page that shows why there is no picture: `diagnostics`, one per line,
// as the compiler printed them.
std::string DiagnosticsHtml(const std::string& title, const std::vector<std::string>& diagnostics,
                            const PageOptions& options);

// What the sidecar holds for `generation`.
std::string SidecarScript(int64_t generation);

}  // namespace sb::render

#endif  // SB_TOOLS_RENDER_HTML_PAGE_H_
