#include "compiler/readers.h"
#include "base/rounding.h"
#include "compiler/signals.h"
#include "description/keywords.h"

namespace sb {
namespace {

constexpr int kTrainDashSkips = 2;
constexpr int32_t kStationSpacing = 350;

struct TrainState {
  int32_t speedCursor = 0;
  int32_t lastSpeed = 0;  // before the first record: 0
  int32_t adhesionCursor = 0;
  int32_t lastAdhesion = 0;
  int32_t stationSlot = 1;
  int32_t boardSlot = kFirstBoardSlot;
};

enum class Outcome { kGoOn, kEndOfReading, kStopped };

bool HasDash(const std::string& field) { return field.find('-') != std::string::npos; }

uint8_t SpeedUnits(int32_t speed) {
  std::optional<uint8_t> units = ToUInt8(static_cast<double>(speed) / 5.0);
  if (!units) {
    throw ReadFailure{"speed " + std::to_string(speed) +
                      " km/h does not fit one byte in 5 km/h steps"};
  }
  return *units;
}

void WriteSpeed(Scenario& s, TrainState& t) {
  CellAt(s, t.speedCursor, "a speed limit").speedLimit = SpeedUnits(t.lastSpeed);
  ++t.speedCursor;
}

// Callers stop the adhesion cursor at the end of the grid: a write beyond
// it is not made.
void WriteAdhesion(Scenario& s, TrainState& t) {
  CellAt(s, t.adhesionCursor, "an adhesion").adhesion = Low8(t.lastAdhesion);
  ++t.adhesionCursor;
}

int32_t Checked32(int64_t v, const char* what) {
  if (v < INT32_MIN || v > INT32_MAX) throw ReadFailure{std::string(what) + " is out of range"};
  return static_cast<int32_t>(v);
}

class TrainReader {
 public:
  TrainReader(Scenario& s, Description& d, TrainState& t) : s_(s), d_(d), t_(t) {}

  Outcome Records();

 private:
  bool Matches(TrainRecord r) const {
    return kTrainTests[static_cast<std::size_t>(r)].Matches(keyword_);
  }
  // Error 15 when (P + offset) / 50 lies beyond the last cell.
  bool Beyond(int32_t position, double offset = 100.0) {
    if ((static_cast<double>(position) + offset) / 50.0 <= static_cast<double>(s_.lastCell)) {
      return false;
    }
    RecordError(s_, d_.At(15, position), position);
    return true;
  }
  Outcome Stop(int32_t code, std::optional<int32_t> position, std::optional<int64_t> where,
               std::string message = {}) {
    d_.CloseAndDelete();
    RecordError(s_, d_.At(code, where, std::move(message)), position);
    return Outcome::kStopped;
  }

  Outcome SpeedLimit();
  Outcome Adhesion();
  Outcome Signal();
  Outcome Slowdown();
  Outcome SpeedPoint();
  Outcome Station();

  Scenario& s_;
  Description& d_;
  TrainState& t_;
  std::string keyword_;
};

Outcome TrainReader::Records() {
  keyword_ = s_.currentLine;
  if (Matches(TrainRecord::kBrakedMass)) {
    s_.items[kSlotTotals].start = d_.ReadInt32("the braked-mass percentage");
  }
  if (Matches(TrainRecord::kCars))
    s_.items[kSlotTotals].position = d_.ReadInt32("the number of cars");
  if (Matches(TrainRecord::kSpeedLimit)) {
    if (Outcome o = SpeedLimit(); o != Outcome::kGoOn) return o;
  }
  if (Matches(TrainRecord::kAdhesion)) {
    if (Outcome o = Adhesion(); o != Outcome::kGoOn) return o;
  }
  if (Matches(TrainRecord::kClock)) {
    ScenarioItem& train = s_.items[kSlotTrain];
    train.num3 = d_.ReadInt16("the clock's hours");
    train.num4 = d_.ReadInt16("the clock's minutes");
    train.num5 = d_.ReadInt16("the clock's seconds");
  }
  if (Matches(TrainRecord::kSand)) s_.items[kSlotTrain].num1 = d_.ReadInt16("the sand value");
  if (Matches(TrainRecord::kSignal)) {
    if (Outcome o = Signal(); o != Outcome::kGoOn) return o;
  }
  if (Matches(TrainRecord::kSlowdown)) {
    if (Outcome o = Slowdown(); o != Outcome::kGoOn) return o;
  }
  if (Matches(TrainRecord::kSpeedPoint)) {
    if (Outcome o = SpeedPoint(); o != Outcome::kGoOn) return o;
  }
  if (Matches(TrainRecord::kStation)) {
    if (Outcome o = Station(); o != Outcome::kGoOn) return o;
  }
  return Outcome::kGoOn;
}

// Each record closes the stretch of the previous one: the cells from the
// cursor up to the record's cell - 1 get the previous speed. The test comes
// after the write, so a record always writes at least one cell.
Outcome TrainReader::SpeedLimit() {
  int32_t p = d_.ReadInt32("the speed limit's position");
  int32_t v = d_.ReadInt32("the speed");
  if (Beyond(p)) return Outcome::kEndOfReading;
  const int64_t k = CellIndex(p);
  if (k > 0) {
    do {
      if (t_.speedCursor >= s_.lastCell) break;
      WriteSpeed(s_, t_);
    } while (t_.speedCursor < k);
  }
  t_.lastSpeed = v;
  return Outcome::kGoOn;
}

Outcome TrainReader::Adhesion() {
  int32_t p = d_.ReadInt32("the adhesion's position");
  int32_t a = d_.ReadInt32("the adhesion value");
  if (Beyond(p)) return Outcome::kEndOfReading;
  const int64_t k = CellIndex(p);
  if (k > 0) {
    do {
      if (t_.adhesionCursor > s_.lastCell) break;
      WriteAdhesion(s_, t_);
    } while (t_.adhesionCursor < k);
  }
  t_.lastAdhesion = a;
  return Outcome::kGoOn;
}

Outcome TrainReader::Signal() {
  static constexpr const char* kNames[11] = {
      "the signal's position", "sx", "s1", "s2", "s3", "rapp", "dx", "d1", "d2", "d3", "tempo"};
  int32_t v[11];
  for (int i = 0; i < 11; ++i) v[i] = d_.ReadInt32(kNames[i]);
  if (Beyond(v[0])) return Outcome::kEndOfReading;
  memo_segnale(s_, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10]);
  // Any code standing now stops the reading, also one left by the line.
  if (s_.errorCode > 0) return Stop(s_.errorCode, v[0], v[0]);
  s_.cellSources[CellIndex(v[0], 1.0)] = d_.Source();
  return Outcome::kGoOn;
}

Outcome TrainReader::Slowdown() {
  static constexpr const char* kNames[6] = {
      "the slowdown's position", "v", "l", "f_tt", "f_ta", "d_v"};
  int32_t v[6];
  for (int i = 0; i < 6; ++i) v[i] = d_.ReadInt32(kNames[i]);
  int32_t x = v[0];
  if (Beyond(x)) return Outcome::kEndOfReading;
  // Only the start is checked above; an end past the last cell cannot be
  // placed, so the slowdown is beyond the grid as a whole. An end before
  // cell 0 (a negative length) is no position beyond the grid: the encoder
  // fails on it like on any cell outside the grid (code 25).
  const int64_t e = SlowdownEndCell(x, v[2]);
  if (e > s_.lastCell) {
    RecordError(s_,
                d_.At(15, x,
                      "slowdown end cell " + std::to_string(e) + " lies beyond the grid (0 to " +
                          std::to_string(s_.lastCell) + ")"),
                x);
    return Outcome::kEndOfReading;
  }
  memo_rallentamento(s_, x, v[1], v[2], v[3], v[4], v[5]);
  if (s_.errorCode > 0) return Stop(s_.errorCode, x, x);
  s_.cellSources[CellIndex(x, 1.0)] = d_.Source();
  return Outcome::kGoOn;
}

Outcome TrainReader::SpeedPoint() {
  int32_t p = d_.ReadInt32("the speed point's position");
  int32_t value = d_.ReadInt32("the speed point's value");
  if (Beyond(p)) return Outcome::kEndOfReading;
  TrackCell& cell = CellAt(s_, CellIndex(p), "a speed point");
  if (!cell.free()) return Stop(7, p, p);
  if (value > 0) {
    cell.kind = kKindSpeedPoint;
    cell.value1 = Low16(value);
  } else {
    cell.kind = kKindSpeedPointNoValue;
  }
  return Outcome::kGoOn;
}

Outcome TrainReader::Station() {
  const int32_t n = t_.stationSlot;
  // Slot n would hold a board text: storing the station there would lose it.
  if (n > t_.boardSlot) return Stop(10, std::nullopt, std::nullopt);
  ScenarioItem& item = s_.items[static_cast<std::size_t>(n)];
  const int32_t p = d_.ReadInt32("the station's position");
  item.position = p;
  if (Beyond(p, 800.0)) return Outcome::kEndOfReading;
  if (p % 50 != 0) return Stop(8, p, p);
  item.kind = d_.ReadUInt8("the station's kind");
  const int32_t length = d_.ReadInt32("the station's length");
  if (length % 100 != 0) return Stop(9, p, p);
  item.option = d_.ReadUInt8("column 4");
  item.byte4 = d_.ReadUInt8("column 5");
  item.byte3 = d_.ReadUInt8("column 6");
  item.num1 = d_.ReadInt16("column 7");
  item.num2 = d_.ReadInt16("column 8");
  item.byte1 = d_.ReadUInt8("column 9");
  item.num3 = d_.ReadInt16("column 10");
  item.num4 = d_.ReadInt16("column 11");
  item.num5 = d_.ReadInt16("column 12");
  item.byte2 = d_.ReadUInt8("column 13");
  const int32_t hour = d_.ReadInt32("the hour");
  const int32_t minute = d_.ReadInt32("the minute");
  const int32_t second = d_.ReadInt32("the second");
  item.seconds = Checked32((int64_t{hour} * 60 + minute) * 60 + second, "the scheduled time");
  item.text = d_.ReadText();
  if (item.text.size() > 0xFFFF) throw ReadFailure{"station name longer than 65535 characters"};

  switch (item.kind) {
    case 5:
    case 6:
      item.start = Checked32(int64_t{p} - length, "the stopping zone's start");
      item.end = Checked32(int64_t{p} + 150, "the stopping zone's end");
      item.byte3 = 0;
      break;
    case 7:
    case 8:
      item.start = Checked32(int64_t{p} - length, "the stopping zone's start");
      item.end = Checked32(int64_t{p} + length, "the stopping zone's end");
      item.byte3 = 0;
      break;
    default: {
      const double half = static_cast<double>(length) / 2.0;
      std::optional<int32_t> start = ToInt32(static_cast<double>(p) - half);
      std::optional<int32_t> end = item.byte3 != 0 ? ToInt32(static_cast<double>(p) + half + 50.0)
                                                   : ToInt32(static_cast<double>(p) + half);
      if (!start || !end) throw ReadFailure{"the stopping zone is out of range"};
      item.start = *start;
      item.end = *end;
    }
  }
  if (length < 600) item.byte4 = 0;
  if (n == 1) {
    item.byte3 = 0;
    item.byte4 = 0;
  }

  const bool marked = item.kind < 25;
  const double mark = static_cast<double>(item.end) / 50.0 - 1.0;
  // The stop mark, and the approach codes before it, must fall inside the
  // grid; a zone that ends beyond it is beyond the grid as a whole.
  if (marked && mark > 1.0 && RoundHalfEven(mark) > s_.lastCell) {
    RecordError(
        s_,
        d_.At(15, p,
              "the stopping zone ends beyond the grid (at " + std::to_string(item.end) + " m)"),
        p);
    return Outcome::kEndOfReading;
  }
  if (marked && item.kind != 5 && item.kind != 6) {
    for (int j = 1; j <= 4; ++j) {
      const double t = static_cast<double>(item.end) / 50.0 - j - 1.0;
      if (t > 1.0) {
        CellAt(s_, static_cast<int64_t>(RoundHalfEven(t)), "an approach code").approachCode =
            Low8(80 + j);
      }
    }
  }
  if (marked) {
    if (mark <= 1.0) return Stop(24, std::nullopt, p);
    // Written whatever the cell held: a stop mark replaces any feature.
    TrackCell& cell = CellAt(s_, static_cast<int64_t>(RoundHalfEven(mark)), "a stop mark");
    cell.kind = kKindStopMark;
    cell.value1 = static_cast<int16_t>(n);
  }
  if (n > 1 &&
      int64_t{item.start} - kStationSpacing < s_.items[static_cast<std::size_t>(n - 1)].end) {
    return Stop(22, p, p);
  }
  t_.stationSlot = n + 1;
  if (n + 1 >= t_.boardSlot) return Stop(10, std::nullopt, p);
  return Outcome::kGoOn;
}

// The tails finish both per-stretch fields up to lastCell - 3; each writes
// at least one cell.
void FinishStretches(Scenario& s, TrainState& t) {
  do {
    if (t.speedCursor > s.lastCell) break;
    WriteSpeed(s, t);
  } while (t.speedCursor < s.lastCell - 2);
  do {
    if (t.adhesionCursor > s.lastCell) break;
    WriteAdhesion(s, t);
  } while (t.adhesionCursor < s.lastCell - 2);
}

void CheckProgressions(Scenario& s) {
  for (int slot = kSlotProgressionTre; slot <= kSlotProgressionUno; ++slot) {
    const ScenarioItem& item = s.items[slot];
    if (item.start % 50 != 0 || item.end % 50 != 0) {
      Diagnostic diag;
      diag.code = 2;
      diag.position = item.start;
      diag.message = "kilometric progression (" + std::to_string(item.start) + ", " +
                     std::to_string(item.end) + ") is not on a multiple of 50 m";
      RecordError(s, std::move(diag), std::nullopt);
      return;
    }
  }
}

}  // namespace

PhaseEnd ReadTrainDescription(Scenario& s, Description& d, int32_t boardSlot) {
  std::string reason;
  if (!d.Open(&reason)) throw ReadFailure{"cannot read " + d.name() + ": " + reason};

  // Everything up to the first "[generale]" is preamble; a file without one
  // holds no records.
  while (!d.eof()) {
    d.ReadKeyword(&s.currentLine);
    if (d.eof()) break;
    if (Contains(s.currentLine, "[generale]", Compare::kText)) break;
  }

  TrainState t;
  t.boardSlot = boardSlot;
  TrainReader reader(s, d, t);
  while (!d.eof()) {
    d.ReadKeyword(&s.currentLine);
    if (d.eof()) break;  // the last field is never a record
    bool at_end = false;
    for (int i = 0; i < kTrainDashSkips && HasDash(s.currentLine); ++i) {
      d.ReadKeyword(&s.currentLine);
      if (d.eof()) {
        at_end = true;
        break;
      }
    }
    if (at_end) break;
    Outcome o = reader.Records();
    if (o == Outcome::kStopped) return PhaseEnd::kStopped;
    if (o == Outcome::kEndOfReading) break;
  }

  d.CloseAndDelete();
  FinishStretches(s, t);
  CheckProgressions(s);
  return PhaseEnd::kFinished;
}

}  // namespace sb
