// What the line reader and the train reader share: the loop over keyword
// fields (the fields holding '-' skipped before a keyword, the hyphen run),
// the records a keyword field matches, read in the schema's order, the
// check of the record's line, the ends a record can give the reading, and
// the reads of a record's columns as the schema names and types them.
#ifndef SB_COMPILER_RECORD_READER_H_
#define SB_COMPILER_RECORD_READER_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>

#include "base/status.h"
#include "compiler/description.h"
#include "compiler/record_checks.h"
#include "compiler/scenario.h"
#include "description/record_schema.h"

namespace sb {

enum class Outcome {
  kGoOn,
  kSectionEnd,    // the part ends here, and the reading goes on with the next
  kEndOfReading,  // error 15: the rest of the file cannot be placed
  kStopped,       // an error stopped the reading
};

// Deletes the description and records the error that stopped the reading.
Status Stop(Scenario& s, Description& d, Diagnostic diag, std::optional<int32_t> position,
            Outcome* outcome);

// Error 15, and the end of the reading, when the record's position plus
// `reach` metres, in cells, lies beyond the last cell: the rest of the file
// cannot be placed.
bool Beyond(Scenario& s, Description& d, const char* what, int32_t position, double reach,
            Outcome* outcome);

// How a part treats the fields holding '-' before a keyword.
struct PartRules {
  RecordPart part;
  int dashSkips;  // at most this many are skipped; the next is read as the keyword
  // Whether the end of the file among them ends the reading; where it does
  // not, a file that ends in them is a read failure.
  bool endAmongSkips;
};

// Skips the fields holding '-' before the keyword in s.currentLine; `*atEnd`
// when the file ended among them.
Status SkipDashedFields(Scenario& s, Description& d, const PartRules& rules, bool* atEnd);

// After the records a keyword field matched: its line's missing or extra
// values, or an unknown record when none read a value. `last` is the last
// record matched, if any.
void CheckRecordEnd(Scenario& s, Description& d, RecordPart part, const std::string& keyword,
                    const RecordSchema* last, const std::optional<RelatedLocation>& related);

// Reads keyword fields until the file ends or `readRecord(Outcome*)`, which
// reads the record of the keyword in s.currentLine, ends the reading.
template <typename ReadRecord>
Status ReadRecordLoop(Scenario& s, Description& d, const PartRules& rules, ReadRecord&& readRecord,
                      Outcome* outcome) {
  while (!d.eof()) {
    SB_RETURN_IF_ERROR(d.ReadKeyword(&s.currentLine));
    if (d.eof()) break;  // the last field is never a record
    bool atEnd = false;
    SB_RETURN_IF_ERROR(SkipDashedFields(s, d, rules, &atEnd));
    if (atEnd) break;
    CheckHyphenRun(s, d, s.currentLine, rules.dashSkips);
    SB_RETURN_IF_ERROR(readRecord(outcome));
    if (*outcome != Outcome::kGoOn) break;
  }
  return Status::Ok();
}

// One keyword field. A field may match several records: each that matches
// reads its values (`readOne(const RecordSchema&)`), in the schema's order,
// until one ends the reading; then the record's line is checked.
template <typename ReadOne>
Status ReadMatchingRecords(Scenario& s, Description& d, RecordPart part, const std::string& keyword,
                           ReadOne&& readOne, Outcome* outcome,
                           const std::optional<RelatedLocation>& related = std::nullopt) {
  const RecordSchema* last = nullptr;
  for (const RecordSchema& record : RecordsOf(part)) {
    if (!record.test.Matches(keyword)) continue;
    last = &record;
    SB_RETURN_IF_ERROR(readOne(record));
    if (*outcome != Outcome::kGoOn) return Status::Ok();
  }
  CheckRecordEnd(s, d, part, keyword, last, related);
  return Status::Ok();
}

// --- A record's columns ------------------------------------------------------

template <typename T>
inline constexpr bool kNoValueType = false;
template <typename T>
constexpr ValueType ValueTypeOf() {
  if constexpr (std::is_same_v<T, int32_t>) {
    return ValueType::kInt32;
  } else if constexpr (std::is_same_v<T, int16_t>) {
    return ValueType::kInt16;
  } else if constexpr (std::is_same_v<T, uint8_t>) {
    return ValueType::kUInt8;
  } else if constexpr (std::is_same_v<T, std::string>) {
    return ValueType::kText;
  } else {
    static_assert(kNoValueType<T>, "no column holds such a value");
  }
}

// Reads column `C` of record `R` into `value`, named in messages as the
// schema names it; it must be read as the schema types it.
template <Record R, std::size_t C, typename T>
Status ReadColumn(Description& d, T* value, const char* notANumberNote = nullptr) {
  static_assert(C < SchemaOf(R).columns.size(), "the record has no such column");
  constexpr const ColumnSchema& kColumn = SchemaOf(R).columns[C];
  static_assert(kColumn.type == ValueTypeOf<T>(), "the column is read as another type");
  if constexpr (std::is_same_v<T, std::string>) {
    return d.ReadText(value, kColumn.what);
  } else if constexpr (std::is_same_v<T, int32_t>) {
    return d.ReadInt32(kColumn.what, value, notANumberNote, kColumn.unit);
  } else if constexpr (std::is_same_v<T, int16_t>) {
    return d.ReadInt16(kColumn.what, value, kColumn.unit);
  } else {
    return d.ReadUInt8(kColumn.what, value, kColumn.unit);
  }
}

constexpr bool AllColumnsOf(Record r, ValueType type) {
  for (const ColumnSchema& c : SchemaOf(r).columns) {
    if (c.type != type) return false;
  }
  return true;
}

// Reads every column of `R`, each a 32-bit number, into the member of
// `*object` that `members` lists at its place.
template <Record R, typename Object, std::size_t N>
Status ReadInt32Columns(Description& d, const std::array<int32_t Object::*, N>& members,
                        Object* object) {
  static_assert(N == SchemaOf(R).columns.size(), "a member for every column");
  static_assert(AllColumnsOf(R, ValueType::kInt32), "every column a 32-bit number");
  for (std::size_t i = 0; i < N; ++i) {
    const ColumnSchema& column = SchemaOf(R).columns[i];
    SB_RETURN_IF_ERROR(d.ReadInt32(column.what, &(object->*members[i]), nullptr, column.unit));
  }
  return Status::Ok();
}

}  // namespace sb

#endif  // SB_COMPILER_RECORD_READER_H_
