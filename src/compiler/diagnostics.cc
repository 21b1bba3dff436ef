#include "compiler/diagnostics.h"

#include "base/printable.h"

namespace sb {

// The file, the message and the record may hold the author's bytes (a name,
// a field, the line itself) and go to a terminal: their control bytes are
// shown escaped. The Diagnostic itself keeps them as they are.
std::string FormatDiagnostic(const Diagnostic& d, const std::string& km) {
  std::string out;
  if (!d.file.empty()) {
    out.append(EscapeControls(d.file));
    if (d.line > 0) {
      out.append(":").append(std::to_string(d.line));
      if (d.column > 0) out.append(":").append(std::to_string(d.column));
    }
    out.append(": ");
  }
  out.append("error ").append(std::to_string(d.code)).append(": ");
  out.append(EscapeControls(d.message.empty() ? ErrorMeaning(d.code) : d.message));
  if (d.position) {
    out.append(" (at ").append(std::to_string(*d.position)).append(" m");
    if (!km.empty()) out.append(", ").append(km);
    out.append(")");
  }
  if (!d.record.empty()) out.append("\n    ").append(EscapeControls(d.record));
  return out;
}

}  // namespace sb
