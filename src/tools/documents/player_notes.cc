#include "tools/documents/player_notes.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>

#include "tools/common/scenario_features.h"

namespace sb::documents {
namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr std::size_t kCreditIndent = 19;
constexpr std::size_t kContactIndent = 18;

bool IsVowel(char c) {
  const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower == 'a' || lower == 'e' || lower == 'i' || lower == 'o' || lower == 'u';
}

// "ESPRESSO" as a noun in a sentence: "Espresso".
std::string Capitalised(const std::string& word) {
  std::string out = word;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto c = static_cast<unsigned char>(out[i]);
    out[i] = static_cast<char>(i == 0 ? std::toupper(c) : std::tolower(c));
  }
  return out;
}

// "of the" before the classification, as Italian has it: "dell' Espresso",
// "dello Speciale", "del Diretto".
std::string OfThe(const std::string& noun) {
  if (noun.empty() || IsVowel(noun[0])) return "dell' ";
  const char first = static_cast<char>(std::tolower(static_cast<unsigned char>(noun[0])));
  const bool sBeforeConsonant = first == 's' && noun.size() > 1 && !IsVowel(noun[1]);
  if (first == 'z' || sBeforeConsonant) return "dello ";
  return "del ";
}

// How many, in words, as the notes spell small numbers.
std::string CountWord(std::size_t n) {
  static constexpr std::array<const char*, 21> kWords = {
      "zero",        "uno",      "due",    "tre",         "quattro",  "cinque",     "sei",
      "sette",       "otto",     "nove",   "dieci",       "undici",   "dodici",     "tredici",
      "quattordici", "quindici", "sedici", "diciassette", "diciotto", "diciannove", "venti"};
  return n < kWords.size() ? kWords[n] : std::to_string(n);
}

// `text` broken at blanks into lines of at most kNotesWidth characters (a
// longer word stands on a line of its own).
std::vector<std::string> Wrapped(const std::string& text) {
  std::vector<std::string> lines;
  std::string current;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t blank = text.find(' ', at);
    if (blank == std::string::npos) blank = text.size();
    const std::string word = text.substr(at, blank - at);
    if (!current.empty() && current.size() + 1 + word.size() > kNotesWidth) {
      lines.push_back(current);
      current.clear();
    }
    if (!current.empty()) current += ' ';
    current += word;
    at = blank + 1;
  }
  if (!current.empty()) lines.push_back(current);
  return lines;
}

enum class AdhesionBand { kGood, kReduced, kPoor };

AdhesionBand BandOf(int value) {
  if (value >= kGoodAdhesion) return AdhesionBand::kGood;
  if (value >= kReducedAdhesion) return AdhesionBand::kReduced;
  return AdhesionBand::kPoor;
}

const char* BandWord(AdhesionBand band) {
  switch (band) {
    case AdhesionBand::kGood: return "buona";
    case AdhesionBand::kReduced: return "ridotta";
    case AdhesionBand::kPoor: return "scarsa";
  }
  return "";
}

// The cells the train runs over: from the first station to the last; the
// whole filled grid (all but its last three cells, which stay 0) when
// there are fewer than two stations.
std::pair<std::size_t, std::size_t> RouteCells(const Scenario& s) {
  const std::vector<Station> stations = Stations(s.items);
  std::size_t from = 0;
  std::size_t to = s.cells.size() > 3 ? s.cells.size() - 3 : 0;
  if (stations.size() >= 2) {
    auto [low, high] = std::minmax_element(
        stations.begin(), stations.end(),
        [](const Station& a, const Station& b) { return a.position < b.position; });
    from = static_cast<std::size_t>(std::max(0, low->position / kCellLength));
    to = std::min(s.cells.size(), static_cast<std::size_t>(high->position / kCellLength) + 1);
  }
  return {from, std::max(from, to)};
}

}  // namespace

std::string RouteStatement(const NotesFacts& facts) {
  std::string out = "Simulazione ";
  if (!facts.from.empty() && !facts.to.empty()) {
    out += "del tratto " + facts.from + " - " + facts.to + " ";
  }
  const std::string train =
      facts.classification.empty() ? "treno" : Capitalised(facts.classification);
  return out + OfThe(train) + train + " " + facts.trainNumber + ".";
}

std::string RepetitionStatement(const Scenario& s) {
  const int32_t codes = s.items[kSlotTrain].position;
  if (codes == 4 || codes == 9) {
    return "La ripetizione dei segnali e' a " + std::to_string(codes) + " codici.";
  }
  return "La linea non ha la ripetizione dei segnali.";
}

std::string AdhesionStatement(const Scenario& s) {
  const auto [from, to] = RouteCells(s);
  std::array<std::size_t, 3> cellsPerBand{};
  for (std::size_t i = from; i < to; ++i) {
    ++cellsPerBand[static_cast<std::size_t>(BandOf(s.cells[i].adhesion))];
  }
  // The band of most cells leads; a tie goes to the better one.
  std::size_t main = 0;
  for (std::size_t band = 1; band < cellsPerBand.size(); ++band) {
    if (cellsPerBand[band] > cellsPerBand[main]) main = band;
  }
  std::string others;
  for (std::size_t band = 0; band < cellsPerBand.size(); ++band) {
    if (band == main || cellsPerBand[band] == 0) continue;
    if (!others.empty()) others += " o ";
    others += BandWord(static_cast<AdhesionBand>(band));
  }
  const std::string mainWord = BandWord(static_cast<AdhesionBand>(main));
  if (others.empty()) return "Aderenza " + mainWord + " su tutto il percorso.";
  return "Aderenza " + mainWord + " sul percorso, " + others + " in alcuni tratti.";
}

std::string SlowdownStatement(const Scenario& s) {
  const std::size_t count = s.slowdownSources.size();
  if (count == 0) return "La linea non e' interessata da rallentamenti.";
  const bool lastWholeTrain = s.slowdownSources.back().wholeTrain != 0;
  const std::string wholeTrain = "vale per tutta la lunghezza del treno.";
  if (count == 1) {
    const std::string one = "La linea e' interessata da un rallentamento";
    return lastWholeTrain ? one + ", che " + wholeTrain : one + ".";
  }
  const std::string many = "La linea e' interessata da " + CountWord(count) + " rallentamenti";
  return lastWholeTrain ? many + ", l'ultimo dei quali " + wholeTrain : many + ".";
}

std::string BuildPlayerNotes(const Scenario& s, const NotesFacts& facts) {
  std::vector<std::string> lines;
  if (facts.text) {
    std::string text = *facts.text;
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    if (!text.empty() && text.back() == '\n') text.pop_back();
    std::size_t at = 0;
    while (true) {
      const std::size_t end = text.find('\n', at);
      lines.push_back(text.substr(at, end - at));
      if (end == std::string::npos) break;
      at = end + 1;
    }
  } else {
    for (const std::string& statement : {RouteStatement(facts), RepetitionStatement(s),
                                         AdhesionStatement(s), SlowdownStatement(s)}) {
      for (std::string& line : Wrapped(statement)) lines.push_back(std::move(line));
    }
    lines.push_back("");
    lines.push_back("Buon divertimento");
  }
  if (!facts.credit.empty()) lines.push_back(std::string(kCreditIndent, ' ') + facts.credit);
  if (!facts.contact.empty()) {
    lines.push_back(std::string(kContactIndent, ' ') + "(" + facts.contact + ") ");
  }
  std::string out;
  for (const std::string& line : lines) out.append(line).append(kLineEnd);
  return out;
}

}  // namespace sb::documents
