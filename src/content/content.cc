#include "content/content.h"

#include <array>
#include <cstddef>

namespace sb::content {
namespace embedded {
extern const unsigned char linea_data[];
extern const std::size_t linea_size;
extern const unsigned char treno_data[];
extern const std::size_t treno_size;
extern const unsigned char note_data[];
extern const std::size_t note_size;
extern const unsigned char rallentamenti_data[];
extern const std::size_t rallentamenti_size;
extern const unsigned char scheda_data[];
extern const std::size_t scheda_size;
}  // namespace embedded

namespace {

std::string_view View(const unsigned char* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Splits CR LF terminated lines and appends the sentinel.
std::vector<std::string_view> Split(std::string_view bytes) {
  std::vector<std::string_view> lines;
  while (!bytes.empty()) {
    std::size_t end = bytes.find("\r\n");
    if (end == std::string_view::npos) {
      lines.push_back(bytes);
      break;
    }
    lines.push_back(bytes.substr(0, end));
    bytes.remove_prefix(end + 2);
  }
  lines.push_back(kSentinel);
  return lines;
}

}  // namespace

std::string_view RawBytes(Document document) {
  using namespace embedded;
  switch (document) {
    case Document::kLine: return View(linea_data, linea_size);
    case Document::kTrain: return View(treno_data, treno_size);
    case Document::kNotes: return View(note_data, note_size);
    case Document::kSlowdowns: return View(rallentamenti_data, rallentamenti_size);
    case Document::kSheet: return View(scheda_data, scheda_size);
  }
  return {};
}

const std::vector<std::string_view>& Lines(Document document) {
  static const std::array<std::vector<std::string_view>, 5> all = {
      Split(RawBytes(Document::kLine)), Split(RawBytes(Document::kTrain)),
      Split(RawBytes(Document::kNotes)), Split(RawBytes(Document::kSlowdowns)),
      Split(RawBytes(Document::kSheet))};
  return all[static_cast<std::size_t>(document)];
}

}  // namespace sb::content
