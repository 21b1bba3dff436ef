#include "base/printable.h"

namespace sb {
namespace {

constexpr unsigned char kTab = 0x09;
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;
constexpr unsigned char kFirstC1 = 0x80;
constexpr unsigned char kLastC1 = 0x9F;
// UTF-8 writes the C1 controls U+0080 to U+009F as 0xC2 and a second byte
// 0x80 to 0x9F.
constexpr unsigned char kC1Lead = 0xC2;

bool IsC0Control(unsigned char byte) {
  return (byte < kFirstPrintable && byte != kTab) || byte == kDelete;
}

bool IsC1Byte(unsigned char byte) { return byte >= kFirstC1 && byte <= kLastC1; }
void AppendEscaped(std::string& out, unsigned char byte) {
  static constexpr char kHexDigits[] = "0123456789abcdef";
  out += "\\x";
  out += kHexDigits[byte >> 4];
  out += kHexDigits[byte & 0x0F];
}

}  // namespace

std::size_t Utf8SequenceAt(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing beyond U+10FFFF
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  const auto second = static_cast<unsigned char>(text[at + 1]);
  if (second < low || second > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 0;
  }
  return length;
}

std::string EscapeControls(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < kFirstC1) {
      if (IsC0Control(byte)) {
        AppendEscaped(out, byte);
      } else {
        out += static_cast<char>(byte);
      }
      ++at;
      continue;
    }
    if (const std::size_t length = Utf8SequenceAt(text, at); length != 0) {
      const auto second = static_cast<unsigned char>(text[at + 1]);
      if (byte == kC1Lead && IsC1Byte(second)) {
        AppendEscaped(out, byte);
        AppendEscaped(out, second);
      } else {
        out.append(text.substr(at, length));
      }
      at += length;
      continue;
    }
    // A byte of the code page alone: 0x80 to 0x9F are C1 controls to a
    // terminal that reads single bytes.
    if (IsC1Byte(byte)) {
      AppendEscaped(out, byte);
    } else {
      out += static_cast<char>(byte);
    }
    ++at;
  }
  return out;
}

}  // namespace sb
