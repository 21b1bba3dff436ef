// Characters an author cannot tell from another by looking: blanks that
// are no blanks to the reader (a no-break space), characters that show as
// nothing (zero-width ones, a soft hyphen, a byte order mark) and
// typographic quotes and dashes that a word processor puts in place of '"'
// and '-'. A description is Windows-1252, so each is found both as its
// code page byte and as its UTF-8 sequence; messages name them by their
// code, since a terminal shows them as a blank, as nothing or not at all.
#ifndef SB_DESCRIPTION_LOOK_ALIKES_H_
#define SB_DESCRIPTION_LOOK_ALIKES_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sb {

struct LookAlike {
  std::size_t at;         // its first byte in the text
  std::size_t length;     // its bytes: one in the code page, two or three in UTF-8
  std::string_view code;  // "U+00A0"
  std::string_view name;  // "NO-BREAK SPACE"
};

// Every look-alike in `text`, in order.
std::vector<LookAlike> FindLookAlikes(std::string_view text);

// " (U+00A0 NO-BREAK SPACE before '6000')": each kind of look-alike in
// `text` once, with where it stands; empty when there is none.
std::string DescribeLookAlikes(std::string_view text);

// `text` with every look-alike replaced by what the author meant: a quote
// by '"' or '\'', a dash or minus sign by '-', a no-break space by a space
// (nothing inside a number, where it parts thousands) and the invisible
// ones by nothing.
std::string ReplaceLookAlikes(std::string_view text, bool inNumber);

}  // namespace sb

#endif  // SB_DESCRIPTION_LOOK_ALIKES_H_
