// Text from a description, a compiled file or the command line, made safe
// to show on a terminal: a control byte there could retitle, clear or
// recolour the author's terminal.
#ifndef SB_BASE_PRINTABLE_H_
#define SB_BASE_PRINTABLE_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace sb {

// `text` with every control byte written as "\x" and two lowercase hex
// digits: 0x00 to 0x1F except TAB, 0x7F, and the C1 controls, whether
// written in UTF-8 (0xC2 0x80 to 0xC2 0x9F, both bytes escaped) or as a
// single byte 0x80 to 0x9F outside a UTF-8 sequence (a terminal that reads
// single bytes takes 0x9B for CSI). TAB stays: authors use it as spacing
// and it moves nothing but the cursor. Other bytes from 0x80 up stay:
// UTF-8 sequences and the code page's letters. The code page's printable
// characters at 0x80 to 0x9F (the euro sign, typographic quotes and
// dashes) are escaped with the controls: a terminal cannot tell them
// apart. A backslash stays as it is: the text is for a person to read, not
// to be parsed back, so keeping it simple beats telling an author's own
// "\x1b" from an escape.
std::string EscapeControls(std::string_view text);

// The length of the well-formed UTF-8 sequence of two to four bytes that
// starts at `text[at]`, or 0. Overlong forms, surrogates and code points
// past U+10FFFF are not well-formed: a terminal shows each of their bytes
// on its own.
std::size_t Utf8SequenceAt(std::string_view text, std::size_t at);

}  // namespace sb

#endif  // SB_BASE_PRINTABLE_H_
