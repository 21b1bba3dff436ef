#include "compiler/identity_codes.h"

#include "compiler/error_codes.h"

namespace sb {
namespace {

// Lower case in the single-byte Western code page the texts are stored in.
unsigned char ToLower(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
  }
  return c;
}

}  // namespace

std::string CodeText(Scenario& s) {
  std::string text = s.items[kSlotTrain].text + s.items[kSlotLine].text;
  for (char& c : text) c = static_cast<char>(ToLower(static_cast<unsigned char>(c)));
  text += kCodeFiller;
  s.currentLine = text;
  return text;
}

int32_t codice_gara_og(Scenario& s) {
  const std::string text = CodeText(s);
  int32_t sum = 0;
  for (std::size_t i = 0; i < kCodeLength; ++i) sum += static_cast<unsigned char>(text[i]);
  return sum;
}

int32_t codice_gara_st(Scenario& s) {
  const std::string text = CodeText(s);
  int32_t sum = 0;
  for (std::size_t i = 0; i < kCodeLength; ++i) {
    sum += static_cast<int32_t>(i + 1) * static_cast<unsigned char>(text[i]);
  }
  return sum;
}

ErrorCode StoreIdentityCodes(Scenario& s) {
  ScenarioItem& line = s.items[kSlotLine];
  TrackCell& cell = s.cells.at(kIdentityCell);
  if (line.num1 != 0 || cell.value1 != 0) return ErrorCode::kIdentityValueTaken;
  line.num1 = kItemMarker;
  cell.value1 = kCellMarker;
  if (line.seconds != 0 || cell.value2 != 0) return ErrorCode::kIdentityCodeTaken;
  line.seconds = codice_gara_st(s);
  cell.value2 = static_cast<int16_t>(codice_gara_og(s));
  return ErrorCode::kNone;
}

}  // namespace sb
