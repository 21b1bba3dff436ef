#include "output/writers.h"

#include "output/encoding.h"

namespace sb {

std::string EncodeProfile(const LineProfile& profile) {
  std::string out;
  out.reserve(2 * (static_cast<std::size_t>(profile.end()) + 1) * 10);
  for (int column = 0; column < 2; ++column) {
    for (int32_t metre = 0; metre <= profile.end(); ++metre) {
      LineProfile::Tag tag = profile.tag(metre, column);
      put_u16(&out, static_cast<uint16_t>(tag));
      if (tag == LineProfile::Tag::kInt16) {
        put_i16(&out, static_cast<int16_t>(profile.value(metre, column)));
      } else if (tag == LineProfile::Tag::kDouble) {
        put_f64(&out, profile.value(metre, column));
      }
    }
  }
  return out;
}

void AppendItem(std::string* dst, const ScenarioItem& item) {
  put_u8(dst, item.kind);
  put_i32(dst, item.start);
  put_i32(dst, item.end);
  put_i32(dst, item.position);
  put_u8(dst, item.option);
  // Texts come from description fields; a field longer than the 16-bit
  // length can say is cut, so the record stays readable.
  std::size_t n = item.text.size() > 0xFFFF ? 0xFFFF : item.text.size();
  put_u16(dst, static_cast<uint16_t>(n));
  dst->append(item.text, 0, n);
  put_i16(dst, item.num1);
  put_i16(dst, item.num2);
  put_i16(dst, item.num3);
  put_i16(dst, item.num4);
  put_i16(dst, item.num5);
  put_u8(dst, item.byte1);
  put_u8(dst, item.byte2);
  put_u8(dst, item.byte3);
  put_u8(dst, item.byte4);
  put_i32(dst, item.seconds);
}

std::string EncodeItems(const std::array<ScenarioItem, kItemSlots>& items) {
  std::string out;
  for (const ScenarioItem& item : items) AppendItem(&out, item);
  return out;
}

void AppendCell(std::string* dst, const TrackCell& cell) {
  put_u8(dst, cell.kind);
  put_i16(dst, cell.value1);
  put_i16(dst, cell.value2);
  put_i16(dst, cell.value3);
  put_i16(dst, cell.value4);
  put_u8(dst, cell.signalTime);
  put_u8(dst, cell.approachCode);
  put_u8(dst, cell.terrain);
  put_u8(dst, cell.speedLimit);
  put_u8(dst, cell.gradient);
  put_u8(dst, cell.adhesion);
}

std::string EncodeCells(const std::vector<TrackCell>& cells) {
  std::string out;
  out.reserve(cells.size() * kCellRecordSize);
  for (const TrackCell& cell : cells) AppendCell(&out, cell);
  return out;
}

}  // namespace sb
