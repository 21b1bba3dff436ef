#include "compiler/progressions.h"
#include "compiler/readers.h"
#include "description/keywords.h"

namespace sb {
namespace {

constexpr int kGeneralDashSkips = 10;
constexpr int kFeatureDashSkips = 2;

bool HasDash(const std::string& field) { return field.find('-') != std::string::npos; }

// A bracketed field ends the general section unless it begins with "-".
bool EndsGeneralSection(const std::string& field) {
  if (field.find('[') == std::string::npos || field.find(']') == std::string::npos) return false;
  std::size_t first = field.find_first_not_of(' ');
  return first == std::string::npos || field[first] != '-';
}

// (P + 100) / 50 beyond the last cell: the rest of the file cannot be placed.
bool BeyondGrid(const Scenario& s, int32_t position) {
  return (static_cast<double>(position) + 100.0) / 50.0 > static_cast<double>(s.lastCell);
}

PhaseEnd Stop(Scenario& s, Description& d, Diagnostic diag, std::optional<int32_t> position) {
  d.CloseAndDelete();
  RecordError(s, std::move(diag), position);
  return PhaseEnd::kStopped;
}

// One record of the general section; false when it stopped the reading.
bool ReadGeneralRecords(Scenario& s, Description& d, PhaseEnd* end) {
  const std::string field = s.currentLine;
  auto matches = [&](LineGeneralRecord r) {
    return kLineGeneralTests[static_cast<std::size_t>(r)].Matches(field);
  };
  if (matches(LineGeneralRecord::kLength)) {
    int32_t length = d.ReadInt32("the line length");
    s.items[kSlotTotals].end = length;
    // A negative length would leave no room for the reserved cell 1 or the
    // profile's seeds; it is as wrong as one above the limit.
    if (length > kMaxLineLength || length < 0) {
      *end = Stop(
          s, d,
          d.At(1, length, "line length " + std::to_string(length) + " m is outside 0 to 1000000 m"),
          std::nullopt);
      return false;
    }
    s.SizeForLength(length);
  }
  static constexpr struct {
    LineGeneralRecord record;
    int slot;
  } kProgressions[] = {{LineGeneralRecord::kProgressionTre, kSlotProgressionTre},
                       {LineGeneralRecord::kProgressionDue, kSlotProgressionDue},
                       {LineGeneralRecord::kProgressionUno, kSlotProgressionUno}};
  for (const auto& p : kProgressions) {
    if (!matches(p.record)) continue;
    ScenarioItem& item = s.items[p.slot];
    item.start = d.ReadInt32("the progression's start");
    item.end = d.ReadInt32("the progression's kilometric value");
    item.position = d.ReadInt32("the progression's flag");
  }
  // The backgrounds are stored out of order: one, three, two.
  if (matches(LineGeneralRecord::kBackgroundUno))
    s.items[kSlotLine].start = d.ReadInt32("background one");
  if (matches(LineGeneralRecord::kBackgroundDue))
    s.items[kSlotLine].position = d.ReadInt32("background two");
  if (matches(LineGeneralRecord::kBackgroundTre))
    s.items[kSlotLine].end = d.ReadInt32("background three");
  if (matches(LineGeneralRecord::kSignalRepetition)) {
    ScenarioItem& item = s.items[kSlotTrain];
    item.start = d.ReadInt32("the signal repetition start");
    item.end = d.ReadInt32("the signal repetition end");
    if (item.start % 50 != 0) {
      *end = Stop(s, d, d.At(3, item.start), std::nullopt);
      return false;
    }
    if (item.end % 50 != 0) {
      *end = Stop(s, d, d.At(4, item.end), std::nullopt);
      return false;
    }
    if (Contains(field, "4", Compare::kText)) {
      item.position = 4;
    } else if (Contains(field, "9", Compare::kText)) {
      item.position = 9;
    } else {
      *end = Stop(s, d, d.At(5, std::nullopt), std::nullopt);
      return false;
    }
    if (item.end == 0) item.position = 0;
  }
  return true;
}

enum class FeatureOutcome { kGoOn, kBeyondGrid, kStopped };

FeatureOutcome ReadFeatureRecords(Scenario& s, Description& d, LineFeatureState& st,
                                  PhaseEnd* end) {
  const std::string field = s.currentLine;
  auto matches = [&](LineFeatureRecord r) {
    return kLineFeatureTests[static_cast<std::size_t>(r)].Matches(field);
  };
  auto beyond = [&](int32_t position) {
    if (!BeyondGrid(s, position)) return false;
    RecordError(s, d.At(15, position), position);
    return true;
  };

  if (matches(LineFeatureRecord::kGradient)) {
    int32_t p = d.ReadInt32("the gradient's position");
    int32_t g = d.ReadInt32("the gradient's value");
    if (beyond(p)) return FeatureOutcome::kBeyondGrid;
    EncodeGradient(s, st, p, g);
  }
  // Without a profile a curve record is no record at all.
  if (s.withProfile != 0 && matches(LineFeatureRecord::kCurve)) {
    int32_t start = d.ReadInt32("the curve's start");
    int32_t length = d.ReadInt32("the curve's length");
    if (beyond(start)) return FeatureOutcome::kBeyondGrid;
    if (!s.profile) CellAt(s, 0, "a curve");  // no line length yet: raises
    switch (EncodeCurve(s, field, start, length)) {
      case CurveResult::kOk: break;
      case CurveResult::kNoCurvature:
        *end = Stop(s, d, d.At(103, start, "curve keyword names none of the curvatures 1 to 6"),
                    std::nullopt);
        return FeatureOutcome::kStopped;
      case CurveResult::kPastLimit:
        *end = Stop(s, d, d.At(103, start, "the plan profile passes 1000000 m"), std::nullopt);
        return FeatureOutcome::kStopped;
      case CurveResult::kPastProfileEnd:
        *end = Stop(s, d,
                    d.At(103, start,
                         "the curve runs past the end of the plan profile (" +
                             std::to_string(s.profileEnd) + " m)"),
                    std::nullopt);
        return FeatureOutcome::kStopped;
    }
  }
  if (matches(LineFeatureRecord::kMountain)) {
    int32_t inizio = d.ReadInt32("the mountain's start");
    int32_t fine = d.ReadInt32("the mountain's end");
    int32_t tipo = d.ReadInt32("the mountain's type");
    if (beyond(inizio)) return FeatureOutcome::kBeyondGrid;
    memo_montagna(s, inizio, fine, tipo);
  }
  if (matches(LineFeatureRecord::kSpeedBoard)) {
    int32_t v[9];
    static constexpr const char* kNames[9] = {
        "the board's position", "vas", "vbs", "vcs", "strisces", "vad", "vbd", "vcd", "strisced"};
    for (int i = 0; i < 9; ++i) v[i] = d.ReadInt32(kNames[i]);
    if (beyond(v[0])) return FeatureOutcome::kBeyondGrid;
    memo_indicatori_v_max(s, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]);
    if (s.errorCode > 0) {
      int32_t code = s.errorCode;
      *end = Stop(s, d, d.At(code, v[0]), v[0]);
      return FeatureOutcome::kStopped;
    }
  }
  if (matches(LineFeatureRecord::kTextBoard)) {
    int32_t p = d.ReadInt32("the board's position");
    s.currentLine = d.ReadText();
    if (beyond(p)) return FeatureOutcome::kBeyondGrid;
    if (!EncodeTextBoard(s, st, p, s.currentLine)) {
      *end = Stop(s, d, d.At(6, p), p);
      return FeatureOutcome::kStopped;
    }
  }
  return FeatureOutcome::kGoOn;
}

}  // namespace

PhaseEnd ReadLineDescription(Scenario& s, Description& d, LineFeatureState& st) {
  std::string reason;
  if (!d.Open(&reason)) throw ReadFailure{"cannot read " + d.name() + ": " + reason};

  // The general section starts after the first field holding "[generale]".
  // The first read has no end-of-file test before it: an empty file is a
  // read failure, not a missing section.
  for (;;) {
    d.ReadKeyword(&s.currentLine);
    if (d.eof()) return Stop(s, d, d.At(102, std::nullopt), std::nullopt);
    if (Contains(s.currentLine, "[generale]", Compare::kText)) break;
  }

  PhaseEnd end = PhaseEnd::kFinished;
  while (!d.eof()) {
    d.ReadKeyword(&s.currentLine);
    if (d.eof()) break;  // the last field is never a record
    // Dashed fields are skipped without end-of-file tests: a file ending
    // in them is a read failure.
    for (int i = 0; i < kGeneralDashSkips && HasDash(s.currentLine); ++i) {
      d.ReadKeyword(&s.currentLine);
    }
    if (!ReadGeneralRecords(s, d, &end)) return end;
    if (EndsGeneralSection(s.currentLine)) break;
  }

  progressive_ordina(s);
  st = LineFeatureState{};
  s.mountainCount = 0;
  if (s.profile) s.profile->Seed();

  while (!d.eof()) {
    d.ReadKeyword(&s.currentLine);
    if (d.eof()) break;
    bool at_end = false;
    for (int i = 0; i < kFeatureDashSkips && HasDash(s.currentLine); ++i) {
      d.ReadKeyword(&s.currentLine);
      if (d.eof()) {
        at_end = true;
        break;
      }
    }
    if (at_end) break;
    FeatureOutcome outcome = ReadFeatureRecords(s, d, st, &end);
    if (outcome == FeatureOutcome::kStopped) return end;
    if (outcome == FeatureOutcome::kBeyondGrid) break;
  }

  d.CloseAndDelete();
  GradientTailFill(s, st);
  if (s.profile) ProfileTail(s);
  return PhaseEnd::kFinished;
}

}  // namespace sb
