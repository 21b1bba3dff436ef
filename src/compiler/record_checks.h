// The warnings about single records, once their values are read: values
// that do not fit where they are stored, features past the line's end,
// records out of position order, texts the simulator will not show as
// written, keywords that are no record. Each check only looks: it changes
// no run state and no compiled byte.
#ifndef SB_COMPILER_RECORD_CHECKS_H_
#define SB_COMPILER_RECORD_CHECKS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "compiler/description.h"
#include "compiler/scenario.h"
#include "compiler/signals.h"
#include "description/record_schema.h"

namespace sb {

// unknown-record for a keyword field that no record test of `section`
// matched; quiet for bracketed headers, blank fields and explained lines.
// `general_end`, in the feature part, is where the general section ended.
void CheckUnknownRecord(Scenario& s, Description& d, RecordPart section, const std::string& field,
                        const std::optional<RelatedLocation>& general_end);

// hyphen-keyword for a field skipped because it holds '-' although it
// would match a record of `section`; its values are then no unknown records.
void CheckSkippedField(Scenario& s, Description& d, RecordPart section, const std::string& field);
// hyphen-run for a field holding '-' read as a keyword because `skips`
// fields in a row were skipped already.
void CheckHyphenRun(Scenario& s, Description& d, const std::string& field, int skips);

// Records of one kind must follow each other along the line. Remembers the
// last record's end (its position, or a curve's start + length).
class OrderCheck {
 public:
  explicit OrderCheck(const char* kind) : kind_(kind) {}
  // out-of-order when `start` lies before the previous record's end.
  void Check(Scenario& s, const Description& d, int64_t start, int64_t end);

 private:
  const char* kind_;
  bool any_ = false;
  int64_t previousStart_ = 0;
  int64_t previousEnd_ = 0;
  // The previous record's place; kept as numbers, as this runs per record.
  int previousLine_ = 0;
  int previousColumn_ = 0;
};

// The warnings of a per-stretch record (speed limit, adhesion) about its
// position: no-start-record when the first leaves the cells from 0 m at 0,
// out-of-order, past-line-end.
class StretchChecks {
 public:
  // `keyword` as authors write it, `kind` in words, `unit` after a value.
  StretchChecks(const char* keyword, const char* kind, const char* unit)
      : keyword_(keyword), kind_(kind), unit_(unit), order_(kind) {}
  // `value`: the record's own, which a fix gives the record it adds at 0 m.
  void Check(Scenario& s, const Description& d, int32_t position, int32_t value);
  // At the end of the reading: no-start-record, pointed at `general_header`
  // (where "[generale]" is), when there was no record at all.
  void CheckAny(Scenario& s, const std::optional<Diagnostic>& general_header) const;

 private:
  const char* keyword_;
  const char* kind_;
  const char* unit_;
  OrderCheck order_;
  bool any_ = false;
};

// no-general-section, at the description's first byte, or at `slip`, the
// field that looks like a misspelt "[generale]", when there is one.
void WarnNoGeneralSection(Scenario& s, const Description& d,
                          const std::optional<Diagnostic>& slip = std::nullopt);

// The current keyword field, when it is near enough to "[generale]" (as
// "did you mean" measures) to be a slip of the keys: where it is, with
// the hint and the fix that write it. Nothing when `*slip` is set already:
// the first such field is the one meant.
void NoteGeneralHeaderSlip(const Description& d, const std::string& field,
                           std::optional<Diagnostic>* slip);

// Points `d`, about a description without "[generale]", at `slip` (see
// above) with its message: `consequence` says what the missing line costs.
void PointAtGeneralHeaderSlip(const Diagnostic& slip, const char* consequence, Diagnostic& d);

// past-line-end when a placed feature lies beyond the line's length.
void CheckPastLineEnd(Scenario& s, const Description& d, const char* what, int64_t position);

// value-range: each check names the field at fault.
void CheckGradient(Scenario& s, const Description& d, int32_t gradient);
void CheckSpeed(Scenario& s, const Description& d, int32_t speed);
void CheckAdhesion(Scenario& s, const Description& d, int32_t adhesion);
void CheckMountainType(Scenario& s, const Description& d, int32_t type);
void CheckSignal(Scenario& s, const Description& d, const SignalRecord& signal);
void CheckSlowdown(Scenario& s, const Description& d, const SlowdownRecord& slowdown);
void CheckSpeedPointValue(Scenario& s, const Description& d, int32_t value);

// text-encoding for a stored text (`what`: "station name", "board text")
// that holds UTF-8 or a control byte.
void CheckStoredText(Scenario& s, const Description& d, int field, const char* what,
                     std::string_view text);

// replaced-feature: the stop mark of `station` is written on `cell`, which
// held a feature of `kind`.
void CheckStopMarkCell(Scenario& s, const Description& d, int64_t cell, uint8_t kind,
                       const std::string& station);

}  // namespace sb

#endif  // SB_COMPILER_RECORD_CHECKS_H_
