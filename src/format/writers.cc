#include "format/writers.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>

#include "format/coding.h"

namespace sb {

namespace {

constexpr std::size_t kTagSize = 2;
constexpr std::size_t kSeedElement = kTagSize + 2;
constexpr std::size_t kDoubleElement = kTagSize + 8;
constexpr uint16_t kTagEmpty = 0;
constexpr uint16_t kTagInt16 = 2;
constexpr uint16_t kTagDouble = 5;
// Each column is encoded into a buffer of this size that stays in the
// second-level cache, from which the system copies it: fewer, larger
// writes than one per element, without the file's megabytes in memory.
constexpr std::size_t kColumnBuffer = std::size_t{1} << 20;

// The bytes of one column: two seeds, the computed metres, the empty rest.
uint64_t ColumnSize(const LineProfile& p) {
  const uint64_t seeds = p.seeded() ? 2 * kSeedElement : 2 * kTagSize;
  const auto computed = static_cast<uint64_t>(p.cursor() - 2);
  const auto empty = static_cast<uint64_t>(p.end()) + 1 - static_cast<uint64_t>(p.cursor());
  return seeds + computed * kDoubleElement + empty * kTagSize;
}

// One column's region of the file, filled through a buffer; put(offset,
// bytes) takes each full buffer.
template <typename Put>
class ColumnRegion {
 public:
  ColumnRegion(char* buffer, uint64_t offset, Put& put)
      : begin_(buffer), at_(buffer), offset_(offset), put_(put) {}
  std::size_t room() const { return kColumnBuffer - static_cast<std::size_t>(at_ - begin_); }
  char*& at() { return at_; }
  void Flush() {
    const auto n = static_cast<std::size_t>(at_ - begin_);
    if (n == 0) return;
    put_(offset_, std::string_view(begin_, n));
    offset_ += n;
    at_ = begin_;
  }

 private:
  char* begin_;
  char* at_;
  uint64_t offset_;
  Put& put_;
};

// The profile file: all of column 0 (x), then all of column 1 (y). The
// metres are computed once, in order, each x and y going straight into its
// column's region, whose offset is known beforehand.
template <typename Put>
void EncodeProfileInto(const LineProfile& profile, Put&& put) {
  std::unique_ptr<char[]> buffers(new char[2 * kColumnBuffer]);
  ColumnRegion<Put> xs(buffers.get(), 0, put);
  ColumnRegion<Put> ys(buffers.get() + kColumnBuffer, ColumnSize(profile), put);

  // Metres 0 and 1: (0, 0) and (0, 1).
  const int16_t seeds[2][2] = {{0, 0}, {0, 1}};  // [column][metre]
  for (int m = 0; m < 2; ++m) {
    for (int column = 0; column < 2; ++column) {
      char*& p = (column == 0 ? xs : ys).at();
      if (profile.seeded()) {
        p = put_u16(p, kTagInt16);
        p = put_i16(p, seeds[column][m]);
      } else {
        p = put_u16(p, kTagEmpty);
      }
    }
  }

  ProfileWalker walker(profile);
  while (!walker.done()) {
    const auto n = static_cast<int32_t>(std::min(xs.room(), ys.room()) / kDoubleElement);
    char* px = xs.at();
    char* py = ys.at();
    walker.Next(n, [&px, &py](double x, double y) {
      px = put_f64(put_u16(px, kTagDouble), x);
      py = put_f64(put_u16(py, kTagDouble), y);
    });
    xs.at() = px;
    ys.at() = py;
    if (std::min(xs.room(), ys.room()) < kDoubleElement) {
      xs.Flush();
      ys.Flush();
    }
  }

  // The metres not computed: empty elements, a tag of zeros each.
  for (ColumnRegion<Put>* column : {&xs, &ys}) {
    for (int32_t m = profile.cursor(); m <= profile.end();) {
      const auto n = static_cast<int32_t>(std::min<int64_t>(
          static_cast<int64_t>(column->room() / kTagSize), int64_t{profile.end()} - m + 1));
      std::memset(column->at(), 0, static_cast<std::size_t>(n) * kTagSize);
      column->at() += static_cast<std::size_t>(n) * kTagSize;
      m += n;
      if (column->room() < kTagSize) column->Flush();
    }
    column->Flush();
  }
}

}  // namespace

uint64_t ProfileFileSize(const LineProfile& profile) { return 2 * ColumnSize(profile); }

std::string EncodeProfile(const LineProfile& profile) {
  std::string out(static_cast<std::size_t>(ProfileFileSize(profile)), '\0');
  EncodeProfileInto(profile, [&out](uint64_t offset, std::string_view bytes) {
    std::memcpy(out.data() + offset, bytes.data(), bytes.size());
  });
  return out;
}

void EncodeProfile(const LineProfile& profile, const RegionWriter& put) {
  EncodeProfileInto(profile, put);
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
