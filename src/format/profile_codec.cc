#include "format/profile_codec.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>

#include "format/coding.h"
#include "format/counted.h"

namespace sb {

namespace {

constexpr std::size_t kTagSize = 2;
constexpr std::size_t kSeedElement = kTagSize + 2;
constexpr std::size_t kDoubleElement = kTagSize + 8;
constexpr uint16_t kTagEmpty = static_cast<uint16_t>(ProfileTag::kEmpty);
constexpr uint16_t kTagInt16 = static_cast<uint16_t>(ProfileTag::kInt16);
constexpr uint16_t kTagDouble = static_cast<uint16_t>(ProfileTag::kDouble);
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
  static_assert(kTagEmpty == 0);
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

std::string EncodeProfileTable(const ProfileTable& table) {
  std::string out;
  for (int column = 0; column < 2; ++column) {
    for (int32_t m = 0; m <= table.end(); ++m) {
      const ProfileTag tag = table.tag(m, column);
      put_u16(&out, static_cast<uint16_t>(tag));
      if (tag == ProfileTag::kInt16) {
        put_i16(&out, static_cast<int16_t>(table.value(m, column)));
      } else if (tag == ProfileTag::kDouble) {
        put_f64(&out, table.value(m, column));
      }
    }
  }
  return out;
}

namespace {

const unsigned char* At(std::string_view bytes, std::size_t pos) {
  return reinterpret_cast<const unsigned char*>(bytes.data()) + pos;
}

// The value bytes after a tag; false for a tag the file may not hold.
bool ValueSize(uint16_t tag, std::size_t* size) {
  switch (tag) {
    case kTagEmpty: *size = 0; return true;
    case kTagInt16: *size = 2; return true;
    case kTagDouble: *size = 8; return true;
  }
  return false;
}

// Checks every tag and value size; on success `count` is the number of
// elements.
Status CountElements(std::string_view bytes, std::size_t* count) {
  constexpr std::size_t kMaxElements = 2 * static_cast<std::size_t>(kMaxProfileMetres);
  std::size_t pos = 0;
  std::size_t n = 0;
  while (pos < bytes.size()) {
    if (n == kMaxElements) {
      return Status::Invalid("not a plan profile: more than " + std::to_string(kMaxElements) +
                             " elements (two columns of 1007001 metres, a line of 1000000 m)");
    }
    if (bytes.size() - pos < kTagSize) {
      return Status::Invalid("truncated: the file ends inside the tag of element " +
                             std::to_string(n) + " (at byte " + std::to_string(pos) + ")");
    }
    const uint16_t tag = get_u16(At(bytes, pos));
    std::size_t size = 0;
    if (!ValueSize(tag, &size)) {
      return Status::Invalid("not a plan profile: element " + std::to_string(n) + " (at byte " +
                             std::to_string(pos) + ") has the tag " + std::to_string(tag) +
                             ", where a tag is 0 (empty), 2 (16-bit integer) or 5 (double)");
    }
    if (bytes.size() - pos - kTagSize < size) {
      return Status::Invalid("truncated: the file ends inside the value of element " +
                             std::to_string(n) + " (tag " + std::to_string(tag) + " at byte " +
                             std::to_string(pos) + ")");
    }
    pos += kTagSize + size;
    ++n;
  }
  *count = n;
  return Status::Ok();
}

}  // namespace

Status DecodeProfile(std::string_view bytes, std::optional<ProfileTable>* profile) {
  // First pass: check every element and count them.
  std::size_t count = 0;
  if (Status s = CountElements(bytes, &count); !s.ok()) return s;
  if (count % 2 != 0) {
    return Status::Invalid("not a plan profile: its " + Counted(count, "element") +
                           " are an odd number, so they do not split into an x and a y column");
  }
  const std::size_t metres = count / 2;
  if (metres < static_cast<std::size_t>(kMinProfileMetres)) {
    return Status::Invalid("not a plan profile: " + Counted(count, "element") +
                           " give columns of " + Counted(metres, "metre") +
                           ", where a line of 0 to 1000000 m has 7001 to 1007001");
  }
  // Second pass: the values, column 0 first.
  ProfileTable table(static_cast<int32_t>(metres - 1));
  std::size_t pos = 0;
  for (std::size_t e = 0; e < count; ++e) {
    const int column = e < metres ? 0 : 1;
    const auto metre = static_cast<int32_t>(e % metres);
    const uint16_t tag = get_u16(At(bytes, pos));
    pos += kTagSize;
    if (tag == kTagInt16) {
      table.SetInt16(metre, column, get_i16(At(bytes, pos)));
      pos += 2;
    } else if (tag == kTagDouble) {
      table.SetDouble(metre, column, get_f64(At(bytes, pos)));
      pos += 8;
    }
  }
  profile->emplace(std::move(table));
  return Status::Ok();
}

}  // namespace sb
