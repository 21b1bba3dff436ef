// The three compiled layouts, byte for byte: little-endian, packed, no
// header; cells of 15 bytes, items of 34 + n bytes, profile elements of 2,
// 4 or 10 bytes, column 0 before column 1.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "compiler/scenario.h"
#include "format/cell_codec.h"
#include "format/item_codec.h"
#include "format/profile_codec.h"
#include "test_support.h"

namespace sb {
namespace {

using testing::EncodeTable;
using testing::ReadFile;
using testing::TempDir;

std::string Hex(const std::string& bytes) {
  std::string out;
  char b[4];
  for (unsigned char c : bytes) {
    std::snprintf(b, sizeof b, "%02x ", c);
    out += b;
  }
  if (!out.empty()) out.pop_back();
  return out;
}

// Reads little-endian fields back, independently of the encoders.
class Reader {
 public:
  explicit Reader(const std::string& bytes) : bytes_(bytes) {}
  uint64_t Unsigned(int size) {
    uint64_t v = 0;
    for (int i = 0; i < size; ++i)
      v |= uint64_t{static_cast<unsigned char>(bytes_.at(pos_++))} << (8 * i);
    return v;
  }
  uint8_t U8() { return static_cast<uint8_t>(Unsigned(1)); }
  uint16_t U16() { return static_cast<uint16_t>(Unsigned(2)); }
  int16_t I16() { return static_cast<int16_t>(Unsigned(2)); }
  int32_t I32() { return static_cast<int32_t>(Unsigned(4)); }
  double F64() {
    uint64_t bits = Unsigned(8);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }
  std::string Text(std::size_t n) {
    std::string s = bytes_.substr(pos_, n);
    pos_ += n;
    return s;
  }
  bool done() const { return pos_ == bytes_.size(); }

 private:
  const std::string& bytes_;
  std::size_t pos_ = 0;
};

TrackCell ReadCell(Reader& r) {
  TrackCell c;
  c.kind = r.U8();
  c.value1 = r.I16();
  c.value2 = r.I16();
  c.value3 = r.I16();
  c.value4 = r.I16();
  c.signalTime = r.U8();
  c.approachCode = r.U8();
  c.terrain = r.U8();
  c.speedLimit = r.U8();
  c.gradient = r.U8();
  c.adhesion = r.U8();
  return c;
}

ScenarioItem ReadItem(Reader& r) {
  ScenarioItem it;
  it.kind = r.U8();
  it.start = r.I32();
  it.end = r.I32();
  it.position = r.I32();
  it.option = r.U8();
  it.text = r.Text(r.U16());
  it.num1 = r.I16();
  it.num2 = r.I16();
  it.num3 = r.I16();
  it.num4 = r.I16();
  it.num5 = r.I16();
  it.byte1 = r.U8();
  it.byte2 = r.U8();
  it.byte3 = r.U8();
  it.byte4 = r.U8();
  it.seconds = r.I32();
  return it;
}

bool SameCell(const TrackCell& a, const TrackCell& b) {
  return a.kind == b.kind && a.value1 == b.value1 && a.value2 == b.value2 && a.value3 == b.value3 &&
         a.value4 == b.value4 && a.signalTime == b.signalTime && a.approachCode == b.approachCode &&
         a.terrain == b.terrain && a.speedLimit == b.speedLimit && a.gradient == b.gradient &&
         a.adhesion == b.adhesion;
}

TEST(Codecs, CellRecord) {
  TrackCell c;
  c.kind = 0xAB;
  c.value1 = -2;
  c.value2 = 0x1234;
  c.value3 = -32768;
  c.value4 = 32767;
  c.signalTime = 0xFF;
  c.approachCode = 81;
  c.terrain = 1;
  c.speedLimit = 22;
  c.gradient = 94;
  c.adhesion = 100;
  std::string bytes = EncodeCells({TrackCell{}, c});
  EXPECT_EQ(Hex(bytes.substr(0, 15)), "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
  EXPECT_EQ(Hex(bytes.substr(15)), "ab fe ff 34 12 00 80 ff 7f ff 51 01 16 5e 64");
}

TEST(Codecs, ItemRecord) {
  ScenarioItem it;
  it.kind = 2;
  it.start = -500;
  it.end = 0x01020304;
  it.position = 92850;
  it.option = 1;
  it.text = "AB";
  it.num1 = -1;
  it.num2 = 0x0102;
  it.num3 = -32768;
  it.num4 = 32767;
  it.num5 = 4;
  it.byte1 = 0xFE;
  it.byte2 = 99;
  it.byte3 = 1;
  it.byte4 = 0;
  it.seconds = -2;
  std::string bytes;
  AppendItem(&bytes, it);
  EXPECT_EQ(Hex(bytes),
            "02 0c fe ff ff 04 03 02 01 b2 6a 01 00 01 02 00 41 42 ff ff 02 01 00 80 ff 7f 04 00 "
            "fe 63 01 00 fe ff ff ff");

  std::string empty;
  AppendItem(&empty, ScenarioItem{});
  EXPECT_EQ(empty, std::string(34, '\0'));

  // The text length is an unsigned 16-bit count.
  it.text = std::string(300, 'x');
  bytes.clear();
  AppendItem(&bytes, it);
  ASSERT_EQ(bytes.size(), 34u + 300u);
  EXPECT_EQ(Hex(bytes.substr(14, 2)), "2c 01");
}

TEST(Codecs, TextLongerThanItsLengthFieldIsCut) {
  ScenarioItem it;
  it.text = std::string(70000, 'x');
  it.seconds = 5;
  std::string bytes;
  AppendItem(&bytes, it);
  ASSERT_EQ(bytes.size(), 34u + 65535u);
  EXPECT_EQ(Hex(bytes.substr(14, 2)), "ff ff");
  Reader r(bytes);
  ScenarioItem back = ReadItem(r);
  EXPECT_TRUE(r.done());
  EXPECT_EQ(back.text, std::string(65535, 'x'));
  EXPECT_EQ(back.seconds, 5);
}

TEST(Codecs, ModelDecodesFieldByField) {
  std::array<ScenarioItem, kItemSlots> items;
  std::size_t texts = 0;
  for (int n = 0; n < kItemSlots; ++n) {
    ScenarioItem& it = items[static_cast<std::size_t>(n)];
    it.kind = static_cast<uint8_t>(n * 3);
    it.start = -1000 * n;
    it.end = 241000 + n;
    it.position = n % 2 == 0 ? n : -n;
    it.option = static_cast<uint8_t>(255 - n);
    it.text = std::string(static_cast<std::size_t>(n % 7), static_cast<char>('A' + n % 26));
    texts += it.text.size();
    it.num1 = static_cast<int16_t>(-n);
    it.num2 = static_cast<int16_t>(n * 300);
    it.num3 = static_cast<int16_t>(n);
    it.num4 = static_cast<int16_t>(-32768 + n);
    it.num5 = static_cast<int16_t>(32767 - n);
    it.byte1 = static_cast<uint8_t>(n);
    it.byte2 = static_cast<uint8_t>(n + 1);
    it.byte3 = static_cast<uint8_t>(n + 2);
    it.byte4 = static_cast<uint8_t>(n + 3);
    it.seconds = n * 3600 - 100000;
  }
  const std::string itemBytes = EncodeItems(items);
  EXPECT_EQ(itemBytes.size(), 87u * 34u + texts);
  Reader ri(itemBytes);
  for (int n = 0; n < kItemSlots; ++n) {
    EXPECT_EQ(ReadItem(ri), items[static_cast<std::size_t>(n)]) << "slot " << n;
  }
  EXPECT_TRUE(ri.done());

  std::vector<TrackCell> cells(40);
  for (int i = 0; i < 40; ++i) {
    TrackCell& c = cells[static_cast<std::size_t>(i)];
    c.kind = static_cast<uint8_t>(i % 15);
    c.value1 = static_cast<int16_t>(i * 1000 - 20000);
    c.value2 = static_cast<int16_t>(-i);
    c.value3 = static_cast<int16_t>(i * 7);
    c.value4 = static_cast<int16_t>(i * -811);
    c.signalTime = static_cast<uint8_t>(i + 100);
    c.approachCode = static_cast<uint8_t>(80 + i % 5);
    c.terrain = static_cast<uint8_t>(i % 4);
    c.speedLimit = static_cast<uint8_t>(i * 6);
    c.gradient = static_cast<uint8_t>(90 + i);
    c.adhesion = static_cast<uint8_t>(255 - i);
  }
  const std::string cellBytes = EncodeCells(cells);
  EXPECT_EQ(cellBytes.size(), 40u * 15u);
  Reader rc(cellBytes);
  for (int i = 0; i < 40; ++i) {
    EXPECT_TRUE(SameCell(ReadCell(rc), cells[static_cast<std::size_t>(i)])) << "cell " << i;
  }
  EXPECT_TRUE(rc.done());
}

TEST(Codecs, ProfileElementsByTag) {
  struct Case {
    const char* name;
    bool seeded;
    int32_t straightTo;  // 0: nothing computed
    const char* hex;
  };
  const Case cases[] = {
      {"empty", false, 0,
       // column 0, then column 1: four empty metres each
       "00 00 00 00 00 00 00 00 "
       "00 00 00 00 00 00 00 00"},
      {"seeds only", true, 0,
       // int 0, int 0, empty, empty; then int 0, int 1, empty, empty
       "02 00 00 00 02 00 00 00 00 00 00 00 "
       "02 00 00 00 02 00 01 00 00 00 00 00"},
      {"two metres computed", true, 3,
       // x: int 0, int 0, double 0, double 0; y: int 0, int 1, double 2, double 3
       "02 00 00 00 02 00 00 00 05 00 00 00 00 00 00 00 00 00 05 00 00 00 00 00 00 00 00 00 "
       "02 00 00 00 02 00 01 00 05 00 00 00 00 00 00 00 00 40 05 00 00 00 00 00 00 00 08 40"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LineProfile p(3);  // metres 0 to 3
    if (c.seeded) p.Seed();
    if (c.straightTo > 0) p.Straight(c.straightTo);
    const std::string bytes = EncodeProfile(p);
    EXPECT_EQ(Hex(bytes), c.hex);
    EXPECT_EQ(bytes.size(), ProfileFileSize(p));
    EXPECT_EQ(Hex(EncodeProfileTable(p.Table())), c.hex);
  }
}

// The file is written through buffers of 1 MB, one region per column: a
// profile whose columns take three of them, the last metres left empty,
// comes out as the profile's own table, element for element.
TEST(Codecs, LongProfileMatchesItsTable) {
  LineProfile p(300000);  // columns of about 2.5 MB
  p.Seed();
  p.Straight(1000);
  p.Arc(21000, 0.003);
  p.Straight(130000);
  p.Arc(145000, -0.0004);
  p.Straight(250000);
  // Regions written at their offsets, each byte once.
  std::string bytes(ProfileFileSize(p), '\x7f');
  uint64_t written = 0;
  EncodeProfile(p, [&](uint64_t offset, std::string_view piece) {
    ASSERT_LE(offset + piece.size(), bytes.size());
    bytes.replace(offset, piece.size(), piece);
    written += piece.size();
  });
  EXPECT_EQ(written, bytes.size());
  EXPECT_EQ(bytes, EncodeTable(p.Table()));
  EXPECT_EQ(bytes, EncodeProfile(p));
}

TEST(Codecs, SizesForTheScenarioLine) {
  Scenario s;
  s.withProfile = 1;
  s.SizeForLength(241000);
  ASSERT_EQ(s.lastCell, 4960);
  EXPECT_EQ(EncodeCells(s.cells).size(), 74415u);
  EXPECT_EQ(EncodeItems(s.items).size(), 2958u);

  ASSERT_TRUE(s.profile.has_value());
  s.profile->Seed();
  s.profile->Straight(2);
  const std::string bytes = EncodeProfile(*s.profile);
  EXPECT_EQ(Hex(bytes.substr(0, 4)), "02 00 00 00");
  // Walk the elements: 2 x 248001 of them, nothing left over.
  Reader r(bytes);
  std::size_t elements = 0;
  int ints = 0, doubles = 0;
  while (!r.done()) {
    switch (r.U16()) {
      case 0: break;
      case 2:
        r.I16();
        ++ints;
        break;
      case 5:
        r.F64();
        ++doubles;
        break;
      default: FAIL() << "unknown tag at element " << elements;
    }
    ++elements;
  }
  EXPECT_EQ(elements, 2u * 248001u);
  EXPECT_EQ(ints, 4);
  EXPECT_EQ(doubles, 2);
  EXPECT_EQ(bytes.size(), 2u * 248001u * 2u + 4u * 2u + 2u * 8u);
}

}  // namespace
}  // namespace sb
