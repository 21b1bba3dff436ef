#include "app/warning_folds.h"

#include <unordered_map>

#include "base/printable.h"

namespace sb {
namespace {

// Runs of lines listed before a note gives only the first and the last.
constexpr std::size_t kListedRuns = 4;

bool IsAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A quote opens a quoted text only where no word goes on before it and
// closes only where none goes on after it: "the signal's position" holds
// an apostrophe, not a quote.
void AppendShape(std::string_view text, std::string& out) {
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    const bool wordBefore = i > 0 && IsAlnum(text[i - 1]);
    if (c == '\'' && !wordBefore) {
      std::size_t close = i + 1;
      while (close < text.size() &&
             !(text[close] == '\'' && (close + 1 == text.size() || !IsAlnum(text[close + 1])))) {
        ++close;
      }
      if (close < text.size()) {
        out += "''";
        i = close + 1;
        continue;
      }
    }
    if (IsDigit(c) || (c == '-' && !wordBefore && i + 1 < text.size() && IsDigit(text[i + 1]))) {
      ++i;
      while (i < text.size() && IsDigit(text[i])) ++i;
      out += '#';
      continue;
    }
    out += c;
    ++i;
  }
}

std::string KeyOf(const Diagnostic& d) {
  std::string key = d.file;
  key += '\0';
  key += std::to_string(static_cast<int>(d.warning));
  key += '\0';
  return key + WarningShape(d);
}

}  // namespace

std::string WarningShape(const Diagnostic& d) {
  std::string out;
  AppendShape(DiagnosticMessage(d), out);
  out += '\n';
  AppendShape(d.hint, out);
  return out;
}

WarningFolds::WarningFolds(const std::vector<Diagnostic>& all,
                           const std::function<bool(const Diagnostic&)>& reported)
    : groupOf_(all.size(), kNone) {
  // Kinds are found by a hash of their key and told apart by the key
  // itself, built again for the first of the kind: a report of very many
  // warnings keeps no second text of each.
  std::unordered_map<std::size_t, std::vector<std::int32_t>> kinds;
  for (std::size_t i = 0; i < all.size(); ++i) {
    const Diagnostic& d = all[i];
    if (!d.is_warning() || d.file.empty() || !reported(d)) continue;
    const std::string key = KeyOf(d);
    std::vector<std::int32_t>& candidates = kinds[std::hash<std::string>{}(key)];
    std::int32_t found = kNone;
    for (std::int32_t g : candidates) {
      if (KeyOf(all[groups_[static_cast<std::size_t>(g)].first]) == key) {
        found = g;
        break;
      }
    }
    if (found == kNone) {
      found = static_cast<std::int32_t>(groups_.size());
      groups_.push_back({i, 0, {}, false, 0, 0});
      candidates.push_back(found);
    } else {
      Group& g = groups_[static_cast<std::size_t>(found)];
      ++g.more;
      AddLine(g, d.line);
    }
    groupOf_[i] = found;
  }
}

void WarningFolds::AddLine(Group& g, int line) {
  if (line <= 0) return;
  if (g.firstLine == 0) g.firstLine = line;
  g.lastLine = line;
  if (!g.runs.empty() && (line == g.runs.back().second || line == g.runs.back().second + 1)) {
    g.runs.back().second = line;
  } else if (g.runs.size() < kListedRuns) {
    g.runs.emplace_back(line, line);
  } else {
    g.moreRuns = true;
  }
}

bool WarningFolds::Folded(std::size_t index) const {
  const std::int32_t g = groupOf_[index];
  return g != kNone && groups_[static_cast<std::size_t>(g)].first != index;
}

WarningFolds::Like WarningFolds::LikeIt(std::size_t index) const {
  const std::int32_t found = groupOf_[index];
  if (found == kNone) return {};
  const Group& g = groups_[static_cast<std::size_t>(found)];
  if (g.first != index || g.more == 0) return {};
  Like like{g.more, g.firstLine, {}};
  if (g.runs.empty()) return like;
  if (g.moreRuns) {
    like.lines = "lines " + std::to_string(g.firstLine) + " to " + std::to_string(g.lastLine);
    return like;
  }
  const bool one = g.runs.size() == 1 && g.runs[0].first == g.runs[0].second;
  like.lines = one ? "line " : "lines ";
  for (std::size_t i = 0; i < g.runs.size(); ++i) {
    if (i > 0) like.lines += ", ";
    like.lines += std::to_string(g.runs[i].first);
    if (g.runs[i].second != g.runs[i].first) {
      like.lines.append("-").append(std::to_string(g.runs[i].second));
    }
  }
  return like;
}

// The note's place is the first warning folded, where an editor that reads
// compiler output then leads.
std::string FoldNote(const Diagnostic& first, const WarningFolds::Like& like) {
  std::string out = EscapeControls(first.file);
  if (like.firstLine > 0) out.append(":").append(std::to_string(like.firstLine));
  out += ": note: and " + std::to_string(like.more) + " more like it";
  if (!like.lines.empty()) out += " (" + like.lines + ")";
  return out;
}

}  // namespace sb
