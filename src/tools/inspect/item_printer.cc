#include <nlohmann/json.hpp>

#include "base/printable.h"
#include "base/windows1252.h"
#include "model/clock.h"
#include "tools/common/roles.h"
#include "tools/inspect/printers.h"
#include "tools/inspect/report_text.h"

namespace sb {
namespace {

// The time a slot holds: a station's scheduled time, or the train's clock
// at the start; empty for any other slot, and for a station without a time.
std::string ItemTime(int slot, const ScenarioItem& it) {
  if (slot == kSlotTrain) return ClockText(it.num3, it.num4, it.num5);
  if (slot >= 1 && slot <= kFirstBoardSlot && ItemRole(slot, it) != "board text" &&
      it.seconds != 0) {
    return ClockText(it.seconds);
  }
  return {};
}

nlohmann::ordered_json ItemJson(int slot, const ScenarioItem& it) {
  const std::string time = ItemTime(slot, it);
  return {{"slot", slot},
          {"role", ItemRole(slot, it)},
          {"kind", it.kind},
          {"start", it.start},
          {"end", it.end},
          {"position", it.position},
          {"option", it.option},
          {"text", Windows1252ToUtf8(it.text)},
          {"num1", it.num1},
          {"num2", it.num2},
          {"num3", it.num3},
          {"num4", it.num4},
          {"num5", it.num5},
          {"byte1", it.byte1},
          {"byte2", it.byte2},
          {"byte3", it.byte3},
          {"byte4", it.byte4},
          {"seconds", it.seconds},
          {"time", time.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(time)}};
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
             "; clock " + ItemTime(slot, it);
  }
  if (slot >= 1 && slot <= kFirstBoardSlot && ItemRole(slot, it) != "board text") {
    std::string s = "at " + std::to_string(it.position) + " m, stopping zone " +
                    std::to_string(it.start) + " to " + std::to_string(it.end) + " m";
    if (const std::string time = ItemTime(slot, it); !time.empty()) s += ", time " + time;
    return s;
  }
  return {};
}

}  // namespace

void PrintItems(const std::string& name, std::size_t fileSize, const ItemTable& items,
                InspectFormat format, std::ostream& out) {
  if (format == InspectFormat::kCsv) {
    out << "slot,role,kind,start,end,position,option,text,num1,num2,num3,num4,num5,byte1,byte2,"
           "byte3,byte4,seconds,time\n";
    for (int slot = 0; slot < kItemSlots; ++slot) {
      const ScenarioItem& it = items[static_cast<std::size_t>(slot)];
      if (!ItemIsUsed(it)) continue;
      out << slot << ',' << ItemRole(slot, it) << ',' << int{it.kind} << ',' << it.start << ','
          << it.end << ',' << it.position << ',' << int{it.option} << ','
          << CsvField(Printable(it.text)) << ',' << it.num1 << ',' << it.num2 << ',' << it.num3
          << ',' << it.num4 << ',' << it.num5 << ',' << int{it.byte1} << ',' << int{it.byte2} << ','
          << int{it.byte3} << ',' << int{it.byte4} << ',' << it.seconds << ',' << ItemTime(slot, it)
          << '\n';
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
  out << EscapeControls(name) << ": item table, 87 slots, " << used << " used, " << fileSize
      << " bytes\n";
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

}  // namespace sb
