#include "app/build_command.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>

#include "app/command_status.h"
#include "app/project_load.h"
#include "app/scenario_run.h"
#include "base/exit_status.h"
#include "base/file_io.h"
#include "model/file_names.h"
#include "running_time/timing_warnings.h"
#include "tools/documents/player_notes.h"
#include "tools/documents/slowdown_order.h"
#include "tools/documents/timetable_sheet.h"
#include "tools/lsp/text.h"

namespace sb {
namespace {

// The project file holds UTF-8; the documents, like the descriptions, are
// Windows-1252, one byte a character, so that their cells count bytes.
class CodePage {
 public:
  CodePage(const Project& project, std::vector<Diagnostic>* errors)
      : project_(project), errors_(errors) {}

  std::string Of(const std::string& text, ProjectPlace place) {
    lsp::EncodedText encoded = lsp::Utf8ToWindows1252(text);
    if (!encoded.unencodable.empty()) {
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X", encoded.unencodable.front().codePoint);
      errors_->push_back(ProjectDiagnostic(
          project_, place,
          "'" + text + "' holds " + code +
              ", which the player's documents cannot show: they are written in Windows-1252",
          "write the text with the letters of Western European languages only"));
    }
    return std::move(encoded.bytes);
  }
  std::string Of(const std::optional<Located<std::string>>& text) {
    return text ? Of(text->value, text->place) : std::string();
  }

 private:
  const Project& project_;
  std::vector<Diagnostic>* errors_;
};

FactPlace PlaceOf(ProjectPlace p) { return {p.line, p.column}; }

// A count the author wrote, brought into the range the documents hold;
// one that does not fit is still too wide for its cell, and told so there.
int32_t Narrowed(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

std::optional<int> Speed(const std::optional<Located<int64_t>>& v) {
  if (!v) return std::nullopt;
  return Narrowed(v->value);
}

// Minutes as the sheet prints them: "0.5", "1.0".
std::string Minutes(const std::optional<Located<double>>& v) {
  if (!v) return {};
  char text[64];
  std::snprintf(text, sizeof text, "%.1f", v->value);
  return text;
}

SheetFacts SheetFactsOf(const Project& p, CodePage& cp) {
  SheetFacts f;
  f.trainNumber = cp.Of(p.train, p.trainPlace);
  f.trainNumberPlace = PlaceOf(p.trainPlace);
  const auto header = [&](const std::optional<Located<std::string>>& v, std::string* text,
                          FactPlace* place) {
    *text = cp.Of(v);
    if (v) *place = PlaceOf(v->place);
  };
  header(p.sheet.from, &f.from, &f.fromPlace);
  header(p.sheet.to, &f.to, &f.toPlace);
  header(p.sheet.speed, &f.headerSpeed, &f.headerSpeedPlace);
  header(p.sheet.classification, &f.classification, &f.classificationPlace);
  header(p.sheet.blockedMass, &f.blockedMass, &f.blockedMassPlace);
  for (const ProjectStation& s : p.stations) {
    SheetStationFacts station;
    station.descriptionName = cp.Of(s.name.value, s.name.place);
    station.printedName = cp.Of(s.printed);
    station.row = {Speed(s.marching), Minutes(s.recoveryMinutes), PlaceOf(s.name.place)};
    f.stations.push_back(std::move(station));
  }
  for (const ProjectSpeedLimit& s : p.speedLimits) {
    SheetSpeedRowFacts row;
    row.position = Narrowed(s.at.value);
    row.name = cp.Of(s.name);
    row.printKm = !s.kmPost || s.kmPost->value;
    row.row = {Speed(s.marching), {}, PlaceOf(s.at.place)};
    f.speedRows.push_back(std::move(row));
  }
  for (const ProjectExtraRow& s : p.extraRows) {
    SheetExtraRow row;
    row.position = Narrowed(s.at.value);
    row.name = cp.Of(s.name.value, s.name.place);
    row.printKm = !s.kmPost || s.kmPost->value;
    row.row.place = PlaceOf(s.at.place);
    f.extraRows.push_back(std::move(row));
  }
  return f;
}

documents::OrderFacts OrderFactsOf(const Project& p, CodePage& cp) {
  documents::OrderFacts f;
  f.trainNumber = cp.Of(p.train, p.trainPlace);
  f.lineName = cp.Of(p.orderLineName);
  for (const ProjectStation& s : p.stations) {
    if (s.printed) f.printedNames[cp.Of(s.name.value, s.name.place)] = cp.Of(s.printed);
  }
  return f;
}

documents::NotesFacts NotesFactsOf(const Project& p, CodePage& cp) {
  documents::NotesFacts f;
  if (p.notes.text) f.text = cp.Of(p.notes.text);
  f.trainNumber = cp.Of(p.train, p.trainPlace);
  f.from = cp.Of(p.sheet.from);
  f.to = cp.Of(p.sheet.to);
  f.classification = cp.Of(p.sheet.classification);
  f.credit = cp.Of(p.notes.credit);
  f.contact = cp.Of(p.notes.contact);
  return f;
}

std::vector<std::string> DocumentNames(const Project& p) {
  return {NotesName(p.lineId, p.train), SlowdownOrderName(p.lineId, p.train),
          TimetableSheetName(p.lineId, p.train)};
}

// Diagnostics of the project file in the descriptions' form, on `err`, and
// in the JSON report as compile's are.
int ReportProjectErrors(const std::vector<Diagnostic>& errors, const BuildRequest& request,
                        int status, std::ostream& out, std::ostream& err) {
  RunOutcome outcome;
  outcome.exitCode = status;
  outcome.end = RunEnd::kNotRun;
  outcome.scenario.diagnostics = errors;
  for (const Diagnostic& d : errors) err << FormatDiagnostic(d) << "\n";
  if (request.report.json) PrintJson(outcome, request.report.warnings, out);
  if (!request.report.quiet) {
    err << kProjectFileName << ": " << errors.size() << (errors.size() == 1 ? " error" : " errors")
        << "; no file written\n";
  }
  return status;
}

// A document's diagnostic about a value of the project file, named and
// quoted as the project file's own: the documents know the place but not
// the folder the file is in, nor its text.
Diagnostic InProjectFile(const Project& project, Diagnostic d) {
  if (d.file != kProjectFileName || d.line <= 0) return d;
  Diagnostic placed = ProjectDiagnostic(project, {d.line, d.column}, "");
  d.file = std::move(placed.file);
  if (d.record.empty()) d.record = std::move(placed.record);
  return d;
}

}  // namespace

std::vector<DocumentFile> DrawDocuments(const Scenario& scenario, const Project& project,
                                        const running::RunningTime& times,
                                        std::vector<Diagnostic>* errors) {
  CodePage cp(project, errors);
  const SheetFacts sheetFacts = SheetFactsOf(project, cp);
  const documents::OrderFacts orderFacts = OrderFactsOf(project, cp);
  const documents::NotesFacts notesFacts = NotesFactsOf(project, cp);
  if (!errors->empty()) return {};
  TimetableSheet sheet = DrawTimetableSheet(scenario, sheetFacts, &times);
  documents::SlowdownOrder order = documents::BuildSlowdownOrder(scenario, orderFacts);
  for (std::vector<Diagnostic>* found : {&sheet.diagnostics, &order.diagnostics}) {
    for (Diagnostic& d : *found) errors->push_back(InProjectFile(project, std::move(d)));
  }
  if (!errors->empty()) return {};
  const std::vector<std::string> names = DocumentNames(project);
  // In the order the scenario run writes them.
  return {{names[0], documents::BuildPlayerNotes(scenario, notesFacts)},
          {names[1], std::move(order.text)},
          {names[2], std::move(sheet.text)}};
}

int RunBuild(Disk& disk, const BuildRequest& request, std::ostream& out, std::ostream& err) {
  Project project;
  std::vector<Diagnostic> projectErrors;
  if (int status = LoadProject(disk, request.dir, &project, &projectErrors); status != kExitOk) {
    return ReportProjectErrors(projectErrors, request, status, out, err);
  }

  CompileRequest compile = ProjectCompileRequest(project, request.dir);
  compile.outDir = request.out.empty() ? request.dir : request.out;
  compile.silencedWarnings = request.report.warnings.silenced;
  compile.documentNames = DocumentNames(project);
  std::vector<Diagnostic> documentErrors;
  std::vector<Diagnostic> timingWarnings;
  compile.documents = [&](const Scenario& s, std::vector<DocumentFile>* files) {
    // A compile that recorded an error read only part of the descriptions:
    // documents drawn from it would be wrong, and what they would miss
    // (stations, speed limits) is not the project file's fault. Such a
    // compile ends as compile ends it, with its three files alone.
    if (s.errorCode != ErrorCode::kNone) return true;
    const running::RunningTime times =
        running::ComputeRunningTime(s, running::ResolveTrain(project.trainData, s));
    timingWarnings = running::RunningTimeWarnings(s, times, request.report.warnings.silenced);
    *files = DrawDocuments(s, project, times, &documentErrors);
    return documentErrors.empty();
  };
  RunOutcome outcome = CompileDescriptions(disk, compile);
  // The running times' warnings follow the compile's own; what keeps the
  // documents from being drawn is reported after them, as errors of the
  // project file.
  for (Diagnostic& d : timingWarnings) outcome.scenario.diagnostics.push_back(std::move(d));
  for (Diagnostic& d : documentErrors) outcome.scenario.diagnostics.push_back(std::move(d));
  return ReportCompile(outcome, request.report, out, err);
}

void BuildCommand::Add(CLI::App& app) {
  command_ = app.add_subcommand(
      "build", "Compile the scenario of DIR/scenario.toml and draw its player documents");
  command_->add_option("DIR", request_.dir, "The project's folder (default: the current one)");
  command_->add_option("--out", request_.out, "Output directory (default: DIR)");
  command_->add_flag("--json", request_.report.json,
                     "Print the result as one JSON object on stdout");
  command_->add_flag("--werror", request_.report.warnings.werror,
                     "Exit with 1 when a warning is reported (the files are written all the same)");
  command_->add_flag("--quiet", request_.report.quiet, "No summary line at the end");
}

bool BuildCommand::chosen() const { return command_ != nullptr && command_->parsed(); }

int BuildCommand::Run(const std::string& runDir, const WarningOptions& warnings, std::ostream& out,
                      std::ostream& err) {
  if (!runDir.empty()) {
    return FinishCommand(Status::Usage("--dir applies to the scenario run, not to build"), err);
  }
  const bool werror = request_.report.warnings.werror;
  request_.report.warnings = warnings;
  request_.report.warnings.werror = request_.report.warnings.werror || werror;
  RealDisk disk;
  return RunBuild(disk, request_, out, err);
}

}  // namespace sb
