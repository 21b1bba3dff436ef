// Reading the compiled files back: decoded fields equal what was encoded,
// the printers show them, and any file not of its layout is rejected with a
// message, never read out of bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/command_status.h"
#include "app/compiled_files.h"
#include "app/inspect_command.h"
#include "base/disk.h"
#include "format/cell_codec.h"
#include "format/item_codec.h"
#include "format/profile_codec.h"
#include "model/file_names.h"
#include "test_support.h"
#include "tools/inspect/profile_summary.h"

namespace sb {
namespace {

using testing::TempDir;
using testing::WriteFile;

// A small compiled model: the grid and profile of a line of 0 m, with one
// feature of each common sort, extreme field values, and a plan that runs
// north for 100 m and then turns a right angle to the east.
struct Model {
  std::vector<TrackCell> cells = std::vector<TrackCell>(kMinCells);
  ItemTable items;
  ProfileTable profile{kLineOverrun};
};

Model MakeModel() {
  Model m;
  for (TrackCell& c : m.cells) {
    c.speedLimit = 22;
    c.gradient = 106;
    c.adhesion = 100;
  }
  m.cells[1].value1 = 5121;
  m.cells[1].value2 = 1890;
  m.cells[5].approachCode = 84;
  m.cells[9] = {kKindSignal, 32, 11, 11, 8, 101, 0, 0, 22, 106, 100};
  m.cells[20] = {kKindSpeedPoint, 180, 0, 0, 0, 0, 0, 3, 255, 0, 255};
  m.cells[30] = {kKindTextBoard, 80, 0, 0, 0, 0, 0, 0, 22, 106, 100};
  m.cells[40] = {kKindSlowdownStart, -32768, 32767, 1, 0, 0, 0, 0, 22, 106, 100};

  ScenarioItem& station = m.items[1];
  station.kind = 12;
  station.start = 9750;
  station.end = 10250;
  station.position = 10000;
  station.option = 255;
  station.text = "RICCIONE";
  station.num1 = -2;
  station.num5 = 32767;
  station.byte1 = 1;
  station.byte4 = 255;
  station.seconds = 55620;
  m.items[2].position = 20000;
  m.items[2].kind = 28;
  m.items[2].text = "Localit\xE0 \x80";  // a-grave and the euro sign, one byte each
  m.items[79].text = "say \"hi\", then";
  m.items[80].text = "(Km 208+500)";
  m.items[81].end = 111000;
  m.items[84] = {};
  m.items[84].start = 125;
  m.items[84].position = 12;
  m.items[85].text = "Test";
  m.items[85].num1 = 610;
  m.items[85].seconds = -123456789;
  m.items[86].text = "1";
  m.items[86].num3 = 15;

  ProfileTable& p = m.profile;
  p.SetInt16(0, 0, 0);
  p.SetInt16(0, 1, 0);
  p.SetInt16(1, 0, 0);
  p.SetInt16(1, 1, 1);
  for (int32_t metre = 2; metre <= p.end() - 2; ++metre) {
    p.SetDouble(metre, 0, metre <= 100 ? 0.0 : metre - 100.0);
    p.SetDouble(metre, 1, metre <= 100 ? static_cast<double>(metre) : 100.0);
  }
  return m;
}

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

Outcome RunInspect(const std::string& path, InspectFormat format) {
  std::ostringstream out, err;
  RealDisk disk;
  int status = FinishCommand(Inspect(disk, path, format, out), err);
  return {status, out.str(), err.str()};
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(InspectTest, DecodersGiveBackWhatWasEncoded) {
  const Model m = MakeModel();

  const std::string cellBytes = EncodeCells(m.cells);
  std::vector<TrackCell> cells;
  Status st = DecodeCells(cellBytes, &cells);
  ASSERT_TRUE(st.ok()) << st.reason();
  EXPECT_EQ(EncodeCells(cells), cellBytes);
  EXPECT_EQ(cells.at(40).value1, -32768);
  EXPECT_EQ(cells.at(20).adhesion, 255);

  ItemTable items;
  st = DecodeItems(EncodeItems(m.items), &items);
  ASSERT_TRUE(st.ok()) << st.reason();
  for (int slot = 0; slot < kItemSlots; ++slot) {
    EXPECT_EQ(items[slot], m.items[slot]) << "slot " << slot;
  }

  std::optional<ProfileTable> profile;
  st = DecodeProfile(testing::EncodeTable(m.profile), &profile);
  ASSERT_TRUE(st.ok()) << st.reason();
  ASSERT_EQ(profile->end(), m.profile.end());
  for (int column = 0; column < 2; ++column) {
    for (int32_t metre = 0; metre <= m.profile.end(); ++metre) {
      ASSERT_EQ(profile->tag(metre, column), m.profile.tag(metre, column)) << metre;
      ASSERT_EQ(profile->value(metre, column), m.profile.value(metre, column)) << metre;
    }
  }
}

// The files the compiler itself writes decode to the model it held.
TEST(InspectTest, DecodesWhatTheCompilerWrote) {
  const std::string line =
      testing::LineHeader(3000) + testing::Crlf({"curvad4, 500, 300", "pendenza, 1000, -6",
                                                 "cartello_indicatore, 2000, (Km 1+000)"});
  const std::string train =
      testing::Crlf({"[generale]", "velocita, 0, 100",
                     "stazione, 1500, 12, 400, 0,0,0, 1,1,0, 4,1,1, 1, 15,17,0, UNO",
                     "segnale, 2500, 2, 3,1,1, 0, 2, 2,1,1, 0", "[fine]"});
  const testing::Compiled c = testing::CompileTexts(line, train, 1);
  ASSERT_EQ(c.scenario.errorCode, 0);
  MemoryDisk disk;
  ASSERT_TRUE(WriteCompiledFiles(c.scenario, true, disk, "").status.ok());
  auto written = [&disk](const std::string& name) { return disk.files().at(name); };

  std::vector<TrackCell> cells;
  Status st = DecodeCells(written(CellFileName(testing::kLineId, testing::kTrain)), &cells);
  ASSERT_TRUE(st.ok()) << st.reason();
  EXPECT_EQ(EncodeCells(cells), EncodeCells(c.scenario.cells));
  ItemTable items;
  st = DecodeItems(written(ItemFileName(testing::kLineId, testing::kTrain)), &items);
  ASSERT_TRUE(st.ok()) << st.reason();
  EXPECT_TRUE(items == c.scenario.items);
  std::optional<ProfileTable> profile;
  st = DecodeProfile(written(ProfileFileName(testing::kLineId)), &profile);
  ASSERT_TRUE(st.ok()) << st.reason();
  EXPECT_EQ(testing::EncodeTable(*profile), EncodeProfile(*c.scenario.profile));

  const ProfileSummary s = SummarizeProfile(*profile);
  EXPECT_EQ(s.lineLength, 3000);
  EXPECT_EQ(s.empty, 4);  // the last two metres of each column
  EXPECT_EQ(s.ints, 4);   // the seeds
  // 300 arc metres of curvature 0.001 each turn the step by atan(0.001).
  EXPECT_NEAR(s.turningDegrees, 300 * std::atan(0.001) * 180 / 3.14159265358979323846, 1e-9);
}

TEST(InspectTest, CellFileListsCellsWithAKindAValueOrAnApproachCode) {
  TempDir dir;
  const std::string path = dir.file("Test_1.dat");
  WriteFile(path, EncodeCells(MakeModel().cells));

  Outcome csv = RunInspect(path, InspectFormat::kCsv);
  ASSERT_EQ(csv.status, 0) << csv.err;
  const std::vector<std::string> rows = Lines(csv.out);
  ASSERT_EQ(rows.size(), 7u);  // header and cells 1, 5, 9, 20, 30, 40
  EXPECT_EQ(rows[0],
            "index,position,kind,kind_name,value1,value2,value3,value4,signal_time,approach_code,"
            "terrain,speed_limit,gradient,adhesion,speed_limit_kmh,gradient_permille,meaning");
  EXPECT_EQ(rows[1],
            "1,50,0,none,5121,1890,0,0,0,0,0,22,106,100,110,6,"
            "reserved: identity marker and check code");
  EXPECT_EQ(rows[2], "5,250,0,none,0,0,0,0,0,84,0,22,106,100,110,6,approach code");
  EXPECT_EQ(rows[3],
            "9,450,1,signal,32,11,11,8,101,0,0,22,106,100,110,6,"
            "\"s 3-1-1, d 2-1-1, rapp 0, sx 2 dx 2, time 101\"");
  EXPECT_EQ(rows[4], "20,1000,12,speed point,180,0,0,0,0,0,3,255,0,255,1275,-100,180 km/h");
  EXPECT_EQ(rows[6],
            "40,2000,3,slowdown start,-32768,32767,1,0,0,0,0,22,106,100,110,6,"
            "\"-32768 km/h, second speed 32767, whole train\"");

  Outcome json = RunInspect(path, InspectFormat::kJson);
  ASSERT_EQ(json.status, 0) << json.err;
  const nlohmann::json j = nlohmann::json::parse(json.out);
  EXPECT_EQ(j["cells"], kMinCells);
  EXPECT_EQ(j["rows"].size(), 6u);
  EXPECT_EQ(j["rows"][2]["kindName"], "signal");
  EXPECT_EQ(j["rows"][2]["position"], 450);
  EXPECT_EQ(j["kinds"]["text board"], 1);

  Outcome text = RunInspect(path, InspectFormat::kText);
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("141 cells (0 to 140, 7000 m)"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("s 3-1-1, d 2-1-1, rapp 0, sx 2 dx 2, time 101"), std::string::npos);
  EXPECT_NE(text.out.find("text in slot 80"), std::string::npos);
}

TEST(InspectTest, ItemFileShowsUsedSlotsWithTheirRoles) {
  TempDir dir;
  const std::string path = dir.file("Test_1.sim");
  WriteFile(path, EncodeItems(MakeModel().items));

  Outcome json = RunInspect(path, InspectFormat::kJson);
  ASSERT_EQ(json.status, 0) << json.err;
  const nlohmann::json j = nlohmann::json::parse(json.out);
  std::vector<std::pair<int, std::string>> roles;
  for (const auto& slot : j["slots"]) roles.emplace_back(slot["slot"], slot["role"]);
  const std::vector<std::pair<int, std::string>> expected = {{1, "station 1"},
                                                             {2, "station 2"},
                                                             {79, "board text"},
                                                             {80, "board text"},
                                                             {81, "kilometric progression 1"},
                                                             {84, "totals"},
                                                             {85, "line identity"},
                                                             {86, "train identity"}};
  EXPECT_EQ(roles, expected);
  EXPECT_EQ(j["slots"][0]["text"], "RICCIONE");
  EXPECT_EQ(j["slots"][0]["num1"], -2);
  EXPECT_EQ(j["slots"][0]["byte4"], 255);
  EXPECT_EQ(j["slots"][1]["text"], "Localit\xC3\xA0 \xE2\x82\xAC");  // as UTF-8
  EXPECT_EQ(j["slots"][6]["seconds"], -123456789);

  Outcome csv = RunInspect(path, InspectFormat::kCsv);
  ASSERT_EQ(csv.status, 0) << csv.err;
  EXPECT_NE(csv.out.find("\n79,board text,0,0,0,0,0,\"say \"\"hi\"\", then\",0,"),
            std::string::npos)
      << csv.out;

  Outcome text = RunInspect(path, InspectFormat::kText);
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("slot 1 (station 1) \"RICCIONE\""), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("stopping zone 9750 to 10250 m, time 15:27:00"), std::string::npos);
  EXPECT_NE(text.out.find("braked mass 125 %, line length 0 m, 12 cars"), std::string::npos);
  EXPECT_EQ(text.out.find("slot 0 "), std::string::npos);
}

// The values a file keeps in units of its own are shown beside what they
// mean: the speed limit in 5 km/h units, the gradient plus 100, a board's
// speeds packed in one value, the clock as three numbers.
TEST(InspectTest, StoredValuesAreShownWithTheirMeaningAndUnit) {
  TempDir dir;
  std::vector<TrackCell> cells(kMinCells);
  for (TrackCell& c : cells) {
    c.speedLimit = 16;
    c.gradient = 112;
    c.adhesion = 100;
  }
  cells[3].kind = kKindSpeedPoint;
  cells[3].value1 = 80;
  cells[4].approachCode = 84;
  cells[4].gradient = 97;
  cells[6] = {kKindSpeedBoard, 2828, 3232, 3434, 21, 0, 0, 0, 16, 100, 100};
  const std::string cellPath = dir.file("Test_1.dat");
  WriteFile(cellPath, EncodeCells(cells));

  const Outcome text = RunInspect(cellPath, InspectFormat::kText);
  ASSERT_EQ(text.status, 0) << text.err;
  const std::vector<std::string> lines = Lines(text.out);
  ASSERT_EQ(lines.size(), 7u) << text.out;
  EXPECT_EQ(lines[3],
            "  cell    metre  kind                     value1 value2 value3 value4 time appr terr "
            "limit km/h grad    \u2030  adh  meaning");
  EXPECT_EQ(lines[4],
            "     3      150  speed point                  80      0      0      0    0    0    0 "
            "   16   80  112  +12  100  80 km/h");
  EXPECT_EQ(lines[5],
            "     4      200  none                          0      0      0      0    0   84    0 "
            "   16   80   97   -3  100  approach code");
  EXPECT_EQ(lines[6],
            "     6      300  speed board                2828   3232   3434     21    0    0    0 "
            "   16   80  100    0  100  s 140/160/170 km/h, d 140/160/170 km/h, stripes s 2, d 1");

  const Outcome csv = RunInspect(cellPath, InspectFormat::kCsv);
  ASSERT_EQ(csv.status, 0) << csv.err;
  EXPECT_EQ(Lines(csv.out),
            (std::vector<std::string>{
                "index,position,kind,kind_name,value1,value2,value3,value4,signal_time,"
                "approach_code,terrain,speed_limit,gradient,adhesion,speed_limit_kmh,"
                "gradient_permille,meaning",
                "3,150,12,speed point,80,0,0,0,0,0,0,16,112,100,80,12,80 km/h",
                "4,200,0,none,0,0,0,0,0,84,0,16,97,100,80,-3,approach code",
                "6,300,6,speed board,2828,3232,3434,21,0,0,0,16,100,100,80,0,\"s 140/160/170 km/h, "
                "d 140/160/170 km/h, stripes s 2, d 1\""}));

  const Outcome json = RunInspect(cellPath, InspectFormat::kJson);
  ASSERT_EQ(json.status, 0) << json.err;
  const nlohmann::ordered_json rows = nlohmann::ordered_json::parse(json.out)["rows"];
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1].dump(),
            R"({"index":4,"position":200,"kind":0,"kindName":"none","value1":0,"value2":0,)"
            R"("value3":0,"value4":0,"signalTime":0,"approachCode":84,"terrain":0,)"
            R"("speedLimit":16,"gradient":97,"adhesion":100,"speedLimitKmh":80,)"
            R"("gradientPermille":-3,"meaning":"approach code"})");

  ItemTable items;
  items[1].kind = 12;
  items[1].position = 1000;
  items[1].text = "UNO";
  items[1].seconds = 8 * 3600;
  items[kSlotTrain].text = "1";
  items[kSlotTrain].num3 = 7;
  items[kSlotTrain].num4 = 55;
  const std::string itemPath = dir.file("Test_1.sim");
  WriteFile(itemPath, EncodeItems(items));

  const Outcome itemText = RunInspect(itemPath, InspectFormat::kText);
  ASSERT_EQ(itemText.status, 0) << itemText.err;
  EXPECT_NE(itemText.out.find("    at 1000 m, stopping zone 0 to 0 m, time 08:00:00\n"),
            std::string::npos)
      << itemText.out;
  EXPECT_NE(itemText.out.find("with 0 codes; sand 0; clock 07:55:00\n"), std::string::npos)
      << itemText.out;

  const Outcome itemCsv = RunInspect(itemPath, InspectFormat::kCsv);
  ASSERT_EQ(itemCsv.status, 0) << itemCsv.err;
  EXPECT_EQ(Lines(itemCsv.out),
            (std::vector<std::string>{"slot,role,kind,start,end,position,option,text,num1,num2,"
                                      "num3,num4,num5,byte1,byte2,byte3,byte4,seconds,time",
                                      "1,station 1,12,0,0,1000,0,UNO,0,0,0,0,0,0,0,0,0,28800,"
                                      "08:00:00",
                                      "86,train identity,0,0,0,0,0,1,0,0,7,55,0,0,0,0,0,0,"
                                      "07:55:00"}));

  const Outcome itemJson = RunInspect(itemPath, InspectFormat::kJson);
  ASSERT_EQ(itemJson.status, 0) << itemJson.err;
  const nlohmann::json slots = nlohmann::json::parse(itemJson.out)["slots"];
  ASSERT_EQ(slots.size(), 2u);
  EXPECT_EQ(slots[0]["seconds"], 28800);
  EXPECT_EQ(slots[0]["time"], "08:00:00");
  EXPECT_EQ(slots[1]["num4"], 55);
  EXPECT_EQ(slots[1]["time"], "07:55:00");
}

TEST(InspectTest, ProfileGivesEveryMetreOrASummary) {
  TempDir dir;
  const std::string path = dir.file("Test_linea.dat");
  WriteFile(path, testing::EncodeTable(MakeModel().profile));

  Outcome csv = RunInspect(path, InspectFormat::kCsv);
  ASSERT_EQ(csv.status, 0) << csv.err;
  const std::vector<std::string> rows = Lines(csv.out);
  ASSERT_EQ(rows.size(), 1u + kMinProfileMetres);
  EXPECT_EQ(rows[0], "metre,x,y");
  EXPECT_EQ(rows[1], "0,0,0");
  EXPECT_EQ(rows[2], "1,0,1");
  EXPECT_EQ(rows[102], "101,1,100");
  EXPECT_EQ(rows[6999], "6998,6898,100");
  EXPECT_EQ(rows[7000], "6999,,");
  EXPECT_EQ(rows[7001], "7000,,");

  Outcome json = RunInspect(path, InspectFormat::kJson);
  ASSERT_EQ(json.status, 0) << json.err;
  const nlohmann::json j = nlohmann::json::parse(json.out);
  EXPECT_EQ(j["metres"], kMinProfileMetres);
  EXPECT_EQ(j["lineLength"], 0);
  EXPECT_DOUBLE_EQ(j["totalTurningDegrees"].get<double>(), 90.0);
  EXPECT_EQ(j["extent"]["maxX"], 6898.0);
  EXPECT_EQ(j["extent"]["maxY"], 100.0);
  EXPECT_EQ(j["elements"]["empty"], 4);
  EXPECT_EQ(j["elements"]["int16"], 4);
  EXPECT_EQ(j["elements"]["double"], 2 * 6997);

  Outcome text = RunInspect(path, InspectFormat::kText);
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("total turning:  90.000 degrees"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("line length:    0 m"), std::string::npos);
}

TEST(InspectTest, FilesNotOfTheirLayoutAreRejected) {
  const Model m = MakeModel();
  const std::string cells = EncodeCells(m.cells);
  const std::string items = EncodeItems(m.items);
  const std::string profile = testing::EncodeTable(m.profile);
  std::string wrongTag = profile;
  wrongTag[0] = 3;
  std::string hugeText = items;
  hugeText[14] = '\xFF';  // slot 0's text length: 65535
  hugeText[15] = '\xFF';
  const std::string tag0 = std::string(2, '\0');

  struct Case {
    const char* what;
    const char* name;
    std::string bytes;
    const char* message;
  };
  const Case cases[] = {
      {"cell file one byte long", "T_1.dat", cells + "x",
       "not a whole number of 15-byte cells (141 cells and 1 byte over)"},
      {"empty cell file", "T_1.dat", "", "it holds 0 cells"},
      {"cell file one cell short", "T_1.dat", cells.substr(15), "it holds 140 cells"},
      {"cell file of 20142 cells", "T_1.dat", std::string(20142 * 15, '\0'), "too large"},
      {"empty item file", "T_1.sim", "", "ends inside slot 0"},
      {"item file cut in a text", "T_1.sim", items.substr(0, 34 + 16 + 3),
       "ends inside slot 1 (its text"},
      {"item file cut after a text", "T_1.sim", items.substr(0, items.size() - 5),
       "ends inside slot 86 (its numbers after the text"},
      {"item text longer than the file", "T_1.sim", hugeText, "the text claims 65535 bytes"},
      {"item file with a byte more", "T_1.sim", items + "x", "1 byte after the 87th record"},
      {"profile with an unknown tag", "T_linea.dat", wrongTag, "has the tag 3"},
      {"profile cut in a tag", "T_linea.dat", profile.substr(0, 1),
       "ends inside the tag of element 0"},
      {"profile cut in a double", "T_linea.dat", profile.substr(0, 20),
       "ends inside the value of element 3"},
      {"profile with an odd element count", "T_linea.dat", profile + tag0,
       "14003 elements are an odd number"},
      {"profile too short for a line", "T_linea.dat", tag0 + tag0, "columns of 1 metre,"},
      {"empty profile", "T_linea.dat", "", "columns of 0 metres"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.file(c.name);
    WriteFile(path, c.bytes);
    for (InspectFormat format : {InspectFormat::kText, InspectFormat::kJson, InspectFormat::kCsv}) {
      Outcome r = RunInspect(path, format);
      EXPECT_EQ(r.status, 65);
      EXPECT_EQ(r.out, "");
      EXPECT_NE(r.err.find(path), std::string::npos) << r.err;
      EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
  }
}

// Every cut of a valid file is rejected, and random bytes either decode or
// are rejected: no read ever leaves the buffer.
TEST(InspectTest, TruncatedAndRandomBytesNeverReadOutOfBounds) {
  const Model m = MakeModel();
  const std::string items = EncodeItems(m.items);
  ItemTable decodedItems;
  for (std::size_t n = 0; n < items.size(); ++n) {
    Status st = DecodeItems(std::string_view(items).substr(0, n), &decodedItems);
    ASSERT_FALSE(st.ok()) << n;
    ASSERT_TRUE(st.IsInvalid()) << n;
    ASSERT_FALSE(st.reason().empty()) << n;
  }
  const std::string profile = testing::EncodeTable(m.profile);
  std::optional<ProfileTable> decodedProfile;
  for (std::size_t n = 0; n < profile.size(); n += (n < 64 || n + 64 > profile.size()) ? 1 : 97) {
    ASSERT_FALSE(DecodeProfile(std::string_view(profile).substr(0, n), &decodedProfile).ok()) << n;
    ASSERT_FALSE(decodedProfile.has_value()) << n;
  }
  const std::string cells = EncodeCells(m.cells);
  std::vector<TrackCell> decodedCells;
  for (std::size_t n = 0; n < cells.size(); ++n) {
    ASSERT_FALSE(DecodeCells(std::string_view(cells).substr(0, n), &decodedCells).ok()) << n;
    ASSERT_TRUE(decodedCells.empty()) << n;
  }

  std::mt19937 rng(7);
  for (int round = 0; round < 300; ++round) {
    std::string bytes(rng() % 4000, '\0');
    for (char& b : bytes) b = static_cast<char>(rng() % (round % 2 == 0 ? 8 : 256));
    DecodeCells(bytes, &decodedCells).IgnoreError();
    DecodeItems(bytes, &decodedItems).IgnoreError();
    DecodeProfile(bytes, &decodedProfile).IgnoreError();
  }
}

TEST(InspectTest, FileThatCannotBeReadOrNamed) {
  TempDir dir;
  Outcome missing = RunInspect(dir.file("Absent_1.dat"), InspectFormat::kText);
  EXPECT_EQ(missing.status, 74);
  EXPECT_NE(missing.err.find("cannot read"), std::string::npos) << missing.err;

  std::filesystem::create_directory(dir.file("Folder_1.sim"));
  EXPECT_EQ(RunInspect(dir.file("Folder_1.sim"), InspectFormat::kText).status, 74);

  WriteFile(dir.file("notes.txt"), "x");
  Outcome unnamed = RunInspect(dir.file("notes.txt"), InspectFormat::kText);
  EXPECT_EQ(unnamed.status, 64);
  EXPECT_NE(unnamed.err.find("<ID>_linea.dat"), std::string::npos) << unnamed.err;
}

// True when `text` holds a byte that would act on a terminal (LF ends lines).
bool HasRawControl(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char ch) {
    const auto byte = static_cast<unsigned char>(ch);
    return (byte < 0x20 && ch != '\n' && ch != '\t') || byte == 0x7F;
  });
}

// A station name, a board text or an identity can hold bytes that retitle or
// clear a terminal: text and CSV show them escaped, the JSON keeps them (its
// encoder escapes them), and the stored bytes stay as written.
TEST(InspectTest, ControlBytesInStoredTextsAreShownEscaped) {
  const std::string station =
      "RIC\x1b]0;pwned\x07"
      "CIONE";
  const std::string board = "\x1b[2J(Km 1+000)";
  const std::string line =
      testing::LineHeader(3000) + testing::Crlf({"cartello_indicatore, 2000, " + board});
  const std::string train = testing::Crlf(
      {"[generale]", "velocita, 0, 100",
       "stazione, 1500, 12, 400, 0,0,0, 1,1,0, 4,1,1, 1, 15,17,0, " + station, "[fine]"});
  const testing::Compiled c = testing::CompileTexts(line, train, 1);
  ASSERT_EQ(c.scenario.errorCode, 0);
  ItemTable items = c.scenario.items;
  items[kSlotTrain].text = "1\x7f";
  TempDir dir;
  const std::string path = dir.file("Te\x1bst_1.sim");
  WriteFile(path, EncodeItems(items));

  struct Case {
    InspectFormat format;
    std::vector<std::string> shown;
  };
  const Case cases[] = {
      {InspectFormat::kText,
       {"Te\\x1bst_1.sim: item table", "(station 1) \"RIC\\x1b]0;pwned\\x07CIONE\"\n",
        "(board text) \"\\x1b[2J(Km 1+000)\"\n", "(train identity) \"1\\x7f\"\n"}},
      {InspectFormat::kCsv, {",RIC\\x1b]0;pwned\\x07CIONE,", ",\\x1b[2J(Km 1+000),", ",1\\x7f,"}},
  };
  for (const Case& k : cases) {
    Outcome r = RunInspect(path, k.format);
    ASSERT_EQ(r.status, 0) << r.err;
    for (const std::string& shown : k.shown) {
      EXPECT_NE(r.out.find(shown), std::string::npos) << shown << "\n" << r.out;
    }
    EXPECT_FALSE(HasRawControl(r.out)) << r.out;
  }

  Outcome json = RunInspect(path, InspectFormat::kJson);
  ASSERT_EQ(json.status, 0) << json.err;
  // The encoder escapes 0x00 to 0x1F; DEL it leaves, as JSON allows.
  std::string withoutDel = json.out;
  std::erase(withoutDel, '\x7f');
  EXPECT_FALSE(HasRawControl(withoutDel)) << json.out;
  const nlohmann::json j = nlohmann::json::parse(json.out);
  std::vector<std::string> texts;
  for (const auto& slot : j["slots"]) texts.push_back(slot["text"]);
  for (const std::string& stored : {station, board, std::string("1\x7f")}) {
    EXPECT_NE(std::find(texts.begin(), texts.end(), stored), texts.end()) << stored;
  }
  ItemTable decoded;
  ASSERT_TRUE(DecodeItems(testing::ReadFile(path), &decoded).ok());
  EXPECT_TRUE(decoded == items);
}

// The file name the user gave is shown escaped too, in the text form's head
// line and in messages.
TEST(InspectTest, ControlBytesInTheFileNameAreShownEscaped) {
  const Model m = MakeModel();
  TempDir dir;
  struct Case {
    const char* name;
    std::string bytes;
    int status;
    std::string shown;  // on stdout when the status is 0, else on stderr
  };
  const Case cases[] = {
      {"Te\x1b[2Jst_1.dat", EncodeCells(m.cells), 0, "Te\\x1b[2Jst_1.dat: cell grid"},
      {"Te\x1b[2Jst_linea.dat", testing::EncodeTable(m.profile), 0,
       "Te\\x1b[2Jst_linea.dat: plan profile"},
      {"Te\x1b[2Jst_1.sim", "", 65, "Te\\x1b[2Jst_1.sim: "},
      {"Te\x1b[2Jst.txt", "", 64, "Te\\x1b[2Jst.txt: cannot tell"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    const std::string path = dir.file(c.name);
    WriteFile(path, c.bytes);
    Outcome r = RunInspect(path, InspectFormat::kText);
    EXPECT_EQ(r.status, c.status) << r.err;
    const std::string& said = c.status == 0 ? r.out : r.err;
    EXPECT_NE(said.find(c.shown), std::string::npos) << said;
    EXPECT_FALSE(HasRawControl(r.out + r.err));
  }
  Outcome missing = RunInspect(dir.file("Ab\x07sent_1.dat"), InspectFormat::kText);
  EXPECT_EQ(missing.status, 74);
  EXPECT_NE(missing.err.find("Ab\\x07sent_1.dat"), std::string::npos) << missing.err;
  EXPECT_FALSE(HasRawControl(missing.err)) << missing.err;
}

}  // namespace
}  // namespace sb
