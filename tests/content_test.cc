// Checks the scenario's literal content: the five documents' exact lines,
// their framing (CR LF, 7-bit bytes, sentinel) and the fixed layouts the
// reader and the player rely on.
#include "content/content.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace sb::content {
namespace {

using Doc = Document;

const char* Name(Doc doc) {
  switch (doc) {
    case Doc::kLine: return "line description";
    case Doc::kTrain: return "train description";
    case Doc::kNotes: return "player notes";
    case Doc::kSlowdowns: return "slowdown order";
    case Doc::kSheet: return "timetable sheet";
  }
  return "?";
}

constexpr Doc kAll[] = {Doc::kLine, Doc::kTrain, Doc::kNotes, Doc::kSlowdowns, Doc::kSheet};

// Line `n` counted from 1, as in the documents' descriptions.
std::string_view At(Doc doc, std::size_t n) {
  const auto& lines = Lines(doc);
  return n >= 1 && n < lines.size() ? lines[n - 1] : std::string_view("<no such line>");
}

// The written lines, without the sentinel.
std::vector<std::string_view> Written(Doc doc) {
  auto lines = Lines(doc);
  lines.pop_back();
  return lines;
}

std::vector<std::string> SplitCommas(std::string_view s) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (;;) {
    std::size_t comma = s.find(',', start);
    out.emplace_back(s.substr(start, comma == std::string_view::npos ? comma : comma - start));
    if (comma == std::string_view::npos) return out;
    start = comma + 1;
  }
}

std::size_t TrailingBlanks(std::string_view s) {
  std::size_t n = 0;
  while (n < s.size() && s[s.size() - 1 - n] == ' ') ++n;
  return n;
}

long Number(const std::string& field) { return std::stol(field); }

TEST(ContentTest, FramingAndLineCounts) {
  const std::map<Doc, std::size_t> expected = {{Doc::kLine, 158},
                                               {Doc::kTrain, 201},
                                               {Doc::kNotes, 9},
                                               {Doc::kSlowdowns, 46},
                                               {Doc::kSheet, 202}};
  for (Doc doc : kAll) {
    SCOPED_TRACE(Name(doc));
    std::string_view raw = RawBytes(doc);
    ASSERT_GE(raw.size(), 2u);
    EXPECT_EQ(raw.substr(raw.size() - 2), "\r\n");
    EXPECT_NE(static_cast<unsigned char>(raw[0]), 0xEF) << "byte order mark";

    std::size_t line_ends = 0;
    for (std::size_t i = 0; i < raw.size(); ++i) {
      const auto byte = static_cast<unsigned char>(raw[i]);
      ASSERT_LT(byte, 0x80u) << "byte " << i;
      EXPECT_TRUE(byte != '\t' && (byte >= 0x20 || byte == '\r' || byte == '\n'))
          << "control byte at " << i;
      if (byte == '\r') {
        ASSERT_TRUE(i + 1 < raw.size() && raw[i + 1] == '\n') << "lone CR at " << i;
        ++line_ends;
      } else if (byte == '\n') {
        ASSERT_TRUE(i > 0 && raw[i - 1] == '\r') << "lone LF at " << i;
      }
    }
    EXPECT_EQ(line_ends, expected.at(doc));

    const auto& lines = Lines(doc);
    ASSERT_EQ(lines.size(), expected.at(doc) + 1);
    EXPECT_EQ(lines.back(), kSentinel);
    std::string rejoined;
    for (std::string_view line : Written(doc)) {
      EXPECT_NE(line, kSentinel);
      rejoined.append(line).append("\r\n");
    }
    EXPECT_EQ(rejoined, raw);
  }
}

TEST(ContentTest, VerbatimLines) {
  struct Case {
    Doc doc;
    std::size_t line;
    std::string_view text;
  };
  const Case cases[] = {
      {Doc::kLine, 1, "[generale]"},
      {Doc::kLine, 2, "lunghezza percorso,    241000"},
      {Doc::kLine, 3, "progressiva chilometrica uno,    0,    111000,    0"},
      {Doc::kLine, 5, "progressiva chilometrica tre,    0,    0,    0"},
      {Doc::kLine, 6, "sfondo uno,    1"},
      {Doc::kLine, 9, "ripetizione segnali 4 codici,    0,    239000"},
      {Doc::kLine, 10, "[curve]"},
      {Doc::kLine, 11, "curvas3, 900, 1000"},
      {Doc::kLine, 13, "curvad5, 3400, 500"},
      {Doc::kLine, 71, "curvad3, 236500, 600"},
      {Doc::kLine, 72, "[pendenze]"},
      {Doc::kLine, 73, "pendenza,  0,   0"},
      {Doc::kLine, 79, "pendenza,  26350,   -6"},
      {Doc::kLine, 114, "pendenza,  234000,   0"},
      {Doc::kLine, 115, "[montagne]"},
      {Doc::kLine, 116, "montagna,   24350,  26350,  11"},
      {Doc::kLine, 117, "montagna,   93350,  98200,  11"},
      {Doc::kLine, 118, "[cartelli]"},
      {Doc::kLine, 119, "indicatori_vmax,  2950,  140,  160,  170,  0,  140,  160,  170,  0"},
      {Doc::kLine, 121, "indicatori_vmax,  19150,  100,  105,  110,  2,  100,  105,  110,  2"},
      {Doc::kLine, 154, "indicatori_vmax,  237850,  60,  65,  70,  0,  60,  65,  70,  0"},
      {Doc::kLine, 155, "[indicazioni]"},
      {Doc::kLine, 156, "cartello_indicatore,  97500,   (Km 208+500)"},
      {Doc::kLine, 157, "cartello_indicatore,  212400,   (Km 323+402)"},
      {Doc::kLine, 158, "[fine]"},

      {Doc::kTrain, 1, "[generale]"},
      {Doc::kTrain, 2, "numero vetture,    12"},
      {Doc::kTrain, 3, "percentuale massa frenata,    125"},
      {Doc::kTrain, 4, "sabbia,    60"},
      {Doc::kTrain, 5, "orologio,    15              16            30 "},
      {Doc::kTrain, 6, "[aderenze]"},
      {Doc::kTrain, 7, "aderenza,   0,    100"},
      {Doc::kTrain, 8, "[vel_limite]"},
      {Doc::kTrain, 9, "velocita,       0,   110"},
      {Doc::kTrain, 15, "velocita,   92050,    70"},
      {Doc::kTrain, 36, "velocita,  238750,    65"},
      {Doc::kTrain, 37, "[stazioni]"},
      {Doc::kTrain, 38,
       "stazione,       0,  8,  500,  0, 0, 0,  1,1,0,  4,1,1,    1,  15,17, 0, RIMINI"},
      {Doc::kTrain, 57,
       "stazione,  135650,  4,  600,  0, 0, 0,  1,1,0,  4,1,1,   60,  16,56, 0, "
       "CIVITANOVA MARCHE-MONTEGRANARO"},
      {Doc::kTrain, 64,
       "stazione,  182250, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, PORTO D'ASCOLI"},
      {Doc::kTrain, 72,
       "stazione,  238950,  2,  600,  1, 0, 0,  1,1,0,  2,1,1,    0,  18, 8, 0, PESCARA CENTRALE"},
      {Doc::kTrain, 73, "[rallentamenti]"},
      {Doc::kTrain, 74, "rallentamento,   23450,    80,  800, 0,  1,  80"},
      {Doc::kTrain, 75, "rallentamento,   69900,    40,  200, 0,  1,  40"},
      {Doc::kTrain, 76, "rallentamento,  160200,    50, 1800, 0,  1,  50"},
      {Doc::kTrain, 77, "rallentamento,  213850,    60,  200, 1,  1,  60"},
      {Doc::kTrain, 78, "[segnali]"},
      {Doc::kTrain, 79, "segnale,    2000,   2, 4, 0,  0, 0,    0,  0,0,0, 0"},
      {Doc::kTrain, 129, "segnale,  100250,   2, 4, 0,  0, 0,    2,  1,0,0, 0"},
      {Doc::kTrain, 199, "segnale,  237900,   2, 2, 3,  1, 1,    2,  2,1,1, 0"},
      {Doc::kTrain, 200, "[codici]"},
      {Doc::kTrain, 201, "[fine]"},

      {Doc::kNotes, 1, "Simulazione del tratto Rimini - Pescara Centrale dell' Espresso 911."},
      {Doc::kNotes, 2, "La ripetizione dei segnali e' a 4 codici."},
      {Doc::kNotes, 3, "Aderenza buona su tutto il percorso."},
      {Doc::kNotes, 4, "La linea e' interessata da quattro rallentamenti, l'ultimo dei quali vale"},
      {Doc::kNotes, 5, "per tutta la lunghezza del treno."},
      {Doc::kNotes, 6, ""},
      {Doc::kNotes, 7, "Buon divertimento"},
      {Doc::kNotes, 8, "                   progetto scenario-builder"},
      {Doc::kNotes, 9,
       "                  (segnalazioni: pagina delle issue del progetto scenario-builder) "},

      {Doc::kSlowdowns, 1, ""},
      {Doc::kSlowdowns, 2, "                               Modulo M. 3"},
      {Doc::kSlowdowns, 3, "                           ORDINE DI RALLENTAMENTO"},
      {Doc::kSlowdowns, 5, "  Linea  RIMINI - PESCARA CENTRALE"},
      {Doc::kSlowdowns, 6, ""},
      {Doc::kSlowdowns, 7,
       "  Si ordina al macchinista del treno  911  di effettuare i seguenti rallentamenti"},
      {Doc::kSlowdowns, 10,
       " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|"},
      {Doc::kSlowdowns, 13,
       " | 1 | CATTOLICA - PESARO         |    134     |    80    |   800   |   -----    |"},
      {Doc::kSlowdowns, 14,
       " | 2 | SENIGALLIA - MARZOCCA      |    180     |    40    |   200   |   -----    |"},
      {Doc::kSlowdowns, 15,
       " | 3 |P.to S.GIORGIO-CUPRAMARITTIMA    271     |    50    |  1800   |     B      |"},
      {Doc::kSlowdowns, 16,
       " | 4 | ROSETO - PINETO            |    324     |    60    |   200   |     A      |"},
      {Doc::kSlowdowns, 17,
       " |   |                            |            |          |         |            |"},
      {Doc::kSlowdowns, 39,
       " |___|____________________________|____________|__________|_________|____________|"},
      {Doc::kSlowdowns, 40, ""},
      {Doc::kSlowdowns, 41, "              Prescrizioni specifiche"},
      {Doc::kSlowdowns, 42, " A - Da rispettare con tutto il treno (per i treni viaggiatori)"},
      {Doc::kSlowdowns, 43, " B - Interessa anche la stazione di PEDASO"},
      {Doc::kSlowdowns, 44, " D - Rallentamneto N. ... e N. ...  sono contigui"},
      {Doc::kSlowdowns, 45, " C - Da rispettare dalle ore ....  alle ore ..... di tutti"},
      {Doc::kSlowdowns, 46, "     i giorni esclusi i seguenti:........."},

      {Doc::kSheet, 1, ""},
      {Doc::kSheet, 2, ""},
      {Doc::kSheet, 4,
       " |                   |                    SCHEDA 1/2               |              |"},
      {Doc::kSheet, 5,
       " |   TRENO n. 911    |                   da: Rimini                |    V160 B    |"},
      {Doc::kSheet, 6,
       " |___________________|                    a: Pescara Centrale      |     125%     |"},
      {Doc::kSheet, 9, " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       "},
      {Doc::kSheet, 10, " |     ESPRESSO      |              |      700T         |"},
      {Doc::kSheet, 14,
       " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |"},
      {Doc::kSheet, 17,
       " | 110 |  70 | 111.040  |     | RIMINI                     |         15.17  |     |"},
      {Doc::kSheet, 19,
       " |     |     | 116.280  |     | RIMINI MIRAMARE            |      15.22     | 0.5 |"},
      {Doc::kSheet, 20,
       " |     |     | 121.030  |     | RICCIONE                   | 15.26 - 15.27  | 1.0 |"},
      {Doc::kSheet, 33,
       " |  70 |  70 |          |     | Segn.Avv. Ancona           |                |     |"},
      {Doc::kSheet, 46,
       " |     |     | 246.700  |     | CIVITANOVA MARCHE          | 16.54 - 16.56  | 0.5 |"},
      {Doc::kSheet, 56,
       " |                   |                    SCHEDA 2/2               |              |"},
      {Doc::kSheet, 69,
       " |     |     | 246.700  |     | CIVITANOVA MARCHE          | 16.54 - 16.56  | 0.5 |"},
      {Doc::kSheet, 96,
       " |  65 |  65 | 349.970  |     | PESCARA CENTRALE           | 18.08          | 1.0 |"},
      {Doc::kSheet, 107,
       " |                   |                    SCHEDA 0/0               |              |"},
      {Doc::kSheet, 108,
       " |   TRENO n.xxxxx   |                   da: xxxxxx                |    Vxxx C    |"},
      {Doc::kSheet, 109,
       " |___________________|                    a: xxxxxx                |     xxx%     |"},
      {Doc::kSheet, 113, " |        xxx        |              |      xxxT         |"},
      {Doc::kSheet, 201,
       " |_____|_____|__________|_____|____________________________|________________|_____|"},
      {Doc::kSheet, 202, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(At(c.doc, c.line), c.text) << Name(c.doc) << " line " << c.line;
  }
}

// Lines that end in blanks are exactly these, with exactly this many blanks.
TEST(ContentTest, TrailingBlanks) {
  const std::map<Doc, std::map<std::size_t, std::size_t>> expected = {
      {Doc::kLine, {}},
      {Doc::kTrain, {{5, 1}}},
      {Doc::kNotes, {{9, 1}}},
      {Doc::kSlowdowns, {}},
      {Doc::kSheet, {{9, 7}, {61, 7}, {112, 7}, {162, 7}}},
  };
  for (Doc doc : kAll) {
    std::map<std::size_t, std::size_t> found;
    const auto lines = Written(doc);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (std::size_t n = TrailingBlanks(lines[i]); n > 0) found[i + 1] = n;
    }
    EXPECT_EQ(found, expected.at(doc)) << Name(doc);
  }
}

TEST(ContentTest, ExactRunsOfRepeatedCharacters) {
  struct Case {
    Doc doc;
    std::size_t line;
    std::string text;
  };
  const Case cases[] = {
      {Doc::kSlowdowns, 4, " " + std::string(80, '_')},
      {Doc::kSlowdowns, 8, "  " + std::string(79, '_')},
      {Doc::kSheet, 52, std::string(81, '.')},
      {Doc::kSheet, 104, std::string(72, '.')},
      {Doc::kSheet, 154, std::string(72, '.')},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(At(c.doc, c.line), c.text) << Name(c.doc) << " line " << c.line;
  }
}

// The table frames: every table line has its cell borders in the same
// columns, so the columns line up on paper.
TEST(ContentTest, TableColumnsLineUp) {
  struct Range {
    Doc doc;
    std::size_t first, last;
    std::vector<std::size_t> bars;  // columns (from 0) of every '|'
  };
  const std::vector<std::size_t> sheet = {1, 7, 13, 24, 30, 59, 76, 82};
  const std::vector<std::size_t> order = {1, 5, 34, 47, 58, 68, 81};
  const Range ranges[] = {
      {Doc::kSheet, 14, 48, sheet},
      {Doc::kSheet, 66, 100, sheet},
      {Doc::kSheet, 117, 151, sheet},
      {Doc::kSheet, 167, 201, sheet},
      {Doc::kSlowdowns, 9, 14, order},
      {Doc::kSlowdowns, 16, 39, order},
      // Row 3's station text runs over the border between its second and
      // third cells.
      {Doc::kSlowdowns, 15, 15, {1, 5, 47, 58, 68, 81}},
  };
  for (const Range& r : ranges) {
    const std::size_t width = r.bars.back() + 1;
    for (std::size_t n = r.first; n <= r.last; ++n) {
      std::string_view line = At(r.doc, n);
      std::vector<std::size_t> bars;
      for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '|') bars.push_back(i);
      }
      EXPECT_EQ(line.size(), width) << Name(r.doc) << " line " << n;
      EXPECT_EQ(bars, r.bars) << Name(r.doc) << " line " << n;
    }
  }
  // The top rules above the tables are one character narrower.
  for (std::size_t n : {3, 13, 55, 65, 106, 116, 156, 166}) {
    EXPECT_EQ(At(Doc::kSheet, n).size(), 82u) << "sheet line " << n;
  }
  for (std::string_view line : Written(Doc::kSheet)) EXPECT_LE(line.size(), 83u);
}

TEST(ContentTest, SheetPagesRepeatTheirBlocks) {
  // Page 2 opens with page 1's last row; the header of page 2 differs from
  // page 1's only in its page number; the two template pages are identical.
  EXPECT_EQ(At(Doc::kSheet, 46), At(Doc::kSheet, 69));
  for (std::size_t i = 0; i < 14; ++i) {
    std::string page1(At(Doc::kSheet, 3 + i));
    if (auto at = page1.find("SCHEDA 1/2"); at != std::string::npos) page1[at + 7] = '2';
    EXPECT_EQ(page1, At(Doc::kSheet, 55 + i)) << "header line " << i + 1;
  }
  for (std::size_t i = 0; i < 14 + 31 + 1; ++i) {
    EXPECT_EQ(At(Doc::kSheet, 106 + i), At(Doc::kSheet, 156 + i)) << "template line " << i + 1;
  }
}

// Every record of the train description keeps its fixed-width columns.
TEST(ContentTest, TrainRecordsHaveFixedColumns) {
  const std::map<std::string, std::vector<std::size_t>> widths = {
      {"velocita", {8, 6}},
      {"stazione", {8, 3, 5, 3, 2, 2, 3, 1, 1, 3, 1, 1, 5, 4, 2, 2}},
      {"rallentamento", {8, 6, 5, 2, 3, 4}},
      {"segnale", {8, 4, 2, 2, 3, 2, 5, 3, 1, 1, 2}},
  };
  std::map<std::string, std::size_t> count;
  std::map<std::string, long> last_position;
  for (std::string_view line : Written(Doc::kTrain)) {
    const auto fields = SplitCommas(line);
    const auto it = widths.find(fields[0]);
    if (it == widths.end()) continue;
    const auto& w = it->second;
    const bool named = fields[0] == "stazione";
    ASSERT_EQ(fields.size(), w.size() + 1 + (named ? 1 : 0)) << line;
    for (std::size_t i = 0; i < w.size(); ++i) {
      const std::string& f = fields[i + 1];
      EXPECT_EQ(f.size(), w[i]) << line << " field " << i + 1;
      EXPECT_NE(f.back(), ' ') << line << " field " << i + 1;
      EXPECT_NE(f.find_first_of("0123456789"), std::string::npos) << line;
    }
    if (named) {
      EXPECT_EQ(fields.back()[0], ' ') << line;
      EXPECT_NE(fields.back()[1], ' ') << line;
    }
    // Positions ascend within each section.
    const long position = Number(fields[1]);
    if (count[fields[0]]++ > 0) {
      EXPECT_GT(position, last_position[fields[0]]) << line;
    }
    last_position[fields[0]] = position;
  }
  EXPECT_EQ(count,
            (std::map<std::string, std::size_t>{
                {"velocita", 28}, {"stazione", 35}, {"rallentamento", 4}, {"segnale", 121}}));
}

TEST(ContentTest, TrainSectionsStartWhereExpected) {
  const std::map<std::size_t, std::string_view> headings = {
      {1, "[generale]"},       {6, "[aderenze]"}, {8, "[vel_limite]"}, {37, "[stazioni]"},
      {73, "[rallentamenti]"}, {78, "[segnali]"}, {200, "[codici]"},   {201, "[fine]"}};
  for (std::size_t n = 1; n <= 201; ++n) {
    std::string_view line = At(Doc::kTrain, n);
    const bool heading = !line.empty() && line.front() == '[';
    EXPECT_EQ(heading, headings.count(n) == 1) << "line " << n << ": " << line;
    if (heading && headings.count(n) == 1) {
      EXPECT_EQ(line, headings.at(n));
    }
  }
}

TEST(ContentTest, LineCurvesAreOrderedAndClassified) {
  std::map<std::string, int> count;
  long previous_end = 0;
  for (std::size_t n = 11; n <= 71; ++n) {
    const auto fields = SplitCommas(At(Doc::kLine, n));
    ASSERT_EQ(fields.size(), 3u) << n;
    ASSERT_EQ(fields[0].size(), 7u) << n;
    ++count[fields[0]];
    const long start = Number(fields[1]);
    const long end = start + Number(fields[2]);
    EXPECT_GE(start, previous_end) << "line " << n;
    previous_end = end;
  }
  EXPECT_EQ(previous_end, 237100);
  EXPECT_EQ(count, (std::map<std::string, int>{{"curvas1", 4},
                                               {"curvas2", 2},
                                               {"curvas3", 7},
                                               {"curvas4", 12},
                                               {"curvas5", 5},
                                               {"curvas6", 1},
                                               {"curvad1", 2},
                                               {"curvad2", 3},
                                               {"curvad3", 8},
                                               {"curvad4", 9},
                                               {"curvad5", 7},
                                               {"curvad6", 1}}));
  // Gradients and boards: one record per line in their blocks, ascending.
  struct Block {
    std::size_t first, last;
    std::string_view keyword;
  };
  for (const Block& b : {Block{73, 114, "pendenza"}, Block{119, 154, "indicatori_vmax"}}) {
    long previous = -1;
    for (std::size_t n = b.first; n <= b.last; ++n) {
      const auto fields = SplitCommas(At(Doc::kLine, n));
      ASSERT_EQ(fields[0], b.keyword) << "line " << n;
      const long position = Number(fields[1]);
      EXPECT_GT(position, previous) << "line " << n;
      previous = position;
    }
  }
  // Both sides of a speed board show the same values.
  for (std::size_t n = 119; n <= 154; ++n) {
    const auto fields = SplitCommas(At(Doc::kLine, n));
    ASSERT_EQ(fields.size(), 10u) << "line " << n;
    EXPECT_TRUE(std::equal(fields.begin() + 2, fields.begin() + 6, fields.begin() + 6))
        << "line " << n;
  }
}

}  // namespace
}  // namespace sb::content
