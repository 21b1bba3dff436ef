// Text from a description, a compiled file or the command line, made safe
// to show on a terminal: a control byte there could retitle, clear or
// recolour the author's terminal.
#ifndef SB_BASE_PRINTABLE_H_
#define SB_BASE_PRINTABLE_H_

#include <string>
#include <string_view>

namespace sb {

// `text` with every control byte (0x00 to 0x1F except TAB, and 0x7F) written
// as "\x" and two lowercase hex digits. TAB stays: authors use it as
// spacing and it moves nothing but the cursor. Bytes from 0x80 up stay too:
// they are the code page's characters (or UTF-8 already). A backslash stays
// as it is: the text is for a person to read, not to be parsed back, so
// keeping it simple beats telling an author's own "\x1b" from an escape.
std::string EscapeControls(std::string_view text);

}  // namespace sb

#endif  // SB_BASE_PRINTABLE_H_
