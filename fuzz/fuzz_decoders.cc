// The three decoders on any bytes: the first byte picks the decoder (cells,
// items, profile), the rest is the file. A file that decodes must encode
// back to the same bytes; one that does not leaves the decoder's output
// untouched and says why.
//
// The round trip holds for every layout: a decoded cell or item field holds
// its bytes whole (an item text read back is never longer than the 16-bit
// length it came with), and a profile element keeps its tag and its value's
// bits (an int16 is exact in a double; a double is copied, never computed
// on, so even a NaN keeps its payload).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "format/cell_codec.h"
#include "format/item_codec.h"
#include "format/profile_codec.h"

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

// A rejection is an invalid-bytes status with a reason.
void CheckRejection(const sb::Status& status) {
  Check(status.IsInvalid(), "a rejected file is reported as invalid bytes");
  Check(!status.reason().empty(), "a rejection says why");
}

void Cells(std::string_view bytes) {
  std::vector<sb::TrackCell> cells;
  const sb::Status status = sb::DecodeCells(bytes, &cells);
  if (!status.ok()) {
    CheckRejection(status);
    Check(cells.empty(), "a rejected cell file leaves no cells");
    return;
  }
  Check(sb::EncodeCells(cells) == bytes, "cells encode back to their bytes");
}

void Items(std::string_view bytes) {
  sb::ItemTable items;
  const sb::Status status = sb::DecodeItems(bytes, &items);
  if (!status.ok()) {
    CheckRejection(status);
    Check(items == sb::ItemTable{}, "a rejected item file leaves the slots as they were");
    return;
  }
  Check(sb::EncodeItems(items) == bytes, "items encode back to their bytes");
}

void Profile(std::string_view bytes) {
  std::optional<sb::ProfileTable> profile;
  const sb::Status status = sb::DecodeProfile(bytes, &profile);
  if (!status.ok()) {
    CheckRejection(status);
    Check(!profile.has_value(), "a rejected profile leaves no table");
    return;
  }
  Check(profile.has_value(), "a decoded profile gives a table");
  Check(sb::EncodeProfileTable(*profile) == bytes, "a profile encodes back to its bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 3) {
    case 0: Cells(bytes); break;
    case 1: Items(bytes); break;
    case 2: Profile(bytes); break;
  }
  return 0;
}
