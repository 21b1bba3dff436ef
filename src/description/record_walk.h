// How the readers take each field of a description, by their own rules
// (the preamble, the keyword tests of each part, the fields holding '-',
// the end of the general section, the end of the file) but without the
// model: the editor shows what is read as it is read. Curves are read, as
// when the plan profile is built; where an error would stop the reading,
// the walk goes on to the end.
#ifndef SB_DESCRIPTION_RECORD_WALK_H_
#define SB_DESCRIPTION_RECORD_WALK_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "description/record_schema.h"

namespace sb {

enum class FieldRole {
  kPreamble,  // before the field that opens the records: never read as one
  kOpening,   // that field ("[generale]")
  kSkipped,   // a field holding '-', dropped in a keyword's place
  kKeyword,   // a record's keyword field
  kValue,     // a value of a record
  // Read in a keyword's place but naming no record: headers, free text,
  // the values of a record that is not read, the file's last field.
  kNoRecord,
};

struct WalkedField {
  FieldRole role = FieldRole::kNoRecord;
  std::size_t begin = 0;    // offset of its first byte (an opening quote counts)
  std::size_t end = 0;      // past its last: blanks after a text dropped, a closing quote kept
  std::size_t dropEnd = 0;  // past what follows a closing quote up to the separator,
                            // which the reader drops; `end` when nothing does
  std::string_view text;    // as read: a number's token, a text without its quotes
  const RecordSchema* record = nullptr;  // kKeyword: the first record it names; kValue
  int column = -1;                       // kValue: its index in record->columns
  int line = 0;                          // 1-based line it begins on
};

// Every field of `bytes` in reading order, up to the end of the text or to
// a read the text cannot give (a record's values past its end).
std::vector<WalkedField> WalkDescription(std::string_view bytes, bool lineDescription);

// How many records of each kind (by Record) the walk finds whose keyword
// begins on a line after `line`: what an error there that ends the
// reading leaves uncompiled. Keeps no field: a description of any size
// costs one record's fields.
using RecordCounts = std::array<std::uint64_t, kRecordCount>;
RecordCounts CountRecordsAfterLine(std::string_view bytes, bool lineDescription, int line);

// The counts in words, stations, signals and slowdowns first, the others
// in the readers' order, kinds with none left out: "18 stations, 27
// signals and 2 slowdowns". Empty when all are 0.
std::string DescribeRecordCounts(const RecordCounts& counts);

}  // namespace sb

#endif  // SB_DESCRIPTION_RECORD_WALK_H_
