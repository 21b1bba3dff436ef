#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>

#include "base/printable.h"
#include "tools/common/cell_note.h"
#include "tools/common/roles.h"
#include "tools/inspect/printers.h"
#include "tools/inspect/report_text.h"

namespace sb {

namespace {

nlohmann::ordered_json CellJson(std::size_t index, const TrackCell& c) {
  return {{"index", index},
          {"position", index * kCellLength},
          {"kind", c.kind},
          {"kindName", CellKindName(c.kind)},
          {"value1", c.value1},
          {"value2", c.value2},
          {"value3", c.value3},
          {"value4", c.value4},
          {"signalTime", c.signalTime},
          {"approachCode", c.approachCode},
          {"terrain", c.terrain},
          {"speedLimit", c.speedLimit},
          {"gradient", c.gradient},
          {"adhesion", c.adhesion},
          {"speedLimitKmh", SpeedLimitKmh(c)},
          {"gradientPermille", GradientPermille(c)},
          {"meaning", CellNote(index, c)}};
}

// A rise with its sign, as gradients are written: "+12", "-3", "0".
std::string Signed(int value) {
  char text[16];
  if (value > 0) {
    std::snprintf(text, sizeof text, "+%d", value);
  } else {
    std::snprintf(text, sizeof text, "%d", value);
  }
  return text;
}

void CellsCsv(const std::vector<TrackCell>& cells, std::ostream& out) {
  out << "index,position,kind,kind_name,value1,value2,value3,value4,signal_time,approach_code,"
         "terrain,speed_limit,gradient,adhesion,speed_limit_kmh,gradient_permille,meaning\n";
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const TrackCell& c = cells[i];
    if (!CellIsListed(c)) continue;
    out << i << ',' << i * kCellLength << ',' << int{c.kind} << ',' << CellKindName(c.kind) << ','
        << c.value1 << ',' << c.value2 << ',' << c.value3 << ',' << c.value4 << ','
        << int{c.signalTime} << ',' << int{c.approachCode} << ',' << int{c.terrain} << ','
        << int{c.speedLimit} << ',' << int{c.gradient} << ',' << int{c.adhesion} << ','
        << SpeedLimitKmh(c) << ',' << GradientPermille(c) << ',' << CsvField(CellNote(i, c))
        << '\n';
  }
}

// How many cells of each kind (kinds other than none).
using KindCounts = std::map<uint8_t, int>;

void CellsJson(const std::string& name, const std::vector<TrackCell>& cells,
               const KindCounts& kinds, std::ostream& out) {
  nlohmann::ordered_json j;
  j["file"] = name;
  j["type"] = "cells";
  j["cells"] = cells.size();
  j["lastCell"] = cells.size() - 1;
  nlohmann::ordered_json counts = nlohmann::ordered_json::object();
  for (const auto& [kind, n] : kinds) counts[CellKindName(kind)] = n;
  j["kinds"] = counts;
  j["rows"] = nlohmann::ordered_json::array();
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (CellIsListed(cells[i])) j["rows"].push_back(CellJson(i, cells[i]));
  }
  out << j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
}

void CellsText(const std::string& name, std::size_t fileSize, const std::vector<TrackCell>& cells,
               const KindCounts& kinds, std::size_t listed, std::ostream& out) {
  out << EscapeControls(name) << ": cell grid, " << cells.size() << " cells (0 to "
      << cells.size() - 1 << ", " << (cells.size() - 1) * kCellLength << " m), " << fileSize
      << " bytes\n";
  out << "kinds:";
  if (kinds.empty()) out << " none";
  bool first = true;
  for (const auto& [kind, n] : kinds) {
    out << (first ? " " : ", ") << CellKindName(kind) << " " << n;
    first = false;
  }
  out << "\n" << listed << " cells with a kind, a value or an approach code:\n";
  char line[256];
  // Beside the speed limit and the gradient as stored, what they are in km/h
  // and per mille ("\u2030" is one column wide but three bytes long).
  std::snprintf(line, sizeof line,
                "%6s %8s  %-24s %6s %6s %6s %6s %4s %4s %4s %5s %4s %4s %6s %4s  %s\n", "cell",
                "metre", "kind", "value1", "value2", "value3", "value4", "time", "appr", "terr",
                "limit", "km/h", "grad", "\u2030", "adh", "meaning");
  out << line;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const TrackCell& c = cells[i];
    if (!CellIsListed(c)) continue;
    std::snprintf(line, sizeof line,
                  "%6zu %8zu  %-24s %6d %6d %6d %6d %4d %4d %4d %5d %4d %4d %4s %4d  ", i,
                  i * kCellLength, CellKindName(c.kind).c_str(), c.value1, c.value2, c.value3,
                  c.value4, c.signalTime, c.approachCode, c.terrain, c.speedLimit, SpeedLimitKmh(c),
                  c.gradient, Signed(GradientPermille(c)).c_str(), c.adhesion);
    out << line << CellNote(i, c) << "\n";
  }
}

}  // namespace

void PrintCells(const std::string& name, std::size_t fileSize, const std::vector<TrackCell>& cells,
                InspectFormat format, std::ostream& out) {
  if (format == InspectFormat::kCsv) {
    CellsCsv(cells, out);
    return;
  }
  KindCounts kinds;
  std::size_t listed = 0;
  for (const TrackCell& c : cells) {
    if (c.kind != kKindEmpty) ++kinds[c.kind];
    if (CellIsListed(c)) ++listed;
  }
  if (format == InspectFormat::kJson) {
    CellsJson(name, cells, kinds, out);
  } else {
    CellsText(name, fileSize, cells, kinds, listed, out);
  }
}

}  // namespace sb
