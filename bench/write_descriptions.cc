// Writes the generated line and train descriptions of a given length into a
// directory, for running the program itself on them (peak memory, profiling).
//   sb-write-descriptions <dir> <metres>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "compiler/scenario.h"
#include "generated_descriptions.h"
#include "model/file_names.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <dir> <metres>\n", argv[0]);
    return 64;
  }
  const long length = std::strtol(argv[2], nullptr, 10);
  if (length < 40000 || length > sb::kMaxLineLength || length % 50 != 0) {
    std::fprintf(stderr, "%s: the length must be a multiple of 50 from 40000 to %d\n", argv[0],
                 sb::kMaxLineLength);
    return 64;
  }
  if (!sb::bench::WriteGeneratedDescriptions(argv[1], static_cast<int32_t>(length))) {
    std::fprintf(stderr, "%s: cannot write into %s\n", argv[0], argv[1]);
    return 74;
  }
  std::printf(
      "%s\n%s\n", sb::LineDescriptionName(sb::bench::kGeneratedLineId).c_str(),
      sb::TrainDescriptionName(sb::bench::kGeneratedLineId, sb::bench::kGeneratedTrain).c_str());
  return 0;
}
