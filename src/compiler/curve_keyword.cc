#include "compiler/curve_keyword.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "compiler/line_features.h"

namespace sb {
namespace {

constexpr std::string_view kCurve = "curva";
// The radius of each curvature class, 1 to 6, as authors know them.
constexpr std::string_view kRadius[] = {"10000 m", "5000 m", "2500 m",
                                        "1000 m",  "500 m",  "about 333 m"};

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Quote(std::string_view text) {
  std::string out(1, '\'');
  out.append(text).push_back('\'');
  return out;
}

// Where "curva" begins, in any case; the keyword test found it, so it is
// there.
std::size_t CurveAt(std::string_view keyword) {
  for (std::size_t i = 0; i + kCurve.size() <= keyword.size(); ++i) {
    std::size_t n = 0;
    while (n < kCurve.size() && Lower(keyword[i + n]) == kCurve[n]) ++n;
    if (n == kCurve.size()) return i;
  }
  return std::string_view::npos;
}

// The word (a run of letters) that holds the first 's' of the keyword.
std::string_view WordOfFirstS(std::string_view keyword) {
  std::size_t at = 0;
  while (at < keyword.size() && Lower(keyword[at]) != 's') ++at;
  std::size_t begin = at;
  while (begin > 0 && IsLetter(keyword[begin - 1])) --begin;
  std::size_t end = at;
  while (end < keyword.size() && IsLetter(keyword[end])) ++end;
  return keyword.substr(begin, end - begin);
}

// "3", "3 and 5", "3, 5 and 7".
std::string Listed(const std::vector<char>& digits) {
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0) out += i + 1 == digits.size() ? " and " : ", ";
    out.push_back(digits[i]);
  }
  return out;
}

}  // namespace

void CheckCurveKeyword(Scenario& s, const Description& d, const std::string& keyword) {
  const std::optional<double> curvature = CurveCurvature(keyword);
  if (!curvature) return;
  std::string_view text(keyword);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  const bool left = *curvature < 0;

  const std::size_t curve = CurveAt(text);
  const std::size_t sideAt = curve == std::string_view::npos ? curve : curve + kCurve.size();
  const char side = sideAt < text.size() ? Lower(text[sideAt]) : '\0';
  // An 's' there turns the curve left whatever follows; a 'd' turns it right
  // only when no 's' stands elsewhere.
  const bool sideTold = side == 's' || (side == 'd' && !left);

  std::vector<char> digits;
  for (char c : text) {
    if (IsDigit(c) && std::find(digits.begin(), digits.end(), c) == digits.end()) {
      digits.push_back(c);
    }
  }
  if (sideTold && digits.size() == 1) return;
  if (!WantWarning(s, Warning::kCurveKeyword, d.name())) return;

  // The digit the class comes from: the lowest of 1 to 6 held.
  char used = '6';
  for (char c : digits) {
    if (c >= '1' && c < used) used = c;
  }
  const std::string shown = Quote(text);
  std::string message;
  if (!sideTold && left) {
    message = shown + " turns left: any 's' in a curve keyword turns it left, here the 's' of " +
              Quote(WordOfFirstS(text));
  } else if (!sideTold) {
    message = shown + " turns right: a curve keyword turns left only when it holds an 's'";
  }
  if (digits.size() > 1) {
    message += message.empty() ? shown + " has" : "; it has";
    message += std::string(" curvature class ") + used + " (radius " +
               std::string(kRadius[used - '1']) + "): of its digits " + Listed(digits) +
               ", the lowest from 1 to 6 names the class";
  }
  const std::string same = std::string("curva") + (left ? 's' : 'd') + used;
  const std::string other = std::string("curva") + (left ? 'd' : 's') + used;
  const std::string right = std::string("curvad") + used;
  const std::string leftHand = std::string("curvas") + used;
  std::string hint =
      sideTold ? "write " + Quote(same) + ", which compiles as now, or the one digit you mean"
               : "write " + Quote(right) + " for a right-hand curve, " + Quote(leftHand) +
                     " for a left-hand one";
  if (!sideTold && digits.size() > 1) hint += ", with the one digit you mean";
  Diagnostic w =
      d.WarningAt(Warning::kCurveKeyword, std::move(message), kKeywordField, std::move(hint));

  // The keyword as written at its column: a quoted one with its quotes.
  const std::string_view line = d.KeywordLineWithEnd();
  const auto column = static_cast<std::size_t>(d.column_of(kKeywordField));
  const bool quoted = column >= 1 && column <= line.size() && line[column - 1] == '"';
  const std::string written = quoted ? "\"" + keyword + "\"" : std::string(text);
  if (auto edit = d.EditField(kKeywordField, written, same)) {
    w.fixes.push_back(
        {"write " + Quote(same) + (left ? " (turns left, as now)" : " (turns right, as now)"),
         {*edit}});
    if (!sideTold) {
      edit->text = other;
      w.fixes.push_back(
          {"write " + Quote(other) + (left ? " (turns right)" : " (turns left)"), {*edit}});
    }
  }
  RecordWarning(s, std::move(w));
}

}  // namespace sb
