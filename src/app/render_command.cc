#include "app/render_command.h"

#include <optional>

#include "app/scenario_loader.h"
#include "base/file_io.h"
#include "base/printable.h"
#include "base/user_file.h"
#include "model/file_names.h"
#include "running_time/running_time.h"
#include "tools/render/html_page.h"
#include "tools/render/picture.h"

namespace sb {
namespace {

// The compiled file of the scenario that `outPath` names, or "".
std::string InputNamedBy(Disk& disk, const std::string& outPath, const std::string& dir,
                         const RenderInput& in) {
  for (const std::string& name :
       {CellFileName(in.lineId, in.trainNumber), ItemFileName(in.lineId, in.trainNumber),
        ProfileFileName(in.lineId)}) {
    if (disk.SameFile(outPath, JoinPath(dir, name))) return JoinPath(dir, name);
  }
  return "";
}

std::string Drawn(const RenderInput& in, RenderFormat format) {
  return format == RenderFormat::kHtml ? render::RenderHtml(in) : render::RenderSvg(in);
}

// Writes the picture or the page where `outPath` says.
Status WriteDrawing(Disk& disk, const std::string& dir, const RenderInput& in,
                    const std::string& outPath, RenderFormat format, std::ostream& out) {
  if (outPath == "-") {
    out << Drawn(in, format);
    out.flush();
    if (!out) return Status::IoError("", "cannot write the picture to standard output");
    return Status::Ok();
  }
  Status st;
  if (outPath.empty()) {
    const std::string name = format == RenderFormat::kHtml ? PageName(in.lineId, in.trainNumber)
                                                           : PictureName(in.lineId, in.trainNumber);
    st = disk.WriteFile(JoinPath(dir, name), Drawn(in, format));
  } else if (const std::string input = InputNamedBy(disk, outPath, dir, in); !input.empty()) {
    return Status::Usage("the output '" + outPath + "' is the compiled file '" + input +
                         "' the picture is drawn from; give -o another file");
  } else {
    st = WriteUserFile(outPath, Drawn(in, format));
  }
  return st.WithReason(st.Message("write"));
}

}  // namespace

Status Render(Disk& disk, const std::string& dir, const std::string& lineId,
              const std::string& trainNumber, const std::string& outPath, std::ostream& out,
              RenderFormat format, std::ostream* notes) {
  RenderInput in;
  std::optional<ProfileTable> profile;
  SB_RETURN_IF_ERROR(LoadScenario(disk, dir, lineId, trainNumber, &in, &profile));
  std::optional<running::RunningTime> times;
  std::string problem;
  if (const std::optional<running::TrainTable> train = TrainDataIn(disk, dir, &problem)) {
    const Scenario s = ScenarioOfFiles(in);
    times = running::ComputeRunningTime(s, running::ResolveTrain(*train, s));
    in.times = &*times;
  } else {
    // The picture is still drawn: the running times are its least part.
    in.timesNote = "No running times: " + problem;
    if (notes != nullptr) {
      *notes << EscapeControls(problem) << "; the picture has no running times\n";
    }
  }
  return WriteDrawing(disk, dir, in, outPath, format, out);
}

}  // namespace sb
