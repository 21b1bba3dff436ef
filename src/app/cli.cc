#include "app/cli.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "tools/inspect.h"
#include "model/file_names.h"
#include "app/platform.h"
#include "tools/render.h"
#include "app/scenario_run.h"
#include "compiler/diagnostics.h"

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

}  // namespace

int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  CLI::App app{"Builds the Lungomare_Nord scenario (train 911) and compiles scenario descriptions.",
               "scenario-builder"};
  app.set_version_flag("--version", kVersion);
  // The same command line on every system: no "/option" forms on Windows.
  app.allow_windows_style_options(false);
  std::string dir;
  app.add_option("--dir", dir, "Directory for the scenario run (default: the executable's)");

  CompileRequest request;
  bool json = false;
  bool noProfile = false;
  CLI::App* compile = app.add_subcommand(
      "compile", "Compile a line and a train description into the compiled files");
  compile->add_option("--line", request.linePath, "Line description (<ID>_linea.txt)")->required();
  compile->add_option("--train", request.trainPath, "Train description (<ID>_<N>-.txt)")
      ->required();
  compile->add_option("--line-id", request.lineId, "Line identifier (default: from --line's name)");
  compile->add_option("--train-number", request.trainNumber,
                      "Train number (default: from --train's name)");
  compile->add_option("--out", request.outDir, "Output directory (default: current directory)");
  compile->add_flag("--no-profile", noProfile, "Do not build or write the plan profile");
  compile->add_flag("--json", json, "Print the result as one JSON object on stdout");

  std::string inspectPath;
  bool inspectJson = false;
  bool inspectCsv = false;
  CLI::App* inspect = app.add_subcommand("inspect", "Print what a compiled file holds");
  inspect->add_option("FILE", inspectPath, "<ID>_linea.dat, <ID>_<N>.sim or <ID>_<N>.dat")
      ->required();
  auto* jsonFlag = inspect->add_flag("--json", inspectJson, "As one JSON object");
  inspect->add_flag("--csv", inspectCsv, "As CSV")->excludes(jsonFlag);

  std::string renderDir;
  std::string renderLineId;
  std::string renderTrain;
  std::string renderOut;
  CLI::App* render = app.add_subcommand("render", "Draw a compiled scenario as an SVG picture");
  render->add_option("DIR", renderDir, "Directory holding the compiled files")->required();
  render->add_option("--line-id", renderLineId,
                     "Line identifier (default: the one scenario in DIR)");
  render->add_option("--train-number", renderTrain, "Train number (default: the one in DIR)");
  render->add_option("-o,--output", renderOut, "SVG file to write (default: <ID>_<N>.svg in DIR)");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int status = app.exit(e, out, err);
    return status == 0 ? kExitOk : kExitUsage;
  }

  if ((*inspect || *render) && !dir.empty()) {
    err << "scenario-builder: --dir applies to the scenario run only\n";
    return kExitUsage;
  }
  if (*inspect) {
    const InspectFormat format = inspectJson  ? InspectFormat::kJson
                                 : inspectCsv ? InspectFormat::kCsv
                                              : InspectFormat::kText;
    return Inspect(inspectPath, format, out, err);
  }
  if (*render) return Render(renderDir, renderLineId, renderTrain, renderOut, err);

  if (*compile) {
    if (!dir.empty()) {
      err << "scenario-builder: --dir applies to the scenario run, not to compile\n";
      return kExitUsage;
    }
    if (request.lineId.empty()) {
      std::optional<std::string> id = LineIdFromName(request.linePath);
      if (!id) {
        err << "scenario-builder: cannot tell the line identifier from '" << request.linePath
            << "' (expected <ID>_linea.txt); give --line-id\n";
        return kExitUsage;
      }
      request.lineId = *id;
    }
    if (request.trainNumber.empty()) {
      std::optional<std::string> n = TrainNumberFromName(request.trainPath, request.lineId);
      if (!n) {
        err << "scenario-builder: cannot tell the train number from '" << request.trainPath
            << "' (expected " << request.lineId << "_<N>-.txt); give --train-number\n";
        return kExitUsage;
      }
      request.trainNumber = *n;
    }
    // The identifiers become file names in the output directory: they must
    // not lead anywhere else.
    for (const std::string* id : {&request.lineId, &request.trainNumber}) {
      if (id->find_first_of("/\\") != std::string::npos || *id == "." || *id == "..") {
        err << "scenario-builder: '" << *id << "' cannot be part of a file name\n";
        return kExitUsage;
      }
    }
    request.withProfile = !noProfile;
    RunOutcome outcome = CompileDescriptions(request);
    ReportOutcome(outcome, err);
    if (json) PrintJson(outcome, out);
    return outcome.exitCode;
  }

  RunOutcome outcome = Form_Load(dir.empty() ? platform::ExecutableDirectory() : dir);
  ReportOutcome(outcome, err);
  return outcome.exitCode;
}

}  // namespace sb
