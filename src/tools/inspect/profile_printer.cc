#include <nlohmann/json.hpp>

#include "base/printable.h"
#include "tools/inspect/printers.h"
#include "tools/inspect/profile_summary.h"
#include "tools/inspect/report_text.h"

namespace sb {
namespace {

std::string ProfileElement(const ProfileTable& p, int32_t metre, int column) {
  switch (p.tag(metre, column)) {
    case ProfileTable::Tag::kEmpty: return {};
    case ProfileTable::Tag::kInt16: return std::to_string(static_cast<int>(p.value(metre, column)));
    case ProfileTable::Tag::kDouble: return Shortest(p.value(metre, column));
  }
  return {};
}

}  // namespace

void PrintProfile(const std::string& name, std::size_t fileSize, const ProfileTable& p,
                  InspectFormat format, std::ostream& out) {
  if (format == InspectFormat::kCsv) {
    out << "metre,x,y\n";
    std::string row;
    for (int32_t m = 0; m <= p.end(); ++m) {
      row = std::to_string(m);
      row += ',';
      row += ProfileElement(p, m, 0);
      row += ',';
      row += ProfileElement(p, m, 1);
      row += '\n';
      out << row;
    }
    return;
  }
  const ProfileSummary s = SummarizeProfile(p);
  if (format == InspectFormat::kJson) {
    nlohmann::ordered_json j;
    j["file"] = name;
    j["type"] = "profile";
    j["metres"] = int64_t{s.end} + 1;
    j["profileEnd"] = s.end;
    j["lineLength"] = s.lineLength;
    if (s.hasExtent) {
      j["extent"] = {{"minX", s.minX}, {"maxX", s.maxX}, {"minY", s.minY}, {"maxY", s.maxY}};
    } else {
      j["extent"] = nullptr;
    }
    j["totalTurningDegrees"] = s.turningDegrees;
    j["elements"] = {{"empty", s.empty}, {"int16", s.ints}, {"double", s.doubles}};
    out << j.dump(2) << "\n";
    return;
  }
  out << EscapeControls(name) << ": plan profile, " << fileSize << " bytes\n";
  out << "metres:         0 to " << s.end << " (" << int64_t{s.end} + 1 << " per column)\n";
  out << "line length:    " << s.lineLength << " m (last metre - 7000)\n";
  if (s.hasExtent) {
    out << "x extent:       " << Fixed(s.minX, 1) << " to " << Fixed(s.maxX, 1) << " m ("
        << Fixed(s.maxX - s.minX, 1) << " m)\n";
    out << "y extent:       " << Fixed(s.minY, 1) << " to " << Fixed(s.maxY, 1) << " m ("
        << Fixed(s.maxY - s.minY, 1) << " m)\n";
  } else {
    out << "extent:         none (no element holds a value)\n";
  }
  out << "total turning:  " << Fixed(s.turningDegrees, 3) << " degrees\n";
  out << "elements:       " << s.empty << " empty, " << s.ints << " int16, " << s.doubles
      << " double\n";
}

}  // namespace sb
