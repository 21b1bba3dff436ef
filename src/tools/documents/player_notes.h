// The player notes of any compiled scenario: the author's own text, or
// short statements drawn from the scenario (the route and the train, the
// signal repetition, the adhesion, the slowdowns), then the credit and the
// contact lines. Texts are Windows-1252, as the other documents; lines end
// in CR LF.
#ifndef SB_TOOLS_DOCUMENTS_PLAYER_NOTES_H_
#define SB_TOOLS_DOCUMENTS_PLAYER_NOTES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/scenario.h"

namespace sb::documents {

struct NotesFacts {
  // The author's notes, which take the place of the statements and of
  // "Buon divertimento"; lines end in LF or CR LF.
  std::optional<std::string> text;
  std::string trainNumber;
  // The route's ends as the timetable sheet's header names them ("Rimini",
  // "Pescara Centrale"); the route is left out when either is empty.
  std::string from;
  std::string to;
  std::string classification;  // "ESPRESSO"; empty: "treno"
  std::string credit;          // printed indented; empty: no line
  std::string contact;         // printed in parentheses; empty: no line
};

// Adhesion values are told in three words: from kGoodAdhesion up "buona",
// from kReducedAdhesion up "ridotta", below it "scarsa".
inline constexpr int kGoodAdhesion = 100;
inline constexpr int kReducedAdhesion = 50;

// Statements are wrapped at a blank to lines of at most this many characters.
inline constexpr std::size_t kNotesWidth = 75;

// The statements, one sentence each, before they are wrapped.
std::string RouteStatement(const NotesFacts& facts);
std::string RepetitionStatement(const Scenario& s);
std::string AdhesionStatement(const Scenario& s);
std::string SlowdownStatement(const Scenario& s);

std::string BuildPlayerNotes(const Scenario& s, const NotesFacts& facts);

}  // namespace sb::documents

#endif  // SB_TOOLS_DOCUMENTS_PLAYER_NOTES_H_
