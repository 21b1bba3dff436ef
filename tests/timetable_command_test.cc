// scenario-builder timetable: the running times of a project as a table,
// JSON or CSV, with compile's diagnostics and statuses, and nothing written.
#include "app/timetable_command.h"

#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "app_test_support.h"

namespace sb {
namespace {

using testing::Files;
using testing::Quote;
using testing::ReadFile;
using testing::RunTool;
using testing::TempDir;
using testing::ToolRun;
using testing::WriteFile;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A header line's words, split where two blanks or more stand.
std::vector<std::string> Columns(const std::string& line) {
  std::vector<std::string> out;
  std::size_t at = line.find_first_not_of(' ');
  while (at != std::string::npos) {
    const std::size_t end = line.find("  ", at);
    out.push_back(line.substr(at, end == std::string::npos ? std::string::npos : end - at));
    at = end == std::string::npos ? end : line.find_first_not_of(' ', end);
  }
  return out;
}

// RFC 4180 fields of one record (no line breaks inside fields here).
std::vector<std::string> CsvFields(const std::string& record) {
  std::vector<std::string> out(1);
  bool quoted = false;
  for (std::size_t i = 0; i < record.size(); ++i) {
    const char c = record[i];
    if (quoted && c == '"' && i + 1 < record.size() && record[i + 1] == '"') {
      out.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      out.emplace_back();
    } else {
      out.back() += c;
    }
  }
  return out;
}

constexpr std::size_t kExampleStations = 35;

// The example project, in each form: the header, one row per station (and
// per change of the limit) in route order, names as the project prints
// them; and the folder as it was.
TEST(TimetableCommand, TheExampleInEachForm) {
  TempDir dir;
  ASSERT_EQ(RunTool("new --example --dir " + Quote(dir.path())).exit, 0);
  const auto before = Files(dir.path());

  struct Case {
    std::string option;
    // The station rows' names in order and the number of rows.
    std::function<void(const std::string& out, std::vector<std::string>* names, std::size_t* rows)>
        read;
  };
  const Case cases[] = {
      {"",
       [](const std::string& out, std::vector<std::string>* names, std::size_t* rows) {
         const auto lines = Lines(out);
         ASSERT_GT(lines.size(), 14u);
         EXPECT_EQ(lines[0], "Train 911 of Lungomare_Nord, the figures used:");
         EXPECT_EQ(Columns(lines[1]).front(), "mass_t");
         EXPECT_EQ(Columns(lines[12]).front(), "allowance_percent");
         EXPECT_EQ(lines[13], "");
         EXPECT_EQ(Columns(lines[14]),
                   (std::vector<std::string>{"km", "name", "scheduled", "minimum", "with allowance",
                                             "time", "slack s", "slack %", "top km/h"}));
         // The name column starts where its header does.
         const std::size_t nameAt = lines[14].find("name");
         for (std::size_t i = 15; i < lines.size(); ++i) {
           const std::string name = lines[i].substr(nameAt, lines[i].find("  ", nameAt) - nameAt);
           if (name.rfind("speed limit ", 0) != 0) names->push_back(name);
         }
         *rows = lines.size() - 15;
       }},
      {"--json",
       [](const std::string& out, std::vector<std::string>* names, std::size_t* rows) {
         const nlohmann::json j = nlohmann::json::parse(out);
         EXPECT_EQ(j["lineId"], "Lungomare_Nord");
         EXPECT_EQ(j["train"], "911");
         EXPECT_TRUE(j["trainFigures"]["mass_t"]["value"].is_number());
         EXPECT_EQ(j["trainFigures"].size(), 12u);
         for (const auto& r : j["rows"]) {
           EXPECT_TRUE(r["km"].is_number());
           EXPECT_TRUE(r["timeSeconds"].is_number_integer());
           EXPECT_EQ(r["time"].get<std::string>().size(), 8u);
           if (r["kind"] == "station") names->push_back(r["name"]);
         }
         EXPECT_TRUE(j["rows"][0]["minimum"].is_null());
         EXPECT_EQ(j["rows"][0]["scheduled"], "15:17:00");
         EXPECT_EQ(j["rows"][0]["scheduledSeconds"], 55020);
         *rows = j["rows"].size();
       }},
      {"--csv",
       [](const std::string& out, std::vector<std::string>* names, std::size_t* rows) {
         const auto lines = Lines(out);
         ASSERT_FALSE(lines.empty());
         EXPECT_EQ(lines[0],
                   "km,name,scheduled,minimum,with_allowance,time,slack_s,slack_percent,"
                   "top_speed_kmh\r");
         // The departure: the scheduled time, no running time, at rest.
         EXPECT_EQ(lines[1], "111.000,RIMINI,15:17:00,,,15:17:00,,,0\r");
         for (std::size_t i = 1; i < lines.size(); ++i) {
           ASSERT_EQ(lines[i].back(), '\r') << i;
           const auto fields = CsvFields(lines[i].substr(0, lines[i].size() - 1));
           ASSERT_EQ(fields.size(), 9u) << lines[i];
           if (fields[1].rfind("speed limit ", 0) != 0) names->push_back(fields[1]);
         }
         *rows = lines.size() - 1;
       }},
  };
  std::vector<std::string> textNames;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.option);
    ToolRun r = RunTool("timetable " + Quote(dir.path()) + " " + c.option);
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.err, "");
    std::vector<std::string> names;
    std::size_t rows = 0;
    c.read(r.out, &names, &rows);
    ASSERT_EQ(names.size(), kExampleStations);
    EXPECT_GE(rows, names.size());
    EXPECT_EQ(names.front(), "RIMINI");
    EXPECT_EQ(names.back(), "PESCARA CENTRALE");
    // The printed name of the project file, not the description's.
    EXPECT_EQ(names[19], "CIVITANOVA MARCHE");
    if (textNames.empty()) textNames = names;
    EXPECT_EQ(names, textNames);
    EXPECT_TRUE(Files(dir.path()) == before);
  }
}

// Before any table: the project file's statuses as build has them, and a
// description's error as compile reports it, with nothing on stdout and
// nothing written.
TEST(TimetableCommand, StatusesAndDiagnostics) {
  struct Case {
    const char* name;
    std::function<void(const TempDir&)> prepare;
    int exit;
    const char* inErr;
  };
  const auto replace = [](const TempDir& dir, const std::string& file, const std::string& from,
                          const std::string& to) {
    const std::string text = ReadFile(dir.file(file));
    ASSERT_NE(text.find(from), std::string::npos);
    WriteFile(dir.file(file), testing::ReplaceAll(text, from, to));
  };
  const Case cases[] = {
      {"no project file", [](const TempDir&) {}, 74, "scenario.toml"},
      {"an invalid project file",
       [](const TempDir& dir) { WriteFile(dir.file("scenario.toml"), "line = 5\n"); }, 65,
       "scenario.toml:1:"},
      {"a description's error",
       [&](const TempDir& dir) {
         ASSERT_EQ(RunTool("new Costa 42 --dir " + Quote(dir.path())).exit, 0);
         replace(dir, "Costa_42-.txt", "numero vetture,    6", "numero vetture,    99999999999");
       },
       1, "Costa_42-.txt:"},
      {"a description's warning",
       [&](const TempDir& dir) {
         ASSERT_EQ(RunTool("new Costa 42 --dir " + Quote(dir.path())).exit, 0);
         replace(dir, "Costa_42-.txt", "velocita,    2950,    160", "velocita,    2950,    163");
       },
       0, "warning"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    c.prepare(dir);
    const auto before = Files(dir.path());
    ToolRun r = RunTool("timetable", "cd " + Quote(dir.path()) + " &&");
    EXPECT_EQ(r.exit, c.exit) << r.err;
    EXPECT_NE(r.err.find(c.inErr), std::string::npos) << r.err;
    EXPECT_EQ(r.out.empty(), c.exit != 0) << r.out;
    EXPECT_TRUE(Files(dir.path()) == before);
    if (!before.count("Costa_42-.txt")) continue;
    // Compile's diagnostics, without its summary line.
    ToolRun compiled = RunTool("compile --line Costa_linea.txt --train Costa_42-.txt --out c",
                               "cd " + Quote(dir.path()) + " &&");
    EXPECT_EQ(compiled.exit, c.exit);
    const std::size_t summary = compiled.err.rfind('\n', compiled.err.size() - 2);
    EXPECT_EQ(r.err, compiled.err.substr(0, summary + 1));
    // The warning silenced, and turned into a failure.
    if (c.exit == 0) {
      ToolRun silenced = RunTool("timetable -Wno-value-range", "cd " + Quote(dir.path()) + " &&");
      EXPECT_EQ(silenced.exit, 0);
      EXPECT_EQ(silenced.err, "");
      EXPECT_EQ(RunTool("timetable --werror", "cd " + Quote(dir.path()) + " &&").exit, 1);
    }
  }
}

}  // namespace
}  // namespace sb
