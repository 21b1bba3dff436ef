#include "description/look_alikes.h"

#include <array>

#include "base/printable.h"

namespace sb {
namespace {

enum class Meant { kBlank, kNothing, kDoubleQuote, kSingleQuote, kDash };

struct Kind {
  std::string_view byte;  // the code page byte, empty when it has none
  std::string_view utf8;
  std::string_view code;
  std::string_view name;
  Meant meant;
};

constexpr std::array<Kind, 17> kKinds = {{
    {"\xA0", "\xC2\xA0", "U+00A0", "NO-BREAK SPACE", Meant::kBlank},
    {"", "\xE2\x80\xAF", "U+202F", "NARROW NO-BREAK SPACE", Meant::kBlank},
    {"", "\xE2\x80\x89", "U+2009", "THIN SPACE", Meant::kBlank},
    {"\xAD", "\xC2\xAD", "U+00AD", "SOFT HYPHEN", Meant::kNothing},
    {"", "\xE2\x80\x8B", "U+200B", "ZERO WIDTH SPACE", Meant::kNothing},
    {"", "\xE2\x80\x8C", "U+200C", "ZERO WIDTH NON-JOINER", Meant::kNothing},
    {"", "\xE2\x80\x8D", "U+200D", "ZERO WIDTH JOINER", Meant::kNothing},
    {"", "\xEF\xBB\xBF", "U+FEFF", "BYTE ORDER MARK", Meant::kNothing},
    {"\x91", "\xE2\x80\x98", "U+2018", "LEFT SINGLE QUOTATION MARK", Meant::kSingleQuote},
    {"\x92", "\xE2\x80\x99", "U+2019", "RIGHT SINGLE QUOTATION MARK", Meant::kSingleQuote},
    {"\x93", "\xE2\x80\x9C", "U+201C", "LEFT DOUBLE QUOTATION MARK", Meant::kDoubleQuote},
    {"\x94", "\xE2\x80\x9D", "U+201D", "RIGHT DOUBLE QUOTATION MARK", Meant::kDoubleQuote},
    {"\x84", "\xE2\x80\x9E", "U+201E", "DOUBLE LOW-9 QUOTATION MARK", Meant::kDoubleQuote},
    {"\x96", "\xE2\x80\x93", "U+2013", "EN DASH", Meant::kDash},
    {"\x97", "\xE2\x80\x94", "U+2014", "EM DASH", Meant::kDash},
    {"", "\xE2\x88\x92", "U+2212", "MINUS SIGN", Meant::kDash},
    {"", "\xE2\x80\x90", "U+2010", "HYPHEN", Meant::kDash},
}};

// The kind that begins at `at`, if any, and in `*length` the bytes to step
// over: a UTF-8 sequence is taken whole, so that the second byte of "\xC3\xA0"
// (an a with a grave accent) is not taken for a no-break space.
const Kind* KindAt(std::string_view text, std::size_t at, std::size_t* length) {
  const std::string_view rest = text.substr(at);
  *length = 1;
  if (static_cast<unsigned char>(text[at]) < 0x80) return nullptr;
  for (const Kind& kind : kKinds) {
    if (rest.starts_with(kind.utf8)) {
      *length = kind.utf8.size();
      return &kind;
    }
  }
  if (const std::size_t sequence = Utf8SequenceAt(text, at); sequence != 0) {
    *length = sequence;
    return nullptr;
  }
  for (const Kind& kind : kKinds) {
    if (!kind.byte.empty() && rest.starts_with(kind.byte)) {
      *length = 1;
      return &kind;
    }
  }
  return nullptr;
}

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::vector<LookAlike> FindLookAlikes(std::string_view text) {
  std::vector<LookAlike> found;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t length = 1;
    if (const Kind* kind = KindAt(text, i, &length)) {
      found.push_back({i, length, kind->code, kind->name});
    }
    i += length;
  }
  return found;
}

std::string DescribeLookAlikes(std::string_view text) {
  const std::vector<LookAlike> found = FindLookAlikes(text);
  if (found.empty()) return {};
  std::string out = " (";
  std::vector<std::string_view> named;
  for (std::size_t i = 0; i < found.size(); ++i) {
    const LookAlike& one = found[i];
    bool seen = false;
    for (std::string_view code : named) seen = seen || code == one.code;
    if (seen) continue;
    named.push_back(one.code);
    if (named.size() > 1) out += ", ";
    out.append(one.code).append(" ").append(one.name);
    // Where it stands, told by the text beside it up to the next one.
    const std::size_t after = one.at + one.length;
    const std::size_t next = i + 1 < found.size() ? found[i + 1].at : text.size();
    const std::size_t previous = i > 0 ? found[i - 1].at + found[i - 1].length : 0;
    const std::string_view following = Trimmed(text.substr(after, next - after));
    const std::string_view preceding = Trimmed(text.substr(previous, one.at - previous));
    if (!following.empty()) {
      out.append(" before '").append(following).append("'");
    } else if (!preceding.empty()) {
      out.append(" after '").append(preceding).append("'");
    }
  }
  out += ")";
  return out;
}

std::string ReplaceLookAlikes(std::string_view text, bool inNumber) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    std::size_t length = 1;
    const Kind* kind = KindAt(text, i, &length);
    if (kind == nullptr) {
      out.append(text.substr(i, length));
      i += length;
      continue;
    }
    switch (kind->meant) {
      case Meant::kBlank:
        if (!inNumber) out.push_back(' ');
        break;
      case Meant::kNothing: break;
      case Meant::kDoubleQuote: out.push_back('"'); break;
      case Meant::kSingleQuote: out.push_back('\''); break;
      case Meant::kDash: out.push_back('-'); break;
    }
    i += length;
  }
  return out;
}

}  // namespace sb
