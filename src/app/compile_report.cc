#include "app/compile_report.h"

#include <algorithm>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string_view>

#include "base/printable.h"
#include "tools/common/scenario_features.h"

namespace sb {
namespace {

using nlohmann::json;

std::string Count(std::uint64_t n, const char* one, const char* many) {
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
  if (r.notShown > 0) e["notShown"] = r.notShown;
  // The text report folds them into this one; here each is listed.
  if (r.likeIt.more > 0) e["moreLikeIt"] = r.likeIt.more;
  return e;
}

// Records are the author's bytes, not necessarily UTF-8.
std::string Dump(const json& j) { return j.dump(-1, ' ', false, json::error_handler_t::replace); }

// Reported errors and warnings, the warnings not kept by their count.
struct Counts {
  std::uint64_t errors = 0;
  std::uint64_t warnings = 0;
};

Counts CountReported(const Scenario& s, const WarningOptions& options) {
  Counts c;
  for (const Diagnostic& d : s.diagnostics) {
    if (options.Reports(d)) ++(d.is_warning() ? c.warnings : c.errors);
  }
  for (const auto& [where, count] : s.warningsNotKept) {
    if (!options.silenced.contains(where.second)) c.warnings += count;
  }
  return c;
}

}  // namespace

void PrintJson(const RunOutcome& o, const WarningOptions& warnings, std::ostream& out) {
  json j;
  const bool reported = o.end == RunEnd::kReported;
  j["errorCode"] = reported ? o.compile.reportedCode : o.scenario.errorCode;
  j["errorPosition"] = o.scenario.errorPosition;
  j["message"] = OutcomeMessage(o);
  j["files"] = o.written;
  // The entries are written one by one, not held as one document: a report
  // of very many would take several times their memory again. The keys stay
  // in alphabetical order: "diagnostics" comes before all the others.
  out << "{\"diagnostics\":[";
  bool first = true;
  ForEachReported(o, warnings, [&](const ReportedDiagnostic& r) {
    if (!first) out << ',';
    first = false;
    out << Dump(DiagnosticJson(r));
  });
  const std::string rest = Dump(j);
  out << "]," << std::string_view(rest).substr(1) << "\n";
}

std::string CompileSummary(const RunOutcome& o, const WarningOptions& warnings) {
  if (o.end == RunEnd::kNotRun) return {};
  const Scenario& s = o.scenario;
  const auto [errors, warned] = CountReported(s, warnings);
  std::string out = EscapeControls(s.lineId) + ": ";
  // The model is complete once the compiled files were due to be written.
  if (o.end == RunEnd::kWritten || o.end == RunEnd::kIoError ||
      o.end == RunEnd::kDocumentsRefused) {
    out += std::to_string(s.items[kSlotTotals].end) + " m, ";
    out += Count(Stations(s.items).size(), "station", "stations") + ", ";
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
  return CountReported(outcome.scenario, options.warnings).warnings > 0 ? kExitRecorded : kExitOk;
}

}  // namespace sb
