// The requests about one description that read its text and the model
// its compile built, and change nothing: hover, completion, the outline,
// hints, formatting, column guidance, colours and folds.
#include <limits>
#include <memory>

#include "tools/lsp/features.h"
#include "tools/lsp/formatting.h"
#include "tools/lsp/params.h"
#include "tools/lsp/semantic_tokens.h"
#include "tools/lsp/server.h"
#include "tools/lsp/signature_help.h"

namespace sb::lsp {

const FileResult* Server::FileFor(const std::string& path, FileResult* alone) const {
  // Only the scenarios open in the editor are kept compiled; a request
  // about any other file is answered from its text alone, and nothing of
  // it is kept.
  const std::optional<Group> group = workspace_.GroupOf(path);
  const auto analysis = group ? analyses_.find(*group) : analyses_.end();
  if (analysis != analyses_.end()) {
    if (const FileResult* file = analysis->second.Find(path)) return file;
  }
  alone->text = workspace_.Peek(path);
  if (!alone->text) return nullptr;
  alone->path = path;
  return alone;
}

Status Server::HoverRequest(const nlohmann::json& params, nlohmann::json* result) {
  std::string path;
  SB_RETURN_IF_ERROR(DocumentPath(params, &path));
  TextPlace place;
  SB_RETURN_IF_ERROR(PlaceOf(params, &place));
  FileResult alone;
  const FileResult* file = FileFor(path, &alone);
  *result = file ? Hover(*file, IsLineDescription(path), place, encoding_) : nullptr;
  return Status::Ok();
}

Status Server::CompletionRequest(const nlohmann::json& params, nlohmann::json* result) {
  std::string path;
  SB_RETURN_IF_ERROR(DocumentPath(params, &path));
  TextPlace place;
  SB_RETURN_IF_ERROR(PlaceOf(params, &place));
  FileResult alone;
  const FileResult* file = FileFor(path, &alone);
  *result = file ? Completion(*file, IsLineDescription(path), place, snippets_, encoding_)
                 : nlohmann::json::array();
  return Status::Ok();
}

Status Server::SymbolsRequest(const nlohmann::json& params, nlohmann::json* result) {
  std::string path;
  SB_RETURN_IF_ERROR(DocumentPath(params, &path));
  FileResult alone;
  const FileResult* file = FileFor(path, &alone);
  *result =
      file ? DocumentSymbols(*file, IsLineDescription(path), encoding_) : nlohmann::json::array();
  return Status::Ok();
}

Status Server::HintsRequest(const nlohmann::json& params, nlohmann::json* result) {
  std::string path;
  SB_RETURN_IF_ERROR(DocumentPath(params, &path));
  int first = 0;
  int last = 0;
  SB_RETURN_IF_ERROR(LinesOf(params, &first, &last));
  FileResult alone;
  const FileResult* file = FileFor(path, &alone);
  *result = file ? InlayHints(*file, IsLineDescription(path), first, last, encoding_)
                 : nlohmann::json::array();
  return Status::Ok();
}

Status Server::FormattingRequest(const nlohmann::json& params, nlohmann::json* result) {
  std::string path;
  SB_RETURN_IF_ERROR(DocumentPath(params, &path));
  // The buffer as the editor holds it now, not the text last compiled.
  const std::shared_ptr<const SourceText> text = workspace_.Peek(path);
  *result = text ? FormattingEdits(*text, encoding_) : nlohmann::json::array();
  return Status::Ok();
}

Status Server::SignatureRequest(const nlohmann::json& params, nlohmann::json* result) {
  std::string path;
  SB_RETURN_IF_ERROR(DocumentPath(params, &path));
  TextPlace place;
  SB_RETURN_IF_ERROR(PlaceOf(params, &place));
  FileResult alone;
  const FileResult* file = FileFor(path, &alone);
  *result = file ? SignatureHelp(*file->text, IsLineDescription(path), place, encoding_) : nullptr;
  return Status::Ok();
}

Status Server::TokensRequest(const nlohmann::json& params, nlohmann::json* result) {
  std::string path;
  SB_RETURN_IF_ERROR(DocumentPath(params, &path));
  // The whole text, or the lines of a range.
  int first = 0;
  int last = std::numeric_limits<int>::max();
  if (params.contains("range")) SB_RETURN_IF_ERROR(LinesOf(params, &first, &last));
  FileResult alone;
  const FileResult* file = FileFor(path, &alone);
  *result = file ? SemanticTokens(*file->text, IsLineDescription(path), first, last, encoding_)
                 : nlohmann::json{{"data", nlohmann::json::array()}};
  return Status::Ok();
}

Status Server::FoldingRequest(const nlohmann::json& params, nlohmann::json* result) {
  std::string path;
  SB_RETURN_IF_ERROR(DocumentPath(params, &path));
  FileResult alone;
  const FileResult* file = FileFor(path, &alone);
  *result = file ? FoldingRanges(*file->text, IsLineDescription(path)) : nlohmann::json::array();
  return Status::Ok();
}

}  // namespace sb::lsp
