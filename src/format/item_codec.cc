#include "format/item_codec.h"

#include <utility>

#include "format/coding.h"
#include "format/counted.h"

namespace sb {

void AppendItem(std::string* dst, const ScenarioItem& item) {
  put_u8(dst, item.kind);
  put_i32(dst, item.start);
  put_i32(dst, item.end);
  put_i32(dst, item.position);
  put_u8(dst, item.option);
  // Texts come from description fields; a field longer than the 16-bit
  // length can say is cut, so the record stays readable.
  std::size_t n = item.text.size() > kMaxItemText ? kMaxItemText : item.text.size();
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

std::string EncodeItems(const ItemTable& items) {
  std::string out;
  for (const ScenarioItem& item : items) AppendItem(&out, item);
  return out;
}

namespace {

// The fields before the text; returns the text's length.
std::size_t GetHead(const unsigned char* p, ScenarioItem* it) {
  it->kind = p[0];
  it->start = get_i32(p + 1);
  it->end = get_i32(p + 5);
  it->position = get_i32(p + 9);
  it->option = p[13];
  return get_u16(p + 14);
}

void GetTail(const unsigned char* p, ScenarioItem* it) {
  it->num1 = get_i16(p);
  it->num2 = get_i16(p + 2);
  it->num3 = get_i16(p + 4);
  it->num4 = get_i16(p + 6);
  it->num5 = get_i16(p + 8);
  it->byte1 = p[10];
  it->byte2 = p[11];
  it->byte3 = p[12];
  it->byte4 = p[13];
  it->seconds = get_i32(p + 14);
}

}  // namespace

Status DecodeItems(std::string_view bytes, ItemTable* items) {
  // Built aside, so a file rejected halfway leaves `items` as it was.
  ItemTable decoded;
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t pos = 0;
  // Ok when `n` more bytes are there; otherwise says where the file ended.
  auto need = [&](std::size_t n, int slot, const char* what) {
    if (bytes.size() - pos >= n) return Status::Ok();
    return Status::Invalid("truncated: the file ends inside slot " + std::to_string(slot) + " (" +
                           what + ", at byte " + std::to_string(pos) + " of " +
                           std::to_string(bytes.size()) + ")");
  };
  for (int slot = 0; slot < kItemSlots; ++slot) {
    ScenarioItem& it = decoded[static_cast<std::size_t>(slot)];
    if (Status s = need(kItemHeadSize, slot, "its numbers before the text"); !s.ok()) return s;
    const std::size_t n = GetHead(data + pos, &it);
    pos += kItemHeadSize;
    if (Status s = need(n, slot, "its text"); !s.ok()) {
      return Status::Invalid(s.reason() + ": the text claims " + Counted(n, "byte"));
    }
    it.text.assign(bytes.substr(pos, n));
    pos += n;
    if (Status s = need(kItemTailSize, slot, "its numbers after the text"); !s.ok()) return s;
    GetTail(data + pos, &it);
    pos += kItemTailSize;
  }
  if (pos != bytes.size()) {
    return Status::Invalid("not an item table: " + Counted(bytes.size() - pos, "byte") +
                           " after the 87th record (slot 86), which must end the file");
  }
  *items = std::move(decoded);
  return Status::Ok();
}

}  // namespace sb
