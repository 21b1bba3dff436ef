#include <vector>

#include "base/rounding.h"
#include "compiler/error_codes.h"
#include "compiler/progressions.h"
#include "compiler/readers.h"
#include "compiler/record_checks.h"
#include "compiler/record_reader.h"
#include "compiler/signals.h"
#include "compiler/stopping_zone.h"
#include "compiler/timetable_check.h"
#include "compiler/train_stretches.h"
#include "description/keywords.h"

namespace sb {
namespace {

constexpr PartRules kTrainRules{.part = RecordPart::kTrain,
                                .dashSkips = DashRuleOf(RecordPart::kTrain).skips,
                                .endAmongSkips = DashRuleOf(RecordPart::kTrain).endAmongSkips};
constexpr int32_t kStationSpacing = 350;  // m between stopping zones
constexpr int32_t kMaxTextLength = 0xFFFF;
// Below this length a station's column 5 is not kept.
constexpr int32_t kShortStation = 600;
// Kinds 25 and above have no stop mark.
constexpr int kFirstUnmarkedKind = 25;
constexpr int kFirstStopApproachCode = 80;
// The record's position plus this, in cells, must lie inside the grid.
constexpr double kFeatureReach = 100.0;
constexpr double kStationReach = 800.0;
// The station's length is its third value.
constexpr int kStationLengthField = 3;
constexpr Record kStation = Record::kStation;
// How far a station is moved to find it a place.
constexpr int64_t kStationMoveReach = 500;

// The multiples of 50 m around a station off the step, nearest first.
std::vector<int64_t> StationPlaces(int32_t position) {
  const int64_t below = NearestMultiple(int64_t{position} - 25, 50);
  const int64_t above = below + 50;
  const bool belowFirst = position - below < above - position;
  std::vector<int64_t> places;
  for (int64_t step = 0; step <= kStationMoveReach; step += 50) {
    places.push_back(belowFirst ? below - step : above + step);
    places.push_back(belowFirst ? above + step : below - step);
  }
  return places;
}

struct TrainState {
  Stretches stretches;
  int32_t stationSlot = 1;
  int32_t boardSlot = kFirstBoardSlot;
  SourceRef previousStation;  // the record of the station in stationSlot - 1
  StretchChecks speedChecks{"velocita", "speed limit", " km/h"};
  StretchChecks adhesionChecks{"aderenza", "adhesion", ""};
  TimetableCheck timetable;
  // Where "[generale]" was, for warnings about records missing altogether.
  std::optional<Diagnostic> generalHeader;
};

class TrainReader {
 public:
  TrainReader(Scenario& s, Description& d, TrainState& t) : s_(s), d_(d), t_(t) {}

  // Reads the record whose keyword is s.currentLine; `*outcome` tells
  // whether the reading goes on.
  Status Read(Outcome* outcome);

 private:
  Status ReadRecord(Record record);
  // Error 15 when (P + reach) / 50 lies beyond the last cell.
  bool Beyond(const char* what, int32_t position, double reach = kFeatureReach) {
    return sb::Beyond(s_, d_, what, position, reach, &outcome_);
  }
  Status Stop(ErrorCode code, std::optional<int32_t> position, std::optional<int64_t> where,
              int field) {
    return Stop(d_.At(code, where, {}, field), position);
  }
  Status Stop(Diagnostic diag, std::optional<int32_t> position) {
    return sb::Stop(s_, d_, std::move(diag), position, &outcome_);
  }
  // After an encoder placed a feature: a code it returned stops the reading
  // with `taken` naming the cell at fault, and so does one left standing in
  // the run state (also by the line), which concerns an earlier record.
  Status StopOnCode(ErrorCode code, int32_t position, int64_t taken, const std::string& subject) {
    if (code != ErrorCode::kNone) {
      Diagnostic diag = d_.At(code, position, {}, kPositionField);
      DescribeTakenCell(s_, taken, subject, diag);
      return Stop(std::move(diag), position);
    }
    if (s_.errorCode != ErrorCode::kNone) return Stop(StandingError(s_, d_, position), position);
    return Status::Ok();
  }

  Status SpeedLimit();
  Status Adhesion();
  Status Clock();
  Status Signal();
  Status Slowdown();
  Status SpeedPoint();
  Status Station();
  Status StationColumns(ScenarioItem& item);
  Status StopMark(ScenarioItem& item, int32_t slot, int32_t position);

  Scenario& s_;
  Description& d_;
  TrainState& t_;
  Outcome outcome_ = Outcome::kGoOn;
};

Status TrainReader::Read(Outcome* outcome) {
  const std::string keyword = s_.currentLine;
  outcome_ = Outcome::kGoOn;
  SB_RETURN_IF_ERROR(ReadMatchingRecords(
      s_, d_, RecordPart::kTrain, keyword,
      [&](const RecordSchema& record) { return ReadRecord(record.record); }, &outcome_));
  *outcome = outcome_;
  return Status::Ok();
}

Status TrainReader::ReadRecord(Record record) {
  ScenarioItem& totals = s_.items[kSlotTotals];
  switch (record) {
    case Record::kBrakedMass: return ReadColumn<Record::kBrakedMass, 0>(d_, &totals.start);
    case Record::kCars: return ReadColumn<Record::kCars, 0>(d_, &totals.position);
    case Record::kSpeedLimit: return SpeedLimit();
    case Record::kAdhesion: return Adhesion();
    case Record::kClock: return Clock();
    case Record::kSand: return ReadColumn<Record::kSand, 0>(d_, &s_.items[kSlotTrain].num1);
    case Record::kSignal: return Signal();
    case Record::kSlowdown: return Slowdown();
    case Record::kSpeedPoint: return SpeedPoint();
    case Record::kStation: return Station();
    default: return Status::Ok();  // not of a train description
  }
}

// Each record closes the stretch of the previous one: the cells from the
// cursor up to the record's cell - 1 get the previous speed. The test comes
// after the write, so a record always writes at least one cell.
Status TrainReader::SpeedLimit() {
  int32_t position = 0;
  int32_t speed = 0;
  SB_RETURN_IF_ERROR(ReadColumn<Record::kSpeedLimit, 0>(d_, &position));
  SB_RETURN_IF_ERROR(ReadColumn<Record::kSpeedLimit, 1>(d_, &speed));
  if (Beyond("a speed limit", position)) return Status::Ok();
  t_.speedChecks.Check(s_, d_, position, speed);
  CheckSpeed(s_, d_, speed);
  return SpeedLimitFrom(s_, t_.stretches, position, speed, d_.keyword_line());
}

Status TrainReader::Adhesion() {
  int32_t position = 0;
  int32_t adhesion = 0;
  SB_RETURN_IF_ERROR(ReadColumn<Record::kAdhesion, 0>(d_, &position));
  SB_RETURN_IF_ERROR(ReadColumn<Record::kAdhesion, 1>(d_, &adhesion));
  if (Beyond("an adhesion", position)) return Status::Ok();
  t_.adhesionChecks.Check(s_, d_, position, adhesion);
  CheckAdhesion(s_, d_, adhesion);
  return AdhesionFrom(s_, t_.stretches, position, adhesion);
}

Status TrainReader::Clock() {
  ScenarioItem& train = s_.items[kSlotTrain];
  SB_RETURN_IF_ERROR(ReadColumn<Record::kClock, 0>(d_, &train.num3));
  SB_RETURN_IF_ERROR(ReadColumn<Record::kClock, 1>(d_, &train.num4));
  return ReadColumn<Record::kClock, 2>(d_, &train.num5);
}

Status TrainReader::Signal() {
  // In the order of the columns.
  static constexpr std::array<int32_t SignalRecord::*, 11> kMembers = {
      &SignalRecord::position, &SignalRecord::sSide,   &SignalRecord::sDigit1,
      &SignalRecord::sDigit2,  &SignalRecord::sDigit3, &SignalRecord::extraDigit,
      &SignalRecord::dSide,    &SignalRecord::dDigit1, &SignalRecord::dDigit2,
      &SignalRecord::dDigit3,  &SignalRecord::time};
  SignalRecord signal;
  SB_RETURN_IF_ERROR(ReadInt32Columns<Record::kSignal>(d_, kMembers, &signal));
  if (Beyond("a signal", signal.position)) return Status::Ok();
  CheckSignal(s_, d_, signal);
  ErrorCode code = ErrorCode::kNone;
  SB_RETURN_IF_ERROR(memo_segnale(s_, signal, &code));
  const int64_t cell = CellIndex(signal.position, 1.0);
  SB_RETURN_IF_ERROR(
      StopOnCode(code, signal.position, cell, "signal on cell " + std::to_string(cell)));
  if (outcome_ == Outcome::kGoOn) {
    NoteOwner(s_, cell, d_.Source(), OwnerRole::kSignal, signal.position);
    CheckPastLineEnd(s_, d_, "signal", signal.position);
  }
  return Status::Ok();
}

Status TrainReader::Slowdown() {
  // In the order of the columns.
  static constexpr std::array<int32_t SlowdownRecord::*, 6> kMembers = {
      &SlowdownRecord::start,
      &SlowdownRecord::speed,
      &SlowdownRecord::length,
      &SlowdownRecord::wholeTrain,
      &SlowdownRecord::markBeforeWarning,
      &SlowdownRecord::secondSpeed};
  SlowdownRecord slowdown;
  SB_RETURN_IF_ERROR(ReadInt32Columns<Record::kSlowdown>(d_, kMembers, &slowdown));
  const int32_t start = slowdown.start;
  if (Beyond("a slowdown", start)) return Status::Ok();
  // Only the start is checked above; an end past the last cell cannot be
  // placed, so the slowdown is beyond the grid as a whole. An end before
  // cell 0 (a negative length) is no position beyond the grid: the encoder
  // fails on it like on any cell outside the grid (code 25).
  const int64_t endCell = SlowdownEndCell(start, slowdown.length);
  if (endCell > s_.lastCell) {
    Diagnostic diag = d_.At(ErrorCode::kBeyondGrid, start,
                            "slowdown end cell " + std::to_string(endCell) +
                                " lies beyond the grid (0 to " + std::to_string(s_.lastCell) + ")",
                            kPositionField);
    NoteReadingStop(s_, d_, diag, false);
    RecordError(s_, std::move(diag), start);
    outcome_ = Outcome::kEndOfReading;
    return Status::Ok();
  }
  CheckSlowdown(s_, d_, slowdown);
  SlowdownFault fault;
  SB_RETURN_IF_ERROR(memo_rallentamento(s_, slowdown, &fault));
  SB_RETURN_IF_ERROR(StopOnCode(fault.code, start, fault.cell, TakenSlowdownCell(slowdown, fault)));
  if (outcome_ == Outcome::kGoOn) {
    NoteSlowdownOwners(s_, slowdown, d_.Source());
    s_.slowdownSources.push_back(
        {start, slowdown.speed, slowdown.length, slowdown.wholeTrain, d_.Source()});
    CheckPastLineEnd(s_, d_, "slowdown", start);
  }
  return Status::Ok();
}

Status TrainReader::SpeedPoint() {
  int32_t position = 0;
  int32_t value = 0;
  SB_RETURN_IF_ERROR(ReadColumn<Record::kSpeedPoint, 0>(d_, &position));
  SB_RETURN_IF_ERROR(ReadColumn<Record::kSpeedPoint, 1>(d_, &value));
  if (Beyond("a speed point", position)) return Status::Ok();
  TrackCell* cell = nullptr;
  SB_RETURN_IF_ERROR(CellAt(s_, CellIndex(position), "a speed point", &cell));
  const int64_t index = CellIndex(position);
  if (!cell->free()) {
    Diagnostic diag = d_.At(ErrorCode::kSpeedPointCell, position, {}, kPositionField);
    DescribeTakenCell(s_, index, "speed point on cell " + std::to_string(index), diag);
    return Stop(std::move(diag), position);
  }
  CheckSpeedPointValue(s_, d_, value);
  CheckPastLineEnd(s_, d_, "speed point", position);
  if (value > 0) {
    cell->kind = kKindSpeedPoint;
    cell->value1 = Low16(value);
  } else {
    cell->kind = kKindSpeedPointNoValue;
  }
  NoteOwner(s_, index, d_.Source(), OwnerRole::kSpeedPoint, position);
  return Status::Ok();
}

Status TrainReader::Station() {
  const int32_t slot = t_.stationSlot;
  // This slot would hold a board text: storing the station there would lose it.
  if (slot > t_.boardSlot) {
    return Stop(ErrorCode::kTooManyStations, std::nullopt, std::nullopt, kKeywordField);
  }
  ScenarioItem& item = s_.items[static_cast<std::size_t>(slot)];
  SB_RETURN_IF_ERROR(ReadColumn<kStation, 0>(d_, &item.position));
  const int32_t position = item.position;
  if (Beyond("a station", position, kStationReach)) return Status::Ok();
  if (position % 50 != 0) {
    Diagnostic diag = d_.At(ErrorCode::kStationPosition, position, {}, kPositionField);
    AddMoveFixes(diag, position, StationPlaces(position), "move to ");
    return Stop(std::move(diag), position);
  }
  SB_RETURN_IF_ERROR(ReadColumn<kStation, 1>(d_, &item.kind));
  int32_t length = 0;
  SB_RETURN_IF_ERROR(ReadColumn<kStation, 2>(d_, &length));
  if (length % 100 != 0) {
    return Stop(ErrorCode::kStationLength, position, position, kStationLengthField);
  }
  SB_RETURN_IF_ERROR(StationColumns(item));
  SB_RETURN_IF_ERROR(StoppingZone(item, position, length));
  if (length < kShortStation) item.byte4 = 0;
  if (slot == 1) {
    item.byte3 = 0;
    item.byte4 = 0;
  }
  SB_RETURN_IF_ERROR(StopMark(item, slot, position));
  if (outcome_ != Outcome::kGoOn) return Status::Ok();
  if (slot > 1 &&
      int64_t{item.start} - kStationSpacing < s_.items[static_cast<std::size_t>(slot - 1)].end) {
    const ScenarioItem& previous = s_.items[static_cast<std::size_t>(slot - 1)];
    Diagnostic diag =
        d_.At(ErrorCode::kStationSpacing, position,
              "the stopping zone of station " + item.text + " begins at " +
                  std::to_string(item.start) + " m, less than 350 m after the zone of station " +
                  previous.text + " ends (" + std::to_string(previous.end) + " m)",
              kPositionField);
    if (t_.previousStation.line > 0) {
      diag.related.push_back({t_.previousStation.file, t_.previousStation.line,
                              t_.previousStation.column, "station " + previous.text + " is here"});
    }
    diag.hint = "stations stand in the order of their positions, their stopping zones 350 m apart";
    // Moved on by the metres its zone lacks, in whole cells.
    const int64_t lacking = int64_t{previous.end} + kStationSpacing - item.start;
    const int64_t first = position + (lacking + 49) / 50 * 50;
    std::vector<int64_t> places;
    for (int64_t step = 0; step <= kStationMoveReach; step += 50) places.push_back(first + step);
    AddMoveFixes(diag, position, places, "move to ");
    return Stop(std::move(diag), position);
  }
  CheckPastLineEnd(s_, d_, "station", position);
  t_.stationSlot = slot + 1;
  t_.previousStation = d_.Source();
  constexpr int kHourField = 14;
  s_.stationSources.push_back(
      {d_.Source(), d_.column_of(kHourField), d_.column_of(kStationLengthField)});
  if (slot + 1 >= t_.boardSlot) {
    return Stop(ErrorCode::kTooManyStations, std::nullopt, position, kKeywordField);
  }
  return Status::Ok();
}

// Columns 4 to 17: stored as read, the time of day as seconds.
Status TrainReader::StationColumns(ScenarioItem& item) {
  SB_RETURN_IF_ERROR(ReadColumn<kStation, 3>(d_, &item.option));
  SB_RETURN_IF_ERROR(ReadColumn<kStation, 4>(d_, &item.byte4));
  SB_RETURN_IF_ERROR(ReadColumn<kStation, 5>(d_, &item.byte3));
  SB_RETURN_IF_ERROR(ReadColumn<kStation, 6>(d_, &item.num1));
  SB_RETURN_IF_ERROR(ReadColumn<kStation, 7>(d_, &item.num2));
  SB_RETURN_IF_ERROR(ReadColumn<kStation, 8>(d_, &item.byte1));
  SB_RETURN_IF_ERROR(ReadColumn<kStation, 9>(d_, &item.num3));
  SB_RETURN_IF_ERROR(ReadColumn<kStation, 10>(d_, &item.num4));
  SB_RETURN_IF_ERROR(ReadColumn<kStation, 11>(d_, &item.num5));
  SB_RETURN_IF_ERROR(ReadColumn<kStation, 12>(d_, &item.byte2));
  int32_t hour = 0;
  int32_t minute = 0;
  int32_t second = 0;
  SB_RETURN_IF_ERROR(ReadColumn<kStation, 13>(d_, &hour));
  SB_RETURN_IF_ERROR(ReadColumn<kStation, 14>(d_, &minute));
  SB_RETURN_IF_ERROR(ReadColumn<kStation, 15>(d_, &second));
  SB_RETURN_IF_ERROR(
      Checked32((int64_t{hour} * 60 + minute) * 60 + second, "the scheduled time", &item.seconds));
  SB_RETURN_IF_ERROR(ReadColumn<kStation, 16>(d_, &item.text));
  if (item.text.size() > kMaxTextLength) {
    return Status::Invalid("station name longer than 65535 characters");
  }
  constexpr int kStationNameField = 17;
  CheckStoredText(s_, d_, kStationNameField, "station name", item.text);
  t_.timetable.Check(s_, d_, hour, minute, second, item.text);
  return Status::Ok();
}

// The stop mark on cell zone end / 50 - 1 and, but for kinds 5 and 6, the
// approach codes on the four cells before it. The mark and its codes must
// fall inside the grid; a zone that ends beyond it is beyond the grid as a
// whole.
Status TrainReader::StopMark(ScenarioItem& item, int32_t slot, int32_t position) {
  if (item.kind >= kFirstUnmarkedKind) return Status::Ok();
  const double mark = static_cast<double>(item.end) / 50.0 - 1.0;
  if (mark > 1.0 && RoundHalfEven(mark) > s_.lastCell) {
    Diagnostic diag =
        d_.At(ErrorCode::kBeyondGrid, position,
              "the stopping zone ends beyond the grid (at " + std::to_string(item.end) + " m)",
              kPositionField);
    NoteReadingStop(s_, d_, diag, false);
    RecordError(s_, std::move(diag), position);
    outcome_ = Outcome::kEndOfReading;
    return Status::Ok();
  }
  if (item.kind != 5 && item.kind != 6) {
    for (int cellsBefore = 1; cellsBefore <= 4; ++cellsBefore) {
      const double before = static_cast<double>(item.end) / 50.0 - cellsBefore - 1.0;
      if (before <= 1.0) continue;
      TrackCell* cell = nullptr;
      SB_RETURN_IF_ERROR(
          CellAt(s_, static_cast<int64_t>(RoundHalfEven(before)), "an approach code", &cell));
      cell->approachCode = Low8(kFirstStopApproachCode + cellsBefore);
    }
  }
  if (mark <= 1.0)
    return Stop(ErrorCode::kStopMarkTooEarly, std::nullopt, position, kPositionField);
  // Written whatever the cell held: a stop mark replaces any feature.
  TrackCell* cell = nullptr;
  SB_RETURN_IF_ERROR(CellAt(s_, static_cast<int64_t>(RoundHalfEven(mark)), "a stop mark", &cell));
  CheckStopMarkCell(s_, d_, static_cast<int64_t>(RoundHalfEven(mark)), cell->kind, item.text);
  cell->kind = kKindStopMark;
  cell->value1 = static_cast<int16_t>(slot);
  NoteOwner(s_, static_cast<int64_t>(RoundHalfEven(mark)), d_.Source(), OwnerRole::kStopMark,
            position, slot);
  return Status::Ok();
}

// Everything up to the first "[generale]" is preamble; a file without one
// holds no records.
Status SkipPreamble(Scenario& s, Description& d, TrainState& t) {
  std::optional<Diagnostic> slip;
  while (!d.eof()) {
    SB_RETURN_IF_ERROR(d.ReadKeyword(&s.currentLine));
    NoteGeneralHeaderSlip(d, s.currentLine, &slip);
    // A header that is the file's last field begins no records, but the
    // file is not without one.
    const bool header = OpensRecords(s.currentLine);
    if (header) t.generalHeader = d.WarningAt(Warning::kNoStartRecord, {});
    if (d.eof()) break;
    if (header) return Status::Ok();
  }
  if (!t.generalHeader) WarnNoGeneralSection(s, d, slip);
  return Status::Ok();
}

Status ReadRecords(Scenario& s, Description& d, TrainState& t, Outcome* outcome) {
  TrainReader reader(s, d, t);
  *outcome = Outcome::kGoOn;
  return ReadRecordLoop(
      s, d, kTrainRules, [&](Outcome* out) { return reader.Read(out); }, outcome);
}

}  // namespace

Status ReadTrainDescription(Scenario& s, Description& d, int32_t boardSlot, PhaseEnd* end) {
  SB_RETURN_IF_ERROR(d.Open());
  d.WarnInto(s);
  TrainState t;
  SB_RETURN_IF_ERROR(SkipPreamble(s, d, t));

  t.boardSlot = boardSlot;
  Outcome outcome = Outcome::kGoOn;
  *end = PhaseEnd::kStopped;
  SB_RETURN_IF_ERROR(ReadRecords(s, d, t, &outcome));
  if (outcome == Outcome::kStopped) return Status::Ok();
  if (outcome == Outcome::kGoOn) {
    t.speedChecks.CheckAny(s, t.generalHeader);
    t.adhesionChecks.CheckAny(s, t.generalHeader);
  }

  SB_RETURN_IF_ERROR(d.CloseAndDelete());
  SB_RETURN_IF_ERROR(FinishStretches(s, t.stretches));
  CheckProgressions(s);
  *end = PhaseEnd::kFinished;
  return Status::Ok();
}

}  // namespace sb
