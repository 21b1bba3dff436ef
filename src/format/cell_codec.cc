#include "format/cell_codec.h"

#include <utility>

#include "format/coding.h"
#include "format/counted.h"

namespace sb {
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

TrackCell GetCell(const unsigned char* p) {
  TrackCell c;
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
  return c;
}

}  // namespace

std::string EncodeCells(const std::vector<TrackCell>& cells) {
  std::string out(cells.size() * kCellRecordSize, '\0');
  char* p = out.data();
  for (const TrackCell& cell : cells) p = PutCell(p, cell);
  return out;
}

Status DecodeCells(std::string_view bytes, std::vector<TrackCell>* cells) {
  if (bytes.size() % kCellRecordSize != 0) {
    return Status::Invalid("not a cell grid: its " + Counted(bytes.size(), "byte") +
                           " are not a whole number of 15-byte cells (" +
                           Counted(bytes.size() / kCellRecordSize, "cell") + " and " +
                           Counted(bytes.size() % kCellRecordSize, "byte") + " over)");
  }
  const std::size_t count = bytes.size() / kCellRecordSize;
  if (count < static_cast<std::size_t>(kMinCells) || count > static_cast<std::size_t>(kMaxCells)) {
    return Status::Invalid("not a cell grid: it holds " + Counted(count, "cell") +
                           ", where a line of 0 to 1000000 m has 141 to 20141");
  }
  std::vector<TrackCell> decoded(count);
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  for (std::size_t i = 0; i < count; ++i) decoded[i] = GetCell(p + i * kCellRecordSize);
  *cells = std::move(decoded);
  return Status::Ok();
}

}  // namespace sb
