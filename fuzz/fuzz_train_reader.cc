// The train reader on any bytes: the scenario's own line description sizes
// the grid and places its features, the input is the train description.
#include "content/content.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace sb;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  TextDescriptions source = fuzz::Descriptions(content::RawBytes(content::Document::kLine), bytes);
  Scenario s = fuzz::NewScenario();
  // Without the profile: the line's curves are not what is under test, and
  // building a 248 km profile for every input would only slow the search.
  s.withProfile = 0;
  memorizza_dati(s, source);
  fuzz::CheckState(s);
  return 0;
}
