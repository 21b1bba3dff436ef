#include "app/scenario_run.h"

#include <filesystem>
#include <random>
#include <system_error>

#include "app/platform.h"
#include "compiler/diagnostics.h"
#include "model/file_names.h"
#include "model/km_post.h"
#include "content/content_writer.h"
#include "base/file_io.h"

namespace sb {
namespace fs = std::filesystem;
namespace {

void FinishOutcome(RunOutcome& out) {
  switch (out.compile.end) {
    case RunEnd::kReported:
      platform::errore(std::to_string(out.compile.reportedCode));
      out.exitCode = kExitReported;
      return;
    case RunEnd::kIoError:
      out.ioMessage = out.compile.io.Message("write");
      out.exitCode = kExitIo;
      return;
    case RunEnd::kNoGrid: out.exitCode = kExitRecorded; break;
    case RunEnd::kWritten:
      out.exitCode = out.scenario.errorCode != 0 ? kExitRecorded : kExitOk;
      break;
  }
  // A description that could not be deleted is the file system's failure,
  // whatever the run state says of it.
  if (!out.compile.descriptionIo.ok) {
    out.ioMessage = out.compile.descriptionIo.Message("delete");
    out.exitCode = kExitIo;
  }
}

// A private directory for the copies the readers may delete.
class ScratchDir {
 public:
  ScratchDir() {
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    if (ec) base = ".";
    std::mt19937_64 rng{std::random_device{}()};
    for (int attempt = 0; attempt < 16 && path_.empty(); ++attempt) {
      fs::path p = base / ("scenario-builder-" + std::to_string(rng() % 1000000000ull));
      if (fs::create_directory(p, ec)) path_ = p.string();
    }
  }
  ~ScratchDir() {
    if (path_.empty()) return;
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

RunOutcome Form_Load(const std::string& dir) {
  RunOutcome out;
  Scenario& s = out.scenario;
  s.lineId = kScenarioLineId;
  s.trainNumber = kScenarioTrainNumber;
  platform::BusyIndicator busy;

  // The writers run in order; the first that fails ends the run.
  const std::string lineName = LineDescriptionName(s.lineId);
  const std::string trainName = TrainDescriptionName(s.lineId, s.trainNumber);
  IoStatus st = dati_linea(dir, s.lineId);
  if (st.ok) st = dati_treno(dir, s.lineId, s.trainNumber);
  if (st.ok) st = dati_note(dir, s.lineId, s.trainNumber);
  if (st.ok) st = dati_rallentamenti(dir, s.lineId, s.trainNumber);
  if (st.ok) st = dati_scheda(dir, s.lineId, s.trainNumber);
  if (!st.ok) {
    out.exitCode = kExitIo;
    out.ioMessage = st.Message("write");
    // The descriptions exist only for the compiler, which will not run:
    // take back those this run wrote. The documents stay.
    for (const std::string& name : {lineName, trainName}) {
      if (JoinPath(dir, name) != st.path) RemoveFile(JoinPath(dir, name));
    }
    return out;
  }
  out.compile = memorizza_percorso(s, 1, CompilerDirs{dir, dir});
  FinishOutcome(out);
  return out;
}

RunOutcome CompileDescriptions(const CompileRequest& request) {
  RunOutcome out;
  Scenario& s = out.scenario;
  s.lineId = request.lineId;
  s.trainNumber = request.trainNumber;

  std::error_code ec;
  const std::string outDir = request.outDir.empty() ? "." : request.outDir;
  fs::create_directories(outDir, ec);
  if (!fs::is_directory(outDir, ec)) {
    out.exitCode = kExitIo;
    out.ioMessage =
        IoStatus::Error(outDir, ec ? ec.message() : "not a directory").Message("create");
    return out;
  }
  for (const std::string& path : {request.linePath, request.trainPath}) {
    if (fs::is_directory(path, ec)) {
      out.exitCode = kExitIo;
      out.ioMessage = IoStatus::Error(path, "is a directory").Message("read");
      return out;
    }
  }
  out.descriptionNames = {{LineDescriptionName(s.lineId), request.linePath},
                          {TrainDescriptionName(s.lineId, s.trainNumber), request.trainPath}};
  ScratchDir scratch;
  if (scratch.path().empty()) {
    out.exitCode = kExitIo;
    out.ioMessage =
        IoStatus::Error(fs::temp_directory_path(ec).string(), "cannot make a scratch directory")
            .Message("use");
    return out;
  }

  // A line description that does not exist is the compiler's own error
  // 101, and a train description that cannot be read its error 25: the
  // copies are simply missing then.
  if (RegularFileExists(request.linePath)) {
    std::string bytes;
    IoStatus st = ReadWholeFile(request.linePath, &bytes);
    if (!st.ok) {
      out.exitCode = kExitIo;
      out.ioMessage = st.Message("read");
      return out;
    }
    st = ReplaceFile(JoinPath(scratch.path(), LineDescriptionName(s.lineId)), bytes);
    if (!st.ok) {
      out.exitCode = kExitIo;
      out.ioMessage = st.Message("write");
      return out;
    }
  }
  {
    std::string bytes;
    if (ReadWholeFile(request.trainPath, &bytes).ok) {
      IoStatus st = ReplaceFile(
          JoinPath(scratch.path(), TrainDescriptionName(s.lineId, s.trainNumber)), bytes);
      if (!st.ok) {
        out.exitCode = kExitIo;
        out.ioMessage = st.Message("write");
        return out;
      }
    }
  }
  out.compile =
      memorizza_percorso(s, request.withProfile ? 1 : 0, CompilerDirs{scratch.path(), outDir});
  FinishOutcome(out);
  return out;
}

std::vector<ReportedDiagnostic> Diagnostics(const RunOutcome& outcome) {
  std::vector<ReportedDiagnostic> out;
  for (const Diagnostic& d : outcome.scenario.diagnostics) {
    ReportedDiagnostic r{d, {}};
    for (const auto& [name, path] : outcome.descriptionNames) {
      if (r.diagnostic.file == name) r.diagnostic.file = path;
    }
    if (d.position) r.km = KmPost(outcome.scenario.items, *d.position);
    out.push_back(std::move(r));
  }
  return out;
}

void ReportOutcome(const RunOutcome& outcome, std::ostream& err) {
  if (!outcome.ioMessage.empty()) err << "scenario-builder: " << outcome.ioMessage << "\n";
  for (const ReportedDiagnostic& r : Diagnostics(outcome)) {
    err << FormatDiagnostic(r.diagnostic, r.km) << "\n";
  }
  const Scenario& s = outcome.scenario;
  if (outcome.exitCode == kExitRecorded) {
    err << "scenario-builder: error " << s.errorCode << " (" << ErrorMeaning(s.errorCode)
        << "), position " << s.errorPosition << " m";
    if (outcome.compile.end == RunEnd::kNoGrid) err << "; no compiled file written";
    err << "\n";
  }
}

}  // namespace sb
