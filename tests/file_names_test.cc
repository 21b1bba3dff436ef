// Names read back: each parser takes the last component of a path, and
// gives nothing for a name that lacks a part.
#include "model/file_names.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace sb {
namespace {

TEST(FileNames, LineIdAndTrainNumber) {
  const std::pair<const char*, std::optional<std::string>> lines[] = {
      {"Lungomare_Nord_linea.txt", "Lungomare_Nord"},
      {"dir/sub/Test_linea.txt", "Test"},
      {"_linea.txt", std::nullopt},
      {"Test_linea.dat", std::nullopt},
      {"Test_linea.txt/", std::nullopt},
  };
  for (const auto& [path, id] : lines) EXPECT_EQ(LineIdFromName(path), id) << path;

  const std::pair<const char*, std::optional<std::string>> trains[] = {
      {"Lungomare_Nord_911-.txt", "911"},       {"dir/Lungomare_Nord_1_2-.txt", "1_2"},
      {"Lungomare_Nord_-.txt", std::nullopt},   {"Other_911-.txt", std::nullopt},
      {"Lungomare_Nord_911.txt", std::nullopt},
  };
  for (const auto& [path, n] : trains) {
    EXPECT_EQ(TrainNumberFromName(path, "Lungomare_Nord"), n) << path;
  }
  // The names built and the names parsed agree.
  EXPECT_EQ(LineIdFromName(LineDescriptionName("A_B")), "A_B");
  EXPECT_EQ(TrainNumberFromName(TrainDescriptionName("A_B", "7"), "A_B"), "7");
}

TEST(FileNames, KindFromName) {
  const std::pair<const char*, CompiledFileKind> cases[] = {
      {"Lungomare_Nord_linea.dat", CompiledFileKind::kProfile},
      {"dir/Lungomare_Nord_911.dat", CompiledFileKind::kCells},
      {"Lungomare_Nord_911.sim", CompiledFileKind::kItems},
      {"Lungomare_Nord_linea.txt", CompiledFileKind::kUnknown},
      {".sim", CompiledFileKind::kUnknown},
      {"_linea.dat", CompiledFileKind::kCells},
  };
  for (const auto& [name, kind] : cases) EXPECT_EQ(KindFromName(name), kind) << name;
}

// The stem is split at its last underscore: line identifiers may hold some.
TEST(FileNames, ScenarioFromItemFileName) {
  const std::pair<const char*, std::optional<ScenarioName>> cases[] = {
      {"Lungomare_Nord_911.sim", ScenarioName{"Lungomare_Nord", "911"}},
      {"dir/A_1.sim", ScenarioName{"A", "1"}},
      {"A_1.dat", std::nullopt},
      {"A1.sim", std::nullopt},
      {"_1.sim", std::nullopt},
      {"A_.sim", std::nullopt},
      {".sim", std::nullopt},
  };
  for (const auto& [name, scenario] : cases) {
    EXPECT_EQ(ScenarioFromItemFileName(name), scenario) << name;
  }
  const std::optional<ScenarioName> back = ScenarioFromItemFileName(ItemFileName("X_Y", "12"));
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(CellFileName(back->lineId, back->train), "X_Y_12.dat");
}

}  // namespace
}  // namespace sb
