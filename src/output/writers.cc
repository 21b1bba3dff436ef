#include "output/writers.h"

#include <algorithm>
#include <memory>
#include <string_view>
#include <utility>

#include "output/encoding.h"

namespace sb {

namespace {

// Records are encoded into this buffer, which is handed on whenever it is
// full: one append or write per buffer, not one per field. The owner
// flushes the rest.
template <typename Sink>
class RecordBuffer {
 public:
  RecordBuffer(Sink sink, std::size_t size)
      : sink_(std::move(sink)), size_(size), buffer_(new char[size]) {}

  // How many records of at most `record` bytes fit before the next flush.
  std::size_t Room(std::size_t record) {
    if (size_ - used_ < record) Flush();
    return (size_ - used_) / record;
  }
  char* at() { return buffer_.get() + used_; }
  void Advance(char* end) { used_ = static_cast<std::size_t>(end - buffer_.get()); }
  void Flush() {
    if (used_ > 0) sink_(std::string_view(buffer_.get(), used_));
    used_ = 0;
  }

 private:
  Sink sink_;
  std::size_t size_;
  std::size_t used_ = 0;
  std::unique_ptr<char[]> buffer_;
};

constexpr std::size_t kTagSize = 2;
constexpr std::size_t kMaxElementSize = kTagSize + 8;
// Appending to a string: a small buffer that stays in the cache.
constexpr std::size_t kAppendBuffer = std::size_t{1} << 16;
// Writing a file: fewer, larger writes, still small enough for the
// second-level cache, from which the system copies them.
constexpr std::size_t kWriteBuffer = std::size_t{1} << 18;

template <typename Sink>
void EncodeProfileInto(const LineProfile& profile, RecordBuffer<Sink>& buffer) {
  for (int column = 0; column < 2; ++column) {
    int32_t metre = 0;
    while (metre <= profile.end()) {
      const std::size_t room = buffer.Room(kMaxElementSize);
      const int32_t last = static_cast<int32_t>(
          std::min<int64_t>(profile.end(), int64_t{metre} + static_cast<int64_t>(room) - 1));
      char* p = buffer.at();
      for (; metre <= last; ++metre) {
        const LineProfile::Tag tag = profile.tag(metre, column);
        p = put_u16(p, static_cast<uint16_t>(tag));
        if (tag == LineProfile::Tag::kDouble) {
          p = put_f64(p, profile.value(metre, column));
        } else if (tag == LineProfile::Tag::kInt16) {
          p = put_i16(p, static_cast<int16_t>(profile.value(metre, column)));
        }
      }
      buffer.Advance(p);
    }
  }
  buffer.Flush();
}

auto AppendTo(std::string* out) {
  return [out](std::string_view piece) { out->append(piece); };
}

}  // namespace

std::string EncodeProfile(const LineProfile& profile) {
  std::string out;
  // Nearly every element of a compiled line is a double: room for all of
  // them is hardly more than the file needs, and spares a counting pass.
  out.reserve(2 * (static_cast<std::size_t>(profile.end()) + 1) * kMaxElementSize);
  RecordBuffer buffer(AppendTo(&out), kAppendBuffer);
  EncodeProfileInto(profile, buffer);
  return out;
}

IoStatus WriteProfileFile(const std::string& path, const LineProfile& profile) {
  FileReplacement file(path);
  RecordBuffer buffer([&file](std::string_view piece) { file.Append(piece); }, kWriteBuffer);
  EncodeProfileInto(profile, buffer);
  return file.Commit();
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

namespace {

char* PutCell(char* p, const TrackCell& cell) {
  p = put_u8(p, cell.kind);
  p = put_i16(p, cell.value1);
  p = put_i16(p, cell.value2);
  p = put_i16(p, cell.value3);
  p = put_i16(p, cell.value4);
  p = put_u8(p, cell.signalTime);
  p = put_u8(p, cell.approachCode);
  p = put_u8(p, cell.terrain);
  p = put_u8(p, cell.speedLimit);
  p = put_u8(p, cell.gradient);
  return put_u8(p, cell.adhesion);
}

}  // namespace

void AppendCell(std::string* dst, const TrackCell& cell) {
  char record[kCellRecordSize];
  dst->append(record, static_cast<std::size_t>(PutCell(record, cell) - record));
}

std::string EncodeCells(const std::vector<TrackCell>& cells) {
  std::string out(cells.size() * kCellRecordSize, '\0');
  char* p = out.data();
  for (const TrackCell& cell : cells) p = PutCell(p, cell);
  return out;
}

}  // namespace sb
