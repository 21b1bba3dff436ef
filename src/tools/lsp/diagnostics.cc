#include "tools/lsp/diagnostics.h"

#include <cstdio>
#include <string_view>

#include "base/printable.h"
#include "base/windows1252.h"
#include "compiler/error_codes.h"
#include "compiler/warnings.h"
#include "model/km_post.h"
#include "tools/lsp/params.h"
#include "tools/lsp/record_line.h"
#include "tools/lsp/unread.h"

namespace sb::lsp {
namespace {

constexpr int kSeverityError = 1;
constexpr int kSeverityWarning = 2;

// Built member by member: an initializer list copies each of its values
// once more, and a description may have tens of thousands of diagnostics.
nlohmann::json Position(int line, int character) {
  nlohmann::json position(nlohmann::json::value_t::object);
  position.emplace("line", line);
  position.emplace("character", character);
  return position;
}

nlohmann::json Range(nlohmann::json start, nlohmann::json end) {
  nlohmann::json range(nlohmann::json::value_t::object);
  range.emplace("start", std::move(start));
  range.emplace("end", std::move(end));
  return range;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool WholeUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    const std::size_t length = Utf8SequenceAt(text, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

// A text that looks like UTF-8, told in the editor. The editor's buffer is
// the file read as Windows-1252, so the text already stands there as the
// simulator will show it: quoting it once more, as compile's message does
// for a terminal, would show it mangled twice. What was likely meant is the
// stored bytes read as UTF-8.
std::string TextEncodingMessage(const Diagnostic& d) {
  const std::string_view text = Trimmed(d.subject);
  const std::string shown = Windows1252ToUtf8(std::string(text));
  std::string message = "'" + shown +
                        "' looks like UTF-8 read as Windows-1252: the simulator shows it as it "
                        "stands here";
  if (!WholeUtf8(text)) return message + "\nhint: retype its accented letters";
  return message + ", not as '" + std::string(text) + "'\nhint: write '" + std::string(text) +
         "' if that is what is meant";
}

// Messages are plain ASCII around the author's own bytes, which are
// Windows-1252.
std::string MessageOf(const Diagnostic& d, const Scenario* scenario) {
  if (d.is_warning() && d.warning == Warning::kTextEncoding && !d.subject.empty()) {
    return TextEncodingMessage(d);
  }
  std::string message = d.message.empty() ? std::string(ErrorMeaning(d.code)) : d.message;
  if (d.position) {
    message += " (at " + std::to_string(*d.position) + " m";
    if (scenario) message += ", " + KmPost(scenario->items, *d.position);
    message += ")";
  }
  if (!d.hint.empty()) message += "\nhint: " + d.hint;
  return Windows1252ToUtf8(message);
}

nlohmann::json Related(const Diagnostic& d, const FileResult& file, const GroupAnalysis& analysis,
                       PositionEncoding encoding) {
  nlohmann::json related = nlohmann::json::array();
  for (const RelatedLocation& r : d.related) {
    const std::string path = r.file.empty() ? file.path : FolderOf(file.path) + "/" + r.file;
    const FileResult* other = analysis.Find(path);
    const SourceText empty;
    nlohmann::json range = FieldRange(other ? *other->text : empty, r.line, r.column, encoding);
    related.push_back({{"location", {{"uri", PathToUri(path)}, {"range", std::move(range)}}},
                       {"message", Windows1252ToUtf8(r.message)}});
  }
  return related;
}

nlohmann::json UnencodableDiagnostic(const SourceText& text, const Unencodable& u,
                                     PositionEncoding encoding) {
  const std::string_view line =
      u.line < text.LineCount() ? text.Utf8Line(u.line) : std::string_view();
  char codePoint[16];
  std::snprintf(codePoint, sizeof codePoint, "U+%04X", static_cast<unsigned>(u.codePoint));
  return {{"range",
           {{"start", Position(u.line, ToLspCharacter(line, u.character, encoding))},
            {"end", Position(u.line, ToLspCharacter(line, u.character + 1, encoding))}}},
          {"severity", kSeverityWarning},
          {"code", kUnencodableCode},
          {"source", kSource},
          {"message", std::string("character ") + codePoint +
                          " cannot be stored in a description (Windows-1252); it is read as '?'"}};
}

}  // namespace

nlohmann::json FieldRange(const SourceText& text, int line, int column, PositionEncoding encoding) {
  const int index = line > 0 ? line - 1 : 0;
  if (index >= text.LineCount() || text.utf8Lines.size() != text.LineCount()) {
    return Range(Position(index, 0), Position(index, 0));
  }
  const std::string_view bytes = text.ByteLine(index);
  const std::string_view utf8 = text.Utf8Line(index);
  const FieldSpan span = line > 0 && column > 0 ? FieldFrom(bytes, column - 1)
                                                : FieldSpan{0, static_cast<int>(bytes.size())};
  return Range(Position(index, ToLspCharacter(utf8, span.begin, encoding)),
               Position(index, ToLspCharacter(utf8, span.end, encoding)));
}

nlohmann::json LspDiagnostics(const FileResult& file, const GroupAnalysis& analysis,
                              PositionEncoding encoding) {
  nlohmann::json out = nlohmann::json::array();
  const auto add = [&](const Diagnostic& d) {
    nlohmann::json j;
    j["range"] = FieldRange(*file.text, d.line, d.column, encoding);
    j["severity"] = d.is_warning() ? kSeverityWarning : kSeverityError;
    if (d.is_warning()) {
      j["code"] = std::string(WarningId(d.warning));
    } else {
      j["code"] = d.code;
    }
    j["source"] = kSource;
    j["message"] = MessageOf(d, file.scenario.get());
    if (!d.related.empty()) j["relatedInformation"] = Related(d, file, analysis, encoding);
    out.push_back(std::move(j));
  };
  for (const Diagnostic& d : file.diagnostics) add(d);
  for (const Diagnostic& d : file.timing) add(d);
  for (const Unencodable& u : file.text->unencodable) {
    out.push_back(UnencodableDiagnostic(*file.text, u, encoding));
  }
  for (nlohmann::json& j : UnreadDiagnostics(file, IsLineDescription(file.path), encoding)) {
    out.push_back(std::move(j));
  }
  return out;
}

}  // namespace sb::lsp
