#include "tools/lsp/framing.h"

#include <array>
#include <charconv>
#include <limits>
#include <optional>

namespace sb::lsp {
namespace {

constexpr std::string_view kLengthHeader = "content-length";

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// The length a header block gives, or the reason it gives none.
struct HeaderBlock {
  std::optional<unsigned long long> length;
  std::string lengthText;  // as written: digits beyond any size are kept
  std::string problem;
};

void ReadHeader(std::string_view line, HeaderBlock& block) {
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) {
    if (block.problem.empty()) block.problem = "header line without ':'";
    return;
  }
  if (!EqualsIgnoringCase(Trim(line.substr(0, colon)), kLengthHeader)) return;
  const std::string_view value = Trim(line.substr(colon + 1));
  unsigned long long n = 0;
  auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), n);
  // Digits beyond any size are a length too, one no frame can have.
  if (error == std::errc::result_out_of_range) {
    n = std::numeric_limits<unsigned long long>::max();
    error = std::errc();
  }
  if (value.empty() || error != std::errc() || end != value.data() + value.size()) {
    if (block.problem.empty()) block.problem = "Content-Length is not a whole number";
    return;
  }
  block.length = n;
  block.lengthText = value;
}

}  // namespace

bool FrameReader::ReadHeaderLine(std::string* line) {
  line->clear();
  for (int c = in_.get(); c != std::char_traits<char>::eof(); c = in_.get()) {
    if (c == '\n') {
      if (!line->empty() && line->back() == '\r') line->pop_back();
      return true;
    }
    // The rest of an overlong line is read and dropped; it is no header.
    if (line->size() <= kMaxHeaderLine) line->push_back(static_cast<char>(c));
  }
  return false;
}

bool FrameReader::Skip(std::size_t count) {
  std::array<char, 65536> buffer;
  while (count > 0) {
    const std::size_t chunk = count < buffer.size() ? count : buffer.size();
    in_.read(buffer.data(), static_cast<std::streamsize>(chunk));
    if (static_cast<std::size_t>(in_.gcount()) != chunk) return false;
    count -= chunk;
  }
  return true;
}

bool FrameReader::SeekLengthHeader(std::string* line) {
  // A body ends without a line break, so the next header most often begins
  // in the middle of a line: the name is looked for anywhere. No letter of
  // it comes back after its first, so a mismatch only restarts the match.
  std::size_t matched = 0;
  for (int c = in_.get(); c != std::char_traits<char>::eof(); c = in_.get()) {
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : static_cast<char>(c);
    if (lower == kLengthHeader[matched]) {
      ++matched;
    } else {
      matched = lower == kLengthHeader[0] ? 1 : 0;
    }
    if (matched < kLengthHeader.size()) continue;
    matched = 0;
    while (in_.peek() == ' ' || in_.peek() == '\t') in_.get();
    if (in_.peek() != ':') continue;
    std::string rest;
    if (!ReadHeaderLine(&rest)) return false;
    *line = std::string(kLengthHeader) + rest;
    return true;
  }
  return false;
}

Frame FrameReader::Next() {
  Frame frame;
  if (pendingSkip_ > 0) {
    const std::size_t count = pendingSkip_;
    pendingSkip_ = 0;
    if (!Skip(count)) return frame;
  }
  HeaderBlock block;
  std::string line;
  bool sawHeader = false;
  if (resynchronise_) {
    resynchronise_ = false;
    if (!SeekLengthHeader(&line)) return frame;  // kEnd
    sawHeader = true;
    ReadHeader(line, block);
  }
  for (;;) {
    if (!ReadHeaderLine(&line)) return frame;  // kEnd
    if (line.empty()) {
      if (sawHeader) break;
      continue;  // blank lines between frames are tolerated
    }
    sawHeader = true;
    if (line.size() > kMaxHeaderLine) {
      if (block.problem.empty()) block.problem = "header line too long";
      continue;
    }
    ReadHeader(line, block);
  }
  if (block.problem.empty() && !block.length) block.problem = "no Content-Length header";
  if (!block.problem.empty()) {
    // A body announced beside the bad line is dropped with it.
    if (block.length && *block.length <= kMaxFrameBytes) {
      pendingSkip_ = static_cast<std::size_t>(*block.length);
    }
    frame.status = FrameStatus::kBadHeader;
    frame.problem = block.problem;
    return frame;
  }
  if (*block.length > kMaxFrameBytes) {
    frame.problem = "message of " + block.lengthText + " bytes refused (limit " +
                    std::to_string(kMaxFrameBytes) + ")";
    if (*block.length <= kMaxSkippedBytes) {
      pendingSkip_ = static_cast<std::size_t>(*block.length);
    } else {
      resynchronise_ = true;
    }
    frame.status = FrameStatus::kTooLarge;
    return frame;
  }
  frame.body.resize(static_cast<std::size_t>(*block.length));
  in_.read(frame.body.data(), static_cast<std::streamsize>(frame.body.size()));
  if (static_cast<std::size_t>(in_.gcount()) != frame.body.size()) return Frame{};
  frame.status = FrameStatus::kFrame;
  return frame;
}

std::string JsonShapeProblem(std::string_view body) {
  int depth = 0;
  // Every value but the outermost follows a '[', a ',' or a ':' (a key is
  // a string after '{' or ','); counting those counts the values, keys
  // included, closely enough for a bound.
  std::size_t values = 1;
  for (std::size_t at = 0; at < body.size(); ++at) {
    const char c = body[at];
    if (c == '"') {
      // To the closing quote; a backslash escapes the character after it.
      for (++at; at < body.size() && body[at] != '"'; ++at) {
        if (body[at] == '\\') ++at;
      }
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxJsonDepth) {
        return "the message nests deeper than " + std::to_string(kMaxJsonDepth) + " levels";
      }
      ++values;
    } else if (c == ']' || c == '}') {
      --depth;
    } else if (c == ',' || c == ':') {
      ++values;
    }
    if (values > kMaxJsonValues) {
      return "the message holds more than " + std::to_string(kMaxJsonValues) + " values";
    }
  }
  return "";
}

void WriteFrame(std::ostream& out, std::string_view body) {
  out << "Content-Length: " << body.size() << "\r\n\r\n" << body;
  out.flush();
}

}  // namespace sb::lsp
