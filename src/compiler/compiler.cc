#include "compiler/compiler.h"

#include <new>

#include "compiler/description.h"
#include "compiler/identity_codes.h"
#include "compiler/readers.h"
#include "compiler/route_completion.h"

namespace sb {

Status memorizza_dati(Scenario& s, DescriptionSource& source) {
  Description line(source, DescriptionKind::kLine);
  Description train(source, DescriptionKind::kTrain);
  Description* current = &line;
  std::string failure;
  Status io;
  try {
    s.items[kSlotLine].text = s.lineId;
    s.items[kSlotTrain].text = s.trainNumber;
    if (!source.LineExists()) {
      Diagnostic d;
      d.code = 101;
      d.file = line.name();
      d.message = "the line description " + line.name() + " does not exist";
      RecordError(s, std::move(d), std::nullopt);
      return Status::Ok();
    }
    LineFeatureState st;
    if (ReadLineDescription(s, line, st) == PhaseEnd::kStopped) return Status::Ok();
    current = &train;
    ReadTrainDescription(s, train, st.boardSlot);
  } catch (const ReadFailure& f) {
    failure = f.message;
    io = f.io;
  } catch (const std::bad_alloc&) {
    failure = "out of memory";
  }
  if (failure.empty()) return Status::Ok();
  // The failure handler: every file closed, both descriptions deleted where
  // they still exist, errorPosition left as it was.
  for (DescriptionKind which : {DescriptionKind::kLine, DescriptionKind::kTrain}) {
    Status st = source.Delete(which);
    if (!st.ok() && io.ok()) io = st;
  }
  RecordError(s, current->At(25, std::nullopt, failure), std::nullopt);
  return io;
}

CompileResult memorizza_percorso(Scenario& s, bool withProfile, DescriptionSource& source) {
  CompileResult result;
  s.withProfile = withProfile ? 1 : 0;
  s.errorCode = 0;
  s.items.fill(ScenarioItem{});
  result.descriptionIo = memorizza_dati(s, source);

  if (!s.hasGrid) {
    result.end = CompileEnd::kNoGrid;
    return result;
  }
  CompleteRoute(s);
  if (int32_t code = StoreIdentityCodes(s); code != 0) {
    Diagnostic d;
    d.code = code;
    d.message = code == 1250
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

}  // namespace sb
