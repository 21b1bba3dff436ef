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

enum class FrameStatus {
  kFrame,  // body holds the message
  kEnd,    // the input ended (also in the middle of a frame)
  // The header block was unusable; it was consumed, and a body it announced
  // is dropped by the next call.
  kBadHeader,
  // Content-Length over kMaxFrameBytes: nothing was allocated, and the
  // next call first reads its body and drops it.
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
  // Reads and drops `count` bytes; false when the input ends first.
  bool Skip(std::size_t count);

  std::istream& in_;
  std::size_t pendingSkip_ = 0;
};

// Writes one frame and flushes it.
void WriteFrame(std::ostream& out, std::string_view body);

}  // namespace sb::lsp

#endif  // SB_TOOLS_LSP_FRAMING_H_
