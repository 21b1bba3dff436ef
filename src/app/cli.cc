#include "app/cli.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "app/build_command.h"
#include "app/command_status.h"
#include "app/compile_report.h"
#include "app/editor_projects.h"
#include "app/fmt_command.h"
#include "app/inspect_command.h"
#include "app/new_command.h"
#include "app/platform.h"
#include "app/render_command.h"
#include "app/scenario_run.h"
#include "app/timetable_command.h"
#include "app/watch_command.h"
#include "base/disk.h"
#include "base/printable.h"
#include "model/file_names.h"
#include "sb_version.h"
#include "tools/lsp/stdio.h"

namespace sb {
namespace {

// What the command line asked for, filled in by the parser.
struct Options {
  std::string dir;  // the scenario run's directory

  CLI::App* compile = nullptr;
  CompileRequest request;
  CompileReportOptions report;
  bool noProfile = false;

  CLI::App* inspect = nullptr;
  std::string inspectPath;
  bool inspectJson = false;
  bool inspectCsv = false;

  CLI::App* render = nullptr;
  std::string renderDir;
  std::string renderLineId;
  std::string renderTrain;
  std::string renderOut;
  bool renderHtml = false;
  bool renderWatch = false;
  std::string renderLine;
  std::string renderTrainPath;
};

void AddCompile(CLI::App& app, Options& o) {
  o.compile = app.add_subcommand("compile",
                                 "Compile a line and a train description into the compiled files");
  CLI::App* c = o.compile;
  c->add_option("--line", o.request.linePath, "Line description (<ID>_linea.txt)")->required();
  c->add_option("--train", o.request.trainPath, "Train description (<ID>_<N>-.txt)")->required();
  c->add_option("--line-id", o.request.lineId, "Line identifier (default: from --line's name)");
  c->add_option("--train-number", o.request.trainNumber,
                "Train number (default: from --train's name)");
  c->add_option("--out", o.request.outDir, "Output directory (default: current directory)");
  c->add_flag("--no-profile", o.noProfile, "Do not build or write the plan profile");
  c->add_flag("--json", o.report.json, "Print the result as one JSON object on stdout");
  c->add_flag("--werror", o.report.warnings.werror,
              "Exit with 1 when a warning is reported (the files are written all the same)");
  c->add_flag("--quiet", o.report.quiet, "No summary line at the end");
  std::string ids;
  for (const WarningInfo& info : WarningTable()) {
    ids.append("\n  ").append(info.id).append(": ").append(info.summary);
  }
  c->footer(
      "-Wno-<id> silences the warning <id>, -W<id> reports it again (the last one "
      "given wins). The warnings:" +
      ids + "\n");
}

void AddInspect(CLI::App& app, Options& o) {
  o.inspect = app.add_subcommand("inspect", "Print what a compiled file holds");
  o.inspect->add_option("FILE", o.inspectPath, "<ID>_linea.dat, <ID>_<N>.sim or <ID>_<N>.dat")
      ->required();
  auto* jsonFlag = o.inspect->add_flag("--json", o.inspectJson, "As one JSON object");
  o.inspect->add_flag("--csv", o.inspectCsv, "As CSV")->excludes(jsonFlag);
}

void AddRender(CLI::App& app, Options& o) {
  o.render = app.add_subcommand("render", "Draw a compiled scenario as an SVG picture");
  o.render->add_option("DIR", o.renderDir, "Directory holding the compiled files");
  o.render->add_option("--line-id", o.renderLineId,
                       "Line identifier (default: the one scenario in DIR)");
  o.render->add_option("--train-number", o.renderTrain, "Train number (default: the one in DIR)");
  o.render->add_option("-o,--output", o.renderOut,
                       "File to write, '-' for stdout (default: <ID>_<N>.svg or .html in DIR)");
  o.render->add_flag("--html", o.renderHtml,
                     "An interactive page (zoom, pan, hover, search) instead of the SVG");
  auto* watch = o.render->add_flag(
      "--watch", o.renderWatch,
      "Compile --line and --train in memory into the page, again at every change, until Ctrl-C");
  o.render->add_option("--line", o.renderLine, "The line description (with --watch)")->needs(watch);
  o.render->add_option("--train", o.renderTrainPath, "The train description (with --watch)")
      ->needs(watch);
}

// `err` tells render --watch's progress.
Status RunRender(const Options& o, std::ostream& out, std::ostream& err) {
  // The identifiers given become the names of the files read and written:
  // they must not lead out of the folder.
  for (const std::string* id : {&o.renderLineId, &o.renderTrain}) {
    if (!id->empty() && !UsableInFileName(*id)) {
      return Status::Usage("'" + *id + "' cannot be part of a file name");
    }
  }
  if (o.renderWatch) {
    if (!o.renderDir.empty() || o.renderLine.empty() || o.renderTrainPath.empty()) {
      return Status::Usage("render --watch takes --line and --train instead of DIR");
    }
    return RenderWatch(
        {o.renderLine, o.renderTrainPath, o.renderLineId, o.renderTrain, o.renderOut}, err);
  }
  if (o.renderDir.empty()) {
    return Status::Usage("render needs DIR, the directory holding the compiled files");
  }
  RealDisk disk;
  return Render(disk, o.renderDir, o.renderLineId, o.renderTrain, o.renderOut, out,
                o.renderHtml ? RenderFormat::kHtml : RenderFormat::kSvg, &err);
}

// The two descriptions' names tell two lines: the train's name gives the
// line identifier and train number (and so the compiled files' names and
// the identity codes) the author most likely meant, which the fix keeps.
std::string MismatchMessage(const CompileRequest& request, const ScenarioName& train) {
  return "'" + request.linePath + "' names line " + request.lineId + " but '" + request.trainPath +
         "' names line " + train.lineId + ": rename the line description to '" +
         LineDescriptionName(train.lineId) + "' (or give --line-id " + train.lineId +
         ") to keep train " + train.train + " of line " + train.lineId +
         ", the file names and identity codes the train description's name implies; or rename "
         "the train description to '" +
         TrainDescriptionName(request.lineId, train.train) + "'";
}

// Fills in the identifiers the names of the descriptions tell; fails Usage
// when they cannot be told or cannot be file names.
Status CompleteIdentifiers(CompileRequest& request) {
  const bool lineIdFromName = request.lineId.empty();
  if (request.lineId.empty()) {
    std::optional<std::string> id = LineIdFromName(request.linePath);
    if (!id) {
      return Status::Usage("cannot tell the line identifier from '" + request.linePath +
                           "' (expected <ID>_linea.txt); give --line-id");
    }
    request.lineId = *id;
  }
  if (request.trainNumber.empty()) {
    std::optional<std::string> n = TrainNumberFromName(request.trainPath, request.lineId);
    if (!n && lineIdFromName) {
      if (std::optional<ScenarioName> train = ScenarioFromTrainName(request.trainPath)) {
        return Status::Usage(MismatchMessage(request, *train));
      }
    }
    if (!n) {
      return Status::Usage("cannot tell the train number from '" + request.trainPath +
                           "' (expected " + request.lineId + "_<N>-.txt); give --train-number");
    }
    request.trainNumber = *n;
  }
  // The identifiers become file names in the output directory: they must
  // not lead anywhere else.
  for (const std::string* id : {&request.lineId, &request.trainNumber}) {
    if (!UsableInFileName(*id)) return Status::Usage("'" + *id + "' cannot be part of a file name");
  }
  return Status::Ok();
}

int RunCompile(Options& o, std::ostream& out, std::ostream& err) {
  if (!o.dir.empty()) {
    return FinishCommand(Status::Usage("--dir applies to the scenario run, not to compile"), err);
  }
  if (Status st = CompleteIdentifiers(o.request); !st.ok()) return FinishCommand(st, err);
  o.request.withProfile = !o.noProfile;
  o.request.silencedWarnings = o.report.warnings.silenced;
  RunOutcome outcome = CompileDescriptions(o.request);
  return ReportCompile(outcome, o.report, out, err);
}

// Takes the -W<id> and -Wno-<id> arguments out of `args` into `warnings`,
// in order: the command line parser has no form for them. The program's
// name, and every argument past "--", are left as they are. Fails Usage for
// an id that names no warning.
Status TakeWarningArguments(std::vector<std::string>& args, WarningOptions& warnings, bool* found) {
  std::vector<std::string> rest;
  bool literal = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string& arg = args[i];
    if (i > 0 && !literal && IsWarningArgument(arg)) {
      *found = true;
      if (!warnings.Apply(arg)) return Status::Usage(UnknownWarningMessage(arg));
      continue;
    }
    literal = literal || arg == "--";
    rest.push_back(std::move(arg));
  }
  args = std::move(rest);
  return Status::Ok();
}

// A command's exit status once what it printed on `out` is out: output
// that is lost (a full disk, a closed pipe) is the command's failure, 74,
// since what the user asked to see never arrived.
int WithOutputWritten(int status, std::ostream& out, std::ostream& err) {
  out.flush();
  // A command that already failed for its output has said so.
  if (out || status == kExitIo) return status;
  return FinishCommand(Status::IoError("", "cannot write to standard output"), err);
}

int RunCommands(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace

int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  // Memory that runs out anywhere (a report of very many diagnostics, a
  // description near its size limit) ends the command as the system's
  // refusal, with the files written whole or not at all: the temporaries
  // go with the unwinding.
  try {
    return RunCommands(argc, argv, out, err);
  } catch (const std::bad_alloc&) {
    return FinishCommand(Status::OutOfMemory(), err);
  }
}

namespace {

int RunCommands(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  CLI::App app{"Builds the Lungomare_Nord scenario (train 911) and compiles scenario descriptions.",
               "scenario-builder"};
  app.set_version_flag("--version", std::string("scenario-builder ") + kProgramVersion);
  // The same command line on every system: no "/option" forms on Windows.
  app.allow_windows_style_options(false);
  Options o;
  app.add_option("--dir", o.dir, "Directory for the scenario run (default: the executable's)");
  AddCompile(app, o);
  BuildCommand buildCommand;
  buildCommand.Add(app);
  TimetableCommand timetableCommand;
  timetableCommand.Add(app);
  AddInspect(app, o);
  AddRender(app, o);
  NewCommand newCommand;
  newCommand.Add(app);
  FmtCommand fmtCommand;
  fmtCommand.Add(app);
  CLI::App* lsp =
      app.add_subcommand("lsp", "Serve editors over stdin/stdout (Language Server Protocol)");

  // The program's name first, as the parser expects it.
  std::vector<std::string> args(argv, argv + argc);
  bool warningArguments = false;
  if (Status st = TakeWarningArguments(args, o.report.warnings, &warningArguments); !st.ok()) {
    return FinishCommand(st, err);
  }
  std::vector<const char*> rest;
  for (const std::string& arg : args) rest.push_back(arg.c_str());
  try {
    app.parse(static_cast<int>(rest.size()), rest.data());
  } catch (const CLI::ParseError& e) {
    int status = app.exit(e, out, err);
    return status == 0 ? kExitOk : kExitUsage;
  }

  if (warningArguments && !*o.compile && !buildCommand.chosen() && !timetableCommand.chosen()) {
    return FinishCommand(
        Status::Usage("-W<id> and -Wno-<id> apply to compile, build and timetable only"), err);
  }
  if (buildCommand.chosen()) {
    return WithOutputWritten(buildCommand.Run(o.dir, o.report.warnings, out, err), out, err);
  }
  if (timetableCommand.chosen()) {
    return WithOutputWritten(timetableCommand.Run(o.dir, o.report.warnings, out, err), out, err);
  }
  if (newCommand.chosen()) {
    return WithOutputWritten(FinishCommand(newCommand.Run(o.dir, out), err), out, err);
  }
  if (fmtCommand.chosen()) return WithOutputWritten(fmtCommand.Run(o.dir, out, err), out, err);
  if (*lsp) {
    platform::BinaryStandardStreams();
    RealDisk disk;
    return lsp::RunLanguageServer(std::cin, std::cout, disk, EditorProjectReader());
  }
  if ((*o.inspect || *o.render) && !o.dir.empty()) {
    return FinishCommand(Status::Usage("--dir applies to the scenario run only"), err);
  }
  if (*o.inspect) {
    const InspectFormat format = o.inspectJson  ? InspectFormat::kJson
                                 : o.inspectCsv ? InspectFormat::kCsv
                                                : InspectFormat::kText;
    RealDisk disk;
    return WithOutputWritten(FinishCommand(Inspect(disk, o.inspectPath, format, out), err), out,
                             err);
  }
  if (*o.render) return WithOutputWritten(FinishCommand(RunRender(o, out, err), err), out, err);
  if (*o.compile) return WithOutputWritten(RunCompile(o, out, err), out, err);

  RunOutcome outcome = Form_Load(o.dir.empty() ? platform::ExecutableDirectory() : o.dir);
  ReportOutcome(outcome, err);
  return outcome.exitCode;
}

}  // namespace
}  // namespace sb
