#include "compiler/compiler.h"

#include <new>
#include <utility>

#include "compiler/description.h"
#include "compiler/error_codes.h"
#include "compiler/identity_codes.h"
#include "compiler/readers.h"
#include "compiler/route_completion.h"

namespace sb {

namespace {

// Sets up the run state for a compile, before anything is read.
void BeginCompile(Scenario& s, bool withProfile) {
  s.withProfile = withProfile ? 1 : 0;
  s.errorCode = ErrorCode::kNone;
  s.items.fill(ScenarioItem{});
}

// The failure handler of memorizza_dati: every file closed, both
// descriptions deleted where they still exist, errorPosition left as it
// was. `current` is the description being read when `failure` came.
Status HandleFailure(Scenario& s, DescriptionSource& source, const Description& current,
                     const Status& failure) {
  // A compile stopped on request is thrown away whole: no error of the
  // author's, nothing deleted.
  if (failure.IsCancelled()) return failure;
  // The only file operation a reader reports as failed is the deletion of
  // its description.
  Status io = failure.IsIoError() ? failure : Status::Ok();
  for (DescriptionKind which : {DescriptionKind::kLine, DescriptionKind::kTrain}) {
    Status st = source.Delete(which);
    if (!st.ok() && io.ok()) io = st;
  }
  Diagnostic d = current.FailureAt(failure.Message("delete"));
  NoteReadingStop(s, current, d, true);
  RecordError(s, std::move(d), std::nullopt);
  return io;
}

// The line phase of memorizza_dati, with its failure handler. `*readTrain`
// turns true when the line was read to its end, the train phase to start
// at `*boardSlot`.
Status ReadLinePhase(Scenario& s, DescriptionSource& source, bool* readTrain, int32_t* boardSlot) {
  *readTrain = false;
  Description line(source, DescriptionKind::kLine);
  Status failure;
  try {
    s.items[kSlotLine].text = s.lineId;
    s.items[kSlotTrain].text = s.trainNumber;
    if (!source.LineExists()) {
      Diagnostic d;
      d.code = ErrorCode::kNoLineDescription;
      d.file = line.name();
      d.message = "the line description " + line.name() + " does not exist";
      RecordError(s, std::move(d), std::nullopt);
      return Status::Ok();
    }
    LineFeatureState st;
    PhaseEnd end = PhaseEnd::kFinished;
    failure = ReadLineDescription(s, line, st, &end);
    if (failure.ok()) {
      *readTrain = end == PhaseEnd::kFinished;
      *boardSlot = st.boardSlot;
      return Status::Ok();
    }
  } catch (const std::bad_alloc&) {
    failure = Status::OutOfMemory();
  }
  return HandleFailure(s, source, line, failure);
}

// The train phase of memorizza_dati, with its failure handler.
Status ReadTrainPhase(Scenario& s, DescriptionSource& source, int32_t boardSlot) {
  Description train(source, DescriptionKind::kTrain);
  Status failure;
  try {
    PhaseEnd end = PhaseEnd::kFinished;
    failure = ReadTrainDescription(s, train, boardSlot, &end);
    if (failure.ok()) return Status::Ok();
  } catch (const std::bad_alloc&) {
    failure = Status::OutOfMemory();
  }
  return HandleFailure(s, source, train, failure);
}

// Error 1250 or 1251: what took the identity cell, at the record that put
// it there when one did; else the item that was set.
Diagnostic IdentityTaken(const Scenario& s, ErrorCode code) {
  Diagnostic d;
  d.code = code;
  const bool value = code == ErrorCode::kIdentityValueTaken;
  const TrackCell& cell = s.cells[static_cast<std::size_t>(kIdentityCell)];
  // StoreIdentityCodes stops at the first field it finds set, before
  // writing it.
  if ((value ? cell.value1 : cell.value2) == 0) {
    d.message = value ? "item 85's num1 is already set before the identity codes"
                      : "item 85's seconds is already set before the identity codes";
    return d;
  }
  d.message = CellHolder(s, kIdentityCell) +
              " lies on cell 1, which holds the scenario's identity codes and must stay free";
  d.hint =
      "move it further from the start: signals, slowdowns and boards at 25 m or more, speed "
      "points at 75 m or more";
  if (auto it = s.cellOwners.find(kIdentityCell); it != s.cellOwners.end()) {
    const SourceRef& source = it->second.source;
    d.file = source.file;
    d.line = source.line;
    d.column = source.column;
    d.record = source.record;
    d.position = it->second.position;
  }
  return d;
}

// What follows the reading: the route completed and the identity codes
// stored, when a grid exists.
void FinishCompile(Scenario& s, CompileResult& result) {
  if (result.descriptionIo.IsCancelled()) {
    result.end = CompileEnd::kCancelled;
    return;
  }
  if (!s.hasGrid) {
    result.end = CompileEnd::kNoGrid;
    return;
  }
  CompleteRoute(s);
  if (ErrorCode code = StoreIdentityCodes(s); code != ErrorCode::kNone) {
    s.diagnostics.push_back(IdentityTaken(s, code));
    result.end = CompileEnd::kReported;
    result.reportedCode = code;
  }
}

}  // namespace

Status memorizza_dati(Scenario& s, DescriptionSource& source) {
  bool readTrain = false;
  int32_t boardSlot = 0;
  Status st = ReadLinePhase(s, source, &readTrain, &boardSlot);
  if (!readTrain) return st;
  return ReadTrainPhase(s, source, boardSlot);
}

CompileResult memorizza_percorso(Scenario& s, bool withProfile, DescriptionSource& source) {
  CompileResult result;
  BeginCompile(s, withProfile);
  result.descriptionIo = memorizza_dati(s, source);
  FinishCompile(s, result);
  return result;
}

CompileResult CompileInMemory(Scenario& s, const std::string& line, const std::string& train,
                              const std::atomic<bool>* cancel) {
  TextDescriptions source(s.lineId, s.trainNumber);
  source.line = line;
  source.train = train;
  source.cancel = cancel;
  return memorizza_percorso(s, true, source);
}

SharedLine ReadLineOnce(const Scenario& base, std::optional<std::string> line,
                        const std::atomic<bool>* cancel) {
  SharedLine shared;
  Scenario& s = shared.scenario;
  s = base;
  BeginCompile(s, true);
  // No train is given: deleting an absent description is nothing, as
  // deleting a train description held as text is.
  TextDescriptions source(s.lineId, s.trainNumber);
  source.line = std::move(line);
  source.cancel = cancel;
  shared.descriptionIo = ReadLinePhase(s, source, &shared.readTrain, &shared.boardSlot);
  return shared;
}

CompileResult CompileWithLine(const SharedLine& line, Scenario& s, const std::string& train,
                              const std::atomic<bool>* cancel) {
  CompileResult result;
  result.descriptionIo = line.descriptionIo;
  if (result.descriptionIo.IsCancelled()) {
    result.end = CompileEnd::kCancelled;
    return result;
  }
  std::string trainNumber = std::move(s.trainNumber);
  s = line.scenario;
  s.trainNumber = std::move(trainNumber);
  s.items[kSlotTrain].text = s.trainNumber;
  if (line.readTrain) {
    TextDescriptions source(s.lineId, s.trainNumber);
    source.train = train;
    source.cancel = cancel;
    result.descriptionIo = ReadTrainPhase(s, source, line.boardSlot);
  }
  FinishCompile(s, result);
  return result;
}

}  // namespace sb
