// What an author most likely meant by a number field that is no whole
// number, told by the field's unit: "16.000" in metres is sixteen
// thousand, "0.6" in metres is most likely kilometres, "7:30" in an hour
// is a time written in one field.
#ifndef SB_COMPILER_NUMBER_HINTS_H_
#define SB_COMPILER_NUMBER_HINTS_H_

#include <string>
#include <string_view>

namespace sb {

struct NumberHint {
  std::string hint;   // empty when no reading is likely
  std::string whole;  // the number to write in its place; empty when none is sure
};

// `written` is the field as written (a quoted one with its quotes), `unit`
// its column's unit as the records' table gives it ("m", "km/h", "h", or
// empty).
NumberHint HintForNumber(std::string_view written, std::string_view unit);

// Whether a whole number `first` followed, after blanks, by the field
// `next` is one number with a blank between its thousands ("16 000"): a
// lead of one to three digits, then exactly three.
bool ThousandsAcrossBlank(std::string_view first, std::string_view next);

}  // namespace sb

#endif  // SB_COMPILER_NUMBER_HINTS_H_
