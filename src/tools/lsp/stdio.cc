#include "tools/lsp/stdio.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>

#include "tools/lsp/framing.h"
#include "tools/lsp/server.h"

namespace sb::lsp {
namespace {

void Send(std::ostream& out, const nlohmann::json& message) {
  // Texts quoted from a description may hold bytes that are not UTF-8.
  WriteFrame(out, message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

// A frame as the reader made it out: a message to handle, the error to
// answer in its place, or the end of the input.
struct Incoming {
  nlohmann::json message;
  std::optional<nlohmann::json> reply;
  // Sent after the reply: what the author must hear of, shown by the editor.
  std::optional<nlohmann::json> notice;
  bool end = false;
  // For a notification that changes a document's text (open, change,
  // save, close): its URI; "" otherwise.
  std::string textUri;
  // A message named "exit": whether it ends the server is the server's to
  // say, and the reader waits for its word.
  bool exit = false;
  // A shutdown request or an exit notification: whatever is being compiled
  // when it comes will never be shown.
  bool stops = false;
  std::size_t bytes = 0;  // of the frame
};

std::string TextUriOf(const nlohmann::json& m) {
  if (!m.is_object()) return "";
  const auto method = m.find("method");
  if (method == m.end() || !method->is_string() || m.contains("id")) return "";
  const std::string& name = method->get_ref<const std::string&>();
  if (name != "textDocument/didOpen" && name != "textDocument/didChange" &&
      name != "textDocument/didSave" && name != "textDocument/didClose") {
    return "";
  }
  const auto params = m.find("params");
  if (params == m.end() || !params->is_object()) return "";
  const auto document = params->find("textDocument");
  if (document == params->end() || !document->is_object()) return "";
  const auto uri = document->find("uri");
  return uri != document->end() && uri->is_string() ? uri->get<std::string>() : "";
}

bool IsExit(const nlohmann::json& m) {
  if (!m.is_object()) return false;
  const auto method = m.find("method");
  return method != m.end() && *method == "exit";
}

// As the server reads them: "shutdown" as a request, "exit" as a
// notification, and params of a kind it takes.
bool StopsCompiles(const nlohmann::json& m) {
  if (!m.is_object()) return false;
  const auto method = m.find("method");
  if (method == m.end() || !method->is_string()) return false;
  const bool request = m.contains("id");
  if (!(request ? *method == "shutdown" : *method == "exit")) return false;
  const auto params = m.find("params");
  return params == m.end() || params->is_null() || params->is_object() || params->is_array();
}

Incoming Decode(Frame frame) {
  Incoming in;
  in.bytes = frame.body.size();
  switch (frame.status) {
    case FrameStatus::kEnd: in.end = true; return in;
    case FrameStatus::kBadHeader:
      in.reply = ErrorResponse(nullptr, kParseError, "bad header: " + frame.problem);
      return in;
    case FrameStatus::kTooLarge:
      in.reply = ErrorResponse(nullptr, kInvalidRequest, frame.problem);
      // Most likely a document sent whole: without a word the author would
      // take the silence for a description without mistakes.
      in.notice = {{"jsonrpc", "2.0"},
                   {"method", "window/showMessage"},
                   {"params",
                    {{"type", kMessageError},
                     {"message", "scenario-builder: " + frame.problem +
                                     "; the editor server reads messages of at most 64 MiB, so "
                                     "a document that large is not checked: compile it with "
                                     "scenario-builder compile"}}}};
      return in;
    case FrameStatus::kFrame: break;
  }
  if (std::string problem = JsonShapeProblem(frame.body); !problem.empty()) {
    in.reply = ErrorResponse(nullptr, kInvalidRequest, problem);
    return in;
  }
  in.message = nlohmann::json::parse(frame.body, nullptr, false);
  if (in.message.is_discarded()) {
    in.reply = ErrorResponse(nullptr, kParseError, "the message is not JSON");
    return in;
  }
  in.textUri = TextUriOf(in.message);
  in.exit = IsExit(in.message);
  in.stops = StopsCompiles(in.message);
  return in;
}

// The messages read ahead of the one being handled. The reader thread
// puts them in; the server takes them out in order. A change to the
// document being compiled cancels that compile: its result would be thrown
// away, and the change refreshes the same scenario. So do a shutdown and an
// exit, after which nothing more is shown.
class Inbox {
 public:
  explicit Inbox(std::atomic<bool>* cancel) : cancel_(cancel) {}

  void Put(Incoming in) {
    std::unique_lock lock(mutex_);
    if (in.stops || (!in.textUri.empty() && in.textUri == compiling_)) *cancel_ = true;
    // A client that sends faster than the server compiles waits here; the
    // messages held are enough to see the newer changes. One message is
    // always let in, however large (up to the frame limit).
    roomy_.wait(lock, [&] {
      return queue_.empty() || (queue_.size() < kMaxHeld && heldBytes_ + in.bytes <= kMaxHeldBytes);
    });
    heldBytes_ += in.bytes;
    queue_.push_back(std::move(in));
    ready_.notify_one();
  }

  // After an "exit" has been put in: true when the server has ended on it,
  // false when it was no exit to the server (not a notification, say).
  bool Exited() {
    std::unique_lock lock(mutex_);
    verdict_.wait(lock, [&] { return exited_.has_value(); });
    const bool exited = *exited_;
    exited_.reset();
    return exited;
  }
  void TellExited(bool exited) {
    std::lock_guard lock(mutex_);
    exited_ = exited;
    verdict_.notify_one();
  }

  // The next message to handle: a change to a document is skipped when a
  // newer one of the same document is already here (full sync: the newer
  // holds the whole text). `textUri` of the one returned is then the
  // document being compiled until the next Take.
  Incoming Take() {
    std::unique_lock lock(mutex_);
    for (;;) {
      ready_.wait(lock, [&] { return !queue_.empty(); });
      Incoming in = std::move(queue_.front());
      queue_.pop_front();
      heldBytes_ -= in.bytes;
      roomy_.notify_one();
      if (IsStale(in)) continue;
      compiling_ = in.textUri;
      *cancel_ = IsSuperseded(in);
      return in;
    }
  }

 private:
  static constexpr std::size_t kMaxHeld = 256;
  // As much as one frame may hold.
  static constexpr std::size_t kMaxHeldBytes = kMaxFrameBytes;

  // A compile for `in` would be cancelled by a message already here.
  bool IsSuperseded(const Incoming& in) const {
    for (const Incoming& later : queue_) {
      if (later.stops || (!in.textUri.empty() && later.textUri == in.textUri)) return true;
    }
    return false;
  }

  bool IsStale(const Incoming& in) const {
    if (in.textUri.empty() || in.message.value("method", "") != "textDocument/didChange") {
      return false;
    }
    for (const Incoming& later : queue_) {
      if (later.textUri == in.textUri) return true;
    }
    return false;
  }

  std::mutex mutex_;
  std::condition_variable ready_;
  std::condition_variable roomy_;
  std::condition_variable verdict_;
  std::optional<bool> exited_;
  std::deque<Incoming> queue_;
  std::size_t heldBytes_ = 0;
  std::string compiling_;
  std::atomic<bool>* cancel_;
};

}  // namespace

int RunLanguageServer(std::istream& in, std::ostream& out, Disk& disk, ProjectReader projects) {
  std::atomic<bool> cancel{false};
  Inbox inbox(&cancel);
  // The reader stops at the end of the input or after the exit that ends
  // the server, so that it never reads past what this call was given.
  std::thread reader([&] {
    FrameReader frames(in);
    for (;;) {
      Incoming next = Decode(frames.Next());
      const bool end = next.end;
      const bool exit = next.exit;
      inbox.Put(std::move(next));
      if (end || (exit && inbox.Exited())) return;
    }
  });
  Server server(disk, std::move(projects));
  server.SetCancel(&cancel);
  while (!server.exited()) {
    Incoming next = inbox.Take();
    if (next.end) break;
    if (next.reply) {
      Send(out, *next.reply);
      if (next.notice) Send(out, *next.notice);
      continue;
    }
    for (const nlohmann::json& reply : server.Handle(next.message)) Send(out, reply);
    if (next.exit) inbox.TellExited(server.exited());
  }
  reader.join();
  return server.exitCode();
}

}  // namespace sb::lsp
