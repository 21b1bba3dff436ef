#include "description/keywords.h"

#include <algorithm>

namespace sb {
namespace {

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool Contains(std::string_view field, std::string_view needle, Compare mode) {
  if (mode == Compare::kExact) return field.find(needle) != std::string_view::npos;
  auto it = std::search(field.begin(), field.end(), needle.begin(), needle.end(),
                        [](char a, char b) { return Fold(a) == Fold(b); });
  return it != field.end() || needle.empty();
}

}  // namespace sb
