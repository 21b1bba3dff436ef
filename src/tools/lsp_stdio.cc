#include "tools/lsp_stdio.h"

#include <nlohmann/json.hpp>

#include "tools/lsp_framing.h"
#include "tools/lsp_server.h"

namespace sb::lsp {
namespace {

void Send(std::ostream& out, const nlohmann::json& message) {
  // Texts quoted from a description may hold bytes that are not UTF-8.
  WriteFrame(out, message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

}  // namespace

int RunLanguageServer(std::istream& in, std::ostream& out) {
  FrameReader reader(in);
  Server server;
  while (!server.exited()) {
    Frame frame = reader.Next();
    if (frame.status == FrameStatus::kEnd) break;
    if (frame.status == FrameStatus::kBadHeader) {
      Send(out, ErrorResponse(nullptr, kParseError, "bad header: " + frame.problem));
      continue;
    }
    if (frame.status == FrameStatus::kTooLarge) {
      Send(out, ErrorResponse(nullptr, kInvalidRequest, frame.problem));
      continue;
    }
    if (std::string problem = JsonShapeProblem(frame.body); !problem.empty()) {
      Send(out, ErrorResponse(nullptr, kInvalidRequest, problem));
      continue;
    }
    nlohmann::json message = nlohmann::json::parse(frame.body, nullptr, false);
    if (message.is_discarded()) {
      Send(out, ErrorResponse(nullptr, kParseError, "the message is not JSON"));
      continue;
    }
    for (const nlohmann::json& reply : server.Handle(message)) Send(out, reply);
  }
  return server.exitCode();
}

}  // namespace sb::lsp
