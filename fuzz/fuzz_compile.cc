// The whole compile on any bytes: the input holds the line description, a
// separator line and the train description. Reading, route completion,
// identity codes and the encoding of the three compiled files, profile on.
// The same compile with the line read once for several trains must end
// in the same run state.
#include "format/cell_codec.h"
#include "format/item_codec.h"
#include "format/profile_codec.h"
#include "fuzz_support.h"

namespace {

// Splits at the first separator; no separator gives an empty train.
constexpr std::string_view kSeparator = "\n=====\n";

bool SameDiagnostic(const sb::Diagnostic& a, const sb::Diagnostic& b) {
  return a.severity == b.severity && a.code == b.code && a.warning == b.warning &&
         a.position == b.position && a.file == b.file && a.line == b.line && a.column == b.column &&
         a.record == b.record && a.message == b.message && a.hint == b.hint &&
         a.subject == b.subject && a.related.size() == b.related.size() &&
         a.fixes.size() == b.fixes.size() && a.fixesToTry == b.fixesToTry;
}

// What the editor server takes from a compile, which the shared line must
// give as the whole compile does.
void CheckSameAsWhole(const sb::Scenario& whole, const sb::CompileResult& wholeResult,
                      std::string_view line, std::string_view train) {
  using namespace sb;
  const SharedLine shared = ReadLineOnce(fuzz::NewScenario(), std::string(line));
  Scenario s;
  s.trainNumber = whole.trainNumber;
  const CompileResult r = CompileWithLine(shared, s, std::string(train));
  fuzz::Check(r.end == wholeResult.end && r.reportedCode == wholeResult.reportedCode,
              "shared line: the same end");
  fuzz::Check(s.errorCode == whole.errorCode && s.errorPosition == whole.errorPosition,
              "shared line: the same error");
  fuzz::Check(s.hasGrid == whole.hasGrid && s.cells.size() == whole.cells.size() &&
                  (!s.hasGrid || EncodeCells(s.cells) == EncodeCells(whole.cells)),
              "shared line: the same cells");
  fuzz::Check(EncodeItems(s.items) == EncodeItems(whole.items) && s.items == whole.items,
              "shared line: the same items");
  fuzz::Check(s.profile.has_value() == whole.profile.has_value() &&
                  (!s.profile || (s.profile->cursor() == whole.profile->cursor() &&
                                  s.profile->runs().size() == whole.profile->runs().size())),
              "shared line: the same profile");
  bool sameDiagnostics = s.diagnostics.size() == whole.diagnostics.size();
  for (std::size_t i = 0; sameDiagnostics && i < s.diagnostics.size(); ++i) {
    sameDiagnostics = SameDiagnostic(s.diagnostics[i], whole.diagnostics[i]);
  }
  fuzz::Check(sameDiagnostics, "shared line: the same diagnostics");
  fuzz::Check(s.warningsKept == whole.warningsKept && s.warningsNotKept == whole.warningsNotKept,
              "shared line: the same warning counts");
  fuzz::Check(s.readingStops.size() == whole.readingStops.size(),
              "shared line: the same reading stops");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace sb;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t cut = bytes.find(kSeparator);
  const std::string_view line = bytes.substr(0, cut);
  const std::string_view train =
      cut == std::string_view::npos ? std::string_view{} : bytes.substr(cut + kSeparator.size());
  TextDescriptions source = fuzz::Descriptions(line, train);

  Scenario s = fuzz::NewScenario();
  const CompileResult r = memorizza_percorso(s, true, source);
  fuzz::CheckState(s);
  fuzz::Check(r.descriptionIo.ok(), "descriptions in memory are always deleted");
  CheckSameAsWhole(s, r, line, train);
  switch (r.end) {
    case CompileEnd::kCompiled: {
      // The bytes the compiled files would hold, as the program writes them.
      if (s.profile) {
        uint64_t covered = 0;
        EncodeProfile(*s.profile,
                      [&covered](uint64_t, std::string_view bytes) { covered += bytes.size(); });
        fuzz::Check(covered > 0, "the profile has bytes");
      }
      fuzz::Check(!EncodeItems(s.items).empty(), "the items have bytes");
      fuzz::Check(EncodeCells(s.cells).size() % s.cells.size() == 0, "whole cells encoded");
      break;
    }
    case CompileEnd::kNoGrid: fuzz::Check(!s.hasGrid, "no grid"); break;
    case CompileEnd::kReported:
      fuzz::Check(r.reportedCode == ErrorCode::kIdentityValueTaken ||
                      r.reportedCode == ErrorCode::kIdentityCodeTaken,
                  "reported code is 1250 or 1251");
      break;
    case CompileEnd::kCancelled: fuzz::Check(false, "no compile here is cancelled"); break;
  }
  return 0;
}
