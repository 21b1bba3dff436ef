// Lines up the columns of a description's records, as the built-in
// descriptions line them up: within a section, the records of one kind
// get their values right-aligned under one another, one blank after each
// comma at the least, the keyword at the start of its line. A station's
// name, the one text column, follows its comma after one blank.
//
// Only blanks move, and only those that no reading can tell apart: the
// blanks at the start of a line and those between a comma and the value
// after it on the same line. Every field is read as before, whether as a
// number or as a text, so a description compiles to the same bytes, with
// the same errors and warnings on the same lines; only columns move with
// the text. Blanks before a comma or at the end of a line (which a text
// field keeps) are never touched, and lines that a quoted text might run
// through are left whole.
//
// A line is aligned only when it is a plain record: a keyword that names
// exactly one record, followed by as many values as that record reads,
// each a whole number (the text column any text), with no blanks inside a
// value. Comments, section headers, records with missing or extra values,
// values with unusual content and lines of more than kMaxAlignedLineBytes
// are left as they are. Line ends (CR LF, LF, CR) and a missing final line
// end are kept. Aligning aligned text changes nothing.
//
// The text is bytes in the descriptions' code page, one byte a character.
#ifndef SB_DESCRIPTION_RECORD_ALIGNMENT_H_
#define SB_DESCRIPTION_RECORD_ALIGNMENT_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sb {

// A record longer than this, counting one blank after each comma, is left
// as it is: the longest a description has (a station) takes about 100.
inline constexpr std::size_t kMaxAlignedLineBytes = 400;

// One run of blanks the alignment replaces: the bytes [begin, end) of the
// text, which lie on line `line` (0-based) from byte `column` (0-based),
// become `spaces` spaces.
struct BlankEdit {
  std::size_t begin = 0;
  std::size_t end = 0;
  int line = 0;
  int column = 0;
  int spaces = 0;
  bool operator==(const BlankEdit&) const = default;
};

// The runs of blanks that change, in the order of the text; none when the
// text is aligned already.
std::vector<BlankEdit> AlignmentEdits(std::string_view text);

// The text with its records aligned.
std::string AlignRecords(std::string_view text);

}  // namespace sb

#endif  // SB_DESCRIPTION_RECORD_ALIGNMENT_H_
