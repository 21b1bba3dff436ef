#include "compiler/compiler.h"

#include <new>

#include "compiler/description.h"
#include "compiler/error_codes.h"
#include "model/file_names.h"
#include "compiler/identity_codes.h"
#include "compiler/readers.h"
#include "compiler/route_completion.h"
#include "format/writers.h"

namespace sb {
namespace {

IoStatus WriteProfileFile(const std::string& path, const LineProfile& profile) {
  FileReplacement file(path);
  EncodeProfile(profile,
                [&file](uint64_t offset, std::string_view bytes) { file.WriteAt(offset, bytes); });
  return file.Commit();
}

// Reads the line description, then the train description unless an error
// stopped the reading; `*current` follows the one being read.
Status ReadDescriptions(Scenario& s, Description& line, Description& train,
                        Description** current) {
  LineFeatureState st;
  PhaseEnd end = PhaseEnd::kFinished;
  SB_RETURN_IF_ERROR(ReadLineDescription(s, line, st, &end));
  if (end == PhaseEnd::kStopped) return Status::Ok();
  *current = &train;
  return ReadTrainDescription(s, train, st.boardSlot, &end);
}

}  // namespace

IoStatus memorizza_dati(Scenario& s, const CompilerDirs& dirs) {
  const std::string lineName = LineDescriptionName(s.lineId);
  const std::string trainName = TrainDescriptionName(s.lineId, s.trainNumber);
  Description line(JoinPath(dirs.descriptions, lineName), lineName);
  Description train(JoinPath(dirs.descriptions, trainName), trainName);
  Description* current = &line;
  Status failure;
  try {
    s.items[kSlotLine].text = s.lineId;
    s.items[kSlotTrain].text = s.trainNumber;
    if (!RegularFileExists(line.path())) {
      Diagnostic d;
      d.code = kErrorNoLineDescription;
      d.file = lineName;
      d.message = "the line description " + lineName + " does not exist";
      RecordError(s, std::move(d), std::nullopt);
      return IoStatus::Ok();
    }
    failure = ReadDescriptions(s, line, train, &current);
  } catch (const std::bad_alloc&) {
    failure = Status::OutOfMemory();
  }
  if (failure.ok()) return IoStatus::Ok();
  // The failure handler: every file closed, both descriptions deleted where
  // they still exist, errorPosition left as it was. The only file operation
  // a reader reports as failed is the deletion of its description.
  IoStatus io = failure.IsIoError() ? IoStatus::Error(failure.path(), failure.reason())
                                    : IoStatus::Ok();
  for (const Description* d : {&line, &train}) {
    if (RegularFileExists(d->path())) {
      IoStatus st = RemoveFile(d->path());
      if (!st.ok && io.ok) io = st;
    }
  }
  RecordError(s, current->FailureAt(failure.Message("delete")), std::nullopt);
  return io;
}

CompileResult memorizza_percorso(Scenario& s, int32_t j, const CompilerDirs& dirs) {
  CompileResult result;
  s.withProfile = j;
  s.errorCode = 0;
  s.items.fill(ScenarioItem{});
  result.descriptionIo = memorizza_dati(s, dirs);

  if (!s.hasGrid) {
    result.end = RunEnd::kNoGrid;
    return result;
  }
  CompleteRoute(s);
  if (int32_t code = StoreIdentityCodes(s); code != 0) {
    Diagnostic d;
    d.code = code;
    d.message = code == kErrorIdentityValueTaken
                    ? "cell 1's value1 or item 85's num1 is already set: a feature maps to "
                      "the reserved cell 1"
                    : "cell 1's value2 or item 85's seconds is already set: a feature maps "
                      "to the reserved cell 1";
    s.diagnostics.push_back(std::move(d));
    result.end = RunEnd::kReported;
    result.reportedCode = code;
    return result;
  }

  // Each file is written whole or not at all; the first failure ends the
  // writing.
  auto done = [&](const std::string& name, IoStatus st) {
    if (!st.ok) {
      result.end = RunEnd::kIoError;
      result.io = std::move(st);
      return false;
    }
    result.written.push_back(name);
    return true;
  };
  auto path = [&](const std::string& name) { return JoinPath(dirs.output, name); };
  const std::string profileName = ProfileFileName(s.lineId);
  const std::string itemName = ItemFileName(s.lineId, s.trainNumber);
  const std::string cellName = CellFileName(s.lineId, s.trainNumber);
  if (s.withProfile != 0 && s.profile &&
      !done(profileName, WriteProfileFile(path(profileName), *s.profile))) {
    return result;
  }
  if (!done(itemName, ReplaceFile(path(itemName), EncodeItems(s.items)))) return result;
  done(cellName, ReplaceFile(path(cellName), EncodeCells(s.cells)));
  return result;
}

}  // namespace sb
