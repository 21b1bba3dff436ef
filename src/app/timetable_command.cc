#include "app/timetable_command.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>
#include <utility>
#include <vector>

#include "app/command_status.h"
#include "app/project_load.h"
#include "app/scenario_run.h"
#include "base/exit_status.h"
#include "base/windows1252.h"
#include "model/km_post.h"
#include "running_time/running_time.h"
#include "running_time/timing_warnings.h"

namespace sb {
namespace {

using nlohmann::json;

// Displayed figures are rounded half up: seconds to whole seconds, speeds
// to whole km/h, the slack's percentage to one decimal.
int64_t WholeSeconds(double seconds) { return static_cast<int64_t>(std::floor(seconds + 0.5)); }
int64_t WholeKmh(double metresPerSecond) {
  return static_cast<int64_t>(std::floor(metresPerSecond * 3.6 + 0.5));
}
double OneDecimal(double value) { return std::floor(value * 10.0 + 0.5) / 10.0; }

// "15:17:00": a time of day past midnight as the clock shows it; a running
// time as hours, minutes and seconds.
std::string Clock(int64_t seconds, bool ofDay) {
  constexpr int64_t kDay = 24 * 3600;
  const bool negative = seconds < 0 && !ofDay;
  int64_t s = ofDay ? ((seconds % kDay) + kDay) % kDay : (negative ? -seconds : seconds);
  char text[40];
  std::snprintf(text, sizeof text, "%s%02lld:%02lld:%02lld", negative ? "-" : "",
                static_cast<long long>(s / 3600), static_cast<long long>(s % 3600 / 60),
                static_cast<long long>(s % 60));
  return text;
}

// "111.040", as the documents print km posts.
std::string KmText(int64_t metres) {
  const int64_t whole = metres < 0 ? -metres : metres;
  char text[40];
  std::snprintf(text, sizeof text, "%s%lld.%03lld", metres < 0 ? "-" : "",
                static_cast<long long>(whole / 1000), static_cast<long long>(whole % 1000));
  return text;
}

// One of the train's figures, in the unit its key in [train] names.
struct Figure {
  std::string key;
  double value = 0;
  std::string origin;
};

std::vector<Figure> Figures(const running::Train& t) {
  std::vector<Figure> out = {
      {"mass_t", t.mass / 1000.0, ""},
      {"length_m", t.length, ""},
      {"top_speed_kmh", t.topSpeed * 3.6, ""},
      {"starting_tractive_effort_kn", t.startingTractiveEffort / 1000.0, ""},
      {"power_kw", t.power / 1000.0, ""},
      {"davis_a_kn", t.davisA / 1000.0, ""},
      {"davis_b_kn_per_kmh", t.davisB / 1000.0 / 3.6, ""},
      {"davis_c_kn_per_kmh2", t.davisC / 1000.0 / (3.6 * 3.6), ""},
      {"rotating_mass_factor", t.rotatingMassFactor, ""},
      {"braking_deceleration_ms2", t.brakingDeceleration, ""},
      {"dwell_s", t.dwell, ""},
      {"allowance_percent", t.allowance * 100.0, ""},
  };
  for (Figure& f : out) {
    for (const auto& [key, origin] : t.origins) {
      if (key == f.key) f.origin = origin;
    }
  }
  return out;
}

std::string FigureText(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

// A row of the table, its figures rounded as they are shown.
struct ShownRow {
  bool station = true;
  int32_t position = 0;
  int64_t km = 0;
  std::string name;  // UTF-8
  std::optional<int64_t> scheduled;
  std::optional<int64_t> minimum;  // none at the first station, where the run begins
  std::optional<int64_t> withAllowance;
  int64_t time = 0;
  std::optional<int64_t> slack;  // at a station with a scheduled time past the first
  std::optional<double> slackPercent;
  int64_t topSpeed = 0;  // km/h
};

std::string StationName(const Scenario& s, const Project& project, int slot) {
  const std::string& described = s.items[static_cast<std::size_t>(slot)].text;
  const std::string name = Windows1252ToUtf8(described);
  for (const ProjectStation& p : project.stations) {
    if (p.name.value == name && p.printed) return p.printed->value;
  }
  return name;
}

std::vector<ShownRow> ShownRows(const Scenario& s, const Project& project,
                                const running::RunningTime& rt) {
  std::vector<ShownRow> out;
  for (std::size_t i = 0; i < rt.rows.size(); ++i) {
    const running::TimingRow& r = rt.rows[i];
    ShownRow row;
    row.station = r.kind == running::TimingRow::Kind::kStation;
    row.position = r.position;
    row.km = KilometricValue(s.items, r.position);
    row.name = row.station ? StationName(s, project, r.slot)
                           : "speed limit " + std::to_string(WholeKmh(r.limit)) + " km/h";
    if (r.scheduled) row.scheduled = *r.scheduled;
    if (i > 0) {
      row.minimum = WholeSeconds(r.minimum);
      row.withAllowance = WholeSeconds(r.withAllowance);
      if (row.station && r.scheduled) {
        row.slack = WholeSeconds(r.slack);
        row.slackPercent = OneDecimal(r.slackPercent);
      }
    }
    row.time = WholeSeconds(r.time);
    row.topSpeed = WholeKmh(r.topSpeed);
    out.push_back(std::move(row));
  }
  return out;
}

// The cells of a row as text, in the columns' order; "" for none.
std::vector<std::string> RowCells(const ShownRow& r) {
  const auto opt = [](const std::optional<int64_t>& v, bool ofDay) {
    return v ? Clock(*v, ofDay) : std::string();
  };
  char percent[40] = "";
  if (r.slackPercent) std::snprintf(percent, sizeof percent, "%.1f", *r.slackPercent);
  return {KmText(r.km),
          r.name,
          opt(r.scheduled, true),
          opt(r.minimum, false),
          opt(r.withAllowance, false),
          Clock(r.time, true),
          r.slack ? std::to_string(*r.slack) : std::string(),
          percent,
          std::to_string(r.topSpeed)};
}

const char* const kHeaders[] = {"km",   "name",    "scheduled", "minimum", "with allowance",
                                "time", "slack s", "slack %",   "top km/h"};
constexpr std::size_t kNameColumn = 1;
const char* const kCsvHeaders[] = {"km",      "name",           "scheduled",
                                   "minimum", "with_allowance", "time",
                                   "slack_s", "slack_percent",  "top_speed_kmh"};

// Characters, not bytes: names are UTF-8.
std::size_t Width(const std::string& text) {
  std::size_t n = 0;
  for (unsigned char c : text) n += (c & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

void PrintText(const Scenario& s, const running::RunningTime& rt, const std::vector<ShownRow>& rows,
               std::ostream& out) {
  out << "Train " << s.trainNumber << " of " << s.lineId << ", the figures used:\n";
  std::size_t keyWidth = 0;
  const std::vector<Figure> figures = Figures(rt.train);
  for (const Figure& f : figures) keyWidth = std::max(keyWidth, f.key.size());
  for (const Figure& f : figures) {
    std::string line =
        "  " + f.key + std::string(keyWidth - f.key.size(), ' ') + "  " + FigureText(f.value);
    if (!f.origin.empty()) line += "  (" + f.origin + ")";
    out << line << "\n";
  }
  out << "\n";

  std::vector<std::vector<std::string>> table = {{std::begin(kHeaders), std::end(kHeaders)}};
  for (const ShownRow& r : rows) table.push_back(RowCells(r));
  std::vector<std::size_t> widths(table.front().size(), 0);
  for (const auto& cells : table) {
    for (std::size_t k = 0; k < cells.size(); ++k) widths[k] = std::max(widths[k], Width(cells[k]));
  }
  for (const auto& cells : table) {
    std::string line;
    for (std::size_t k = 0; k < cells.size(); ++k) {
      const std::string pad(widths[k] - Width(cells[k]), ' ');
      if (k > 0) line += "  ";
      line += k == kNameColumn ? cells[k] + pad : pad + cells[k];
    }
    line.erase(line.find_last_not_of(' ') + 1);
    out << line << "\n";
  }
}

json TimeJson(const std::optional<int64_t>& seconds, bool ofDay) {
  return seconds ? json(Clock(*seconds, ofDay)) : json(nullptr);
}
json NumberJson(const std::optional<int64_t>& v) { return v ? json(*v) : json(nullptr); }

void PrintJson(const Scenario& s, const running::RunningTime& rt, const std::vector<ShownRow>& rows,
               std::ostream& out) {
  json train = json::object();
  for (const Figure& f : Figures(rt.train)) {
    train[f.key] = {{"value", f.value},
                    {"origin", f.origin.empty() ? json(nullptr) : json(f.origin)}};
  }
  json shown = json::array();
  for (const ShownRow& r : rows) {
    json j;
    j["kind"] = r.station ? "station" : "speedLimit";
    j["position"] = r.position;
    j["km"] = static_cast<double>(r.km) / 1000.0;
    j["name"] = r.name;
    j["scheduled"] = TimeJson(r.scheduled, true);
    j["scheduledSeconds"] = NumberJson(r.scheduled);
    j["minimum"] = TimeJson(r.minimum, false);
    j["minimumSeconds"] = NumberJson(r.minimum);
    j["withAllowance"] = TimeJson(r.withAllowance, false);
    j["withAllowanceSeconds"] = NumberJson(r.withAllowance);
    j["time"] = Clock(r.time, true);
    j["timeSeconds"] = r.time;
    j["slackSeconds"] = NumberJson(r.slack);
    j["slackPercent"] = r.slackPercent ? json(*r.slackPercent) : json(nullptr);
    j["topSpeedKmh"] = r.topSpeed;
    shown.push_back(std::move(j));
  }
  const json whole = {
      {"lineId", s.lineId}, {"train", s.trainNumber}, {"trainFigures", train}, {"rows", shown}};
  out << whole.dump(-1, ' ', false, json::error_handler_t::replace) << "\n";
}

// RFC 4180: a field with a comma, a quote or a line break is quoted, its
// quotes doubled; lines end with CR LF.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

void PrintCsv(const std::vector<ShownRow>& rows, std::ostream& out) {
  const auto line = [&out](const std::vector<std::string>& cells) {
    for (std::size_t k = 0; k < cells.size(); ++k) out << (k > 0 ? "," : "") << CsvField(cells[k]);
    out << "\r\n";
  };
  line({std::begin(kCsvHeaders), std::end(kCsvHeaders)});
  for (const ShownRow& r : rows) line(RowCells(r));
}

bool ReportsAWarning(const RunOutcome& outcome, const WarningOptions& warnings) {
  for (const Diagnostic& d : outcome.scenario.diagnostics) {
    if (d.is_warning() && warnings.Reports(d)) return true;
  }
  for (const auto& [where, count] : outcome.scenario.warningsNotKept) {
    if (count > 0 && !warnings.silenced.contains(where.second)) return true;
  }
  return false;
}

}  // namespace

int RunTimetable(Disk& disk, const TimetableRequest& request, std::ostream& out,
                 std::ostream& err) {
  Project project;
  std::vector<Diagnostic> projectErrors;
  if (int status = LoadProject(disk, request.dir, &project, &projectErrors); status != kExitOk) {
    for (const Diagnostic& d : projectErrors) err << FormatDiagnostic(d) << "\n";
    return status;
  }
  CompileRequest compile = ProjectCompileRequest(project, request.dir);
  compile.silencedWarnings = request.warnings.silenced;
  RunOutcome outcome = CompileDescriptionsInMemory(disk, compile);
  if (outcome.exitCode != kExitOk) {
    ReportOutcome(outcome, err, request.warnings);
    return outcome.exitCode;
  }
  const Scenario& s = outcome.scenario;
  const running::RunningTime rt =
      running::ComputeRunningTime(s, running::ResolveTrain(project.trainData, s));
  for (Diagnostic& d : running::RunningTimeWarnings(s, rt, request.warnings.silenced)) {
    outcome.scenario.diagnostics.push_back(std::move(d));
  }
  ReportOutcome(outcome, err, request.warnings);
  const std::vector<ShownRow> rows = ShownRows(s, project, rt);
  switch (request.format) {
    case TimetableFormat::kText: PrintText(s, rt, rows, out); break;
    case TimetableFormat::kJson: PrintJson(s, rt, rows, out); break;
    case TimetableFormat::kCsv: PrintCsv(rows, out); break;
  }
  if (request.warnings.werror && ReportsAWarning(outcome, request.warnings)) return kExitRecorded;
  return kExitOk;
}

void TimetableCommand::Add(CLI::App& app) {
  command_ = app.add_subcommand(
      "timetable",
      "Print the running times of the scenario of DIR/scenario.toml, station by station");
  command_->add_option("DIR", request_.dir, "The project's folder (default: the current one)");
  auto* jsonFlag = command_->add_flag("--json", json_, "As one JSON object");
  command_->add_flag("--csv", csv_, "As CSV")->excludes(jsonFlag);
  command_->add_flag("--werror", request_.warnings.werror,
                     "Exit with 1 when a warning is reported (the table is printed all the same)");
}

bool TimetableCommand::chosen() const { return command_ != nullptr && command_->parsed(); }

int TimetableCommand::Run(const std::string& runDir, const WarningOptions& warnings,
                          std::ostream& out, std::ostream& err) {
  if (!runDir.empty()) {
    return FinishCommand(Status::Usage("--dir applies to the scenario run, not to timetable"), err);
  }
  const bool werror = request_.warnings.werror;
  request_.warnings = warnings;
  request_.warnings.werror = request_.warnings.werror || werror;
  request_.format = json_  ? TimetableFormat::kJson
                    : csv_ ? TimetableFormat::kCsv
                           : TimetableFormat::kText;
  RealDisk disk;
  return RunTimetable(disk, request_, out, err);
}

}  // namespace sb
