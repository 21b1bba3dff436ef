#include "tools/inspect.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <system_error>

#include "base/exit_status.h"
#include "format/coding.h"
#include "base/file_io.h"
#include "format/writers.h"

namespace sb {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The largest file each kind can be: a bound checked before reading, so a
// wrong file of gigabytes is not loaded to be rejected.
constexpr std::uintmax_t kMaxCellFileSize = std::uintmax_t{kMaxCells} * kCellRecordSize;
constexpr std::uintmax_t kMaxItemFileSize =
    std::uintmax_t{kItemSlots} * (kItemRecordBaseSize + 0xFFFF);
constexpr std::uintmax_t kMaxProfileFileSize = std::uintmax_t{2} * kMaxProfileMetres * 10;

const unsigned char* Bytes(std::string_view b, std::size_t at) {
  return reinterpret_cast<const unsigned char*>(b.data()) + at;
}

std::string Num(std::size_t n) { return std::to_string(n); }

// "1 byte", "2 bytes".
std::string Count(std::size_t n, const std::string& noun) {
  return Num(n) + " " + noun + (n == 1 ? "" : "s");
}

// Shortest text that reads back as the same double.
std::string Shortest(double v) {
  char buf[32];
  auto res = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, res.ptr);
}

std::string Fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

// One field of a CSV row, quoted when it holds a separator or a quote.
std::string CsvField(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string out = "\"";
  for (char c : s) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

// A text for the terminal: UTF-8, with control characters shown as \xNN.
std::string Printable(const std::string& stored) {
  std::string out;
  for (char c : TextAsUtf8(stored)) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", u);
      out += buf;
    } else {
      out += c;
    }
  }
  return out;
}

std::string ClockText(int64_t seconds) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  return buf;
}

// ---- cells -------------------------------------------------------------

// A few words on what a cell's values mean for its kind.
std::string CellNote(std::size_t index, const TrackCell& c) {
  if (index == 1 && c.kind == kKindEmpty) return "reserved: identity marker and check code";
  switch (c.kind) {
    case kKindSignal: {
      const int sides = c.value4 % 10;
      return "s " + std::to_string(c.value1 / 10) + "-" + std::to_string(c.value2 / 10) + "-" +
             std::to_string(c.value3 / 10) + ", d " + std::to_string(c.value1 % 10) + "-" +
             std::to_string(c.value2 % 10) + "-" + std::to_string(c.value3 % 10) + ", rapp " +
             std::to_string(c.value4 / 10) + ", sx " + std::to_string(sides / 3) + " dx " +
             std::to_string(sides % 3) + ", time " + std::to_string(c.signalTime);
    }
    case kKindSlowdownEnd:
    case kKindSlowdownStart:
    case kKindSlowdownWarning: {
      std::string s = std::to_string(c.value1) + " km/h";
      if (c.value2 != 0) s += ", second speed " + std::to_string(c.value2);
      if (c.kind != kKindSlowdownWarning && c.value3 != 0) s += ", whole train";
      return s;
    }
    case kKindBeforeWarning: return "mark " + std::to_string(c.value1) + " before the warning";
    case kKindSpeedBoard:
      return "stripes s " + std::to_string(c.value4 / 10) + ", d " + std::to_string(c.value4 % 10);
    case kKindStopMark: return "station in slot " + std::to_string(c.value1);
    case kKindSpeedPoint: return std::to_string(c.value1) + " km/h";
    case kKindTextBoard: return "text in slot " + std::to_string(c.value1);
    default: return c.approachCode != 0 ? "approach code" : "";
  }
}

nlohmann::ordered_json CellJson(std::size_t index, const TrackCell& c) {
  return {{"index", index},
          {"position", index * kCellLength},
          {"kind", c.kind},
          {"kindName", CellKindName(c.kind)},
          {"value1", c.value1},
          {"value2", c.value2},
          {"value3", c.value3},
          {"value4", c.value4},
          {"signalTime", c.signalTime},
          {"approachCode", c.approachCode},
          {"terrain", c.terrain},
          {"speedLimit", c.speedLimit},
          {"gradient", c.gradient},
          {"adhesion", c.adhesion}};
}

void PrintCells(const std::string& name, std::size_t fileSize, const std::vector<TrackCell>& cells,
                InspectFormat format, std::ostream& out) {
  if (format == InspectFormat::kCsv) {
    out << "index,position,kind,kind_name,value1,value2,value3,value4,signal_time,approach_code,"
           "terrain,speed_limit,gradient,adhesion\n";
    for (std::size_t i = 0; i < cells.size(); ++i) {
      const TrackCell& c = cells[i];
      if (!CellIsListed(c)) continue;
      out << i << ',' << i * kCellLength << ',' << int{c.kind} << ',' << CellKindName(c.kind) << ','
          << c.value1 << ',' << c.value2 << ',' << c.value3 << ',' << c.value4 << ','
          << int{c.signalTime} << ',' << int{c.approachCode} << ',' << int{c.terrain} << ','
          << int{c.speedLimit} << ',' << int{c.gradient} << ',' << int{c.adhesion} << '\n';
    }
    return;
  }
  std::map<uint8_t, int> kinds;
  std::size_t listed = 0;
  for (const TrackCell& c : cells) {
    if (c.kind != kKindEmpty) ++kinds[c.kind];
    if (CellIsListed(c)) ++listed;
  }
  if (format == InspectFormat::kJson) {
    nlohmann::ordered_json j;
    j["file"] = name;
    j["type"] = "cells";
    j["cells"] = cells.size();
    j["lastCell"] = cells.size() - 1;
    nlohmann::ordered_json counts = nlohmann::ordered_json::object();
    for (const auto& [kind, n] : kinds) counts[CellKindName(kind)] = n;
    j["kinds"] = counts;
    j["rows"] = nlohmann::ordered_json::array();
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (CellIsListed(cells[i])) j["rows"].push_back(CellJson(i, cells[i]));
    }
    out << j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
    return;
  }
  out << name << ": cell grid, " << cells.size() << " cells (0 to " << cells.size() - 1 << ", "
      << (cells.size() - 1) * kCellLength << " m), " << fileSize << " bytes\n";
  out << "kinds:";
  if (kinds.empty()) out << " none";
  bool first = true;
  for (const auto& [kind, n] : kinds) {
    out << (first ? " " : ", ") << CellKindName(kind) << " " << n;
    first = false;
  }
  out << "\n" << listed << " cells with a kind, a value or an approach code:\n";
  char line[256];
  std::snprintf(line, sizeof line, "%6s %8s  %-24s %6s %6s %6s %6s %4s %4s %4s %5s %4s %4s  %s\n",
                "cell", "metre", "kind", "value1", "value2", "value3", "value4", "time", "appr",
                "terr", "limit", "grad", "adh", "meaning");
  out << line;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const TrackCell& c = cells[i];
    if (!CellIsListed(c)) continue;
    std::snprintf(line, sizeof line, "%6zu %8zu  %-24s %6d %6d %6d %6d %4d %4d %4d %5d %4d %4d  ",
                  i, i * kCellLength, CellKindName(c.kind).c_str(), c.value1, c.value2, c.value3,
                  c.value4, c.signalTime, c.approachCode, c.terrain, c.speedLimit, c.gradient,
                  c.adhesion);
    out << line << CellNote(i, c) << "\n";
  }
}

// ---- items -------------------------------------------------------------

nlohmann::ordered_json ItemJson(int slot, const ScenarioItem& it) {
  return {{"slot", slot},        {"role", ItemRole(slot, it)},
          {"kind", it.kind},     {"start", it.start},
          {"end", it.end},       {"position", it.position},
          {"option", it.option}, {"text", TextAsUtf8(it.text)},
          {"num1", it.num1},     {"num2", it.num2},
          {"num3", it.num3},     {"num4", it.num4},
          {"num5", it.num5},     {"byte1", it.byte1},
          {"byte2", it.byte2},   {"byte3", it.byte3},
          {"byte4", it.byte4},   {"seconds", it.seconds}};
}

// The non-zero fields of a slot, "name value" joined by commas.
std::string ItemFields(const ScenarioItem& it) {
  std::vector<std::string> parts;
  auto add = [&](const char* name, int64_t v) {
    if (v != 0) parts.push_back(std::string(name) + " " + std::to_string(v));
  };
  add("kind", it.kind);
  add("start", it.start);
  add("end", it.end);
  add("position", it.position);
  add("option", it.option);
  add("num1", it.num1);
  add("num2", it.num2);
  add("num3", it.num3);
  add("num4", it.num4);
  add("num5", it.num5);
  add("byte1", it.byte1);
  add("byte2", it.byte2);
  add("byte3", it.byte3);
  add("byte4", it.byte4);
  add("seconds", it.seconds);
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : ", ") + p;
  return out;
}

// What the fields of a slot with a fixed use say.
std::string ItemNote(int slot, const ScenarioItem& it) {
  if (slot >= kSlotProgressionTre && slot <= kSlotProgressionUno) {
    return "from " + std::to_string(it.start) + " m the kilometric value is " +
           std::to_string(it.end) + " m, flag " + std::to_string(it.position);
  }
  switch (slot) {
    case kSlotTotals:
      return "braked mass " + std::to_string(it.start) + " %, line length " +
             std::to_string(it.end) + " m, " + std::to_string(it.position) + " cars";
    case kSlotLine:
      return "backgrounds " + std::to_string(it.start) + ", " + std::to_string(it.position) + ", " +
             std::to_string(it.end) + "; marker " + std::to_string(it.num1) + "; weighted code " +
             std::to_string(it.seconds);
    case kSlotTrain:
      return "signal repetition " + std::to_string(it.start) + " to " + std::to_string(it.end) +
             " m with " + std::to_string(it.position) + " codes; sand " + std::to_string(it.num1) +
             "; clock " + std::to_string(it.num3) + ":" + std::to_string(it.num4) + ":" +
             std::to_string(it.num5);
  }
  if (slot >= 1 && slot <= kFirstBoardSlot && ItemRole(slot, it) != "board text") {
    std::string s = "at " + std::to_string(it.position) + " m, stopping zone " +
                    std::to_string(it.start) + " to " + std::to_string(it.end) + " m";
    if (it.seconds != 0) s += ", time " + ClockText(it.seconds);
    return s;
  }
  return {};
}

void PrintItems(const std::string& name, std::size_t fileSize, const ItemTable& items,
                InspectFormat format, std::ostream& out) {
  if (format == InspectFormat::kCsv) {
    out << "slot,role,kind,start,end,position,option,text,num1,num2,num3,num4,num5,byte1,byte2,"
           "byte3,byte4,seconds\n";
    for (int slot = 0; slot < kItemSlots; ++slot) {
      const ScenarioItem& it = items[static_cast<std::size_t>(slot)];
      if (!ItemIsUsed(it)) continue;
      out << slot << ',' << ItemRole(slot, it) << ',' << int{it.kind} << ',' << it.start << ','
          << it.end << ',' << it.position << ',' << int{it.option} << ','
          << CsvField(TextAsUtf8(it.text)) << ',' << it.num1 << ',' << it.num2 << ',' << it.num3
          << ',' << it.num4 << ',' << it.num5 << ',' << int{it.byte1} << ',' << int{it.byte2} << ','
          << int{it.byte3} << ',' << int{it.byte4} << ',' << it.seconds << '\n';
    }
    return;
  }
  if (format == InspectFormat::kJson) {
    nlohmann::ordered_json j;
    j["file"] = name;
    j["type"] = "items";
    j["slots"] = nlohmann::ordered_json::array();
    for (int slot = 0; slot < kItemSlots; ++slot) {
      const ScenarioItem& it = items[static_cast<std::size_t>(slot)];
      if (ItemIsUsed(it)) j["slots"].push_back(ItemJson(slot, it));
    }
    out << j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
    return;
  }
  int used = 0;
  for (const ScenarioItem& it : items) used += ItemIsUsed(it) ? 1 : 0;
  out << name << ": item table, 87 slots, " << used << " used, " << fileSize << " bytes\n";
  for (int slot = 0; slot < kItemSlots; ++slot) {
    const ScenarioItem& it = items[static_cast<std::size_t>(slot)];
    if (!ItemIsUsed(it)) continue;
    out << "slot " << slot << " (" << ItemRole(slot, it) << ")";
    if (!it.text.empty()) out << " \"" << Printable(it.text) << "\"";
    out << "\n";
    const std::string fields = ItemFields(it);
    if (!fields.empty()) out << "    " << fields << "\n";
    const std::string note = ItemNote(slot, it);
    if (!note.empty()) out << "    " << note << "\n";
  }
}

// ---- profile -----------------------------------------------------------

std::string ProfileElement(const ProfileTable& p, int32_t metre, int column) {
  switch (p.tag(metre, column)) {
    case ProfileTable::Tag::kEmpty: return {};
    case ProfileTable::Tag::kInt16: return std::to_string(static_cast<int>(p.value(metre, column)));
    case ProfileTable::Tag::kDouble: return Shortest(p.value(metre, column));
  }
  return {};
}

void PrintProfile(const std::string& name, std::size_t fileSize, const ProfileTable& p,
                  InspectFormat format, std::ostream& out) {
  if (format == InspectFormat::kCsv) {
    out << "metre,x,y\n";
    std::string row;
    for (int32_t m = 0; m <= p.end(); ++m) {
      row = std::to_string(m);
      row += ',';
      row += ProfileElement(p, m, 0);
      row += ',';
      row += ProfileElement(p, m, 1);
      row += '\n';
      out << row;
    }
    return;
  }
  const ProfileSummary s = SummarizeProfile(p);
  if (format == InspectFormat::kJson) {
    nlohmann::ordered_json j;
    j["file"] = name;
    j["type"] = "profile";
    j["metres"] = int64_t{s.end} + 1;
    j["profileEnd"] = s.end;
    j["lineLength"] = s.lineLength;
    if (s.hasExtent) {
      j["extent"] = {{"minX", s.minX}, {"maxX", s.maxX}, {"minY", s.minY}, {"maxY", s.maxY}};
    } else {
      j["extent"] = nullptr;
    }
    j["totalTurningDegrees"] = s.turningDegrees;
    j["elements"] = {{"empty", s.empty}, {"int16", s.ints}, {"double", s.doubles}};
    out << j.dump(2) << "\n";
    return;
  }
  out << name << ": plan profile, " << fileSize << " bytes\n";
  out << "metres:         0 to " << s.end << " (" << int64_t{s.end} + 1 << " per column)\n";
  out << "line length:    " << s.lineLength << " m (last metre - 7000)\n";
  if (s.hasExtent) {
    out << "x extent:       " << Fixed(s.minX, 1) << " to " << Fixed(s.maxX, 1) << " m ("
        << Fixed(s.maxX - s.minX, 1) << " m)\n";
    out << "y extent:       " << Fixed(s.minY, 1) << " to " << Fixed(s.maxY, 1) << " m ("
        << Fixed(s.maxY - s.minY, 1) << " m)\n";
  } else {
    out << "extent:         none (no element holds a value)\n";
  }
  out << "total turning:  " << Fixed(s.turningDegrees, 3) << " degrees\n";
  out << "elements:       " << s.empty << " empty, " << s.ints << " int16, " << s.doubles
      << " double\n";
}

int Fail(std::ostream& err, const std::string& path, const std::string& what, int status) {
  err << "scenario-builder: " << path << ": " << what << "\n";
  return status;
}

}  // namespace

// ---- decoders ------------------------------------------------------------

Decoded<std::vector<TrackCell>> DecodeCells(std::string_view bytes) {
  using D = Decoded<std::vector<TrackCell>>;
  if (bytes.size() % kCellRecordSize != 0) {
    return D::Fail("not a cell grid: its " + Count(bytes.size(), "byte") +
                   " are not a whole number of 15-byte cells (" +
                   Count(bytes.size() / kCellRecordSize, "cell") + " and " +
                   Count(bytes.size() % kCellRecordSize, "byte") + " over)");
  }
  const std::size_t count = bytes.size() / kCellRecordSize;
  if (count < static_cast<std::size_t>(kMinCells) || count > static_cast<std::size_t>(kMaxCells)) {
    return D::Fail("not a cell grid: it holds " + Count(count, "cell") +
                   ", where a line of 0 to 1000000 m has 141 to 20141");
  }
  std::vector<TrackCell> cells(count);
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned char* p = Bytes(bytes, i * kCellRecordSize);
    TrackCell& c = cells[i];
    c.kind = p[0];
    c.value1 = get_i16(p + 1);
    c.value2 = get_i16(p + 3);
    c.value3 = get_i16(p + 5);
    c.value4 = get_i16(p + 7);
    c.signalTime = p[9];
    c.approachCode = p[10];
    c.terrain = p[11];
    c.speedLimit = p[12];
    c.gradient = p[13];
    c.adhesion = p[14];
  }
  return D{std::move(cells), {}};
}

Decoded<ItemTable> DecodeItems(std::string_view bytes) {
  using D = Decoded<ItemTable>;
  ItemTable items;
  std::size_t pos = 0;
  // True when `n` more bytes are there; otherwise `why` says where it ended.
  std::string why;
  auto need = [&](std::size_t n, int slot, const char* what) {
    if (bytes.size() - pos >= n) return true;
    why = "truncated: the file ends inside slot " + std::to_string(slot) + " (" + what +
          ", at byte " + Num(pos) + " of " + Num(bytes.size()) + ")";
    return false;
  };
  for (int slot = 0; slot < kItemSlots; ++slot) {
    ScenarioItem& it = items[static_cast<std::size_t>(slot)];
    if (!need(16, slot, "its numbers before the text")) return D::Fail(why);
    const unsigned char* p = Bytes(bytes, pos);
    it.kind = p[0];
    it.start = get_i32(p + 1);
    it.end = get_i32(p + 5);
    it.position = get_i32(p + 9);
    it.option = p[13];
    const std::size_t n = get_u16(p + 14);
    pos += 16;
    if (!need(n, slot, "its text")) {
      return D::Fail(why + ": the text claims " + Count(n, "byte"));
    }
    it.text.assign(bytes.substr(pos, n));
    pos += n;
    if (!need(18, slot, "its numbers after the text")) return D::Fail(why);
    p = Bytes(bytes, pos);
    it.num1 = get_i16(p);
    it.num2 = get_i16(p + 2);
    it.num3 = get_i16(p + 4);
    it.num4 = get_i16(p + 6);
    it.num5 = get_i16(p + 8);
    it.byte1 = p[10];
    it.byte2 = p[11];
    it.byte3 = p[12];
    it.byte4 = p[13];
    it.seconds = get_i32(p + 14);
    pos += 18;
  }
  if (pos != bytes.size()) {
    return D::Fail("not an item table: " + Count(bytes.size() - pos, "byte") +
                   " after the 87th record (slot 86), which must end the file");
  }
  return D{std::move(items), {}};
}

Decoded<ProfileTable> DecodeProfile(std::string_view bytes) {
  using D = Decoded<ProfileTable>;
  constexpr std::size_t kMaxElements = 2 * static_cast<std::size_t>(kMaxProfileMetres);
  // First pass: check every tag and value size and count the elements.
  std::size_t pos = 0;
  std::size_t count = 0;
  while (pos < bytes.size()) {
    if (count == kMaxElements) {
      return D::Fail("not a plan profile: more than " + Num(kMaxElements) +
                     " elements (two columns of 1007001 metres, a line of 1000000 m)");
    }
    if (bytes.size() - pos < 2) {
      return D::Fail("truncated: the file ends inside the tag of element " + Num(count) +
                     " (at byte " + Num(pos) + ")");
    }
    const uint16_t tag = get_u16(Bytes(bytes, pos));
    std::size_t size = 0;
    switch (tag) {
      case 0: size = 0; break;
      case 2: size = 2; break;
      case 5: size = 8; break;
      default:
        return D::Fail("not a plan profile: element " + Num(count) + " (at byte " + Num(pos) +
                       ") has the tag " + std::to_string(tag) +
                       ", where a tag is 0 (empty), 2 (16-bit integer) or 5 (double)");
    }
    if (bytes.size() - pos - 2 < size) {
      return D::Fail("truncated: the file ends inside the value of element " + Num(count) +
                     " (tag " + std::to_string(tag) + " at byte " + Num(pos) + ")");
    }
    pos += 2 + size;
    ++count;
  }
  if (count % 2 != 0) {
    return D::Fail("not a plan profile: its " + Count(count, "element") +
                   " are an odd number, so they do not split into an x and a y column");
  }
  const std::size_t metres = count / 2;
  if (metres < static_cast<std::size_t>(kMinProfileMetres)) {
    return D::Fail("not a plan profile: " + Count(count, "element") + " give columns of " +
                   Count(metres, "metre") + ", where a line of 0 to 1000000 m has 7001 to 1007001");
  }
  // Second pass: the values, column 0 first.
  ProfileTable profile(static_cast<int32_t>(metres - 1));
  pos = 0;
  for (std::size_t e = 0; e < count; ++e) {
    const int column = e < metres ? 0 : 1;
    const auto metre = static_cast<int32_t>(e % metres);
    const uint16_t tag = get_u16(Bytes(bytes, pos));
    pos += 2;
    if (tag == 2) {
      profile.SetInt16(metre, column, get_i16(Bytes(bytes, pos)));
      pos += 2;
    } else if (tag == 5) {
      profile.SetDouble(metre, column, get_f64(Bytes(bytes, pos)));
      pos += 8;
    }
  }
  return D{std::move(profile), {}};
}

// ---- naming and classification -------------------------------------------

CompiledFileKind KindFromName(const std::string& path) {
  const std::string name = std::filesystem::path(path).filename().string();
  auto endsWith = [&](const std::string& suffix) {
    return name.size() > suffix.size() &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
  };
  if (endsWith("_linea.dat")) return CompiledFileKind::kProfile;
  if (endsWith(".sim")) return CompiledFileKind::kItems;
  if (endsWith(".dat")) return CompiledFileKind::kCells;
  return CompiledFileKind::kUnknown;
}

std::string CellKindName(uint8_t kind) {
  switch (kind) {
    case kKindEmpty: return "none";
    case kKindSignal: return "signal";
    case kKindSlowdownEnd: return "slowdown end";
    case kKindSlowdownStart: return "slowdown start";
    case kKindSlowdownWarning: return "slowdown warning";
    case kKindBeforeWarning: return "before-warning mark";
    case kKindSpeedBoard: return "speed board";
    case kKindStopMark: return "station stop mark";
    case kKindMountainMark: return "mountain mark";
    case kKindSpeedPoint: return "speed point";
    case kKindSpeedPointNoValue: return "speed point without value";
    case kKindTextBoard: return "text board";
  }
  return "unknown kind " + std::to_string(kind);
}

bool CellIsListed(const TrackCell& c) {
  return c.kind != kKindEmpty || c.value1 != 0 || c.value2 != 0 || c.value3 != 0 || c.value4 != 0 ||
         c.signalTime != 0 || c.approachCode != 0;
}

bool ItemIsUsed(const ScenarioItem& it) { return !(it == ScenarioItem{}); }

std::string ItemRole(int slot, const ScenarioItem& it) {
  if (!ItemIsUsed(it)) return "unused";
  switch (slot) {
    case 0: return "unused slot 0";
    case kSlotProgressionTre: return "kilometric progression 1";
    case kSlotProgressionDue: return "kilometric progression 2";
    case kSlotProgressionUno: return "kilometric progression 3";
    case kSlotTotals: return "totals";
    case kSlotLine: return "line identity";
    case kSlotTrain: return "train identity";
  }
  ScenarioItem textOnly;
  textOnly.text = it.text;
  if (it == textOnly) return "board text";
  return "station " + std::to_string(slot);
}

std::string TextAsUtf8(const std::string& stored) {
  // 0x80 to 0x9F of the Western code page; 0 where it has no character.
  static constexpr char16_t kHigh[32] = {
      0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  std::string out;
  out.reserve(stored.size());
  for (char ch : stored) {
    const auto b = static_cast<unsigned char>(ch);
    char32_t cp = b;
    if (b >= 0x80 && b <= 0x9F) cp = kHigh[b - 0x80] != 0 ? kHigh[b - 0x80] : 0xFFFD;
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

ProfileSummary SummarizeProfile(const ProfileTable& p) {
  ProfileSummary s;
  s.end = p.end();
  s.lineLength = p.end() - kLineOverrun;
  auto has = [&](int32_t m) {
    return p.tag(m, 0) != ProfileTable::Tag::kEmpty && p.tag(m, 1) != ProfileTable::Tag::kEmpty;
  };
  for (int column = 0; column < 2; ++column) {
    for (int32_t m = 0; m <= p.end(); ++m) {
      switch (p.tag(m, column)) {
        case ProfileTable::Tag::kEmpty: ++s.empty; break;
        case ProfileTable::Tag::kInt16: ++s.ints; break;
        case ProfileTable::Tag::kDouble: ++s.doubles; break;
      }
    }
  }
  double turning = 0;
  for (int32_t m = 0; m <= p.end(); ++m) {
    if (!has(m)) continue;
    const double x = p.value(m, 0);
    const double y = p.value(m, 1);
    if (!s.hasExtent) {
      s.minX = s.maxX = x;
      s.minY = s.maxY = y;
      s.hasExtent = true;
    } else {
      s.minX = std::min(s.minX, x);
      s.maxX = std::max(s.maxX, x);
      s.minY = std::min(s.minY, y);
      s.maxY = std::max(s.maxY, y);
    }
    if (m >= 2 && has(m - 1) && has(m - 2)) {
      const double a1 = p.value(m - 1, 0) - p.value(m - 2, 0);
      const double b1 = p.value(m - 1, 1) - p.value(m - 2, 1);
      const double a2 = x - p.value(m - 1, 0);
      const double b2 = y - p.value(m - 1, 1);
      const double cross = a1 * b2 - b1 * a2;
      const double dot = a1 * a2 + b1 * b2;
      if (cross != 0 || dot != 0) turning += std::fabs(std::atan2(cross, dot));
    }
  }
  s.turningDegrees = turning * 180.0 / kPi;
  return s;
}

int Inspect(const std::string& path, InspectFormat format, std::ostream& out, std::ostream& err) {
  const CompiledFileKind kind = KindFromName(path);
  if (kind == CompiledFileKind::kUnknown) {
    return Fail(err, path,
                "cannot tell the kind of compiled file from its name (expected <ID>_linea.dat, "
                "<ID>_<N>.sim or <ID>_<N>.dat)",
                kExitUsage);
  }
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  const std::uintmax_t limit = kind == CompiledFileKind::kCells   ? kMaxCellFileSize
                               : kind == CompiledFileKind::kItems ? kMaxItemFileSize
                                                                  : kMaxProfileFileSize;
  if (!ec && size > limit) {
    return Fail(err, path,
                "too large (" + std::to_string(size) +
                    " bytes) for its kind of compiled file, at most " + std::to_string(limit) +
                    " bytes",
                kExitDataError);
  }
  std::string bytes;
  Status st = ReadWholeFile(path, &bytes);
  if (!st.ok()) {
    err << "scenario-builder: " << st.Message("read") << "\n";
    return kExitIo;
  }
  const std::string name = std::filesystem::path(path).filename().string();
  switch (kind) {
    case CompiledFileKind::kCells: {
      auto d = DecodeCells(bytes);
      if (!d.ok()) return Fail(err, path, d.error, kExitDataError);
      PrintCells(name, bytes.size(), *d.value, format, out);
      break;
    }
    case CompiledFileKind::kItems: {
      auto d = DecodeItems(bytes);
      if (!d.ok()) return Fail(err, path, d.error, kExitDataError);
      PrintItems(name, bytes.size(), *d.value, format, out);
      break;
    }
    case CompiledFileKind::kProfile: {
      auto d = DecodeProfile(bytes);
      if (!d.ok()) return Fail(err, path, d.error, kExitDataError);
      PrintProfile(name, bytes.size(), *d.value, format, out);
      break;
    }
    case CompiledFileKind::kUnknown: break;
  }
  return kExitOk;
}

}  // namespace sb
