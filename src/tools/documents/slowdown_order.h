// The slowdown order ("Modulo M. 3") of any compiled scenario: one row per
// slowdown record of the train description, in the form the player's
// document has, 82 characters wide. Texts are Windows-1252, one byte a
// character, as the descriptions and the compiled files hold them; lines
// end in CR LF.
#ifndef SB_TOOLS_DOCUMENTS_SLOWDOWN_ORDER_H_
#define SB_TOOLS_DOCUMENTS_SLOWDOWN_ORDER_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "compiler/diagnostics.h"
#include "compiler/scenario.h"

namespace sb::documents {

// What the order prints and the descriptions do not hold.
struct OrderFacts {
  std::string trainNumber;
  // After "Linea"; empty: the first and the last station, as printed,
  // joined by " - ".
  std::string lineName;
  // The name printed for a station, by its name in the train description;
  // a station not listed is printed under its description name.
  std::map<std::string, std::string> printedNames;
};

// The slowdown rows of one page of the form.
inline constexpr int kOrderRowsPerPage = 26;

// Whole-train flag and station in the slowdown both: the cell shows both
// letters.
inline constexpr const char* kBothPrescriptions = "A B";
inline constexpr const char* kNoPrescription = "-----";

struct OrderRow {
  int number = 0;
  // The last station before the start and the first after the end, joined
  // by " - "; one of them alone where the other is missing.
  std::string between;
  int64_t kmPost = 0;  // whole kilometres, the fraction dropped
  int32_t speed = 0;
  int32_t length = 0;
  std::string prescription;  // "A", "B", kBothPrescriptions or kNoPrescription
  // The stations whose position lies in [start, start + length], as
  // printed: each has its "B" line under the table.
  std::vector<std::string> stationsWithin;
};

// The rows, in the order of the records, with a diagnostic for a km post
// the form cannot print (outside 0.000 to 999.999), at its record.
std::vector<OrderRow> SlowdownOrderRows(const Scenario& s, const OrderFacts& facts,
                                        std::vector<Diagnostic>* diagnostics);

// One table row: " |" and six cells, each closed by "|". A text longer than
// its cell is cut at the cell.
std::string FormatOrderRow(const OrderRow& row);

// The whole document: one page of the form for every kOrderRowsPerPage rows
// (one page when there are none), each page with the legend of its rows.
std::string FormatSlowdownOrder(const std::vector<OrderRow>& rows, const std::string& lineName,
                                const std::string& trainNumber);

struct SlowdownOrder {
  std::string text;
  std::vector<Diagnostic> diagnostics;
};

SlowdownOrder BuildSlowdownOrder(const Scenario& s, const OrderFacts& facts);

}  // namespace sb::documents

#endif  // SB_TOOLS_DOCUMENTS_SLOWDOWN_ORDER_H_
