// The editor protocol's framing: "Content-Length: N" and other header lines,
// a blank line, then N bytes of JSON.
#ifndef SB_TOOLS_LSP_FRAMING_H_
#define SB_TOOLS_LSP_FRAMING_H_

#include <cstddef>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

namespace sb::lsp {

// No message an editor sends about a description comes near this; a larger
// one is refused before anything is allocated for it.
inline constexpr std::size_t kMaxFrameBytes = std::size_t{64} << 20;
// A header line longer than this is not a header.
inline constexpr std::size_t kMaxHeaderLine = 4096;
// The body of a frame refused for its size is read and dropped when it is
// no larger than this; a length beyond it (or too long a number to be a
// size) is no client's message, and the reader looks for the next
// Content-Length header instead, also in the middle of a line, since the
// body before it ends without a line break.
inline constexpr std::size_t kMaxSkippedBytes = std::size_t{1} << 30;
// A message's JSON may nest this deep and hold this many values (objects,
// arrays, strings, numbers and the rest): an editor's messages about a
// description nest a few levels and hold a few thousand values, a whole
// description being one string. Beyond either bound the message is refused
// before it is parsed, so that neither the stack nor the memory can be
// exhausted by one message.
inline constexpr int kMaxJsonDepth = 64;
inline constexpr std::size_t kMaxJsonValues = 1'000'000;

enum class FrameStatus {
  kFrame,  // body holds the message
  kEnd,    // the input ended (also in the middle of a frame)
  // The header block was unusable; it was consumed, and a body it announced
  // is dropped by the next call.
  kBadHeader,
  // Content-Length over kMaxFrameBytes: nothing was allocated, and the
  // next call first reads its body and drops it (or, past
  // kMaxSkippedBytes, reads on to the next Content-Length header).
  kTooLarge,
};

struct Frame {
  FrameStatus status = FrameStatus::kEnd;
  std::string body;
  std::string problem;  // for kBadHeader and kTooLarge, in words
};

class FrameReader {
 public:
  explicit FrameReader(std::istream& in) : in_(in) {}
  Frame Next();

 private:
  // One header line without its end; false at the end of the input.
  bool ReadHeaderLine(std::string* line);
  // Reads on to the next Content-Length header, wherever it begins, and
  // gives that header's line; false at the end of the input.
  bool SeekLengthHeader(std::string* line);
  // Reads and drops `count` bytes; false when the input ends first.
  bool Skip(std::size_t count);

  std::istream& in_;
  std::size_t pendingSkip_ = 0;
  // After a length no body can have: the next frame begins at the next
  // line that is a Content-Length header.
  bool resynchronise_ = false;
};

// Why the JSON text `body` is refused before it is parsed (it nests deeper
// than kMaxJsonDepth or holds more than kMaxJsonValues values), or "". A
// quick scan of the brackets, commas and strings; the parser judges the
// rest.
std::string JsonShapeProblem(std::string_view body);

// Writes one frame and flushes it.
void WriteFrame(std::ostream& out, std::string_view body);

}  // namespace sb::lsp

#endif  // SB_TOOLS_LSP_FRAMING_H_
