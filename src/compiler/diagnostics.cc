#include "compiler/diagnostics.h"

namespace sb {

std::string FormatDiagnostic(const Diagnostic& d, const std::string& km) {
  std::string out;
  if (!d.file.empty()) {
    out.append(d.file);
    if (d.line > 0) {
      out.append(":").append(std::to_string(d.line));
      if (d.column > 0) out.append(":").append(std::to_string(d.column));
    }
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
