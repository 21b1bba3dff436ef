// The whole compile on any bytes: the input holds the line description, a
// separator line and the train description. Reading, route completion,
// identity codes and the encoding of the three compiled files, profile on.
#include "format/cell_codec.h"
#include "format/item_codec.h"
#include "format/profile_codec.h"
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
  TextDescriptions source = fuzz::Descriptions(line, train);

  Scenario s = fuzz::NewScenario();
  const CompileResult r = memorizza_percorso(s, true, source);
  fuzz::CheckState(s);
  fuzz::Check(r.descriptionIo.ok(), "descriptions in memory are always deleted");
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
  }
  return 0;
}
