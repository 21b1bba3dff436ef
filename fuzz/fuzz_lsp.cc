// The editor server on any bytes: framing, JSON decoding and dispatch, as
// `scenario-builder lsp` runs them on its standard input. Whatever arrives,
// the server must answer or skip it and end at the end of the input.
#include <sstream>
#include <string>

#include "base/disk.h"
#include "tools/lsp/stdio.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  std::ostringstream out;
  sb::RealDisk disk;
  const int status = sb::lsp::RunLanguageServer(in, out, disk);
  if (status != 0 && status != 1) __builtin_trap();
  return 0;
}
