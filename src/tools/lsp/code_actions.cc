#include "tools/lsp/code_actions.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>
#include <vector>

#include "base/windows1252.h"
#include "compiler/warnings.h"
#include "tools/lsp/record_line.h"

namespace sb::lsp {
namespace {

constexpr const char* kQuickFix = "quickfix";
constexpr const char* kRewrite = "refactor.rewrite";

// A description's lines in both forms, split once per request.
struct Lines {
  std::string_view bytes;
  std::vector<std::string_view> byteLines;
  std::vector<std::string_view> utf8Lines;

  explicit Lines(const SourceText& text)
      : bytes(text.bytes), byteLines(SplitLines(text.bytes)), utf8Lines(SplitLines(text.utf8)) {
    if (utf8Lines.size() != byteLines.size()) utf8Lines = byteLines;
  }
  int count() const { return static_cast<int>(byteLines.size()); }
  std::size_t Offset(int line) const {
    return static_cast<std::size_t>(byteLines[line].data() - bytes.data());
  }
  nlohmann::json Position(int line, int character, PositionEncoding e) const {
    return {{"line", line}, {"character", ToLspCharacter(utf8Lines[line], character, e)}};
  }
};

// Where an edit's replaced text ends: lines and characters after its start.
struct Reach {
  int lines = 0;
  int characters = 0;  // on its last line, from that line's start when lines > 0
};

Reach ReachOf(std::string_view replaced) {
  Reach r;
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < replaced.size(); ++i) {
    if (replaced[i] != '\n' && replaced[i] != '\r') continue;
    if (replaced[i] == '\r' && i + 1 < replaced.size() && replaced[i + 1] == '\n') ++i;
    ++r.lines;
    lineStart = i + 1;
  }
  r.characters = static_cast<int>(replaced.size() - lineStart);
  return r;
}

// Whether `edit` still finds the text it replaces.
bool Applies(const Lines& lines, const TextEdit& edit) {
  if (edit.line < 1 || edit.line > lines.count() || edit.column < 1) return false;
  const std::string_view line = lines.byteLines[edit.line - 1];
  if (static_cast<std::size_t>(edit.column - 1) > line.size()) return false;
  const std::size_t at = lines.Offset(edit.line - 1) + edit.column - 1;
  return lines.bytes.substr(at, edit.replaced.size()) == edit.replaced;
}

std::optional<nlohmann::json> LspEdit(const Lines& lines, const TextEdit& edit,
                                      PositionEncoding e) {
  if (!Applies(lines, edit)) return std::nullopt;
  const int line = edit.line - 1;
  const Reach reach = ReachOf(edit.replaced);
  const int endLine = line + reach.lines;
  if (endLine >= lines.count()) return std::nullopt;
  const int endCharacter = reach.lines == 0 ? edit.column - 1 + reach.characters : reach.characters;
  return nlohmann::json{{"range",
                         {{"start", lines.Position(line, edit.column - 1, e)},
                          {"end", lines.Position(endLine, endCharacter, e)}}},
                        {"newText", Windows1252ToUtf8(edit.text)}};
}

// The fix as the editor applies it; nothing when one of its edits no longer
// finds its text.
std::optional<nlohmann::json> WorkspaceEdit(const Lines& lines, const Fix& fix,
                                            const std::string& uri, PositionEncoding e) {
  nlohmann::json edits = nlohmann::json::array();
  for (const TextEdit& edit : fix.edits) {
    std::optional<nlohmann::json> lsp = LspEdit(lines, edit, e);
    if (!lsp) return std::nullopt;
    edits.push_back(std::move(*lsp));
  }
  if (edits.empty()) return std::nullopt;
  return nlohmann::json{{"changes", {{uri, std::move(edits)}}}};
}

// The description's bytes with `fix` applied (its edits checked to apply).
std::string Applied(const Lines& lines, const Fix& fix) {
  std::vector<const TextEdit*> edits;
  for (const TextEdit& edit : fix.edits) edits.push_back(&edit);
  // From the end, so that each edit's offset holds when it is made.
  std::sort(edits.begin(), edits.end(), [&](const TextEdit* a, const TextEdit* b) {
    return lines.Offset(a->line - 1) + a->column > lines.Offset(b->line - 1) + b->column;
  });
  std::string out(lines.bytes);
  for (const TextEdit* edit : edits) {
    out.replace(lines.Offset(edit->line - 1) + edit->column - 1, edit->replaced.size(), edit->text);
  }
  return out;
}

nlohmann::json CodeOf(const Diagnostic& d) {
  if (d.is_warning()) return std::string(WarningId(d.warning));
  return Number(d.code);
}

// The diagnostics the editor sent that stand for `d`: the same code on the
// same line.
nlohmann::json Echoed(const nlohmann::json& sent, const Diagnostic& d) {
  nlohmann::json out = nlohmann::json::array();
  const nlohmann::json code = CodeOf(d);
  for (const nlohmann::json& s : sent) {
    if (!s.is_object() || s.value("code", nlohmann::json()) != code) continue;
    const nlohmann::json* range = s.contains("range") ? &s["range"] : nullptr;
    if (range && range->is_object() && range->contains("start") && (*range)["start"].is_object() &&
        (*range)["start"].value("line", -1) == d.line - 1) {
      out.push_back(s);
    }
  }
  return out;
}

nlohmann::json Action(const std::string& title, const char* kind, nlohmann::json diagnostics,
                      nlohmann::json edit, bool preferred) {
  nlohmann::json action = {{"title", title}, {"kind", kind}, {"edit", std::move(edit)}};
  if (!diagnostics.empty()) action["diagnostics"] = std::move(diagnostics);
  if (preferred) action["isPreferred"] = true;
  return action;
}

// Whether compiling the text with `fix` applied leaves the record it edits
// without an error, and without a warning that line did not have.
bool LeavesRecordClean(const Lines& lines, const Fix& fix, const FileResult& file,
                       const GroupAnalysis& analysis, const Workspace& workspace) {
  const int line = fix.edits.front().line;
  std::vector<Warning> had;
  for (const Diagnostic& d : file.diagnostics) {
    if (d.line == line && d.is_warning()) had.push_back(d.warning);
  }
  for (const Diagnostic& d :
       CompileEdited(analysis.group, workspace, file.path, Applied(lines, fix))) {
    if (d.line != line) continue;
    if (!d.is_warning()) return false;
    if (std::find(had.begin(), had.end(), d.warning) == had.end()) return false;
  }
  return true;
}

// The fixes of `d` that are offered: all of them, or of candidates the
// first that holds.
std::vector<const Fix*> Offered(const Diagnostic& d, const Lines& lines, const FileResult& file,
                                const GroupAnalysis& analysis, const Workspace& workspace) {
  std::vector<const Fix*> offered;
  for (const Fix& fix : d.fixes) {
    const bool applies =
        !fix.edits.empty() && std::all_of(fix.edits.begin(), fix.edits.end(),
                                          [&](const TextEdit& e) { return Applies(lines, e); });
    if (!applies) continue;
    if (!d.fixesToTry) {
      offered.push_back(&fix);
    } else if (LeavesRecordClean(lines, fix, file, analysis, workspace)) {
      offered.push_back(&fix);
      break;
    }
  }
  return offered;
}

// A record and the lines above it that are none (comments, blank lines),
// which go with it.
struct Block {
  int from = 0;
  int record = 0;
  int64_t position = 0;
};

// The sort of the section that holds `line`: its records by position, each
// with the comments above it; those that open the section stay where they
// are. Nothing when the section is in order or holds a record without a
// position.
std::optional<nlohmann::json> SortEdit(const Lines& lines, bool lineDescription, int line,
                                       const std::string& uri, PositionEncoding e, int* first,
                                       int* last) {
  const std::vector<LineView> views = ViewLines(lines.byteLines, lineDescription);
  if (line < 0 || line >= lines.count() || views[line].part == RecordPart::kLineGeneral) {
    return std::nullopt;
  }
  int begin = line;
  while (begin > 0 && !views[begin].header) --begin;
  if (views[begin].header) ++begin;
  int end = line + (views[line].header ? 1 : 0);
  if (views[line].header) begin = end;
  while (end < lines.count() && !views[end].header) ++end;
  std::vector<Block> blocks;
  int pending = -1;
  for (int i = begin; i < end; ++i) {
    const LineView& v = views[i];
    if (!v.record) {
      if (pending < 0 && !blocks.empty()) pending = i;
      continue;
    }
    const bool positioned = !v.record->columns.empty() && v.record->columns[0].position;
    const std::optional<int64_t> position =
        positioned && v.fields.size() > 1
            ? WholeNumber(
                  lines.byteLines[i].substr(v.fields[1].begin, v.fields[1].end - v.fields[1].begin))
            : std::nullopt;
    if (!position) return std::nullopt;
    blocks.push_back({pending < 0 ? i : pending, i, *position});
    pending = -1;
  }
  std::vector<Block> sorted = blocks;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const Block& a, const Block& b) { return a.position < b.position; });
  const auto same = [](const Block& a, const Block& b) { return a.record == b.record; };
  if (std::equal(blocks.begin(), blocks.end(), sorted.begin(), same)) return std::nullopt;
  std::string text;
  for (const Block& b : sorted) {
    for (int i = b.from; i <= b.record; ++i) {
      if (!text.empty()) text += '\n';
      text += lines.utf8Lines[i];
    }
  }
  *first = blocks.front().from;
  *last = blocks.back().record;
  const int lastLength = static_cast<int>(lines.byteLines[*last].size());
  nlohmann::json edit = {
      {"range",
       {{"start", lines.Position(*first, 0, e)}, {"end", lines.Position(*last, lastLength, e)}}},
      {"newText", text}};
  return nlohmann::json{{"changes", {{uri, nlohmann::json::array({std::move(edit)})}}}};
}

}  // namespace

bool KindWanted(const nlohmann::json& only, const std::string& kind) {
  if (!only.is_array() || only.empty()) return true;
  for (const nlohmann::json& o : only) {
    if (!o.is_string()) continue;
    const std::string wanted = o.get<std::string>();
    if (kind == wanted || kind.rfind(wanted + ".", 0) == 0) return true;
  }
  return false;
}

nlohmann::json CodeActions(const FileResult& file, const GroupAnalysis& analysis,
                           const Workspace& workspace, bool lineDescription,
                           const ActionRequest& request, PositionEncoding encoding) {
  nlohmann::json actions = nlohmann::json::array();
  const Lines lines(*file.text);
  const auto asked = [&](int line) {
    return line >= request.firstLine && line <= request.lastLine;
  };
  if (KindWanted(request.only, kQuickFix)) {
    for (const Diagnostic& d : file.diagnostics) {
      if (d.fixes.empty() || d.line < 1 || !asked(d.line - 1)) continue;
      const std::vector<const Fix*> offered = Offered(d, lines, file, analysis, workspace);
      for (const Fix* fix : offered) {
        std::optional<nlohmann::json> edit = WorkspaceEdit(lines, *fix, request.uri, encoding);
        if (!edit) continue;
        actions.push_back(Action(Windows1252ToUtf8(fix->title), kQuickFix,
                                 Echoed(request.diagnostics, d), std::move(*edit),
                                 offered.size() == 1));
      }
    }
  }
  int first = 0;
  int last = 0;
  std::optional<nlohmann::json> sort =
      SortEdit(lines, lineDescription, request.firstLine, request.uri, encoding, &first, &last);
  if (!sort) return actions;
  // Offered as the fix of the out-of-order warnings asked about, else as a
  // rewrite anywhere in the section.
  nlohmann::json warnings = nlohmann::json::array();
  bool warned = false;
  for (const Diagnostic& d : file.diagnostics) {
    if (!d.is_warning() || d.warning != Warning::kOutOfOrder || !asked(d.line - 1)) continue;
    if (d.line - 1 < first || d.line - 1 > last) continue;
    warned = true;
    for (const nlohmann::json& sent : Echoed(request.diagnostics, d)) warnings.push_back(sent);
  }
  const char* kind = warned ? kQuickFix : kRewrite;
  if (KindWanted(request.only, kind)) {
    actions.push_back(Action(kSortTitle, kind, std::move(warnings), std::move(*sort), false));
  }
  return actions;
}

}  // namespace sb::lsp
