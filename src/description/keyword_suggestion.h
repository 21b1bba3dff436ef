// The keyword an author most likely meant by a field that is no record.
#ifndef SB_DESCRIPTION_KEYWORD_SUGGESTION_H_
#define SB_DESCRIPTION_KEYWORD_SUGGESTION_H_

#include <span>
#include <string_view>

namespace sb {

// The candidate nearest to `field` (blanks around it ignored, letters
// compared without regard to case) by edit distance, when it is near enough
// to be a slip of the keys: at most one edit per four letters of the
// candidate, and at least one. Empty when none is.
std::string_view NearestKeyword(std::string_view field,
                                std::span<const std::string_view> candidates);

}  // namespace sb

#endif  // SB_DESCRIPTION_KEYWORD_SUGGESTION_H_
