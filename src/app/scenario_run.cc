#include "app/scenario_run.h"

#include <future>
#include <optional>

#include "app/compiled_files.h"
#include "app/description_files.h"
#include "app/platform.h"
#include "base/file_io.h"
#include "base/interrupt_cleanup.h"
#include "base/printable.h"
#include "compiler/diagnostics.h"
#include "content/content_writer.h"
#include "model/file_names.h"
#include "model/km_post.h"

namespace sb {
namespace {

// Ends a compile that leaves nothing to write (an error reported, the
// compile cancelled, no grid); false for a compiled model.
bool EndedWithoutModel(RunOutcome& out) {
  switch (out.compile.end) {
    case CompileEnd::kReported:
      out.end = RunEnd::kReported;
      out.exitCode = kExitReported;
      return true;
    case CompileEnd::kCancelled:  // the descriptions here never ask for it
      out.ioMessage = "the compile was cancelled";
      out.exitCode = kExitIo;
      return true;
    case CompileEnd::kNoGrid:
      out.end = RunEnd::kNoGrid;
      out.exitCode = kExitRecorded;
      return true;
    case CompileEnd::kCompiled: break;
  }
  return false;
}

// The compiled files written into `dir`, with the documents `request`
// draws; false when they are not (out says why).
bool WriteModel(RunOutcome& out, Disk& disk, const std::string& dir,
                const CompileRequest* request) {
  WrittenFiles files;
  if (request != nullptr && request->documents) {
    // Drawn while the compiled files are written; both only read the
    // scenario.
    std::future<std::optional<std::vector<DocumentFile>>> drawing =
        std::async(std::launch::async, [request, &out] {
          // An interrupt is for the thread that owns the files.
          const InterruptsHeld held;
          std::vector<DocumentFile> documents;
          return request->documents(out.scenario, &documents)
                     ? std::optional<std::vector<DocumentFile>>(std::move(documents))
                     : std::nullopt;
        });
    files = WriteCompiledFiles(out.scenario, out.scenario.withProfile != 0, disk, dir,
                               [&drawing] { return drawing.get(); });
  } else {
    files = WriteCompiledFiles(out.scenario, out.scenario.withProfile != 0, disk, dir);
  }
  if (files.refused) {
    out.end = RunEnd::kDocumentsRefused;
    out.exitCode = kExitDataError;
    return false;
  }
  out.written = std::move(files.names);
  if (!files.status.ok()) {
    out.end = RunEnd::kIoError;
    out.ioMessage = files.status.Message("write");
    out.exitCode = kExitIo;
    return false;
  }
  out.end = RunEnd::kWritten;
  out.exitCode = out.scenario.errorCode != ErrorCode::kNone ? kExitRecorded : kExitOk;
  return true;
}

// Ends the run after the compile: the compiled files written into `dir`
// when the model is complete, and the exit status.
void FinishOutcome(RunOutcome& out, Disk& disk, const std::string& dir,
                   const CompileRequest* request = nullptr) {
  if (EndedWithoutModel(out)) {
    if (out.compile.end != CompileEnd::kNoGrid) return;
  } else if (!WriteModel(out, disk, dir, request)) {
    return;
  }
  // A description that could not be deleted is the file system's failure,
  // whatever the run state says of it.
  if (!out.compile.descriptionIo.ok()) {
    out.ioMessage = out.compile.descriptionIo.Message("delete");
    out.exitCode = kExitIo;
  }
}

// Waits for any other run into `dir`; the console says so, the players'
// window waits in silence.
std::unique_ptr<DirectoryLock> LockForRun(Disk& disk, const std::string& dir) {
  return disk.LockDirectory(dir, [&dir] { platform::WaitingForAnotherRun(dir); });
}

RunOutcome Fail(RunOutcome out, const Status& st, const char* verb) {
  out.exitCode = kExitIo;
  out.ioMessage = st.Message(verb);
  return out;
}

// A description `compile` cannot read: the file system's failure, also
// recorded as the compiler's own code for it (101 for the line description,
// 25 for the train description) so that a report of the errors has it.
RunOutcome Unreadable(RunOutcome out, const Status& st, DescriptionKind which) {
  out = Fail(std::move(out), st, "read");
  Diagnostic d;
  d.code = which == DescriptionKind::kLine ? ErrorCode::kNoLineDescription : ErrorCode::kUnreadable;
  d.file = st.path();
  d.message = out.ioMessage;
  out.scenario.errorCode = d.code;
  out.scenario.diagnostics.push_back(std::move(d));
  return out;
}

}  // namespace

RunOutcome Form_Load(Disk& disk, const std::string& dir) {
  RunOutcome out;
  Scenario& s = out.scenario;
  s.lineId = kScenarioLineId;
  s.trainNumber = kScenarioTrainNumber;
  platform::BusyIndicator busy;

  const std::string lineName = LineDescriptionName(s.lineId);
  const std::string trainName = TrainDescriptionName(s.lineId, s.trainNumber);
  // One run at a time in the folder, from the first file to the last. The
  // descriptions are this run's alone: an interruption takes them back.
  const std::unique_ptr<DirectoryLock> lock = LockForRun(disk, dir);
  for (const std::string& name : {lineName, trainName}) {
    lock->RemoveIfInterrupted(JoinPath(dir, name));
  }
  std::vector<std::string> names = CompiledFileNames(s, true);
  names.insert(names.end(), {lineName, trainName, NotesName(s.lineId, s.trainNumber),
                             SlowdownOrderName(s.lineId, s.trainNumber),
                             TimetableSheetName(s.lineId, s.trainNumber)});
  disk.RemoveStaleTemporaries(dir, names);

  // The writers run in order; the first that fails ends the run.
  Status st = dati_linea(disk, dir, s.lineId);
  if (st.ok()) st = dati_treno(disk, dir, s.lineId, s.trainNumber);
  if (st.ok()) st = dati_note(disk, dir, s.lineId, s.trainNumber);
  if (st.ok()) st = dati_rallentamenti(disk, dir, s.lineId, s.trainNumber);
  if (st.ok()) st = dati_scheda(disk, dir, s.lineId, s.trainNumber);
  if (!st.ok()) {
    // The descriptions exist only for the compiler, which will not run:
    // take back those this run wrote. The documents stay.
    for (const std::string& name : {lineName, trainName}) {
      if (JoinPath(dir, name) != st.path()) disk.RemoveFile(JoinPath(dir, name)).IgnoreError();
    }
    return Fail(std::move(out), st, "write");
  }
  DescriptionFiles source(disk, {JoinPath(dir, lineName), lineName},
                          {JoinPath(dir, trainName), trainName},
                          DescriptionFiles::Afterwards::kDelete);
  out.compile = memorizza_percorso(s, true, source);
  FinishOutcome(out, disk, dir);
  // The players' program shows its error box; compile reports in words.
  if (out.end == RunEnd::kReported) {
    platform::errore(std::to_string(Number(out.compile.reportedCode)));
  }
  return out;
}

RunOutcome Form_Load(const std::string& dir) {
  RealDisk disk;
  return Form_Load(disk, dir);
}

namespace {

// A run of `request`'s scenario: its names and the warnings silenced.
RunOutcome OutcomeFor(const CompileRequest& request) {
  RunOutcome out;
  out.scenario.lineId = request.lineId;
  out.scenario.trainNumber = request.trainNumber;
  for (Warning w : request.silencedWarnings) {
    out.scenario.silencedWarnings[static_cast<std::size_t>(w)] = true;
  }
  return out;
}

}  // namespace

RunOutcome CompileDescriptions(Disk& disk, const CompileRequest& request) {
  RunOutcome out = OutcomeFor(request);
  Scenario& s = out.scenario;

  DescriptionFiles source(disk, {request.linePath, request.linePath},
                          {request.trainPath, request.trainPath},
                          DescriptionFiles::Afterwards::kKeep);
  const std::string outDir = request.outDir.empty() ? "." : request.outDir;
  // The given files are never changed: a description that is one of the
  // files the compile replaces (by its name, a link or a hard link) would
  // be lost to it.
  std::vector<std::string> outputs = CompiledFileNames(s, request.withProfile);
  const std::size_t compiledCount = outputs.size();
  outputs.insert(outputs.end(), request.documentNames.begin(), request.documentNames.end());
  for (const std::string* input : {&request.linePath, &request.trainPath}) {
    for (std::size_t i = 0; i < outputs.size(); ++i) {
      const std::string output = JoinPath(request.outDir, outputs[i]);
      if (!disk.SameFile(*input, output)) continue;
      out.exitCode = kExitUsage;
      out.ioMessage = "'" + *input + "' is the " +
                      (i < compiledCount ? "compiled file '" : "document '") + output + "' that " +
                      (request.documents ? "build" : "compile") +
                      " would replace; give --out another folder or rename the description";
      return out;
    }
  }
  // Both descriptions are read before anything is written: one that cannot
  // be read ends the compile with an earlier run's files as they were.
  for (DescriptionKind which : {DescriptionKind::kLine, DescriptionKind::kTrain}) {
    if (Status st = source.Preload(which); !st.ok()) return Unreadable(std::move(out), st, which);
  }
  if (Status st = disk.MakeDirs(outDir); !st.ok()) return Fail(std::move(out), st, "create");
  const std::unique_ptr<DirectoryLock> lock = LockForRun(disk, outDir);
  disk.RemoveStaleTemporaries(outDir, outputs);
  out.compile = memorizza_percorso(s, request.withProfile, source);
  FinishOutcome(out, disk, outDir, &request);
  return out;
}

RunOutcome CompileDescriptions(const CompileRequest& request) {
  RealDisk disk;
  return CompileDescriptions(disk, request);
}

RunOutcome CompileDescriptionsInMemory(Disk& disk, const CompileRequest& request) {
  RunOutcome out = OutcomeFor(request);
  Scenario& s = out.scenario;
  DescriptionFiles source(disk, {request.linePath, request.linePath},
                          {request.trainPath, request.trainPath},
                          DescriptionFiles::Afterwards::kKeep);
  for (DescriptionKind which : {DescriptionKind::kLine, DescriptionKind::kTrain}) {
    if (Status st = source.Preload(which); !st.ok()) return Unreadable(std::move(out), st, which);
  }
  out.compile = memorizza_percorso(s, request.withProfile, source);
  if (!EndedWithoutModel(out)) {
    out.end = RunEnd::kCompiledOnly;
    out.exitCode = s.errorCode != ErrorCode::kNone ? kExitRecorded : kExitOk;
  }
  return out;
}

void ForEachReported(const RunOutcome& outcome, const WarningOptions& warnings,
                     const std::function<void(const ReportedDiagnostic&)>& visit) {
  const Scenario& s = outcome.scenario;
  const WarningFolds folds(s.diagnostics,
                           [&warnings](const Diagnostic& d) { return warnings.Reports(d); });
  for (std::size_t i = 0; i < s.diagnostics.size(); ++i) {
    const Diagnostic& d = s.diagnostics[i];
    if (!warnings.Reports(d)) continue;
    ReportedDiagnostic r{d, {}, 0, {}, false};
    if (d.position) r.km = KmPost(s.items, *d.position);
    r.likeIt = folds.LikeIt(i);
    r.folded = folds.Folded(i);
    visit(r);
  }
  for (const auto& [where, count] : s.warningsNotKept) {
    if (warnings.silenced.contains(where.second)) continue;
    visit({NotKeptWarning(where.first, where.second, count), {}, count, {}, false});
  }
}

void ReportOutcome(const RunOutcome& outcome, std::ostream& err, const WarningOptions& warnings) {
  // The message names a path the user gave, which may hold control bytes.
  if (!outcome.ioMessage.empty()) {
    err << "scenario-builder: " << EscapeControls(outcome.ioMessage) << "\n";
  }
  // Before the compile the message above is all there is to say.
  if (outcome.end == RunEnd::kNotRun) return;
  ForEachReported(outcome, warnings, [&err](const ReportedDiagnostic& r) {
    if (r.folded) return;
    err << FormatDiagnostic(r.diagnostic, r.km) << "\n";
    if (r.likeIt.more > 0) err << FoldNote(r.diagnostic, r.likeIt) << "\n";
  });
  const Scenario& s = outcome.scenario;
  if (outcome.exitCode == kExitRecorded) {
    err << "scenario-builder: error " << Number(s.errorCode) << " (" << ErrorMeaning(s.errorCode)
        << "), position " << s.errorPosition << " m";
    if (outcome.end == RunEnd::kNoGrid) err << "; no compiled file written";
    err << "\n";
  }
  if (outcome.end == RunEnd::kReported) {
    const ErrorCode code = outcome.compile.reportedCode;
    err << "scenario-builder: error " << Number(code) << " (" << ErrorMeaning(code)
        << "); no compiled file written\n";
  }
}

}  // namespace sb
