#include "app/cli.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>
#include <iostream>
#include <optional>
#include <string>

#include "app/new_command.h"
#include "app/platform.h"
#include "app/scenario_run.h"
#include "base/printable.h"
#include "compiler/diagnostics.h"
#include "model/file_names.h"
#include "tools/inspect.h"
#include "tools/lsp_stdio.h"
#include "tools/render.h"

namespace sb {
namespace {

constexpr const char* kVersion = "scenario-builder 1.0.0";

std::string OutcomeMessage(const RunOutcome& o) {
  if (!o.ioMessage.empty()) return o.ioMessage;
  if (o.end == RunEnd::kReported) return ErrorMeaning(o.compile.reportedCode);
  return ErrorMeaning(o.scenario.errorCode);
}

void PrintJson(const RunOutcome& o, std::ostream& out) {
  nlohmann::json j;
  const bool reported = o.end == RunEnd::kReported;
  j["errorCode"] = reported ? o.compile.reportedCode : o.scenario.errorCode;
  j["errorPosition"] = o.scenario.errorPosition;
  j["message"] = OutcomeMessage(o);
  j["files"] = o.written;
  nlohmann::json diagnostics = nlohmann::json::array();
  for (const ReportedDiagnostic& r : Diagnostics(o)) {
    const Diagnostic& d = r.diagnostic;
    nlohmann::json e;
    e["code"] = d.code;
    e["position"] = d.position ? nlohmann::json(*d.position) : nlohmann::json(nullptr);
    e["km"] = r.km.empty() ? nlohmann::json(nullptr) : nlohmann::json(r.km);
    e["file"] = d.file.empty() ? nlohmann::json(nullptr) : nlohmann::json(d.file);
    e["line"] = d.line > 0 ? nlohmann::json(d.line) : nlohmann::json(nullptr);
    e["column"] = d.column > 0 ? nlohmann::json(d.column) : nlohmann::json(nullptr);
    e["record"] = d.record.empty() ? nlohmann::json(nullptr) : nlohmann::json(d.record);
    e["message"] = d.message.empty() ? std::string(ErrorMeaning(d.code)) : d.message;
    diagnostics.push_back(std::move(e));
  }
  j["diagnostics"] = std::move(diagnostics);
  // Records are the author's bytes, not necessarily UTF-8.
  out << j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

// What the command line asked for, filled in by the parser.
struct Options {
  std::string dir;  // the scenario run's directory

  CLI::App* compile = nullptr;
  CompileRequest request;
  bool json = false;
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
  c->add_flag("--json", o.json, "Print the result as one JSON object on stdout");
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
  o.render->add_option("DIR", o.renderDir, "Directory holding the compiled files")->required();
  o.render->add_option("--line-id", o.renderLineId,
                       "Line identifier (default: the one scenario in DIR)");
  o.render->add_option("--train-number", o.renderTrain, "Train number (default: the one in DIR)");
  o.render->add_option("-o,--output", o.renderOut,
                       "SVG file to write, '-' for stdout (default: <ID>_<N>.svg in DIR)");
}

// Fills in the identifiers the names of the descriptions tell; false, with
// the reason on `err`, when they cannot be told or cannot be file names.
bool CompleteIdentifiers(CompileRequest& request, std::ostream& err) {
  if (request.lineId.empty()) {
    std::optional<std::string> id = LineIdFromName(request.linePath);
    if (!id) {
      err << "scenario-builder: cannot tell the line identifier from '"
          << EscapeControls(request.linePath) << "' (expected <ID>_linea.txt); give --line-id\n";
      return false;
    }
    request.lineId = *id;
  }
  if (request.trainNumber.empty()) {
    std::optional<std::string> n = TrainNumberFromName(request.trainPath, request.lineId);
    if (!n) {
      err << "scenario-builder: cannot tell the train number from '"
          << EscapeControls(request.trainPath) << "' (expected " << EscapeControls(request.lineId)
          << "_<N>-.txt); give --train-number\n";
      return false;
    }
    request.trainNumber = *n;
  }
  // The identifiers become file names in the output directory: they must
  // not lead anywhere else.
  for (const std::string* id : {&request.lineId, &request.trainNumber}) {
    if (id->find_first_of("/\\") != std::string::npos || *id == "." || *id == "..") {
      err << "scenario-builder: '" << EscapeControls(*id) << "' cannot be part of a file name\n";
      return false;
    }
  }
  return true;
}

int RunCompile(Options& o, std::ostream& out, std::ostream& err) {
  if (!o.dir.empty()) {
    err << "scenario-builder: --dir applies to the scenario run, not to compile\n";
    return kExitUsage;
  }
  if (!CompleteIdentifiers(o.request, err)) return kExitUsage;
  o.request.withProfile = !o.noProfile;
  RunOutcome outcome = CompileDescriptions(o.request);
  ReportOutcome(outcome, err);
  if (o.json) PrintJson(outcome, out);
  return outcome.exitCode;
}

}  // namespace

int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  CLI::App app{"Builds the Lungomare_Nord scenario (train 911) and compiles scenario descriptions.",
               "scenario-builder"};
  app.set_version_flag("--version", kVersion);
  // The same command line on every system: no "/option" forms on Windows.
  app.allow_windows_style_options(false);
  Options o;
  app.add_option("--dir", o.dir, "Directory for the scenario run (default: the executable's)");
  AddCompile(app, o);
  AddInspect(app, o);
  AddRender(app, o);
  NewCommand newCommand;
  newCommand.Add(app);
  CLI::App* lsp =
      app.add_subcommand("lsp", "Serve editors over stdin/stdout (Language Server Protocol)");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int status = app.exit(e, out, err);
    return status == 0 ? kExitOk : kExitUsage;
  }

  if (newCommand.chosen()) return newCommand.Run(o.dir, out, err);
  if (*lsp) return lsp::RunLanguageServer(std::cin, std::cout);
  if ((*o.inspect || *o.render) && !o.dir.empty()) {
    err << "scenario-builder: --dir applies to the scenario run only\n";
    return kExitUsage;
  }
  if (*o.inspect) {
    const InspectFormat format = o.inspectJson  ? InspectFormat::kJson
                                 : o.inspectCsv ? InspectFormat::kCsv
                                                : InspectFormat::kText;
    return Inspect(o.inspectPath, format, out, err);
  }
  if (*o.render) return Render(o.renderDir, o.renderLineId, o.renderTrain, o.renderOut, out, err);
  if (*o.compile) return RunCompile(o, out, err);

  RunOutcome outcome = Form_Load(o.dir.empty() ? platform::ExecutableDirectory() : o.dir);
  ReportOutcome(outcome, err);
  return outcome.exitCode;
}

}  // namespace sb
