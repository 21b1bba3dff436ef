#include "description/record_schema.h"

#include <array>

namespace sb {
namespace {

constexpr std::string_view kAny32 = "-2147483648 to 2147483647";
constexpr std::string_view kInt16 = "-32768 to 32767";
constexpr std::string_view kByte = "0 to 255";
constexpr std::string_view kDigit = "0 to 9";

constexpr std::array<ColumnSchema, 1> kLength = {{
    {"length", "m", "0 to 1000000",
     "length of the line; sizes the cell grid (the line plus 7000 m, in 50 m cells) and the "
     "plan profile",
     false, CellRule::kNone},
}};
constexpr std::array<ColumnSchema, 3> kProgression = {{
    {"start", "m", "multiple of 50", "where this kilometric progression begins", true,
     CellRule::kNone},
    {"value", "m", "multiple of 50", "the kilometric value at its start", false, CellRule::kNone},
    {"flag", "", kAny32, "1 adds 100 m to the value; other flags change nothing", false,
     CellRule::kNone},
}};
constexpr std::array<ColumnSchema, 1> kBackground = {{
    {"value", "", kAny32, "background picture of the line, copied as written", false,
     CellRule::kNone},
}};
constexpr std::array<ColumnSchema, 2> kRepetition = {{
    {"start", "m", "multiple of 50", "where signal repetition begins", true, CellRule::kNone},
    {"end", "m", "multiple of 50", "where it ends; 0 means no repetition", true, CellRule::kNone},
}};
constexpr std::array<ColumnSchema, 2> kGradient = {{
    {"position", "m", kAny32, "where the gradient takes over", true, CellRule::kPlain},
    {"gradient", "", "-100 to 155",
     "gradient up to the next gradient record; stored as gradient + 100 in one byte", false,
     CellRule::kNone},
}};
constexpr std::array<ColumnSchema, 2> kCurve = {{
    {"start", "m", kAny32, "where the curve begins", true, CellRule::kNone},
    {"length", "m", kAny32, "length of the circular curve; it must end by the line length + 7000 m",
     false, CellRule::kNone},
}};
constexpr std::array<ColumnSchema, 3> kMountain = {{
    {"start", "m", kAny32, "first metre of the section; its first cell is start / 50", true,
     CellRule::kPlain},
    {"end", "m", kAny32, "end of the section; its last cell is end / 50 - 1", true,
     CellRule::kMinusOne},
    {"type", "", "0 to 10, or 11 to 265 for marks",
     "terrain type; above 10: type - 10 and a mountain mark on every fourth empty cell", false,
     CellRule::kNone},
}};
constexpr std::array<ColumnSchema, 9> kSpeedBoard = {{
    {"position", "m", kAny32, "where the board stands; its cell must be free (error 21)", true,
     CellRule::kPlusOne},
    {"vas", "km/h", "", "first speed of the s side", false, CellRule::kNone},
    {"vbs", "km/h", "", "second speed of the s side", false, CellRule::kNone},
    {"vcs", "km/h", "", "third speed of the s side", false, CellRule::kNone},
    {"strisces", "", kDigit, "stripes of the s side", false, CellRule::kNone},
    {"vad", "km/h", "", "first speed of the d side", false, CellRule::kNone},
    {"vbd", "km/h", "", "second speed of the d side", false, CellRule::kNone},
    {"vcd", "km/h", "", "third speed of the d side", false, CellRule::kNone},
    {"strisced", "", kDigit, "stripes of the d side", false, CellRule::kNone},
}};
constexpr std::array<ColumnSchema, 2> kTextBoard = {{
    {"position", "m", kAny32, "where the board stands; its cell must be free (error 6)", true,
     CellRule::kPlusOne},
    {"text", "", "at most 65535 bytes, Windows-1252",
     "the board's text, up to the next comma unless it is in double quotes", false,
     CellRule::kNone},
}};

constexpr std::array<ColumnSchema, 1> kBrakedMass = {{
    {"percentage", "%", kAny32, "braked-mass percentage of the train", false, CellRule::kNone},
}};
constexpr std::array<ColumnSchema, 1> kCars = {{
    {"count", "", kAny32, "number of cars of the train", false, CellRule::kNone},
}};
constexpr std::array<ColumnSchema, 2> kSpeedLimit = {{
    {"position", "m", kAny32, "where the speed limit takes over", true, CellRule::kPlain},
    {"speed", "km/h", "0 to 1275, in steps of 5", "the limit up to the next speed limit record",
     false, CellRule::kNone},
}};
constexpr std::array<ColumnSchema, 2> kAdhesion = {{
    {"position", "m", kAny32, "where the adhesion takes over", true, CellRule::kPlain},
    {"value", "", kByte, "adhesion up to the next adhesion record", false, CellRule::kNone},
}};
constexpr std::array<ColumnSchema, 3> kClock = {{
    {"hours", "h", kInt16, "the clock at the start of the run", false, CellRule::kNone},
    {"minutes", "min", kInt16, "", false, CellRule::kNone},
    {"seconds", "s", kInt16, "", false, CellRule::kNone},
}};
constexpr std::array<ColumnSchema, 1> kSand = {{
    {"value", "", kInt16, "sand carried by the train", false, CellRule::kNone},
}};
constexpr std::array<ColumnSchema, 11> kSignal = {{
    {"posizione", "m", kAny32, "where the signal stands; its cell must be free (error 16)", true,
     CellRule::kPlusOne},
    {"sx", "", "0 to 2", "value of the s side", false, CellRule::kNone},
    {"s1", "", kDigit, "first digit of the s side", false, CellRule::kNone},
    {"s2", "", kDigit, "second digit of the s side", false, CellRule::kNone},
    {"s3", "", kDigit, "third digit of the s side", false, CellRule::kNone},
    {"rapp", "", kDigit, "a further digit", false, CellRule::kNone},
    {"dx", "", "0 to 2", "value of the d side", false, CellRule::kNone},
    {"d1", "", kDigit, "first digit of the d side", false, CellRule::kNone},
    {"d2", "", kDigit, "second digit of the d side", false, CellRule::kNone},
    {"d3", "", kDigit, "third digit of the d side", false, CellRule::kNone},
    {"tempo", "", kByte, "signal time, kept only when sx is 2; 1 to 100 count as 101", false,
     CellRule::kNone},
}};
constexpr std::array<ColumnSchema, 6> kSlowdown = {{
    {"x", "m", kAny32, "start of the slowdown; its cell must be free (error 18)", true,
     CellRule::kPlusOne},
    {"v", "km/h", kInt16, "speed over the slowdown", false, CellRule::kNone},
    {"l", "m", kAny32, "length; the end cell is (x + l) / 50 + 1", false, CellRule::kNone},
    {"f_tt", "", "0 or 1", "1 when the slowdown holds for the whole length of the train", false,
     CellRule::kNone},
    {"f_ta", "", kAny32, "not 0: the four cells before the warning are marked", false,
     CellRule::kNone},
    {"d_v", "km/h", kInt16, "a second speed, stored only when not 0", false, CellRule::kNone},
}};
constexpr std::array<ColumnSchema, 2> kSpeedPoint = {{
    {"position", "m", kAny32, "where the speed point stands; its cell must be free (error 7)", true,
     CellRule::kPlain},
    {"value", "km/h", "1 to 32767; 0 or less: a point without value", "speed of the point", false,
     CellRule::kNone},
}};
constexpr std::array<ColumnSchema, 17> kStation = {{
    {"position", "m", "multiple of 50 (error 8)", "where the station stands", true,
     CellRule::kNone},
    {"kind", "", kByte, "how the stopping zone is laid out; 25 or more: no stop mark", false,
     CellRule::kNone},
    {"length", "m", "multiple of 100 (error 9)", "length of the stopping zone; not stored", false,
     CellRule::kNone},
    {"option", "", kByte, "stored as option", false, CellRule::kNone},
    {"column5", "", kByte,
     "stored as byte4; 0 when the length is below 600 and for the first "
     "station",
     false, CellRule::kNone},
    {"column6", "", kByte,
     "stored as byte3; not 0: the zone ends 50 m later (kinds other than "
     "5 to 8)",
     false, CellRule::kNone},
    {"column7", "", kInt16, "stored as num1", false, CellRule::kNone},
    {"column8", "", kInt16, "stored as num2", false, CellRule::kNone},
    {"column9", "", kByte, "stored as byte1", false, CellRule::kNone},
    {"column10", "", kInt16, "stored as num3", false, CellRule::kNone},
    {"column11", "", kInt16, "stored as num4", false, CellRule::kNone},
    {"column12", "", kInt16, "stored as num5", false, CellRule::kNone},
    {"column13", "", kByte, "stored as byte2", false, CellRule::kNone},
    {"hour", "h", "", "scheduled time (all three 0 for no time)", false, CellRule::kNone},
    {"minute", "min", "", "scheduled time", false, CellRule::kNone},
    {"second", "s", "", "scheduled time", false, CellRule::kNone},
    {"name", "", "text, Windows-1252",
     "the station's name: the rest of the line, up to a comma unless it is in double quotes", false,
     CellRule::kNone},
}};

using G = LineGeneralRecord;
using F = LineFeatureRecord;
using T = TrainRecord;
constexpr KeywordTest General(G r) { return kLineGeneralTests[static_cast<int>(r)]; }
constexpr KeywordTest Feature(F r) { return kLineFeatureTests[static_cast<int>(r)]; }
constexpr KeywordTest Train(T r) { return kTrainTests[static_cast<int>(r)]; }

constexpr RecordPart kG = RecordPart::kLineGeneral;
constexpr RecordPart kF = RecordPart::kLineFeature;
constexpr RecordPart kT = RecordPart::kTrain;
constexpr RecordKind kSet = RecordKind::kSetting;

// In the order the readers try them.
constexpr std::array<RecordSchema, 23> kRecords = {{
    {kG, "lunghezza percorso", "Line length", "the length of the line", General(G::kLength), kSet,
     kLength},
    {kG, "progressiva chilometrica tre", "Kilometric progression \"tre\"",
     "a chainage system: from start on, the km post is value + (position - start)",
     General(G::kProgressionTre), kSet, kProgression},
    {kG, "progressiva chilometrica due", "Kilometric progression \"due\"",
     "a chainage system: from start on, the km post is value + (position - start)",
     General(G::kProgressionDue), kSet, kProgression},
    {kG, "progressiva chilometrica uno", "Kilometric progression \"uno\"",
     "a chainage system: from start on, the km post is value + (position - start)",
     General(G::kProgressionUno), kSet, kProgression},
    {kG, "sfondo uno", "Background one", "copied, not checked, to item slot 85 start",
     General(G::kBackgroundUno), kSet, kBackground},
    {kG, "sfondo due", "Background two", "copied to item slot 85 position",
     General(G::kBackgroundDue), kSet, kBackground},
    {kG, "sfondo tre", "Background three", "copied to item slot 85 end", General(G::kBackgroundTre),
     kSet, kBackground},
    {kG, "ripetizione segnali 4 codici", "Signal repetition",
     "a stretch with signal repetition; the keyword names 4 or 9 codes",
     General(G::kSignalRepetition), kSet, kRepetition},
    {kF, "pendenza", "Gradient", "the gradient from here to the next gradient record",
     Feature(F::kGradient), RecordKind::kOther, kGradient},
    {kF, "curvas1", "Curve",
     "a circular curve; the keyword's first digit 1 to 6 is its curvature, an 's' turns left",
     Feature(F::kCurve), RecordKind::kOther, kCurve},
    {kF, "montagna", "Mountain section", "the terrain type of a stretch of cells",
     Feature(F::kMountain), RecordKind::kOther, kMountain},
    {kF, "indicatori_vmax", "Maximum-speed indicator board",
     "a board with three speeds and stripes on each side", Feature(F::kSpeedBoard),
     RecordKind::kBoard, kSpeedBoard},
    {kF, "cartello_indicatore", "Text board", "a board showing a text", Feature(F::kTextBoard),
     RecordKind::kBoard, kTextBoard},
    {kT, "percentuale massa frenata", "Braked-mass percentage", "copied to item slot 84 start",
     Train(T::kBrakedMass), kSet, kBrakedMass},
    {kT, "numero vetture", "Number of cars", "copied to item slot 84 position", Train(T::kCars),
     kSet, kCars},
    {kT, "velocita", "Speed limit", "the speed limit from here to the next speed limit record",
     Train(T::kSpeedLimit), RecordKind::kOther, kSpeedLimit},
    {kT, "aderenza", "Adhesion", "the adhesion from here to the next adhesion record",
     Train(T::kAdhesion), RecordKind::kOther, kAdhesion},
    {kT, "orologio", "Clock", "copied to item slot 86 num3, num4, num5", Train(T::kClock), kSet,
     kClock},
    {kT, "sabbia", "Sand", "copied to item slot 86 num1", Train(T::kSand), kSet, kSand},
    {kT, "segnale", "Signal", "a signal; the four cells before it get approach codes",
     Train(T::kSignal), RecordKind::kSignal, kSignal},
    {kT, "rallentamento", "Slowdown",
     "a slowdown: warning 1200 m before (when x > 1500), start and end cells", Train(T::kSlowdown),
     RecordKind::kSlowdown, kSlowdown},
    {kT, "abbattimento", "Speed point", "a speed point on a free cell", Train(T::kSpeedPoint),
     RecordKind::kOther, kSpeedPoint},
    {kT, "stazione", "Station", "a station, its stopping zone and its stop mark",
     Train(T::kStation), RecordKind::kStation, kStation},
}};

constexpr std::array<SectionHeader, 14> kHeaders = {{
    {"[generale]", true},
    {"[curve]", true},
    {"[pendenze]", true},
    {"[montagne]", true},
    {"[cartelli]", true},
    {"[indicazioni]", true},
    {"[fine]", true},
    {"[generale]", false},
    {"[aderenze]", false},
    {"[vel_limite]", false},
    {"[stazioni]", false},
    {"[rallentamenti]", false},
    {"[segnali]", false},
    {"[fine]", false},
}};

// The keywords as authors write them, for "did you mean".
constexpr std::array<std::string_view, 9> kGeneralKeywords = {"lunghezza percorso",
                                                              "progressiva chilometrica uno",
                                                              "progressiva chilometrica due",
                                                              "progressiva chilometrica tre",
                                                              "sfondo uno",
                                                              "sfondo due",
                                                              "sfondo tre",
                                                              "ripetizione segnali 4 codici",
                                                              "ripetizione segnali 9 codici"};
// Curves are offered in their full form: "curva" alone names no curvature.
constexpr std::array<std::string_view, 16> kFeatureKeywords = {
    "pendenza", "curvas1",  "curvas2",         "curvas3",
    "curvas4",  "curvas5",  "curvas6",         "curvad1",
    "curvad2",  "curvad3",  "curvad4",         "curvad5",
    "curvad6",  "montagna", "indicatori_vmax", "cartello_indicatore"};
constexpr std::array<std::string_view, 10> kTrainKeywords = {"percentuale massa frenata",
                                                             "numero vetture",
                                                             "velocita",
                                                             "aderenza",
                                                             "orologio",
                                                             "sabbia",
                                                             "segnale",
                                                             "rallentamento",
                                                             "abbattimento",
                                                             "stazione"};

}  // namespace

std::span<const RecordSchema> RecordSchemas() { return kRecords; }

const RecordSchema* FindRecord(RecordPart part, std::string_view keywordField) {
  if (keywordField.find('-') != std::string_view::npos) return nullptr;
  for (const RecordSchema& r : kRecords) {
    if (r.part == part && r.test.Matches(keywordField)) return &r;
  }
  return nullptr;
}

std::span<const SectionHeader> SectionHeaders() { return kHeaders; }

std::span<const std::string_view> KeywordsAsWritten(RecordPart part) {
  switch (part) {
    case RecordPart::kLineGeneral: return kGeneralKeywords;
    case RecordPart::kLineFeature: return kFeatureKeywords;
    case RecordPart::kTrain: return kTrainKeywords;
  }
  return {};
}

}  // namespace sb
