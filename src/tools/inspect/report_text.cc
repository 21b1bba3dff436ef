#include "tools/inspect/report_text.h"

#include <charconv>
#include <cstdio>

#include "base/printable.h"
#include "base/windows1252.h"

namespace sb {

std::string Shortest(double v) {
  char buf[32];
  auto res = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, res.ptr);
}

std::string Fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

std::string CsvField(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string out = "\"";
  for (char c : s) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string Printable(const std::string& stored) {
  return EscapeControls(Windows1252ToUtf8(stored));
}

}  // namespace sb
