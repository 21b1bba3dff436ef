// The scenario's literal content: five documents, each an ordered list of
// text lines kept as a data file and embedded into the program at build time.
#ifndef SB_CONTENT_CONTENT_H_
#define SB_CONTENT_CONTENT_H_

#include <string_view>
#include <vector>

namespace sb::content {

enum class Document {
  kLine,       // the line description (<line>_linea.txt)
  kTrain,      // the train description (<line>_<train>-.txt)
  kNotes,      // the player notes
  kSlowdowns,  // the slowdown order
  kSheet,      // the timetable sheet
};

// Every entry of every list ends with this line; it is never written.
inline constexpr std::string_view kSentinel = "riferimento fine del file";

// The document's lines in order, without line ends, ending with kSentinel.
// The views point into static storage.
const std::vector<std::string_view>& Lines(Document document);

// The data file's raw bytes (lines each ending in CR LF, no sentinel).
std::string_view RawBytes(Document document);

}  // namespace sb::content

#endif  // SB_CONTENT_CONTENT_H_
