#include "tools/lsp/features.h"

#include <charconv>
#include <optional>
#include <string>
#include <vector>

#include "base/rounding.h"
#include "base/windows1252.h"
#include "compiler/line_features.h"
#include "model/km_post.h"
#include "tools/common/cell_note.h"
#include "tools/common/roles.h"
#include "tools/lsp/record_line.h"

namespace sb::lsp {
namespace {

constexpr int kSymbolNamespace = 3;
constexpr int kSymbolProperty = 7;
constexpr int kSymbolField = 8;
constexpr int kSymbolEvent = 24;
constexpr int kSymbolString = 15;
constexpr int kSymbolKey = 20;
constexpr int kCompletionKeyword = 14;
constexpr int kCompletionModule = 9;
constexpr int kFormatSnippet = 2;
constexpr int kFormatPlain = 1;

// A description's lines in both forms, and the record view of them.
struct Lines {
  std::vector<std::string_view> bytes;
  std::vector<std::string_view> utf8;
  std::vector<LineView> views;

  Lines(const SourceText& text, bool lineDescription)
      : bytes(SplitLines(text.bytes)), utf8(SplitLines(text.utf8)) {
    if (utf8.size() != bytes.size()) utf8 = bytes;
    views = ViewLines(bytes, lineDescription);
  }
  std::string_view Field(int line, int field) const {
    const FieldSpan f = views[line].fields[field];
    return bytes[line].substr(f.begin, f.end - f.begin);
  }
  nlohmann::json Range(int line, int begin, int end, PositionEncoding e) const {
    return {{"start", {{"line", line}, {"character", ToLspCharacter(utf8[line], begin, e)}}},
            {"end", {{"line", line}, {"character", ToLspCharacter(utf8[line], end, e)}}}};
  }
  nlohmann::json FieldRange(int line, int field, PositionEncoding e) const {
    const FieldSpan f = views[line].fields[field];
    return Range(line, f.begin, f.end, e);
  }
};

std::optional<double> CellOffset(CellRule rule) {
  switch (rule) {
    case CellRule::kPlain: return 0.0;
    case CellRule::kPlusOne: return 1.0;
    case CellRule::kMinusOne: return -1.0;
    case CellRule::kNone: return std::nullopt;
  }
  return std::nullopt;
}

const char* RuleText(CellRule rule) {
  switch (rule) {
    case CellRule::kPlain: return "position / 50";
    case CellRule::kPlusOne: return "position / 50 + 1";
    case CellRule::kMinusOne: return "position / 50 - 1";
    case CellRule::kNone: return "";
  }
  return "";
}

// A signal, slowdown or board stands on the cell after the one its position
// falls in: the page, inspect and the simulator show it there, 50 m on from
// what was written, which surprises an author who does not know it.
std::string OneCellOn(const ColumnSchema& c, int64_t metres, int64_t cell, const Scenario* s) {
  std::string subject(c.what);
  if (const std::size_t end = subject.rfind("'s position"); end != std::string::npos) {
    subject.resize(end);
  }
  const int64_t at = cell * kCellLength;
  std::string where = std::to_string(at) + " m";
  if (s) where += " (" + KmPost(s->items, at) + ")";
  std::string text = "\n\nwritten at " + std::to_string(metres) + " m, " + subject + " stands ";
  text += at == metres + kCellLength ? "one cell (50 m) on, at " + where
                                     : "on cell " + std::to_string(cell) + ", at " + where +
                                           " (position / 50 + 1, a half rounded to even)";
  return text + ": every signal, slowdown and board stands one cell on";
}

// The cell, km post and compiled cell of a position value.
std::string PositionText(const ColumnSchema& c, int64_t metres, const Scenario* s) {
  std::string text;
  if (s) text += "\n\n" + KmPost(s->items, metres);
  const std::optional<double> offset = CellOffset(c.cell);
  if (!offset) return text;
  const int64_t cell = CellIndex(metres, *offset);
  text += (s ? ", cell " : "\n\ncell ") + std::to_string(cell) + " (" + RuleText(c.cell) + ")";
  if (s && !s->ValidCell(cell)) return text + ": outside the cell grid";
  if (c.cell == CellRule::kPlusOne) text += OneCellOn(c, metres, cell, s);
  if (!s) return text;
  const TrackCell& held = s->cells[static_cast<std::size_t>(cell)];
  text += "\n\ncompiled cell: " + CellKindName(held.kind);
  const std::string note = CellNote(static_cast<std::size_t>(cell), held);
  if (!note.empty()) text += ", " + note;
  return text;
}

// What a curve keyword makes of the curve: its radius and the way it turns.
std::string CurveText(std::string_view keyword) {
  const std::optional<double> curvature = CurveCurvature(keyword);
  if (!curvature) return "\n\nthis keyword names none of the curvatures 1 to 6: error 103";
  const double radius = 1.0 / (*curvature < 0 ? -*curvature : *curvature);
  return "\n\nradius " + std::to_string(static_cast<int64_t>(radius + 0.5)) + " m, turning " +
         (*curvature < 0 ? "left (an 's' stands in the keyword)" : "right (no 's' in the keyword)");
}

std::string Snippet(const RecordSchema& r) {
  std::string s(r.keyword);
  for (std::size_t i = 0; i < r.columns.size(); ++i) {
    s += ", ${" + std::to_string(i + 1) + ":" + std::string(r.columns[i].name) + "}";
  }
  return s;
}

nlohmann::json Symbol(std::string name, std::string detail, int kind, nlohmann::json range,
                      nlohmann::json selection) {
  return {{"name", Windows1252ToUtf8(name.empty() ? std::string("(unnamed)") : name)},
          {"detail", Windows1252ToUtf8(detail)},
          {"kind", kind},
          {"range", std::move(range)},
          {"selectionRange", std::move(selection)},
          {"children", nlohmann::json::array()}};
}

std::optional<nlohmann::json> RecordSymbol(const Lines& lines, int line, const Scenario* s,
                                           PositionEncoding e) {
  const LineView& v = lines.views[line];
  const RecordSchema& r = *v.record;
  const int fields = static_cast<int>(v.fields.size());
  int kind = 0;
  switch (r.kind) {
    case RecordKind::kStation: kind = kSymbolKey; break;
    case RecordKind::kSignal: kind = kSymbolEvent; break;
    case RecordKind::kSlowdown: kind = kSymbolField; break;
    case RecordKind::kBoard: kind = kSymbolString; break;
    // Gradients, curves, mountains, speed limits, adhesion, speed points:
    // what shapes the line between its stations.
    case RecordKind::kOther: kind = kSymbolProperty; break;
    default: return std::nullopt;
  }
  const std::string position = fields > 1 ? std::string(lines.Field(line, 1)) : "";
  std::string detail = position.empty() ? "" : position + " m";
  if (const std::optional<int64_t> m = WholeNumber(position); m && s) {
    detail = KmPost(s->items, *m);
  }
  std::string name = std::string(r.title) + " " + position;
  if (r.kind == RecordKind::kStation && fields > static_cast<int>(r.columns.size())) {
    name = std::string(lines.Field(line, static_cast<int>(r.columns.size())));
  }
  const int end = static_cast<int>(lines.bytes[line].size());
  return Symbol(name, detail, kind, lines.Range(line, 0, end, e), lines.FieldRange(line, 0, e));
}

}  // namespace

std::string ColumnText(const ColumnSchema& c) {
  std::string s = "**" + std::string(c.name) + "**";
  if (!c.unit.empty()) s += " (" + std::string(c.unit) + ")";
  if (!c.range.empty()) s += ", " + std::string(c.range);
  if (!c.meaning.empty()) s += ": " + std::string(c.meaning);
  return s;
}

nlohmann::json Hover(const FileResult& file, bool lineDescription, TextPlace place,
                     PositionEncoding encoding) {
  const Lines lines(*file.text, lineDescription);
  if (place.line < 0 || place.line >= static_cast<int>(lines.bytes.size())) return nullptr;
  const LineView& v = lines.views[place.line];
  if (!v.record) return nullptr;
  const int character = FromLspCharacter(lines.utf8[place.line], place.character, encoding);
  const int field = FieldAt(v.fields, character);
  const RecordSchema& r = *v.record;
  // Appended rather than added: g++ 12 sees a false overlap in "**" + text.
  std::string text = "**";
  // A curve's keyword is the author's own: its letters and digits are what
  // the curve does.
  const bool curve = r.record == Record::kCurve;
  const std::string keyword =
      curve ? Windows1252ToUtf8(std::string(lines.Field(place.line, 0))) : std::string(r.keyword);
  text.append(r.title).append("** (`").append(keyword).append("`): ").append(r.meaning);
  if (curve) text += CurveText(lines.Field(place.line, 0));
  if (field == 0) {
    text += "\n\nvalues:";
    for (const ColumnSchema& c : r.columns) text.append(" ").append(c.name);
  } else if (field <= static_cast<int>(r.columns.size())) {
    const ColumnSchema& c = r.columns[field - 1];
    text.append("\n\nvalue ").append(std::to_string(field)).append(" of ");
    text.append(std::to_string(r.columns.size())).append(": ").append(ColumnText(c));
    const std::optional<int64_t> metres = WholeNumber(lines.Field(place.line, field));
    if (c.position && metres) text += PositionText(c, *metres, file.scenario.get());
  } else {
    text += "\n\nthis field is past the record's values: it is read as the next keyword";
  }
  return {{"contents", {{"kind", "markdown"}, {"value", text}}},
          {"range", lines.FieldRange(place.line, field, encoding)}};
}

nlohmann::json Completion(const FileResult& file, bool lineDescription, TextPlace place,
                          bool snippets, PositionEncoding encoding) {
  nlohmann::json items = nlohmann::json::array();
  const Lines lines(*file.text, lineDescription);
  if (place.line < 0 || place.line >= static_cast<int>(lines.bytes.size())) return items;
  const LineView& v = lines.views[place.line];
  const int character = FromLspCharacter(lines.utf8[place.line], place.character, encoding);
  if (FieldAt(v.fields, character) != 0) return items;
  const nlohmann::json range = lines.Range(place.line, v.fields[0].begin, character, encoding);
  // A header line is still being written: what it becomes decides its part.
  std::optional<RecordPart> part = v.part;
  if (v.header && place.line > 0) part = lines.views[place.line - 1].part;
  for (const RecordSchema& r : RecordSchemas()) {
    if (!part || r.part != *part) continue;
    items.push_back(
        {{"label", std::string(r.keyword)},
         {"kind", kCompletionKeyword},
         {"detail", std::string(r.title)},
         {"documentation", std::string(r.meaning)},
         {"insertTextFormat", snippets ? kFormatSnippet : kFormatPlain},
         {"textEdit",
          {{"range", range}, {"newText", snippets ? Snippet(r) : std::string(r.keyword) + ", "}}}});
  }
  for (const SectionHeader& h : SectionHeaders()) {
    if (h.lineDescription != lineDescription) continue;
    items.push_back({{"label", std::string(h.header)},
                     {"kind", kCompletionModule},
                     {"detail", "section"},
                     {"insertTextFormat", kFormatPlain},
                     {"textEdit", {{"range", range}, {"newText", std::string(h.header)}}}});
  }
  return items;
}

nlohmann::json DocumentSymbols(const FileResult& file, bool lineDescription,
                               PositionEncoding encoding) {
  const Lines lines(*file.text, lineDescription);
  const Scenario* s = file.scenario.get();
  nlohmann::json symbols = nlohmann::json::array();
  nlohmann::json* section = nullptr;
  for (int i = 0; i < static_cast<int>(lines.bytes.size()); ++i) {
    const LineView& v = lines.views[i];
    if (v.header) {
      const int end = static_cast<int>(lines.bytes[i].size());
      symbols.push_back(Symbol(std::string(lines.Field(i, 0)), "", kSymbolNamespace,
                               lines.Range(i, 0, end, encoding), lines.FieldRange(i, 0, encoding)));
      section = &symbols.back();
      continue;
    }
    if (section && lines.bytes[i].find_first_not_of(" \t") != std::string_view::npos) {
      const int end = static_cast<int>(lines.bytes[i].size());
      (*section)["range"]["end"] = lines.Range(i, 0, end, encoding)["end"];
    }
    if (!v.record) continue;
    std::optional<nlohmann::json> symbol = RecordSymbol(lines, i, s, encoding);
    if (!symbol) continue;
    (section ? (*section)["children"] : symbols).push_back(std::move(*symbol));
  }
  return symbols;
}

nlohmann::json InlayHints(const FileResult& file, bool lineDescription, int first, int last,
                          PositionEncoding encoding) {
  nlohmann::json hints = nlohmann::json::array();
  const Scenario* s = file.scenario.get();
  if (!s) return hints;
  const Lines lines(*file.text, lineDescription);
  const int count = static_cast<int>(lines.bytes.size());
  for (int i = first < 0 ? 0 : first; i <= last && i < count; ++i) {
    const LineView& v = lines.views[i];
    if (!v.record) continue;
    for (std::size_t c = 0; c < v.record->columns.size() && c + 1 < v.fields.size(); ++c) {
      if (!v.record->columns[c].position) continue;
      const std::optional<int64_t> metres = WholeNumber(lines.Field(i, static_cast<int>(c + 1)));
      if (!metres) continue;
      const int end = v.fields[c + 1].end;
      hints.push_back(
          {{"position", {{"line", i}, {"character", ToLspCharacter(lines.utf8[i], end, encoding)}}},
           {"label", KmPost(s->items, *metres)},
           {"paddingLeft", true}});
    }
  }
  return hints;
}

}  // namespace sb::lsp
