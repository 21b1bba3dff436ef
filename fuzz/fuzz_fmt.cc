// Aligning the records of mutated descriptions: the input holds the line
// description, a separator line and the train description, as for
// fuzz_compile. Aligning twice must give what aligning once gave, and the
// aligned pair must compile as the original did: the same bytes in the
// three files (the profile as its runs), the same error code and position,
// and the same diagnostics on the same lines (only their columns may move).
#include <cstring>
#include <string>
#include <vector>

#include "description/record_alignment.h"
#include "format/cell_codec.h"
#include "format/item_codec.h"
#include "fuzz_support.h"

namespace {

constexpr std::string_view kSeparator = "\n=====\n";

struct Outcome {
  sb::ErrorCode errorCode;
  int32_t errorPosition;
  std::string cells;
  std::string items;
  std::string profile;
  std::vector<std::string> diagnostics;
  bool operator==(const Outcome&) const = default;
};

// The profile file is a function of the profile's runs: comparing them
// spares encoding megabytes of metres at every input.
std::string ProfileRuns(const sb::LineProfile& p) {
  std::string out = std::to_string(p.end()) + (p.seeded() ? " seeded" : "");
  for (const sb::ProfileRun& run : p.runs()) {
    uint64_t bits = 0;
    std::memcpy(&bits, &run.c, sizeof bits);
    out +=
        " " + std::to_string(run.last) + (run.arc ? " arc " : " straight ") + std::to_string(bits);
  }
  return out;
}

Outcome Compile(std::string_view line, std::string_view train) {
  using namespace sb;
  TextDescriptions source = fuzz::Descriptions(line, train);
  Scenario s = fuzz::NewScenario();
  (void)memorizza_percorso(s, true, source);
  Outcome o{s.errorCode,
            s.errorPosition,
            EncodeCells(s.cells),
            EncodeItems(s.items),
            s.profile ? ProfileRuns(*s.profile) : std::string(),
            {}};
  for (const Diagnostic& d : s.diagnostics) {
    std::string shown = std::to_string(Number(d.code)) + " " +
                        std::to_string(static_cast<int>(d.warning)) + " " + d.file + ":" +
                        std::to_string(d.line) + " " + d.message + " | " + d.hint;
    if (d.position) shown += " at " + std::to_string(*d.position);
    for (const RelatedLocation& r : d.related) {
      shown += " | " + r.file + ":" + std::to_string(r.line) + " " + r.message;
    }
    o.diagnostics.push_back(std::move(shown));
  }
  return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace sb;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t cut = bytes.find(kSeparator);
  const std::string_view line = bytes.substr(0, cut);
  const std::string_view train =
      cut == std::string_view::npos ? std::string_view{} : bytes.substr(cut + kSeparator.size());

  const std::string alignedLine = AlignRecords(line);
  const std::string alignedTrain = AlignRecords(train);
  fuzz::Check(AlignRecords(alignedLine) == alignedLine, "aligning the line twice changes more");
  fuzz::Check(AlignRecords(alignedTrain) == alignedTrain, "aligning the train twice changes more");
  if (alignedLine == line && alignedTrain == train) return 0;
  fuzz::Check(Compile(alignedLine, alignedTrain) == Compile(line, train),
              "the aligned descriptions compile as the originals");
  return 0;
}
