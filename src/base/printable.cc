#include "base/printable.h"

namespace sb {
namespace {

constexpr unsigned char kTab = 0x09;
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;

bool IsControl(unsigned char byte) {
  return (byte < kFirstPrintable && byte != kTab) || byte == kDelete;
}

}  // namespace

std::string EscapeControls(std::string_view text) {
  static constexpr char kHexDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    if (!IsControl(byte)) {
      out += ch;
      continue;
    }
    out += "\\x";
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0x0F];
  }
  return out;
}

}  // namespace sb
