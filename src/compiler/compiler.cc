#include "compiler/compiler.h"

#include <new>

#include "compiler/description.h"
#include "compiler/error_codes.h"
#include "compiler/identity_codes.h"
#include "compiler/readers.h"
#include "compiler/route_completion.h"

namespace sb {

namespace {

// Reads the line description, then the train description unless an error
// stopped the reading; `*current` follows the one being read.
Status ReadDescriptions(Scenario& s, Description& line, Description& train, Description** current) {
  LineFeatureState st;
  PhaseEnd end = PhaseEnd::kFinished;
  SB_RETURN_IF_ERROR(ReadLineDescription(s, line, st, &end));
  if (end == PhaseEnd::kStopped) return Status::Ok();
  *current = &train;
  return ReadTrainDescription(s, train, st.boardSlot, &end);
}

}  // namespace

Status memorizza_dati(Scenario& s, DescriptionSource& source) {
  Description line(source, DescriptionKind::kLine);
  Description train(source, DescriptionKind::kTrain);
  Description* current = &line;
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
    failure = ReadDescriptions(s, line, train, &current);
  } catch (const std::bad_alloc&) {
    failure = Status::OutOfMemory();
  }
  if (failure.ok()) return Status::Ok();
  // A compile stopped on request is thrown away whole: no error of the
  // author's, nothing deleted.
  if (failure.IsCancelled()) return failure;
  // The failure handler: every file closed, both descriptions deleted where
  // they still exist, errorPosition left as it was. The only file operation
  // a reader reports as failed is the deletion of its description.
  Status io = failure.IsIoError() ? failure : Status::Ok();
  for (DescriptionKind which : {DescriptionKind::kLine, DescriptionKind::kTrain}) {
    Status st = source.Delete(which);
    if (!st.ok() && io.ok()) io = st;
  }
  Diagnostic d = current->FailureAt(failure.Message("delete"));
  s.readingStops.push_back({d.file, d.line, true});
  RecordError(s, std::move(d), std::nullopt);
  return io;
}

CompileResult memorizza_percorso(Scenario& s, bool withProfile, DescriptionSource& source) {
  CompileResult result;
  s.withProfile = withProfile ? 1 : 0;
  s.errorCode = ErrorCode::kNone;
  s.items.fill(ScenarioItem{});
  result.descriptionIo = memorizza_dati(s, source);
  if (result.descriptionIo.IsCancelled()) {
    result.end = CompileEnd::kCancelled;
    return result;
  }

  if (!s.hasGrid) {
    result.end = CompileEnd::kNoGrid;
    return result;
  }
  CompleteRoute(s);
  if (ErrorCode code = StoreIdentityCodes(s); code != ErrorCode::kNone) {
    Diagnostic d;
    d.code = code;
    d.message = code == ErrorCode::kIdentityValueTaken
                    ? "cell 1's value1 or item 85's num1 is already set: a feature maps to "
                      "the reserved cell 1"
                    : "cell 1's value2 or item 85's seconds is already set: a feature maps "
                      "to the reserved cell 1";
    s.diagnostics.push_back(std::move(d));
    result.end = CompileEnd::kReported;
    result.reportedCode = code;
  }
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

}  // namespace sb
