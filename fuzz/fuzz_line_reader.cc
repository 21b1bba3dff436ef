// The line reader on any bytes: the input is the line description, read
// together with a small fixed train description, with the plan profile on
// so that curves are encoded too.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace sb;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  TextDescriptions source = fuzz::Descriptions(bytes, fuzz::kTinyTrain);
  Scenario s = fuzz::NewScenario();
  s.withProfile = 1;
  memorizza_dati(s, source);
  fuzz::CheckState(s);
  return 0;
}
