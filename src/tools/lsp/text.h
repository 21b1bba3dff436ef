// Text as the editor sends it (UTF-8, positions in UTF-16 or UTF-8 code
// units) and as the compiler reads it (Windows-1252 bytes, 1-based byte
// columns). Every character of a buffer becomes exactly one byte, so a
// byte column is also a character index into the buffer's line.
#ifndef SB_TOOLS_LSP_TEXT_H_
#define SB_TOOLS_LSP_TEXT_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sb::lsp {

enum class PositionEncoding { kUtf16, kUtf8 };

// A character the code page cannot hold; it was replaced by '?'.
struct Unencodable {
  int line = 0;            // 0-based
  int character = 0;       // 0-based character index on that line
  uint32_t codePoint = 0;  // U+FFFD for a byte that is not UTF-8
};

struct EncodedText {
  std::string bytes;  // Windows-1252
  std::vector<Unencodable> unencodable;
};

// Converts the editor's UTF-8 to the descriptions' code page.
EncodedText Utf8ToWindows1252(std::string_view utf8);

// The lines of a text, without their ends (CR LF, LF or CR, as the
// compiler reads them). A text ending in a line end has an empty last line.
std::vector<std::string_view> SplitLines(std::string_view text);

// Where each line of a text begins, found once per text: a line is then
// had in constant time, however many diagnostics point into the text.
// Offsets are 32-bit: a description has at most 256 MiB, 768 MiB as UTF-8.
class LineIndex {
 public:
  // No lines at all: every line asked for is past the end.
  LineIndex() = default;
  explicit LineIndex(std::string_view text);
  int size() const { return static_cast<int>(starts_.size()); }
  // Line `index` (0-based, below size()) of `text`, the text indexed,
  // without its end, as SplitLines gives it.
  std::string_view Line(std::string_view text, int index) const;

 private:
  std::vector<uint32_t> starts_;
};

// Code units, in `encoding`, of the first `characters` characters of a UTF-8
// line (clamped to its length).
int ToLspCharacter(std::string_view utf8Line, int characters, PositionEncoding encoding);
// The character index a position in `encoding` units points into (clamped;
// a position inside a character gives that character).
int FromLspCharacter(std::string_view utf8Line, int units, PositionEncoding encoding);

// How file URIs map to paths. On Windows, as VS Code writes them: a drive
// letter ("file:///c%3A/Users/a.txt" <-> "c:/Users/a.txt", the letter
// lower case and its colon encoded, "C:\\Users\\a.txt" read as
// "c:/Users/a.txt") and a server's share ("file://server/share/a.txt" <->
// "//server/share/a.txt"). On POSIX a path is the URI's path, whatever
// host it names.
enum class UriStyle { kPosix, kWindows };
#ifdef _WIN32
inline constexpr UriStyle kNativeUriStyle = UriStyle::kWindows;
#else
inline constexpr UriStyle kNativeUriStyle = UriStyle::kPosix;
#endif

// "file:///a/b%20c.txt" <-> "/a/b c.txt"; nothing for a URI of another scheme.
std::optional<std::string> UriToPath(std::string_view uri, UriStyle style = kNativeUriStyle);
std::string PathToUri(std::string_view path, UriStyle style = kNativeUriStyle);

}  // namespace sb::lsp

#endif  // SB_TOOLS_LSP_TEXT_H_
