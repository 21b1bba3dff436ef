#include "tools/lsp/text.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "base/windows1252.h"

namespace sb::lsp {
namespace {

constexpr uint32_t kReplacement = 0xFFFD;

// One UTF-8 character at the front of `text`: its code point and length.
// A byte that starts no valid sequence is a character of its own, U+FFFD.
struct Decoded {
  uint32_t codePoint;
  int length;
};

Decoded DecodeOne(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return {lead, 1};
  int length = 0;
  uint32_t cp = 0;
  uint32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, cp = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, cp = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, cp = lead & 0x07, minimum = 0x10000;
  } else {
    return {kReplacement, 1};
  }
  if (text.size() < static_cast<std::size_t>(length)) return {kReplacement, 1};
  for (int i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return {kReplacement, 1};
    cp = (cp << 6) | (byte(i) & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {kReplacement, 1};
  return {cp, length};
}

// The code point each byte 0x80 to 0x9F stands for in the code page; 0 where
// the byte is unassigned.
std::array<uint32_t, 32> HighControlTable() {
  std::array<uint32_t, 32> table{};
  for (int b = 0x80; b < 0xA0; ++b) {
    const std::string utf8 = Windows1252ToUtf8(std::string(1, static_cast<char>(b)));
    const Decoded d = DecodeOne(utf8);
    table[b - 0x80] = d.codePoint == kReplacement ? 0 : d.codePoint;
  }
  return table;
}

std::optional<char> ToCodePage(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
  static const std::array<uint32_t, 32> table = HighControlTable();
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i] != 0 && table[i] == cp) return static_cast<char>(0x80 + i);
  }
  return std::nullopt;
}

int Units(const Decoded& d, PositionEncoding encoding) {
  if (encoding == PositionEncoding::kUtf8) return d.length;
  return d.codePoint >= 0x10000 ? 2 : 1;
}

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_' || c == '.' || c == '~' || c == '/';
}

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

EncodedText Utf8ToWindows1252(std::string_view utf8) {
  EncodedText out;
  out.bytes.reserve(utf8.size());
  int line = 0;
  int character = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const Decoded d = DecodeOne(utf8.substr(i));
    i += d.length;
    const std::optional<char> byte =
        d.length == 1 && d.codePoint == kReplacement ? std::nullopt : ToCodePage(d.codePoint);
    out.bytes.push_back(byte.value_or('?'));
    if (!byte) out.unencodable.push_back({line, character, d.codePoint});
    ++character;
    // CR LF is one line end: the LF starts no new line of its own.
    const bool lf = d.codePoint == '\n';
    const bool crAlone = d.codePoint == '\r' && (i >= utf8.size() || utf8[i] != '\n');
    if (lf || crAlone) ++line, character = 0;
  }
  return out;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n' && text[i] != '\r') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  lines.push_back(text.substr(start));
  return lines;
}

LineIndex::LineIndex(std::string_view text) {
  starts_.push_back(0);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n' && text[i] != '\r') continue;
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    starts_.push_back(static_cast<uint32_t>(i + 1));
  }
}

std::string_view LineIndex::Line(std::string_view text, int index) const {
  const std::size_t start = starts_[index];
  if (index + 1 >= size()) return text.substr(start);
  // The next line begins after this one's end: LF, CR, or CR LF (a CR
  // before an LF is always its pair, as no line holds either).
  const std::size_t next = starts_[index + 1];
  const std::size_t endLength =
      text[next - 1] == '\n' && next >= start + 2 && text[next - 2] == '\r' ? 2 : 1;
  return text.substr(start, next - endLength - start);
}

int ToLspCharacter(std::string_view utf8Line, int characters, PositionEncoding encoding) {
  int units = 0;
  std::size_t i = 0;
  for (int c = 0; c < characters && i < utf8Line.size(); ++c) {
    const Decoded d = DecodeOne(utf8Line.substr(i));
    units += Units(d, encoding);
    i += d.length;
  }
  return units;
}

int FromLspCharacter(std::string_view utf8Line, int units, PositionEncoding encoding) {
  int seen = 0;
  int characters = 0;
  for (std::size_t i = 0; i < utf8Line.size(); ++characters) {
    const Decoded d = DecodeOne(utf8Line.substr(i));
    seen += Units(d, encoding);
    if (seen > units) return characters;
    i += d.length;
  }
  return characters;
}

std::optional<std::string> UriToPath(std::string_view uri, UriStyle style) {
  constexpr std::string_view kScheme = "file://";
  if (uri.substr(0, kScheme.size()) != kScheme) return std::nullopt;
  std::string_view rest = uri.substr(kScheme.size());
  // An authority ("file://host/path") names this machine or none; on
  // Windows, a server whose share the path is on.
  const std::size_t slash = rest.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  const std::string_view host = rest.substr(0, slash);
  rest = rest.substr(slash);
  std::string path;
  if (style == UriStyle::kWindows && !host.empty() && host != "localhost") {
    path = "//" + std::string(host);
  }
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '%' && i + 2 < rest.size() && HexValue(rest[i + 1]) >= 0 &&
        HexValue(rest[i + 2]) >= 0) {
      path.push_back(static_cast<char>(HexValue(rest[i + 1]) * 16 + HexValue(rest[i + 2])));
      i += 2;
    } else {
      path.push_back(rest[i]);
    }
  }
  if (style == UriStyle::kWindows) {
    // "/c:/Users" is the drive's path "c:/Users".
    if (path.size() >= 3 && path[0] == '/' && IsAsciiLetter(path[1]) && path[2] == ':') {
      path.erase(0, 1);
    }
    std::replace(path.begin(), path.end(), '\\', '/');
  }
  return path;
}

std::string PathToUri(std::string_view path, UriStyle style) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri = "file://";
  std::string windowsPath;
  if (style == UriStyle::kWindows) {
    windowsPath = std::string(path);
    std::replace(windowsPath.begin(), windowsPath.end(), '\\', '/');
    path = windowsPath;
    if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':') {
      // As VS Code writes a drive: lower case, its colon encoded.
      uri += '/';
      uri += static_cast<char>(std::tolower(static_cast<unsigned char>(path[0])));
      uri += "%3A";
      path.remove_prefix(2);
    } else if (path.substr(0, 2) == "//") {
      // A share: its server is the URI's authority.
      path.remove_prefix(2);
      const std::size_t slash = path.find('/');
      uri += std::string(path.substr(0, slash));
      path = slash == std::string_view::npos ? std::string_view() : path.substr(slash);
    }
  }
  for (char ch : path) {
    const auto c = static_cast<unsigned char>(ch);
    if (IsUnreserved(c)) {
      uri.push_back(ch);
    } else {
      uri.push_back('%');
      uri.push_back(kHex[c >> 4]);
      uri.push_back(kHex[c & 15]);
    }
  }
  return uri;
}

}  // namespace sb::lsp
