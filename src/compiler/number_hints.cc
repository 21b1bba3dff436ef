#include "compiler/number_hints.h"

#include <algorithm>
#include <cstdint>

#include "description/look_alikes.h"

namespace sb {
namespace {

// The farthest a metres field can reach: the longest line and its grid's
// tail. A kilometre reading past it is no reading.
constexpr int64_t kMostMetres = 1007000;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSuffixLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '/' || c == '%';
}
bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// The digits after a lead of one to three when the rest is groups of
// three, each after the same separator ("16.000", "1'250'000"); the count
// of groups in `*groups`. Empty when the rest is no such groups.
std::string ThousandsGroups(std::string_view lead, std::string_view rest, int* groups) {
  *groups = 0;
  if (lead.size() > 3 || rest.empty() || rest.size() % 4 != 0) return {};
  const char separator = rest[0];
  if (separator != '.' && separator != ',' && separator != '\'' && separator != ' ') return {};
  std::string digits;
  for (std::size_t at = 0; at < rest.size(); at += 4) {
    const std::string_view group = rest.substr(at + 1, 3);
    if (rest[at] != separator || !AllDigits(group)) return {};
    digits.append(group);
    ++*groups;
  }
  return digits;
}

std::string Write(const std::string& number) { return "write " + number; }

// A decimal in a metres field read as kilometres: "0.6" is 600, "7.15" is
// 7150; nothing when it has more than three decimals or reaches too far.
std::string KilometresAsMetres(std::string_view sign, std::string_view whole,
                               std::string_view decimals) {
  if (decimals.size() > 3 || whole.size() > 4) return {};
  std::string metres(decimals);
  metres.resize(3, '0');
  int64_t value = 0;
  for (char c : std::string(whole) + metres) value = value * 10 + (c - '0');
  if (value > kMostMetres) return {};
  return std::string(sign) + std::to_string(value);
}

}  // namespace

NumberHint HintForNumber(std::string_view written, std::string_view unit) {
  const std::string cleaned = ReplaceLookAlikes(written, true);
  std::string_view text = Trimmed(cleaned);
  // A number takes no quotes: what they hold is what was meant.
  if (!text.empty() && text.front() == '"') {
    text.remove_prefix(1);
    if (!text.empty() && text.back() == '"') text.remove_suffix(1);
    text = Trimmed(text);
  }
  const std::string_view sign = text.starts_with('-') ? text.substr(0, 1) : std::string_view{};
  text.remove_prefix(sign.size());
  std::size_t lead = 0;
  while (lead < text.size() && IsDigit(text[lead])) ++lead;
  if (lead == 0) return {};
  const std::string whole = std::string(sign) + std::string(text.substr(0, lead));
  const std::string_view rest = text.substr(lead);
  const bool metres = unit == "m";
  if (rest.empty()) return {Write(whole), whole};

  int groups = 0;
  const std::string thousands = ThousandsGroups(text.substr(0, lead), rest, &groups);
  // One group after '.' or ',' is as likely a decimal ("16.000", "1,5"),
  // except in metres, where sixteen thousand is also 16 km.
  if (!thousands.empty() && (groups > 1 || rest[0] == '\'' || rest[0] == ' ' || metres)) {
    const std::string number = whole + thousands;
    if (groups == 1 && (rest[0] == '.' || rest[0] == ',')) {
      return {Write(number) + ": this field is in metres, written without a thousands separator",
              number};
    }
    return {Write(number) + ": a number is written without a thousands separator", number};
  }

  const char point = rest[0];
  std::size_t decimals_end = 1;
  while (decimals_end < rest.size() && IsDigit(rest[decimals_end])) ++decimals_end;
  const std::string_view decimals = rest.substr(1, decimals_end - 1);
  const std::string suffix = Lower(rest.substr(decimals_end));
  const bool letters = std::all_of(suffix.begin(), suffix.end(), IsSuffixLetter);

  // A time in one field: its hour read here, its minutes lost.
  if (unit == "h" && (point == ':' || point == '.') && decimals.size() == 2 && suffix.empty() &&
      decimals < "60") {
    return {"'" + std::string(Trimmed(cleaned)) +
                "' looks like a time: the hour, the minute and the second are fields of their "
                "own: write " +
                whole + " here and " + std::string(decimals) + " as the minute",
            {}};
  }

  if ((point == '.' || point == ',') && !decimals.empty() && letters) {
    if (metres && (suffix.empty() || suffix == "km")) {
      const std::string kilometres = KilometresAsMetres(sign, text.substr(0, lead), decimals);
      if (!kilometres.empty()) {
        return {"'" + std::string(Trimmed(cleaned)) +
                    "' looks like kilometres, and this field is in metres: " + Write(kilometres),
                kilometres};
      }
    }
    const bool zeros = decimals.find_first_not_of('0') == std::string_view::npos;
    if (zeros) return {Write(whole), whole};
    return {
        std::string("write a whole number") + (metres ? " of metres" : "") + ", such as " + whole,
        whole};
  }

  if (IsSuffixLetter(point) && letters && std::all_of(rest.begin(), rest.end(), IsSuffixLetter)) {
    const std::string written_unit = Lower(rest);
    if (metres && written_unit == "km") {
      const std::string number = whole + "000";
      return {"'" + std::string(Trimmed(cleaned)) +
                  "' is in kilometres, and this field is in metres: " + Write(number),
              number};
    }
    return {Write(whole), whole};
  }
  return {};
}

bool ThousandsAcrossBlank(std::string_view first, std::string_view next) {
  return AllDigits(first) && first.size() <= 3 && first[0] != '0' && next.size() == 3 &&
         AllDigits(next);
}

}  // namespace sb
