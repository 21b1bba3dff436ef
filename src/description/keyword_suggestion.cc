#include "description/keyword_suggestion.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace sb {
namespace {

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// Levenshtein distance, one row at a time, in `row` (reused from call to
// call: a description may hold thousands of unknown records). Once a whole
// row exceeds `limit` the distance does too, and limit + 1 is returned.
std::size_t EditDistance(std::string_view a, std::string_view b, std::size_t limit,
                         std::vector<std::size_t>& row) {
  row.resize(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    std::size_t least = row[0];
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const std::size_t substitute = diagonal + (Fold(a[i - 1]) == Fold(b[j - 1]) ? 0 : 1);
      row[j] = std::min({above + 1, row[j - 1] + 1, substitute});
      least = std::min(least, row[j]);
      diagonal = above;
    }
    if (least > limit) return limit + 1;
  }
  return row[b.size()];
}

// Fields much longer than any keyword are no slip of the keys; they are not
// measured at all.
constexpr std::size_t kLongestCompared = 64;

}  // namespace

std::string_view NearestKeyword(std::string_view field,
                                std::span<const std::string_view> candidates) {
  const std::string_view text = Trimmed(field);
  if (text.empty() || text.size() > kLongestCompared) return {};
  std::string_view best;
  std::size_t best_distance = 0;
  std::vector<std::size_t> row;
  for (std::string_view candidate : candidates) {
    const std::size_t limit = std::max<std::size_t>(1, candidate.size() / 4);
    // The distance is at least the difference of the lengths.
    const std::size_t longer = std::max(text.size(), candidate.size());
    if (longer - std::min(text.size(), candidate.size()) > limit) continue;
    const std::size_t distance = EditDistance(text, candidate, limit, row);
    if (distance > limit) continue;
    if (best.empty() || distance < best_distance) {
      best = candidate;
      best_distance = distance;
    }
  }
  return best;
}

}  // namespace sb
