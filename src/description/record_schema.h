// The records of both descriptions as data: their keywords, the columns
// each one reads, and what every column means, for the editor server's
// hover, completion and outline. The words follow docs/authors.md.
#ifndef SB_DESCRIPTION_RECORD_SCHEMA_H_
#define SB_DESCRIPTION_RECORD_SCHEMA_H_

#include <span>
#include <string_view>

#include "description/keywords.h"

namespace sb {

// Where in the descriptions a record is recognised.
enum class RecordPart { kLineGeneral, kLineFeature, kTrain };

// How a position column lands on a 50 m cell (the division rounds half to
// even).
enum class CellRule {
  kNone,      // not a position, or one that no single cell stands for
  kPlain,     // position / 50
  kPlusOne,   // position / 50 + 1
  kMinusOne,  // position / 50 - 1
};

struct ColumnSchema {
  std::string_view name;   // as in the docs and in completion placeholders
  std::string_view unit;   // empty when the value has none
  std::string_view range;  // what the value may hold; empty for any 32-bit number
  std::string_view meaning;
  bool position = false;  // metres along the line: gets a km post
  CellRule cell = CellRule::kNone;
};

// What the outline lists a record as.
enum class RecordKind { kSetting, kStation, kSignal, kSlowdown, kBoard, kOther };

struct RecordSchema {
  RecordPart part;
  std::string_view keyword;  // the keyword completion writes
  std::string_view title;    // "Station"
  std::string_view meaning;
  KeywordTest test;  // the reader's own test for the keyword field
  RecordKind kind;
  std::span<const ColumnSchema> columns;  // the values after the keyword
};

// Every record, grouped by part in the order the readers try them.
std::span<const RecordSchema> RecordSchemas();

// The record a keyword field stands for in `part` (the first test it
// passes, as the reader tries them); nullptr when none. A field holding
// '-' is no record.
const RecordSchema* FindRecord(RecordPart part, std::string_view keywordField);

// Every keyword of `part` as authors write it (each curve class and
// direction, both signal repetitions): what "did you mean" offers.
std::span<const std::string_view> KeywordsAsWritten(RecordPart part);

// The section headers authors write, with the part they open.
struct SectionHeader {
  std::string_view header;  // "[stazioni]"
  bool lineDescription;
};
std::span<const SectionHeader> SectionHeaders();

}  // namespace sb

#endif  // SB_DESCRIPTION_RECORD_SCHEMA_H_
