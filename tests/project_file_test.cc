// The project file: its values with their places, what is derived when left
// out, and each mistake's whole message as an author reads it.
#include "tools/project/project_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/templates.h"
#include "model/model.h"
#include "running_time/train.h"

namespace sb {
namespace {

std::string Messages(const ProjectParse& parse) {
  std::string out;
  for (const Diagnostic& d : parse.diagnostics) out += FormatDiagnostic(d) + "\n";
  return out;
}

TEST(ProjectFile, ReadsEveryValueWithItsPlace) {
  const ProjectParse parse = ParseProject(
      "line = \"Costa\"\n"
      "train = \"42\"\n"
      "[sheet]\n"
      "from = \"Rimini\"\n"
      "to = \"Pescara Centrale\"\n"
      "classification = \"ESPRESSO\"\n"
      "speed = \"V160 B\"\n"
      "blocked_mass = \"700T\"\n"
      "[order]\n"
      "line_name = \"RIMINI - PESCARA\"\n"
      "[[station]]\n"
      "name = \"PORTO D'ASCOLI\"\n"
      "printed = \"P.ASCOLI\"\n"
      "marching = 70\n"
      "recovery = 0.5\n"
      "[[station]]\n"
      "name = \"ANCONA\"\n"
      "recovery = 1\n"
      "[[speed_limit]]\n"
      "at = 92050\n"
      "name = \"Segn.Avv. Ancona\"\n"
      "km_post = false\n"
      "marching = 70\n"
      "[[extra_row]]\n"
      "at = 163200\n"
      "name = \"Torrente Campofilone\"\n"
      "[notes]\n"
      "text = \"\"\"\nUna riga.\nDue righe.\n\"\"\"\n"
      "credit = \"chi\"\n"
      "contact = \"(dove)\"\n",
      "scenario.toml");
  ASSERT_TRUE(parse.ok()) << Messages(parse);
  const Project& p = parse.project;
  EXPECT_EQ(p.lineId, "Costa");
  EXPECT_EQ(p.train, "42");
  EXPECT_EQ(p.lineDescription, "Costa_linea.txt");
  EXPECT_EQ(p.trainDescription, "Costa_42-.txt");
  EXPECT_EQ(p.trainPlace.line, 2);
  EXPECT_EQ(p.trainPlace.column, 9);
  EXPECT_EQ(p.sheet.from->value, "Rimini");
  EXPECT_EQ(p.sheet.to->value, "Pescara Centrale");
  EXPECT_EQ(p.sheet.classification->value, "ESPRESSO");
  EXPECT_EQ(p.sheet.speed->value, "V160 B");
  EXPECT_EQ(p.sheet.blockedMass->value, "700T");
  EXPECT_EQ(p.sheet.blockedMass->place.line, 8);
  EXPECT_EQ(p.sheet.blockedMass->place.column, 16);
  EXPECT_EQ(p.orderLineName->value, "RIMINI - PESCARA");
  ASSERT_EQ(p.stations.size(), 2u);
  EXPECT_EQ(p.stations[0].name.value, "PORTO D'ASCOLI");
  EXPECT_EQ(p.stations[0].printed->value, "P.ASCOLI");
  EXPECT_EQ(p.stations[0].printed->place.line, 13);
  EXPECT_EQ(p.stations[0].marching->value, 70);
  EXPECT_EQ(p.stations[0].recoveryMinutes->value, 0.5);
  EXPECT_FALSE(p.stations[1].printed);
  EXPECT_EQ(p.stations[1].recoveryMinutes->value, 1.0);  // an integer is a number too
  ASSERT_EQ(p.speedLimits.size(), 1u);
  EXPECT_EQ(p.speedLimits[0].at.value, 92050);
  EXPECT_EQ(p.speedLimits[0].name->value, "Segn.Avv. Ancona");
  EXPECT_FALSE(p.speedLimits[0].kmPost->value);
  EXPECT_EQ(p.speedLimits[0].marching->value, 70);
  ASSERT_EQ(p.extraRows.size(), 1u);
  EXPECT_EQ(p.extraRows[0].name.value, "Torrente Campofilone");
  EXPECT_FALSE(p.extraRows[0].kmPost);
  EXPECT_EQ(p.notes.text->value, "Una riga.\nDue righe.\n");
  EXPECT_EQ(p.notes.credit->value, "chi");
  EXPECT_EQ(p.notes.contact->value, "(dove)");
}

// Columns count bytes, as the descriptions' diagnostics do, though the
// parser counts characters.
TEST(ProjectFile, ColumnsCountBytesAfterUtf8) {
  const ProjectParse parse = ParseProject(
      "line = \"Città\"\ntrain = \"1\"\n[sheet]\nfrom = \"Città\" ; to = \"x\"\n", "scenario.toml");
  EXPECT_EQ(Messages(parse),
            "scenario.toml:4:17: error: Error while parsing key-value pair: expected a comment or "
            "whitespace, saw ';'\n"
            "    from = \"Città\" ; to = \"x\"\n"
            "                   ^\n");
}

TEST(ProjectFile, DerivesWhatIsLeftOut) {
  struct Case {
    const char* text;
    const char* lineId;
    const char* train;
    const char* lineDescription;
    const char* trainDescription;
  };
  const Case cases[] = {
      {"line = \"A\"\ntrain = \"7\"\n", "A", "7", "A_linea.txt", "A_7-.txt"},
      {"line_description = \"B_linea.txt\"\ntrain_description = \"B_12-.txt\"\n", "B", "12",
       "B_linea.txt", "B_12-.txt"},
      {"line_description = \"descr/B_linea.txt\"\ntrain = \"3\"\n", "B", "3", "descr/B_linea.txt",
       "B_3-.txt"},
      {"line = \"C\"\ntrain = \"1\"\ntrain_description = \"altro.txt\"\n", "C", "1", "C_linea.txt",
       "altro.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const ProjectParse parse = ParseProject(c.text, "scenario.toml");
    ASSERT_TRUE(parse.ok()) << Messages(parse);
    EXPECT_EQ(parse.project.lineId, c.lineId);
    EXPECT_EQ(parse.project.train, c.train);
    EXPECT_EQ(parse.project.lineDescription, c.lineDescription);
    EXPECT_EQ(parse.project.trainDescription, c.trainDescription);
  }
}

// The train number stands in the [train] table when there is one: TOML
// cannot have `train` as both.
TEST(ProjectFile, ReadsTheTrainTable) {
  const ProjectParse parse = ParseProject(
      "line = \"Costa\"\n"
      "[train]\n"
      "number = \"42\"\n"
      "mass_t = 600\n"
      "length_m = 330.5\n"
      "cars = 12\n"
      "car_length_m = 26.4\n"
      "top_speed_kmh = 160\n"
      "starting_tractive_effort_kn = 250\n"
      "power_kw = 5600\n"
      "davis_a_kn = 10.7\n"
      "davis_b_kn_per_kmh = 0.057\n"
      "davis_c_kn_per_kmh2 = 0.0012\n"
      "rotating_mass_factor = 1\n"
      "braking_deceleration_ms2 = 0.5\n"
      "dwell_s = 0\n"
      "allowance_percent = 100\n",
      "scenario.toml");
  ASSERT_TRUE(parse.ok()) << Messages(parse);
  const Project& p = parse.project;
  EXPECT_EQ(p.train, "42");
  EXPECT_EQ(p.trainPlace.line, 3);
  EXPECT_EQ(p.trainDescription, "Costa_42-.txt");
  const running::TrainTable& t = p.trainData;
  EXPECT_EQ(t.massTonnes, 600);
  EXPECT_EQ(t.lengthMetres, 330.5);
  EXPECT_EQ(t.cars, 12);
  EXPECT_EQ(t.carLengthMetres, 26.4);
  EXPECT_EQ(t.topSpeedKmh, 160);
  EXPECT_EQ(t.startingTractiveEffortKn, 250);
  EXPECT_EQ(t.powerKw, 5600);
  EXPECT_EQ(t.davisAKn, 10.7);
  EXPECT_EQ(t.davisBKnPerKmh, 0.057);
  EXPECT_EQ(t.davisCKnPerKmh2, 0.0012);
  EXPECT_EQ(t.rotatingMassFactor, 1);
  EXPECT_EQ(t.brakingDeceleration, 0.5);
  EXPECT_EQ(t.dwellSeconds, 0);
  EXPECT_EQ(t.allowancePercent, 100);
  EXPECT_EQ(p.trainDataPlaces.size(), 14u);
  EXPECT_EQ(p.trainDataPlaces.at("power_kw").line, 10);
  EXPECT_EQ(p.trainDataPlaces.at("power_kw").column, 12);

  // Left out, a figure stays unset for the defaults to fill.
  const ProjectParse bare = ParseProject("line = \"Costa\"\ntrain = \"42\"\n", "scenario.toml");
  EXPECT_FALSE(bare.project.trainData.massTonnes);
  EXPECT_TRUE(bare.project.trainDataPlaces.empty());
}

TEST(ProjectFile, EachMistakeIsToldWhole) {
  struct Case {
    const char* what;
    std::string text;
    std::string messages;
  };
  const std::string top = "line = \"Costa\"\ntrain = \"42\"\n";
  const Case cases[] = {
      {"malformed", "line = \"Costa\ntrain = \"42\"\n",
       "scenario.toml:1:14: error: Error while parsing string: unescaped control characters "
       "other than TAB (U+0009) are explicitly prohibited\n"
       "    line = \"Costa\n"
       "                 ^\n"},
      {"unknown key, near one", top + "line_descripton = \"Costa.txt\"\n",
       "scenario.toml:3:1: error: unknown key 'line_descripton'\n"
       "    line_descripton = \"Costa.txt\"\n"
       "    ^\n"
       "hint: did you mean 'line_description'?\n"},
      {"unknown key, none near", "line = \"Costa\"\ntrian = \"42\"\n",
       "scenario.toml:2:1: error: unknown key 'trian'\n"
       "    trian = \"42\"\n"
       "    ^\n"
       "hint: the keys at the top are line, train, line_description, train_description, sheet, "
       "order, station, speed_limit, extra_row, notes\n"},
      {"unknown key in a table, none near", top + "[sheet]\nvelocita = \"V160\"\n",
       "scenario.toml:4:1: error: unknown key 'velocita' in [sheet]\n"
       "    velocita = \"V160\"\n"
       "    ^\n"
       "hint: the keys of [sheet] are from, to, classification, speed, blocked_mass\n"},
      {"unknown table", top + "[sheets]\nfrom = \"A\"\n",
       "scenario.toml:3:2: error: unknown key 'sheets'\n"
       "    [sheets]\n"
       "     ^\n"
       "hint: did you mean 'sheet'?\n"},
      {"a number for a string", "line = \"Costa\"\ntrain = 911\n",
       "scenario.toml:2:9: error: 'train' must be a string or a table, not an integer\n"
       "    train = 911\n"
       "            ^\n"
       "hint: write it in quotes: train = \"911\"\n"},
      {"unknown key in [train], near one",
       "line = \"Costa\"\n[train]\nnumber = \"42\"\nmas_t = 600\n",
       "scenario.toml:4:1: error: unknown key 'mas_t' in [train]\n"
       "    mas_t = 600\n"
       "    ^\n"
       "hint: did you mean 'mass_t'?\n"},
      {"a string for a number", "line = \"Costa\"\n[train]\nnumber = \"42\"\nmass_t = \"600\"\n",
       "scenario.toml:4:10: error: 'mass_t' must be a number, not a string\n"
       "    mass_t = \"600\"\n"
       "             ^\n"
       "hint: write it without quotes\n"},
      {"train figures out of range, told in the keys' order",
       "line = \"Costa\"\n[train]\nnumber = \"42\"\nmass_t = 0\ncars = 12.5\n"
       "davis_a_kn = -0.1\nrotating_mass_factor = 0.95\nallowance_percent = 150\n"
       "top_speed_kmh = inf\n",
       "scenario.toml:4:10: error: 'mass_t' must be more than 0, not 0\n"
       "    mass_t = 0\n"
       "             ^\n"
       "hint: the train's mass in tonnes, the locomotive's included\n"
       "scenario.toml:5:8: error: 'cars' must be a whole number, 0 or more, not 12.5\n"
       "    cars = 12.5\n"
       "           ^\n"
       "hint: the number of cars the locomotive hauls\n"
       "scenario.toml:9:17: error: 'top_speed_kmh' must be a finite number, not inf\n"
       "    top_speed_kmh = inf\n"
       "                    ^\n"
       "hint: the train's top speed in km/h\n"
       "scenario.toml:6:14: error: 'davis_a_kn' must be 0 or more, not -0.1\n"
       "    davis_a_kn = -0.1\n"
       "                 ^\n"
       "hint: the running resistance's constant part, in kN\n"
       "scenario.toml:7:24: error: 'rotating_mass_factor' must be 1 or more, not 0.95\n"
       "    rotating_mass_factor = 0.95\n"
       "                           ^\n"
       "hint: the train's mass with its turning wheels and motors, over its mass; typically "
       "1.04 to 1.10\n"
       "scenario.toml:8:21: error: 'allowance_percent' must be 0 to 100, not 150\n"
       "    allowance_percent = 150\n"
       "                        ^\n"
       "hint: the time added to the running time, in percent of it\n"},
      {"a [train] table without the number", "line = \"Costa\"\n[train]\nmass_t = 600\n",
       "scenario.toml: error: the project names no train\n"
       "hint: give its number in [train]: number = \"N\" names Costa_N-.txt\n"},
      {"a string for an integer", top + "[[station]]\nname = \"A\"\nmarching = \"70\"\n",
       "scenario.toml:5:12: error: 'marching' must be an integer, not a string\n"
       "    marching = \"70\"\n"
       "               ^\n"
       "hint: write it without quotes\n"},
      {"a float for an integer", top + "[[speed_limit]]\nat = 92050.5\n",
       "scenario.toml:4:6: error: 'at' must be an integer, not a float\n"
       "    at = 92050.5\n"
       "         ^\n"
       "hint: write it without a fraction\n"},
      {"a table written as one value", top + "sheet = \"Rimini\"\n",
       "scenario.toml:3:9: error: 'sheet' must be a table, not a string\n"
       "    sheet = \"Rimini\"\n"
       "            ^\n"
       "hint: write [sheet] on a line of its own and its keys on the lines below\n"},
      {"one table for an array of them", top + "[station]\nname = \"A\"\n",
       "scenario.toml:3:2: error: 'station' must be an array of tables, not a table\n"
       "    [station]\n"
       "     ^\n"
       "hint: write [[station]] before each one's keys\n"},
      {"a required key missing", top + "[[station]]\nprinted = \"A\"\n",
       "scenario.toml:3:1: error: [[station]] has no 'name'\n"
       "    [[station]]\n"
       "    ^\n"
       "hint: give the station's name as the train description writes it: name = \"...\"\n"},
      {"a station twice", top + "[[station]]\nname = \"A\"\n[[station]]\nname = \"A\"\n",
       "scenario.toml:6:8: error: station 'A' is given twice\n"
       "    name = \"A\"\n"
       "           ^\n"
       "scenario.toml:4:8: note: given first here\n"
       "hint: merge the two entries into one\n"},
      {"values out of their cells",
       top + "[[station]]\nname = \"A\"\nmarching = 1000\nrecovery = -0.5\n"
             "[[extra_row]]\nat = -5\nname = \"B\"\n",
       "scenario.toml:5:12: error: a marching speed of 1000 km/h does not fit its cell\n"
       "    marching = 1000\n"
       "               ^\n"
       "hint: give 1 to 999 km/h\n"
       "scenario.toml:6:12: error: a recovery time must be 0 to 99.9 minutes\n"
       "    recovery = -0.5\n"
       "               ^\n"
       "scenario.toml:8:6: error: 'at' is a position along the line: it cannot be negative\n"
       "    at = -5\n"
       "         ^\n"
       "hint: give the metres from the line's start, as the train description does\n"},
      {"no line", "train = \"42\"\n",
       "scenario.toml: error: the project names no line\n"
       "hint: give its identifier: line = \"NAME\" names NAME_linea.txt\n"},
      {"no train", "line = \"Costa\"\n",
       "scenario.toml: error: the project names no train\n"
       "hint: give its number: train = \"N\" names Costa_N-.txt\n"},
      {"a line that cannot be told", "line_description = \"costa.txt\"\ntrain = \"42\"\n",
       "scenario.toml:1:20: error: cannot tell the line identifier from 'costa.txt'\n"
       "    line_description = \"costa.txt\"\n"
       "                       ^\n"
       "hint: give it as well: line = \"...\"\n"},
      {"a train that cannot be a file name", "line = \"Costa\"\ntrain = \"4/2\"\n",
       "scenario.toml:2:9: error: '4/2' cannot be part of a file name\n"
       "    train = \"4/2\"\n"
       "            ^\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Messages(ParseProject(c.text, "scenario.toml")), c.messages);
  }
}

TEST(ProjectFile, AnUnreadableFileIsTold) {
  const Diagnostic d = UnreadableProject(
      "dir/scenario.toml", Status::IoError("dir/scenario.toml", "No such file or directory"));
  EXPECT_EQ(FormatDiagnostic(d),
            "dir/scenario.toml: error: cannot read 'dir/scenario.toml': No such file or "
            "directory\n"
            "hint: a scenario's folder holds its project file beside the two descriptions; "
            "'scenario-builder new NAME' writes one");
}

TEST(ProjectFile, TomlStringsParseBackToTheirText) {
  const std::string texts[] = {"Costa", "a \"b\" \\c", "tab\there", "\x01\x7f", "Città"};
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    const std::optional<std::string> quoted = TomlString(text);
    ASSERT_TRUE(quoted);
    const ProjectParse parse = ParseProject(
        "line = " + *quoted + "\ntrain = \"1\"\n[order]\nline_name = " + *quoted, "scenario.toml");
    ASSERT_TRUE(parse.project.orderLineName) << Messages(parse);
    EXPECT_EQ(parse.project.orderLineName->value, text);
  }
  EXPECT_FALSE(TomlString("\xff"));
}

// The two project files `new` writes parse without a word.
TEST(ProjectFile, TheShippedProjectsParse) {
  std::string templ(content::TemplateProjectBytes());
  templ.replace(templ.find("@LINE@"), 6, "\"Costa\"");
  templ.replace(templ.find("@TRAIN@"), 7, "\"1\"");
  EXPECT_TRUE(ParseProject(templ, "scenario.toml").ok());
  // Its [train] block, uncommented in place of the number's line, is the
  // defaults of its 6 cars.
  std::string withTrain = templ;
  withTrain.erase(withTrain.find("train = \"1\"\n"), 12);
  for (std::size_t at = withTrain.find("# [train]"); at != std::string::npos;
       at = withTrain.find("\n# ", at)) {
    if (withTrain[at] == '\n') ++at;
    withTrain.erase(at, 2);
  }
  const ProjectParse trained = ParseProject(withTrain, "scenario.toml");
  ASSERT_TRUE(trained.ok()) << Messages(trained);
  EXPECT_EQ(trained.project.train, "...");
  EXPECT_EQ(trained.project.trainDataPlaces.size(), 14u);
  Scenario sixCars;
  sixCars.items[kSlotTotals].position = 6;
  sixCars.items[kSlotTotals].start = 125;
  const running::Train given = running::ResolveTrain(trained.project.trainData, sixCars);
  const running::Train derived = running::ResolveTrain({}, sixCars);
  const std::pair<double, double> figures[] = {
      {given.mass, derived.mass},
      {given.length, derived.length},
      {given.topSpeed, derived.topSpeed},
      {given.startingTractiveEffort, derived.startingTractiveEffort},
      {given.power, derived.power},
      {given.davisA, derived.davisA},
      {given.davisB, derived.davisB},
      {given.davisC, derived.davisC},
      {given.rotatingMassFactor, derived.rotatingMassFactor},
      {given.brakingDeceleration, derived.brakingDeceleration},
      {given.dwell, derived.dwell},
      {given.allowance, derived.allowance},
  };
  for (const auto& [written, computed] : figures) EXPECT_NEAR(written, computed, computed * 1e-3);
  const ProjectParse example = ParseProject(content::ExampleProjectBytes(), "scenario.toml");
  ASSERT_TRUE(example.ok()) << Messages(example);
  EXPECT_EQ(example.project.lineDescription, "Lungomare_Nord_linea.txt");
  EXPECT_EQ(example.project.trainDescription, "Lungomare_Nord_911-.txt");
}

}  // namespace
}  // namespace sb
