#include "app/compile_report.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "base/printable.h"
#include "tools/scenario_features.h"

namespace sb {
namespace {

using nlohmann::json;

std::string Count(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::size_t CellsOfKind(const Scenario& s, CellKind kind) {
  return static_cast<std::size_t>(std::count_if(
      s.cells.begin(), s.cells.end(), [kind](const TrackCell& c) { return c.kind == kind; }));
}

std::string OutcomeMessage(const RunOutcome& o) {
  if (!o.ioMessage.empty()) return o.ioMessage;
  if (o.end == RunEnd::kReported) return ErrorMeaning(o.compile.reportedCode);
  return ErrorMeaning(o.scenario.errorCode);
}

json OrNull(const std::string& text) { return text.empty() ? json(nullptr) : json(text); }
json OrNull(int number) { return number > 0 ? json(number) : json(nullptr); }

json RelatedJson(const std::vector<RelatedLocation>& related) {
  json out = json::array();
  for (const RelatedLocation& r : related) {
    out.push_back({{"file", OrNull(r.file)},
                   {"line", OrNull(r.line)},
                   {"column", OrNull(r.column)},
                   {"message", r.message}});
  }
  return out;
}

// A warning's code is its identifier, as editors show it beside the message.
json DiagnosticJson(const ReportedDiagnostic& r) {
  const Diagnostic& d = r.diagnostic;
  const json id = d.is_warning() ? json(std::string(WarningId(d.warning))) : json(nullptr);
  json e;
  e["severity"] = d.is_warning() ? "warning" : "error";
  e["code"] = d.is_warning() ? id : json(d.code);
  e["id"] = id;
  e["position"] = d.position ? json(*d.position) : json(nullptr);
  e["km"] = OrNull(r.km);
  e["file"] = OrNull(d.file);
  e["line"] = OrNull(d.line);
  e["column"] = OrNull(d.column);
  e["record"] = OrNull(d.record);
  e["message"] = DiagnosticMessage(d);
  e["hint"] = OrNull(d.hint);
  e["related"] = RelatedJson(d.related);
  return e;
}

}  // namespace

void PrintJson(const RunOutcome& o, const WarningOptions& warnings, std::ostream& out) {
  json j;
  const bool reported = o.end == RunEnd::kReported;
  j["errorCode"] = reported ? o.compile.reportedCode : o.scenario.errorCode;
  j["errorPosition"] = o.scenario.errorPosition;
  j["message"] = OutcomeMessage(o);
  j["files"] = o.written;
  json diagnostics = json::array();
  for (const ReportedDiagnostic& r : Diagnostics(o, warnings)) {
    diagnostics.push_back(DiagnosticJson(r));
  }
  j["diagnostics"] = std::move(diagnostics);
  // Records are the author's bytes, not necessarily UTF-8.
  out << j.dump(-1, ' ', false, json::error_handler_t::replace) << "\n";
}

std::string CompileSummary(const RunOutcome& o, const WarningOptions& warnings) {
  if (o.end == RunEnd::kNotRun) return {};
  const Scenario& s = o.scenario;
  std::size_t errors = 0;
  std::size_t warned = 0;
  for (const Diagnostic& d : ReportedDiagnostics(s.diagnostics, warnings)) {
    ++(d.is_warning() ? warned : errors);
  }
  for (const auto& [where, count] : s.warningsNotKept) warned += count;
  std::string out = EscapeControls(s.lineId) + ": ";
  // The model is complete once the compiled files were due to be written.
  if (o.end == RunEnd::kWritten || o.end == RunEnd::kIoError) {
    out += std::to_string(s.items[kSlotTotals].end) + " m, ";
    out += Count(render::Stations(s.items).size(), "station", "stations") + ", ";
    out += Count(CellsOfKind(s, kKindSignal), "signal", "signals") + ", ";
    out += Count(CellsOfKind(s, kKindSlowdownStart), "slowdown", "slowdowns") + ", ";
  }
  if (errors > 0) out += Count(errors, "error", "errors") + ", ";
  out += Count(warned, "warning", "warnings");
  if (o.written.empty()) return out + "; no file written";
  out += "; wrote ";
  for (std::size_t i = 0; i < o.written.size(); ++i) {
    out += (i == 0 ? "" : ", ") + EscapeControls(o.written[i]);
  }
  return out;
}

int ReportCompile(const RunOutcome& outcome, const CompileReportOptions& options, std::ostream& out,
                  std::ostream& err) {
  ReportOutcome(outcome, err, options.warnings);
  if (options.json) PrintJson(outcome, options.warnings, out);
  const std::string summary = options.quiet ? "" : CompileSummary(outcome, options.warnings);
  if (!summary.empty()) err << summary << "\n";
  if (outcome.exitCode != kExitOk || !options.warnings.werror) return outcome.exitCode;
  const std::vector<Diagnostic> reported =
      ReportedDiagnostics(outcome.scenario.diagnostics, options.warnings);
  const bool warned = std::any_of(reported.begin(), reported.end(),
                                  [](const Diagnostic& d) { return d.is_warning(); });
  return warned ? kExitRecorded : kExitOk;
}

}  // namespace sb
