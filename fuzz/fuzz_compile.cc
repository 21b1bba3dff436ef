// The whole compile on any bytes: the input holds the line description, a
// separator line and the train description. Reading, route completion,
// identity codes and the three compiled files, profile on.
#include "fuzz_support.h"

namespace {

// Splits at the first separator; no separator gives an empty train.
constexpr std::string_view kSeparator = "\n=====\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace sb;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t cut = bytes.find(kSeparator);
  const std::string_view line = bytes.substr(0, cut);
  const std::string_view train =
      cut == std::string_view::npos ? std::string_view{} : bytes.substr(cut + kSeparator.size());
  fuzz::WriteBytes(LineDescriptionName(fuzz::kLineId), line);
  fuzz::WriteBytes(TrainDescriptionName(fuzz::kLineId, fuzz::kTrain), train);

  Scenario s = fuzz::NewScenario();
  const CompileResult r =
      memorizza_percorso(s, 1, CompilerDirs{fuzz::ScratchDir(), fuzz::ScratchDir()});
  fuzz::CheckState(s);
  switch (r.end) {
    case RunEnd::kWritten:
      fuzz::Check(r.written.size() == (s.profile ? 3u : 2u), "every compiled file written");
      break;
    case RunEnd::kNoGrid: fuzz::Check(!s.hasGrid && r.written.empty(), "no grid, no file"); break;
    case RunEnd::kReported:
      fuzz::Check(r.reportedCode == 1250 || r.reportedCode == 1251,
                  "reported code is 1250 or 1251");
      fuzz::Check(r.written.empty(), "a reported run writes nothing");
      break;
    case RunEnd::kIoError: fuzz::Check(false, "the scratch directory is always writable"); break;
  }
  return 0;
}
