#include "tools/project/project_file.h"

#include <cmath>
#include <span>

#include "base/printable.h"
#include "description/keyword_suggestion.h"
#include "model/file_names.h"
#include "tools/project/project_keys.h"
#include "tools/project/train_figures.h"

namespace sb {
namespace {

using project::Fits;
using project::kExtraRowKeys;
using project::KeyRule;
using project::Kind;
using project::KindName;
using project::kNotesKeys;
using project::kOrderKeys;
using project::kSheetKeys;
using project::kSpeedLimitKeys;
using project::kStationKeys;
using project::kTopKeys;
using project::kTrainFigures;
using project::kTrainKeys;
using project::NodeTypeName;
using project::RangeBroken;
using project::TableName;
using project::TrainFigure;

// The sheet's speed cells hold three digits.
constexpr int64_t kMaxMarchingKmh = 999;
constexpr double kMaxRecoveryMinutes = 100;

class Parser {
 public:
  Parser(std::string_view bytes, std::string_view fileName) {
    out_.project.fileName = std::string(fileName);
    out_.project.source = std::string(bytes);
  }

  ProjectParse Run() {
    toml::parse_result parsed = toml::parse(out_.project.source, out_.project.fileName);
    if (!parsed) {
      const toml::parse_error& error = parsed.error();
      Error(Place(error.source().begin), std::string(error.description()));
      return std::move(out_);
    }
    ReadTop(parsed.table());
    if (out_.diagnostics.empty()) Resolve();
    return std::move(out_);
  }

 private:
  Project& project() { return out_.project; }

  // toml++ counts columns in characters; diagnostics count bytes.
  ProjectPlace Place(const toml::source_position& position) const {
    ProjectPlace place{static_cast<int>(position.line), static_cast<int>(position.column)};
    const std::string_view text = LineText(place.line);
    std::size_t at = 0;
    for (int character = 1; character < place.column && at < text.size(); ++character) {
      const std::size_t sequence = Utf8SequenceAt(text, at);
      at += sequence > 0 ? sequence : 1;
    }
    if (place.column > 0) place.column = static_cast<int>(at) + 1;
    return place;
  }

  ProjectPlace Place(const toml::node& node) const { return Place(node.source().begin); }
  ProjectPlace Place(const toml::key& key) const { return Place(key.source().begin); }

  // Lines are found through an index of their starts, made once: every
  // value asks for its line.
  std::string_view LineText(int line) const {
    const std::string_view source = out_.project.source;
    if (lineStarts_.empty()) {
      lineStarts_.push_back(0);
      for (std::size_t i = 0; i < source.size(); ++i) {
        if (source[i] == '\n') lineStarts_.push_back(i + 1);
      }
    }
    if (line < 1 || static_cast<std::size_t>(line) > lineStarts_.size()) return {};
    std::string_view rest = source.substr(lineStarts_[static_cast<std::size_t>(line) - 1]);
    rest = rest.substr(0, rest.find('\n'));
    if (rest.ends_with('\r')) rest.remove_suffix(1);
    return rest;
  }

  Diagnostic& Error(ProjectPlace place, std::string message, std::string hint = "") {
    out_.diagnostics.push_back(
        ProjectDiagnostic(out_.project, place, std::move(message), std::move(hint)));
    return out_.diagnostics.back();
  }

  // Reports the keys that are not in `keys` or not of their kind; true when
  // every key is known and of its kind.
  bool CheckKeys(const toml::table& table, std::span<const KeyRule> keys, TableName where) {
    bool good = true;
    for (auto&& [key, node] : table) {
      const KeyRule* rule = nullptr;
      for (const KeyRule& k : keys) {
        if (k.name == key.str()) rule = &k;
      }
      if (rule == nullptr) {
        UnknownKey(key, keys, where);
        good = false;
      } else if (!Fits(node, rule->kind)) {
        WrongType(key, node, *rule);
        good = false;
      }
    }
    return good;
  }

  void UnknownKey(const toml::key& key, std::span<const KeyRule> keys, TableName where) {
    std::vector<std::string_view> names;
    for (const KeyRule& k : keys) names.push_back(k.name);
    std::string message = "unknown key '" + std::string(key.str()) + "'";
    if (!where.key.empty()) message += " in " + where.Shown();
    const std::string_view nearest = NearestKeyword(key.str(), names);
    std::string hint;
    if (!nearest.empty()) {
      hint = "did you mean '" + std::string(nearest) + "'?";
    } else {
      hint = (where.key.empty() ? std::string("the keys at the top are ")
                                : "the keys of " + where.Shown() + " are ");
      for (std::size_t i = 0; i < keys.size(); ++i) {
        if (i > 0) hint += ", ";
        hint += keys[i].name;
      }
    }
    Error(Place(key), std::move(message), std::move(hint));
  }

  void WrongType(const toml::key& key, const toml::node& node, const KeyRule& rule) {
    std::string message = "'" + std::string(key.str()) + "' must be " +
                          std::string(KindName(rule.kind)) + ", not " +
                          std::string(NodeTypeName(node));
    std::string hint;
    const std::string name(key.str());
    if ((rule.kind == Kind::kString || rule.kind == Kind::kStringOrTable) &&
        (node.is_integer() || node.is_floating_point())) {
      hint = "write it in quotes: " + name + " = \"" + std::string(LineTextOf(node)) + "\"";
    } else if (rule.kind == Kind::kTable) {
      hint = "write [" + name + "] on a line of its own and its keys on the lines below";
    } else if (rule.kind == Kind::kTables) {
      hint = "write [[" + name + "]] before each one's keys";
    } else if (rule.kind == Kind::kInteger && node.is_floating_point()) {
      hint = "write it without a fraction";
    } else if (node.is_string() && rule.kind != Kind::kString) {
      hint = "write it without quotes";
    }
    // A table's own place is its header; the value's place is after the key.
    Error(node.is_table() || node.is_array() ? Place(key) : Place(node), std::move(message),
          std::move(hint));
  }

  // The value's text as written (a number the author meant as a name).
  std::string_view LineTextOf(const toml::node& node) const {
    const toml::source_region& region = node.source();
    if (region.begin.line != region.end.line) return {};
    const ProjectPlace begin = Place(region.begin);
    const ProjectPlace end = Place(region.end);
    const std::string_view text = LineText(begin.line);
    if (begin.column < 1 || end.column < begin.column ||
        static_cast<std::size_t>(end.column - 1) > text.size()) {
      return {};
    }
    return text.substr(static_cast<std::size_t>(begin.column - 1),
                       static_cast<std::size_t>(end.column - begin.column));
  }

  template <typename T>
  std::optional<Located<T>> Get(const toml::table& table, std::string_view key) {
    const toml::node* node = table.get(key);
    if (node == nullptr) return std::nullopt;
    std::optional<T> value = node->value<T>();
    if (!value) return std::nullopt;
    return Located<T>{std::move(*value), Place(*node)};
  }

  void ReadTop(const toml::table& top) {
    if (!CheckKeys(top, kTopKeys, {})) return;
    Project& p = project();
    if (auto v = Get<std::string>(top, "line")) p.lineId = v->value, p.lineIdPlace = v->place;
    if (auto v = Get<std::string>(top, "train")) p.train = v->value, p.trainPlace = v->place;
    if (const toml::table* train = top["train"].as_table()) ReadTrain(*train);
    if (auto v = Get<std::string>(top, "line_description")) {
      p.lineDescription = v->value, p.lineDescriptionPlace = v->place;
    }
    if (auto v = Get<std::string>(top, "train_description")) {
      p.trainDescription = v->value, p.trainDescriptionPlace = v->place;
    }
    if (const toml::table* sheet = top["sheet"].as_table()) ReadSheet(*sheet);
    if (const toml::table* order = top["order"].as_table()) {
      if (CheckKeys(*order, kOrderKeys, {"order"})) {
        p.orderLineName = Get<std::string>(*order, "line_name");
      }
    }
    if (const toml::array* stations = top["station"].as_array()) ReadStations(*stations);
    if (const toml::array* limits = top["speed_limit"].as_array()) ReadSpeedLimits(*limits);
    if (const toml::array* rows = top["extra_row"].as_array()) ReadExtraRows(*rows);
    if (const toml::table* notes = top["notes"].as_table()) ReadNotes(*notes);
  }

  void ReadSheet(const toml::table& table) {
    if (!CheckKeys(table, kSheetKeys, {"sheet"})) return;
    SheetHeader& h = project().sheet;
    h.from = Get<std::string>(table, "from");
    h.to = Get<std::string>(table, "to");
    h.classification = Get<std::string>(table, "classification");
    h.speed = Get<std::string>(table, "speed");
    h.blockedMass = Get<std::string>(table, "blocked_mass");
  }

  void ReadTrain(const toml::table& table) {
    trainTable_ = true;
    if (!CheckKeys(table, kTrainKeys, {"train"})) return;
    Project& p = project();
    if (auto v = Get<std::string>(table, "number")) p.train = v->value, p.trainPlace = v->place;
    for (const TrainFigure& figure : kTrainFigures) {
      const toml::node* found = table.get(figure.key);
      if (found == nullptr) continue;
      const toml::node& node = *found;
      const double value = node.value<double>().value_or(0);
      const ProjectPlace place = Place(node);
      if (const std::string_view broken = RangeBroken(value, figure.range); !broken.empty()) {
        Error(place,
              "'" + std::string(figure.key) + "' " + std::string(broken) + ", not " +
                  std::string(LineTextOf(node)),
              std::string(figure.meaning));
        continue;
      }
      p.trainData.*figure.field = value;
      p.trainDataPlaces.emplace(std::string(figure.key), place);
    }
  }

  void ReadNotes(const toml::table& table) {
    if (!CheckKeys(table, kNotesKeys, {"notes"})) return;
    ProjectNotes& n = project().notes;
    n.text = Get<std::string>(table, "text");
    n.credit = Get<std::string>(table, "credit");
    n.contact = Get<std::string>(table, "contact");
  }

  // A key every entry of an array of tables must have; reported at the
  // entry's header when it is missing.
  template <typename T>
  std::optional<Located<T>> Required(const toml::table& table, std::string_view key,
                                     std::string_view arrayKey, std::string hint) {
    auto value = Get<T>(table, key);
    if (!value) {
      Error(Place(table), "[[" + std::string(arrayKey) + "]] has no '" + std::string(key) + "'",
            std::move(hint));
    }
    return value;
  }

  void CheckMarching(const std::optional<Located<int64_t>>& marching) {
    if (marching && (marching->value < 1 || marching->value > kMaxMarchingKmh)) {
      Error(
          marching->place,
          "a marching speed of " + std::to_string(marching->value) + " km/h does not fit its cell",
          "give 1 to " + std::to_string(kMaxMarchingKmh) + " km/h");
    }
  }

  bool CheckPosition(const Located<int64_t>& at) {
    if (at.value >= 0) return true;
    Error(at.place, "'at' is a position along the line: it cannot be negative",
          "give the metres from the line's start, as the train description does");
    return false;
  }

  // Reports a second entry for the same thing, with a note at the first;
  // true when there is no first.
  template <typename T>
  bool Unique(const Located<T>* first, const Located<T>& value, const std::string& what) {
    if (first == nullptr) return true;
    Diagnostic& d = Error(value.place, what + " is given twice", "merge the two entries into one");
    d.related.push_back(
        {project().fileName, first->place.line, first->place.column, "given first here"});
    return false;
  }

  void ReadStations(const toml::array& array) {
    for (const toml::node& node : array) {
      const toml::table& table = *node.as_table();
      if (!CheckKeys(table, kStationKeys, {"station", true})) continue;
      ProjectStation station;
      auto name = Required<std::string>(table, "name", "station",
                                        "give the station's name as the train description "
                                        "writes it: name = \"...\"");
      station.printed = Get<std::string>(table, "printed");
      station.marching = Get<int64_t>(table, "marching");
      station.recoveryMinutes = Get<double>(table, "recovery");
      CheckMarching(station.marching);
      if (const auto& r = station.recoveryMinutes;
          r && !(r->value >= 0 && r->value < kMaxRecoveryMinutes)) {
        Error(r->place, "a recovery time must be 0 to 99.9 minutes");
      }
      if (!name) continue;
      station.name = std::move(*name);
      const Located<std::string>* first = nullptr;
      for (const ProjectStation& earlier : project().stations) {
        if (earlier.name.value == station.name.value) first = &earlier.name;
      }
      if (!Unique(first, station.name, "station '" + station.name.value + "'")) continue;
      project().stations.push_back(std::move(station));
    }
  }

  void ReadSpeedLimits(const toml::array& array) {
    for (const toml::node& node : array) {
      const toml::table& table = *node.as_table();
      if (!CheckKeys(table, kSpeedLimitKeys, {"speed_limit", true})) continue;
      ProjectSpeedLimit limit;
      auto at = Required<int64_t>(table, "at", "speed_limit",
                                  "give the position of the speed record, in metres: at = ...");
      limit.name = Get<std::string>(table, "name");
      limit.kmPost = Get<bool>(table, "km_post");
      limit.marching = Get<int64_t>(table, "marching");
      CheckMarching(limit.marching);
      if (!at || !CheckPosition(*at)) continue;
      limit.at = *at;
      const Located<int64_t>* first = nullptr;
      for (const ProjectSpeedLimit& earlier : project().speedLimits) {
        if (earlier.at.value == limit.at.value) first = &earlier.at;
      }
      if (!Unique(first, limit.at, "the speed limit at " + std::to_string(limit.at.value) + " m")) {
        continue;
      }
      project().speedLimits.push_back(std::move(limit));
    }
  }

  void ReadExtraRows(const toml::array& array) {
    for (const toml::node& node : array) {
      const toml::table& table = *node.as_table();
      if (!CheckKeys(table, kExtraRowKeys, {"extra_row", true})) continue;
      ProjectExtraRow row;
      auto at = Required<int64_t>(table, "at", "extra_row",
                                  "give the row's position along the line, in metres: at = ...");
      auto name = Required<std::string>(table, "name", "extra_row",
                                        "give the text the row prints: name = \"...\"");
      row.kmPost = Get<bool>(table, "km_post");
      if (!at || !name || !CheckPosition(*at)) continue;
      row.at = *at;
      row.name = std::move(*name);
      project().extraRows.push_back(std::move(row));
    }
  }

  // Fills in the identifiers and description names that were left to be
  // derived, and checks that each can name a file.
  void Resolve() {
    Project& p = project();
    if (p.lineIdPlace.line == 0 && p.lineDescriptionPlace.line != 0) {
      if (auto id = LineIdFromName(p.lineDescription)) {
        p.lineId = *id;
      } else {
        Error(p.lineDescriptionPlace,
              "cannot tell the line identifier from '" + p.lineDescription + "'",
              "give it as well: line = \"...\"");
        return;
      }
    }
    if (p.lineIdPlace.line == 0 && p.lineDescriptionPlace.line == 0) {
      Error({}, "the project names no line",
            "give its identifier: line = \"NAME\" names NAME_linea.txt");
      return;
    }
    if (p.trainPlace.line == 0 && p.trainDescriptionPlace.line != 0) {
      if (auto train = TrainNumberFromName(p.trainDescription, p.lineId)) {
        p.train = *train;
      } else {
        Error(p.trainDescriptionPlace,
              "cannot tell the train number from '" + p.trainDescription + "'",
              "give it as well: train = \"...\"");
        return;
      }
    }
    if (p.trainPlace.line == 0 && p.trainDescriptionPlace.line == 0) {
      // With a [train] table the number can only stand in it.
      Error({}, "the project names no train",
            std::string(trainTable_ ? "give its number in [train]: number = \"N\""
                                    : "give its number: train = \"N\"") +
                " names " + p.lineId + "_N-.txt");
      return;
    }
    if (!UsableInFileName(p.lineId)) {
      Error(p.lineIdPlace, "'" + p.lineId + "' cannot be part of a file name");
      return;
    }
    if (!UsableInFileName(p.train)) {
      Error(p.trainPlace, "'" + p.train + "' cannot be part of a file name");
      return;
    }
    if (p.lineDescriptionPlace.line == 0) p.lineDescription = LineDescriptionName(p.lineId);
    if (p.trainDescriptionPlace.line == 0) {
      p.trainDescription = TrainDescriptionName(p.lineId, p.train);
    }
  }

  ProjectParse out_;
  bool trainTable_ = false;                      // whether `train` is a table
  mutable std::vector<std::size_t> lineStarts_;  // of out_.project.source, once asked for
};

}  // namespace

ProjectParse ParseProject(std::string_view bytes, std::string_view fileName) {
  return Parser(bytes, fileName).Run();
}

Diagnostic ProjectDiagnostic(const Project& project, ProjectPlace place, std::string message,
                             std::string hint) {
  Diagnostic d;
  d.file = project.fileName;
  d.line = place.line;
  d.column = place.column;
  d.message = std::move(message);
  d.hint = std::move(hint);
  if (place.line > 0) {
    std::string_view rest = project.source;
    for (int n = 1; n < place.line && !rest.empty(); ++n) {
      const std::size_t end = rest.find('\n');
      rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    rest = rest.substr(0, rest.find('\n'));
    if (rest.ends_with('\r')) rest.remove_suffix(1);
    // A long line is quoted cut short, as a description's record is.
    if (rest.size() > kRecordQuoteBytes) {
      d.record = std::string(rest.substr(0, kRecordQuoteBytes)) + " ...";
    } else {
      d.record = std::string(rest);
    }
  }
  return d;
}

Diagnostic UnreadableProject(std::string_view fileName, const Status& st) {
  Diagnostic d;
  d.file = std::string(fileName);
  d.message = st.Message("read");
  d.hint =
      "a scenario's folder holds its project file beside the two descriptions; "
      "'scenario-builder new NAME' writes one";
  return d;
}

std::optional<std::string> TomlString(std::string_view text) {
  std::string out = "\"";
  for (std::size_t at = 0; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte >= 0x80) {
      const std::size_t sequence = Utf8SequenceAt(text, at);
      if (sequence == 0) return std::nullopt;
      out.append(text.substr(at, sequence));
      at += sequence;
      continue;
    }
    switch (byte) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          static constexpr char kHex[] = "0123456789ABCDEF";
          out += "\\u00";
          out += kHex[byte >> 4];
          out += kHex[byte & 0xF];
        } else {
          out += static_cast<char>(byte);
        }
    }
    ++at;
  }
  return out + "\"";
}

}  // namespace sb
