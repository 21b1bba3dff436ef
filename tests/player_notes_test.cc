#include "tools/documents/player_notes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/content.h"
#include "test_support.h"

namespace sb::documents {
namespace {

using testing::CompileTexts;
using testing::Crlf;

std::string Line(const std::string& repetition = "") {
  std::string out = Crlf({"[generale]", "lunghezza percorso, 30000"});
  if (!repetition.empty()) out += repetition + "\r\n";
  return out + "[fine]\r\n";
}

// Two stations 20 km apart, the adhesion records and the slowdowns given.
std::string Train(std::initializer_list<std::string> records) {
  std::string out = Crlf({"[generale]", "velocita, 0, 100",
                          "stazione,  1000, 12, 400, 0,0,0, 1,1,0, 4,1,1, 0, 15,17,0, ALFA",
                          "stazione, 21000, 12, 400, 0,0,0, 1,1,0, 4,1,1, 0, 0,0,0, BETA"});
  for (const std::string& r : records) out += r + "\r\n";
  return out + "[fine]\r\n";
}

Scenario Compiled(const std::string& line, const std::string& train) {
  auto compiled = CompileTexts(line, train.c_str());
  EXPECT_TRUE(compiled.scenario.diagnostics.empty())
      << FormatDiagnostic(compiled.scenario.diagnostics.front());
  return std::move(compiled.scenario);
}

constexpr const char* kFull = "aderenza, 0, 100";

// Each statement the notes draw from the scenario, case by case.
TEST(PlayerNotesTest, StatementsFollowTheScenario) {
  struct Case {
    const char* name;
    std::string line;
    std::string train;
    std::string (*statement)(const Scenario&);
    const char* expected;
  };
  const std::string slowdown = "rallentamento, 5000, 60, 200, 0, 1, 60";
  const std::string wholeTrain = "rallentamento, 15000, 60, 200, 1, 1, 60";
  const std::vector<Case> kCases = {
      {"4 codes", Line("ripetizione segnali 4 codici, 0, 20000"), Train({kFull}),
       RepetitionStatement, "La ripetizione dei segnali e' a 4 codici."},
      {"9 codes", Line("ripetizione segnali 9 codici, 0, 20000"), Train({kFull}),
       RepetitionStatement, "La ripetizione dei segnali e' a 9 codici."},
      {"no repetition", Line(), Train({kFull}), RepetitionStatement,
       "La linea non ha la ripetizione dei segnali."},
      {"adhesion 100", Line(), Train({kFull}), AdhesionStatement,
       "Aderenza buona su tutto il percorso."},
      {"adhesion 50 to 99", Line(), Train({"aderenza, 0, 99", "aderenza, 10000, 50"}),
       AdhesionStatement, "Aderenza ridotta su tutto il percorso."},
      {"adhesion below 50", Line(), Train({"aderenza, 0, 49"}), AdhesionStatement,
       "Aderenza scarsa su tutto il percorso."},
      {"most of the route good", Line(), Train({kFull, "aderenza, 15000, 30"}), AdhesionStatement,
       "Aderenza buona sul percorso, scarsa in alcuni tratti."},
      {"most of the route poor", Line(),
       Train({"aderenza, 0, 100", "aderenza, 3000, 60", "aderenza, 6000, 10"}), AdhesionStatement,
       "Aderenza scarsa sul percorso, buona o ridotta in alcuni tratti."},
      {"only the route counts", Line(), Train({"aderenza, 0, 10", "aderenza, 1000, 100"}),
       AdhesionStatement, "Aderenza buona su tutto il percorso."},
      {"no slowdown", Line(), Train({kFull}), SlowdownStatement,
       "La linea non e' interessata da rallentamenti."},
      {"one slowdown", Line(), Train({kFull, slowdown}), SlowdownStatement,
       "La linea e' interessata da un rallentamento."},
      {"one for the whole train", Line(), Train({kFull, wholeTrain}), SlowdownStatement,
       "La linea e' interessata da un rallentamento, che vale per tutta la lunghezza del "
       "treno."},
      {"several", Line(), Train({kFull, wholeTrain, slowdown}), SlowdownStatement,
       "La linea e' interessata da due rallentamenti."},
      {"several, the last for the whole train", Line(), Train({kFull, slowdown, wholeTrain}),
       SlowdownStatement,
       "La linea e' interessata da due rallentamenti, l'ultimo dei quali vale per tutta la "
       "lunghezza del treno."},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.statement(Compiled(c.line, c.train)), c.expected);
  }
}

// The first statement names the route and the train, with the article the
// classification takes.
TEST(PlayerNotesTest, RouteStatementNamesTheTrain) {
  struct Case {
    NotesFacts facts;
    const char* expected;
  };
  const std::vector<Case> kCases = {
      {{{}, "911", "Rimini", "Pescara Centrale", "ESPRESSO", "", ""},
       "Simulazione del tratto Rimini - Pescara Centrale dell' Espresso 911."},
      {{{}, "2", "A", "B", "diretto", "", ""}, "Simulazione del tratto A - B del Diretto 2."},
      {{{}, "3", "A", "B", "SPECIALE", "", ""}, "Simulazione del tratto A - B dello Speciale 3."},
      {{{}, "4", "A", "", "", "", ""}, "Simulazione del treno 4."},
  };
  for (const Case& c : kCases) EXPECT_EQ(RouteStatement(c.facts), c.expected);
}

// The notes of the built-in descriptions are the built-in notes: byte for
// byte with the built-in credit and contact, and without them the same but
// for those two lines.
TEST(PlayerNotesTest, BuiltInDescriptionsGiveTheBuiltInNotes) {
  const Scenario s = Compiled(std::string(content::RawBytes(content::Document::kLine)),
                              std::string(content::RawBytes(content::Document::kTrain)));
  NotesFacts facts{{}, "911", "Rimini", "Pescara Centrale", "ESPRESSO", "", ""};
  const std::string literal(content::RawBytes(content::Document::kNotes));
  const std::string plain = BuildPlayerNotes(s, facts);
  const std::size_t credit = literal.find("\r\n                   ");
  ASSERT_NE(credit, std::string::npos);
  EXPECT_EQ(plain, literal.substr(0, credit + 2));

  facts.credit = "progetto scenario-builder";
  facts.contact = "segnalazioni: pagina delle issue del progetto scenario-builder";
  EXPECT_EQ(BuildPlayerNotes(s, facts), literal);
}

// The author's text takes the place of everything but the credit and the
// contact, its lines ended with CR LF.
TEST(PlayerNotesTest, AuthorsTextTakesThePlaceOfTheStatements) {
  const Scenario s = Compiled(Line(), Train({kFull}));
  NotesFacts facts{"Prima riga\nseconda\r\n\nfine\n", "1", "A", "B", "", "io", "io@example.org"};
  EXPECT_EQ(BuildPlayerNotes(s, facts),
            Crlf({"Prima riga", "seconda", "", "fine", "                   io",
                  "                  (io@example.org) "}));
}

}  // namespace
}  // namespace sb::documents
