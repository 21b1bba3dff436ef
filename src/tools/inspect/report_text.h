// Small text helpers shared by the inspect printers.
#ifndef SB_TOOLS_INSPECT_REPORT_TEXT_H_
#define SB_TOOLS_INSPECT_REPORT_TEXT_H_

#include <cstdint>
#include <string>

namespace sb {

// Shortest text that reads back as the same double.
std::string Shortest(double v);
// `v` with `decimals` digits after the point ("%.*f").
std::string Fixed(double v, int decimals);
// One field of a CSV row, quoted when it holds a separator or a quote.
std::string CsvField(const std::string& s);
// A stored text for text and CSV output: UTF-8, with control bytes shown as
// \xNN (base/printable.h).
std::string Printable(const std::string& stored);

}  // namespace sb

#endif  // SB_TOOLS_INSPECT_REPORT_TEXT_H_
