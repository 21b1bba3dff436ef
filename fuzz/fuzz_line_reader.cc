// The line reader on any bytes: the input is the line description, read
// together with a small fixed train description, with the plan profile on
// so that curves are encoded too. Where no error stopped the reading, the
// editor's walk through the description reads the same fields as the
// reader, each in a keyword's place or as the same value.
#include <vector>

#include "description/record_walk.h"
#include "fuzz_support.h"

namespace {

// The walk's fields as the reader's log notes them.
std::vector<sb::FieldRead> Walked(std::string_view bytes) {
  std::vector<sb::FieldRead> out;
  std::size_t at = 0;
  int line = 1;
  std::size_t lineBegin = 0;
  for (const sb::WalkedField& f : sb::WalkDescription(bytes, true)) {
    for (; at < f.begin; ++at) {
      const bool crlf = bytes[at] == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n';
      if (bytes[at] == '\n' || (bytes[at] == '\r' && !crlf)) {
        ++line;
        lineBegin = at + 1;
      }
    }
    const char* what = f.role == sb::FieldRole::kValue
                           ? f.record->columns[static_cast<std::size_t>(f.column)].what
                           : nullptr;
    out.push_back(
        {sb::DescriptionKind::kLine, line, static_cast<int>(f.begin - lineBegin) + 1, what});
  }
  return out;
}

bool Same(const sb::FieldRead& a, const sb::FieldRead& b) {
  return a.line == b.line && a.column == b.column && (a.what == nullptr) == (b.what == nullptr) &&
         (a.what == nullptr || std::string_view(a.what) == b.what);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace sb;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  TextDescriptions source = fuzz::Descriptions(bytes, fuzz::kTinyTrain);
  std::vector<FieldRead> log;
  source.fieldLog = &log;
  Scenario s = fuzz::NewScenario();
  s.withProfile = 1;
  memorizza_dati(s, source);
  fuzz::CheckState(s);
  if (s.errorCode == ErrorCode::kNone) {
    std::vector<FieldRead> read;
    for (const FieldRead& r : log) {
      if (r.which == DescriptionKind::kLine) read.push_back(r);
    }
    const std::vector<FieldRead> walked = Walked(bytes);
    bool same = read.size() == walked.size();
    for (std::size_t i = 0; same && i < read.size(); ++i) same = Same(read[i], walked[i]);
    fuzz::Check(same, "the walk reads the fields the line reader read");
  }
  return 0;
}
