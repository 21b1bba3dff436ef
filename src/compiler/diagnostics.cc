#include "compiler/diagnostics.h"

namespace sb {

const char* ErrorMeaning(int32_t code) {
  switch (code) {
    case 0: return "no error";
    case 1: return "line length out of range (0 to 1000000 m)";
    case 2: return "a kilometric progression's start or value is not a multiple of 50";
    case 3: return "signal repetition start is not a multiple of 50";
    case 4: return "signal repetition end is not a multiple of 50";
    case 5: return "signal repetition record names neither 4 nor 9 codes";
    case 6: return "text board on a cell that is not free";
    case 7: return "speed point on a cell that is not free";
    case 8: return "station position is not a multiple of 50";
    case 9: return "station length is not a multiple of 100";
    case 10: return "more stations than the item table has room for below the board texts";
    case 11: return "no cell for a speed point before a signal near a slowdown warning";
    case 12: return "no free cell 5-7, 11-13 or 18-20 cells before a slowdown start";
    case 13:
      return "no free cell for a speed point inside a slowdown or before a signal after its end";
    case 15: return "feature position beyond the cell grid";
    case 16: return "signal on a cell that is not free";
    case 17: return "slowdown warning cell (1200 m before the start) is not free";
    case 18: return "slowdown start cell is not free";
    case 19: return "slowdown end cell is not free";
    case 20: return "one of the four cells before the slowdown warning is not free";
    case 21: return "maximum-speed indicator board on a cell that is not free";
    case 22: return "stopping zone begins less than 350 m after the previous station's zone";
    case 24: return "stopping zone ends too close to the start of the line for its stop mark";
    case 25: return "the descriptions could not be read";
    case 101: return "the line description file does not exist";
    case 102: return "the line description has no [generale] section";
    case 103: return "curve without curvature 1 to 6, or the plan profile passes its limit";
    case 1250: return "cell 1 or item 85 already holds a value before the identity codes";
    case 1251: return "cell 1 or item 85 already holds a code before the identity codes";
  }
  return "";
}

std::string FormatDiagnostic(const Diagnostic& d, const std::string& km) {
  std::string out;
  if (!d.file.empty()) {
    out.append(d.file);
    if (d.line > 0) out.append(":").append(std::to_string(d.line));
    out.append(": ");
  }
  out.append("error ").append(std::to_string(d.code)).append(": ");
  out.append(d.message.empty() ? ErrorMeaning(d.code) : d.message);
  if (d.position) {
    out.append(" (at ").append(std::to_string(*d.position)).append(" m");
    if (!km.empty()) out.append(", ").append(km);
    out.append(")");
  }
  if (!d.record.empty()) out.append("\n    ").append(d.record);
  return out;
}

}  // namespace sb
