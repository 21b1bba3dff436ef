#include "app/render_command.h"

#include <optional>

#include "app/scenario_loader.h"
#include "base/exit_status.h"
#include "base/file_io.h"
#include "base/printable.h"
#include "base/user_file.h"
#include "model/file_names.h"
#include "tools/render/html_page.h"
#include "tools/render/picture.h"

namespace sb {
namespace {

int Fail(std::ostream& err, const std::string& text, int status) {
  // The text names paths the user gave, which may hold control bytes.
  err << "scenario-builder: " << EscapeControls(text) << "\n";
  return status;
}

// The compiled file of the scenario that `svgPath` names, or "".
std::string InputNamedBy(const std::string& svgPath, const std::string& dir,
                         const RenderInput& in) {
  for (const std::string& name :
       {CellFileName(in.lineId, in.trainNumber), ItemFileName(in.lineId, in.trainNumber),
        ProfileFileName(in.lineId)}) {
    if (SameFile(svgPath, JoinPath(dir, name))) return JoinPath(dir, name);
  }
  return "";
}

std::string Drawn(const RenderInput& in, RenderFormat format) {
  return format == RenderFormat::kHtml ? render::RenderHtml(in) : render::RenderSvg(in);
}

int WriteSvg(const std::string& dir, const RenderInput& in, const std::string& svgPath,
             RenderFormat format, std::ostream& out, std::ostream& err) {
  if (svgPath == "-") {
    out << Drawn(in, format);
    out.flush();
    if (!out) return Fail(err, "cannot write the picture to standard output", kExitIo);
    return kExitOk;
  }
  Status st;
  if (svgPath.empty()) {
    std::string name = PictureName(in.lineId, in.trainNumber);
    if (format == RenderFormat::kHtml) name = name.substr(0, name.size() - 4) + ".html";
    st = ReplaceFile(JoinPath(dir, name), Drawn(in, format));
  } else if (const std::string input = InputNamedBy(svgPath, dir, in); !input.empty()) {
    return Fail(err,
                "the output '" + svgPath + "' is the compiled file '" + input +
                    "' the picture is drawn from; give -o another file",
                kExitUsage);
  } else {
    st = WriteUserFile(svgPath, Drawn(in, format));
  }
  if (!st.ok()) return Fail(err, st.Message("write"), kExitIo);
  return kExitOk;
}

}  // namespace

int Render(const std::string& dir, const std::string& lineId, const std::string& trainNumber,
           const std::string& svgPath, std::ostream& out, std::ostream& err) {
  return Render(dir, lineId, trainNumber, svgPath, RenderFormat::kSvg, out, err);
}

int Render(const std::string& dir, const std::string& lineId, const std::string& trainNumber,
           const std::string& outPath, RenderFormat format, std::ostream& out, std::ostream& err) {
  RenderInput in;
  std::optional<ProfileTable> profile;
  if (int rc = LoadScenario(dir, lineId, trainNumber, &in, &profile, err); rc != kExitOk) {
    return rc;
  }
  return WriteSvg(dir, in, outPath, format, out, err);
}

}  // namespace sb
