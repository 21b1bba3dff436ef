// The scenario's identity: two fixed marker values and two check codes
// derived from the train number and the line identifier, kept in item 85
// and cell 1 so that both compiled files carry them.
#ifndef SB_COMPILER_IDENTITY_CODES_H_
#define SB_COMPILER_IDENTITY_CODES_H_

#include <cstdint>
#include <string>

#include "compiler/scenario.h"

namespace sb {

inline constexpr int16_t kItemMarker = 610;   // item 85 num1
inline constexpr int16_t kCellMarker = 5121;  // cell 1 value1
// The cell that holds the identity; no feature may take it.
inline constexpr int64_t kIdentityCell = 1;
inline constexpr std::string_view kCodeFiller = "rrssttuuvvzzaabbccddeeffgg";
inline constexpr std::size_t kCodeLength = 25;

// Train number then line identifier, in lower case, then the filler; the
// codes use its first 25 characters. Stored in currentLine.
std::string CodeText(Scenario& s);

// Sum of the first 25 character codes.
int32_t codice_gara_og(Scenario& s);
// Sum of position x character code over the first 25 characters.
int32_t codice_gara_st(Scenario& s);

// Stores the markers and codes. Returns 0, or 1250 / 1251 when cell 1 or
// item 85 already held a value: the run must then end without writing any
// compiled file.
ErrorCode StoreIdentityCodes(Scenario& s);

}  // namespace sb

#endif  // SB_COMPILER_IDENTITY_CODES_H_
