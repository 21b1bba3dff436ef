#include "tools/render.h"

#include <optional>

#include "base/exit_status.h"
#include "base/file_io.h"
#include "base/printable.h"
#include "model/file_names.h"
#include "tools/picture.h"
#include "tools/render_loader.h"

namespace sb {

std::string RenderSvg(const RenderInput& input) { return render::Picture(input).Build(); }

int Render(const std::string& dir, const std::string& lineId, const std::string& trainNumber,
           const std::string& svgPath, std::ostream& err) {
  RenderInput in;
  std::optional<ProfileTable> profile;
  if (int rc = LoadScenario(dir, lineId, trainNumber, &in, &profile, err); rc != kExitOk) {
    return rc;
  }
  const std::string target =
      svgPath.empty() ? JoinPath(dir, PictureName(in.lineId, in.trainNumber)) : svgPath;
  Status st = ReplaceFile(target, RenderSvg(in));
  if (!st.ok()) {
    err << "scenario-builder: " << EscapeControls(st.Message("write")) << "\n";
    return kExitIo;
  }
  return kExitOk;
}

}  // namespace sb
