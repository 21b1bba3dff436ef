// The records of both descriptions as data: their keywords, the columns
// each one reads, and what every column means. The readers take their
// dispatch and the names their messages give a column from here, and the
// editor server its hover, completion and outline. The words follow
// docs/authors.md.
//
// The table is constexpr so that a reader can check at compile time that it
// reads a column as the table types it.
#ifndef SB_DESCRIPTION_RECORD_SCHEMA_H_
#define SB_DESCRIPTION_RECORD_SCHEMA_H_

#include <array>
#include <cstddef>
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

// How a column is read: the number's range decides what a read refuses, and
// only a text may be quoted to hold a comma.
enum class ValueType { kInt32, kInt16, kUInt8, kText };

struct ColumnSchema {
  std::string_view name;  // as in the docs and in completion placeholders
  ValueType type;
  const char* what;        // as the compiler's messages name it ("the signal's position")
  std::string_view unit;   // empty when the value has none
  std::string_view range;  // what the value may hold; empty for any 32-bit number
  std::string_view meaning;
  bool position = false;  // metres along the line: gets a km post
  CellRule cell = CellRule::kNone;
};

// What the outline lists a record as.
enum class RecordKind { kSetting, kStation, kSignal, kSlowdown, kBoard, kOther };

// Every record, grouped by part in the order the readers try them.
enum class Record {
  // The general section of a line description.
  kLength,
  kProgressionTre,
  kProgressionDue,
  kProgressionUno,
  kBackgroundUno,
  kBackgroundDue,
  kBackgroundTre,
  kSignalRepetition,
  // The features of a line description.
  kGradient,
  kCurve,
  kMountain,
  kSpeedBoard,
  kTextBoard,
  // A train description.
  kBrakedMass,
  kCars,
  kSpeedLimit,
  kAdhesion,
  kClock,
  kSand,
  kSignal,
  kSlowdown,
  kSpeedPoint,
  kStation,
};
inline constexpr std::size_t kRecordCount = static_cast<std::size_t>(Record::kStation) + 1;

struct RecordSchema {
  Record record;
  RecordPart part;
  std::string_view keyword;  // the keyword completion writes
  std::string_view title;    // "Station"
  std::string_view meaning;
  KeywordTest test;  // the reader's own test for the keyword field
  RecordKind kind;
  std::span<const ColumnSchema> columns;  // the values after the keyword
};

namespace record_columns {

inline constexpr ValueType kI32 = ValueType::kInt32;
inline constexpr ValueType kI16 = ValueType::kInt16;
inline constexpr ValueType kU8 = ValueType::kUInt8;
inline constexpr ValueType kText = ValueType::kText;

inline constexpr std::string_view kAny32 = "-2147483648 to 2147483647";
// Positions and lengths along the line: a 32-bit field, of which only these
// land on the line (the cell grid runs 7000 m further, warned as past its end).
inline constexpr std::string_view kMetres = "0 to the line length";
inline constexpr std::string_view kInt16 = "-32768 to 32767";
inline constexpr std::string_view kByte = "0 to 255";
inline constexpr std::string_view kDigit = "0 to 9";

inline constexpr std::array<ColumnSchema, 1> kLength = {{
    {"length", kI32, "the line length", "m", "0 to 1000000",
     "length of the line; sizes the cell grid (the line plus 7000 m, in 50 m cells) and the "
     "plan profile",
     false, CellRule::kNone},
}};
inline constexpr std::array<ColumnSchema, 3> kProgression = {{
    {"start", kI32, "the progression's start", "m", "multiple of 50",
     "where this kilometric progression begins", true, CellRule::kNone},
    {"value", kI32, "the progression's kilometric value", "m", "multiple of 50",
     "the kilometric value at its start", false, CellRule::kNone},
    {"flag", kI32, "the progression's flag", "", kAny32,
     "1 adds 100 m to the value; other flags change nothing", false, CellRule::kNone},
}};
// One per record: the messages name which background was read.
inline constexpr std::array<ColumnSchema, 1> kBackgroundUno = {{
    {"value", kI32, "background one", "", kAny32,
     "background picture of the line, copied as written", false, CellRule::kNone},
}};
inline constexpr std::array<ColumnSchema, 1> kBackgroundDue = {{
    {"value", kI32, "background two", "", kAny32,
     "background picture of the line, copied as written", false, CellRule::kNone},
}};
inline constexpr std::array<ColumnSchema, 1> kBackgroundTre = {{
    {"value", kI32, "background three", "", kAny32,
     "background picture of the line, copied as written", false, CellRule::kNone},
}};
inline constexpr std::array<ColumnSchema, 2> kRepetition = {{
    {"start", kI32, "the signal repetition start", "m", "multiple of 50",
     "where signal repetition begins", true, CellRule::kNone},
    {"end", kI32, "the signal repetition end", "m", "multiple of 50",
     "where it ends; 0 means no repetition", true, CellRule::kNone},
}};
inline constexpr std::array<ColumnSchema, 2> kGradient = {{
    {"position", kI32, "the gradient's position", "m", kMetres, "where the gradient takes over",
     true, CellRule::kPlain},
    {"gradient", kI32, "the gradient's value", "", "-100 to 155",
     "gradient up to the next gradient record; stored as gradient + 100 in one byte", false,
     CellRule::kNone},
}};
inline constexpr std::array<ColumnSchema, 2> kCurve = {{
    {"start", kI32, "the curve's start", "m", kMetres, "where the curve begins", true,
     CellRule::kNone},
    {"length", kI32, "the curve's length", "m", kMetres,
     "length of the circular curve; it must end by the line length + 7000 m", false,
     CellRule::kNone},
}};
inline constexpr std::array<ColumnSchema, 3> kMountain = {{
    {"start", kI32, "the mountain's start", "m", kMetres,
     "first metre of the section; its first cell is start / 50", true, CellRule::kPlain},
    {"end", kI32, "the mountain's end", "m", kMetres,
     "end of the section; its last cell is end / 50 - 1", true, CellRule::kMinusOne},
    {"type", kI32, "the mountain's type", "", "0 to 10, or 11 to 265 for marks",
     "terrain type; above 10: type - 10 and a mountain mark on every fourth empty cell", false,
     CellRule::kNone},
}};
inline constexpr std::array<ColumnSchema, 9> kSpeedBoard = {{
    {"position", kI32, "the board's position", "m", kMetres,
     "where the board stands; its cell must be free (error 21)", true, CellRule::kPlusOne},
    {"vas", kI32, "vas", "km/h", "", "first speed of the s side", false, CellRule::kNone},
    {"vbs", kI32, "vbs", "km/h", "", "second speed of the s side", false, CellRule::kNone},
    {"vcs", kI32, "vcs", "km/h", "", "third speed of the s side", false, CellRule::kNone},
    {"strisces", kI32, "strisces", "", kDigit, "stripes of the s side", false, CellRule::kNone},
    {"vad", kI32, "vad", "km/h", "", "first speed of the d side", false, CellRule::kNone},
    {"vbd", kI32, "vbd", "km/h", "", "second speed of the d side", false, CellRule::kNone},
    {"vcd", kI32, "vcd", "km/h", "", "third speed of the d side", false, CellRule::kNone},
    {"strisced", kI32, "strisced", "", kDigit, "stripes of the d side", false, CellRule::kNone},
}};
inline constexpr std::array<ColumnSchema, 2> kTextBoard = {{
    {"position", kI32, "the board's position", "m", kMetres,
     "where the board stands; its cell must be free (error 6)", true, CellRule::kPlusOne},
    {"text", kText, "the board's text", "", "at most 65535 bytes, Windows-1252",
     "the board's text, up to the next comma unless it is in double quotes", false,
     CellRule::kNone},
}};

inline constexpr std::array<ColumnSchema, 1> kBrakedMass = {{
    {"percentage", kI32, "the braked-mass percentage", "%", kAny32,
     "braked-mass percentage of the train", false, CellRule::kNone},
}};
inline constexpr std::array<ColumnSchema, 1> kCars = {{
    {"count", kI32, "the number of cars", "", kAny32, "number of cars of the train", false,
     CellRule::kNone},
}};
inline constexpr std::array<ColumnSchema, 2> kSpeedLimit = {{
    {"position", kI32, "the speed limit's position", "m", kMetres,
     "where the speed limit takes over", true, CellRule::kPlain},
    {"speed", kI32, "the speed", "km/h", "0 to 1275, in steps of 5",
     "the limit up to the next speed limit record", false, CellRule::kNone},
}};
inline constexpr std::array<ColumnSchema, 2> kAdhesion = {{
    {"position", kI32, "the adhesion's position", "m", kMetres, "where the adhesion takes over",
     true, CellRule::kPlain},
    {"value", kI32, "the adhesion value", "", kByte, "adhesion up to the next adhesion record",
     false, CellRule::kNone},
}};
inline constexpr std::array<ColumnSchema, 3> kClock = {{
    {"hours", kI16, "the clock's hours", "h", kInt16, "the clock at the start of the run", false,
     CellRule::kNone},
    {"minutes", kI16, "the clock's minutes", "min", kInt16, "", false, CellRule::kNone},
    {"seconds", kI16, "the clock's seconds", "s", kInt16, "", false, CellRule::kNone},
}};
inline constexpr std::array<ColumnSchema, 1> kSand = {{
    {"value", kI16, "the sand value", "", kInt16, "sand carried by the train", false,
     CellRule::kNone},
}};
inline constexpr std::array<ColumnSchema, 11> kSignal = {{
    {"posizione", kI32, "the signal's position", "m", kMetres,
     "where the signal stands; its cell must be free (error 16)", true, CellRule::kPlusOne},
    {"sx", kI32, "sx", "", "0 to 2", "value of the s side", false, CellRule::kNone},
    {"s1", kI32, "s1", "", kDigit, "first digit of the s side", false, CellRule::kNone},
    {"s2", kI32, "s2", "", kDigit, "second digit of the s side", false, CellRule::kNone},
    {"s3", kI32, "s3", "", kDigit, "third digit of the s side", false, CellRule::kNone},
    {"rapp", kI32, "rapp", "", kDigit, "a further digit", false, CellRule::kNone},
    {"dx", kI32, "dx", "", "0 to 2", "value of the d side", false, CellRule::kNone},
    {"d1", kI32, "d1", "", kDigit, "first digit of the d side", false, CellRule::kNone},
    {"d2", kI32, "d2", "", kDigit, "second digit of the d side", false, CellRule::kNone},
    {"d3", kI32, "d3", "", kDigit, "third digit of the d side", false, CellRule::kNone},
    {"tempo", kI32, "tempo", "", kByte,
     "signal time, kept only when sx is 2; 1 to 100 count as 101", false, CellRule::kNone},
}};
inline constexpr std::array<ColumnSchema, 6> kSlowdown = {{
    {"x", kI32, "the slowdown's position", "m", kMetres,
     "start of the slowdown; its cell must be free (error 18)", true, CellRule::kPlusOne},
    {"v", kI32, "v", "km/h", kInt16, "speed over the slowdown", false, CellRule::kNone},
    {"l", kI32, "l", "m", kMetres, "length; the end cell is (x + l) / 50 + 1", false,
     CellRule::kNone},
    {"f_tt", kI32, "f_tt", "", "0 or 1",
     "1 when the slowdown holds for the whole length of the train", false, CellRule::kNone},
    {"f_ta", kI32, "f_ta", "", kAny32, "not 0: the four cells before the warning are marked", false,
     CellRule::kNone},
    {"d_v", kI32, "d_v", "km/h", kInt16, "a second speed, stored only when not 0", false,
     CellRule::kNone},
}};
inline constexpr std::array<ColumnSchema, 2> kSpeedPoint = {{
    {"position", kI32, "the speed point's position", "m", kMetres,
     "where the speed point stands; its cell must be free (error 7)", true, CellRule::kPlain},
    {"value", kI32, "the speed point's value", "km/h",
     "1 to 32767; 0 or less: a point without value", "speed of the point", false, CellRule::kNone},
}};
inline constexpr std::array<ColumnSchema, 17> kStation = {{
    {"position", kI32, "the station's position", "m", "multiple of 50 (error 8)",
     "where the station stands", true, CellRule::kNone},
    {"kind", kU8, "the station's kind", "", kByte,
     "how the stopping zone is laid out; 25 or more: no stop mark", false, CellRule::kNone},
    {"length", kI32, "the station's length", "m", "multiple of 100 (error 9)",
     "length of the stopping zone; not stored", false, CellRule::kNone},
    {"option", kU8, "column 4", "", kByte, "stored as option", false, CellRule::kNone},
    {"column5", kU8, "column 5", "", kByte,
     "stored as byte4; 0 when the length is below 600 and for the first "
     "station",
     false, CellRule::kNone},
    {"column6", kU8, "column 6", "", kByte,
     "stored as byte3; not 0: the zone ends 50 m later (kinds other than "
     "5 to 8)",
     false, CellRule::kNone},
    {"column7", kI16, "column 7", "", kInt16, "stored as num1", false, CellRule::kNone},
    {"column8", kI16, "column 8", "", kInt16, "stored as num2", false, CellRule::kNone},
    {"column9", kU8, "column 9", "", kByte, "stored as byte1", false, CellRule::kNone},
    {"column10", kI16, "column 10", "", kInt16, "stored as num3", false, CellRule::kNone},
    {"column11", kI16, "column 11", "", kInt16, "stored as num4", false, CellRule::kNone},
    {"column12", kI16, "column 12", "", kInt16, "stored as num5", false, CellRule::kNone},
    {"column13", kU8, "column 13", "", kByte, "stored as byte2", false, CellRule::kNone},
    {"hour", kI32, "the hour", "h", "", "scheduled time (all three 0 for no time)", false,
     CellRule::kNone},
    {"minute", kI32, "the minute", "min", "", "scheduled time", false, CellRule::kNone},
    {"second", kI32, "the second", "s", "", "scheduled time", false, CellRule::kNone},
    {"name", kText, "the name", "", "text, Windows-1252",
     "the station's name: the rest of the line, up to a comma unless it is in double quotes", false,
     CellRule::kNone},
}};

constexpr KeywordTest General(LineGeneralRecord r) {
  return kLineGeneralTests[static_cast<std::size_t>(r)];
}
constexpr KeywordTest Feature(LineFeatureRecord r) {
  return kLineFeatureTests[static_cast<std::size_t>(r)];
}
constexpr KeywordTest Train(TrainRecord r) { return kTrainTests[static_cast<std::size_t>(r)]; }

}  // namespace record_columns

// Indexed by Record.
inline constexpr std::array<RecordSchema, kRecordCount> kRecordSchemas = [] {
  using namespace record_columns;
  using G = LineGeneralRecord;
  using F = LineFeatureRecord;
  using T = TrainRecord;
  constexpr RecordPart kG = RecordPart::kLineGeneral;
  constexpr RecordPart kF = RecordPart::kLineFeature;
  constexpr RecordPart kT = RecordPart::kTrain;
  constexpr RecordKind kSet = RecordKind::kSetting;
  constexpr std::string_view kChainage =
      "a chainage system: from start on, the km post is value + (position - start)";
  return std::array<RecordSchema, kRecordCount>{{
      {Record::kLength, kG, "lunghezza percorso", "Line length", "the length of the line",
       General(G::kLength), kSet, kLength},
      {Record::kProgressionTre, kG, "progressiva chilometrica tre",
       "Kilometric progression \"tre\"", kChainage, General(G::kProgressionTre), kSet,
       kProgression},
      {Record::kProgressionDue, kG, "progressiva chilometrica due",
       "Kilometric progression \"due\"", kChainage, General(G::kProgressionDue), kSet,
       kProgression},
      {Record::kProgressionUno, kG, "progressiva chilometrica uno",
       "Kilometric progression \"uno\"", kChainage, General(G::kProgressionUno), kSet,
       kProgression},
      {Record::kBackgroundUno, kG, "sfondo uno", "Background one",
       "copied, not checked, to item slot 85 start", General(G::kBackgroundUno), kSet,
       kBackgroundUno},
      {Record::kBackgroundDue, kG, "sfondo due", "Background two",
       "copied to item slot 85 position", General(G::kBackgroundDue), kSet, kBackgroundDue},
      {Record::kBackgroundTre, kG, "sfondo tre", "Background three", "copied to item slot 85 end",
       General(G::kBackgroundTre), kSet, kBackgroundTre},
      {Record::kSignalRepetition, kG, "ripetizione segnali 4 codici", "Signal repetition",
       "a stretch with signal repetition; the keyword names 4 or 9 codes",
       General(G::kSignalRepetition), kSet, kRepetition},
      {Record::kGradient, kF, "pendenza", "Gradient",
       "the gradient from here to the next gradient record", Feature(F::kGradient),
       RecordKind::kOther, kGradient},
      {Record::kCurve, kF, "curvas1", "Curve",
       "a circular curve; the keyword's first digit 1 to 6 is its curvature, an 's' turns left",
       Feature(F::kCurve), RecordKind::kOther, kCurve},
      {Record::kMountain, kF, "montagna", "Mountain section",
       "the terrain type of a stretch of cells", Feature(F::kMountain), RecordKind::kOther,
       kMountain},
      {Record::kSpeedBoard, kF, "indicatori_vmax", "Maximum-speed indicator board",
       "a board with three speeds and stripes on each side", Feature(F::kSpeedBoard),
       RecordKind::kBoard, kSpeedBoard},
      {Record::kTextBoard, kF, "cartello_indicatore", "Text board", "a board showing a text",
       Feature(F::kTextBoard), RecordKind::kBoard, kTextBoard},
      {Record::kBrakedMass, kT, "percentuale massa frenata", "Braked-mass percentage",
       "copied to item slot 84 start", Train(T::kBrakedMass), kSet, kBrakedMass},
      {Record::kCars, kT, "numero vetture", "Number of cars", "copied to item slot 84 position",
       Train(T::kCars), kSet, kCars},
      {Record::kSpeedLimit, kT, "velocita", "Speed limit",
       "the speed limit from here to the next speed limit record", Train(T::kSpeedLimit),
       RecordKind::kOther, kSpeedLimit},
      {Record::kAdhesion, kT, "aderenza", "Adhesion",
       "the adhesion from here to the next adhesion record", Train(T::kAdhesion),
       RecordKind::kOther, kAdhesion},
      {Record::kClock, kT, "orologio", "Clock", "copied to item slot 86 num3, num4, num5",
       Train(T::kClock), kSet, kClock},
      {Record::kSand, kT, "sabbia", "Sand", "copied to item slot 86 num1", Train(T::kSand), kSet,
       kSand},
      {Record::kSignal, kT, "segnale", "Signal",
       "a signal; the four cells before it get approach codes", Train(T::kSignal),
       RecordKind::kSignal, kSignal},
      {Record::kSlowdown, kT, "rallentamento", "Slowdown",
       "a slowdown: warning 1200 m before (when x > 1500), start and end cells",
       Train(T::kSlowdown), RecordKind::kSlowdown, kSlowdown},
      {Record::kSpeedPoint, kT, "abbattimento", "Speed point", "a speed point on a free cell",
       Train(T::kSpeedPoint), RecordKind::kOther, kSpeedPoint},
      {Record::kStation, kT, "stazione", "Station",
       "a station, its stopping zone and its stop mark", Train(T::kStation), RecordKind::kStation,
       kStation},
  }};
}();

constexpr const RecordSchema& SchemaOf(Record r) {
  return kRecordSchemas[static_cast<std::size_t>(r)];
}

// The records of `part`, in the order the readers try them: a field may
// match several, and each that matches reads its values in this order.
constexpr std::span<const RecordSchema> RecordsOf(RecordPart part) {
  switch (part) {
    case RecordPart::kLineGeneral:
      return std::span(kRecordSchemas).subspan(0, kLineGeneralTests.size());
    case RecordPart::kLineFeature:
      return std::span(kRecordSchemas).subspan(kLineGeneralTests.size(), kLineFeatureTests.size());
    case RecordPart::kTrain:
      return std::span(kRecordSchemas)
          .subspan(kLineGeneralTests.size() + kLineFeatureTests.size(), kTrainTests.size());
  }
  return {};
}

// Every record, grouped by part in the order the readers try them.
std::span<const RecordSchema> RecordSchemas();

// The record a keyword field stands for in `part` (the first test it
// passes, as the reader tries them); nullptr when none. A field holding
// '-' is no record.
const RecordSchema* FindRecord(RecordPart part, std::string_view keywordField);

// Every keyword of `part` as authors write them (each curve class and
// direction, both signal repetitions): what "did you mean" offers.
std::span<const std::string_view> KeywordsAsWritten(RecordPart part);

// How a part treats the fields holding '-' in a keyword's place: at most
// `skips` of them in a row are dropped, and the next field is the keyword
// whatever it holds. Where `endAmongSkips`, the end of the file among them
// ends the reading; elsewhere they are read without looking for it, and
// reading past the end is a read failure.
struct DashRule {
  int skips;
  bool endAmongSkips;
};
constexpr DashRule DashRuleOf(RecordPart part) {
  return part == RecordPart::kLineGeneral ? DashRule{10, false} : DashRule{2, true};
}

// The field that ends a description's preamble: the records begin after it.
bool OpensRecords(std::string_view field);

// A bracketed field ends a line's general section, unless it begins with
// "-" after its spaces.
bool EndsGeneralSection(std::string_view field);

// The section headers authors write, with the part they open.
struct SectionHeader {
  std::string_view header;  // "[stazioni]"
  bool lineDescription;
};
std::span<const SectionHeader> SectionHeaders();

}  // namespace sb

#endif  // SB_DESCRIPTION_RECORD_SCHEMA_H_
