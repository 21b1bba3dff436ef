// The keys a project file may hold, table by table, and the type of each:
// what the parser checks every key against and names in its messages.
#ifndef SB_TOOLS_PROJECT_PROJECT_KEYS_H_
#define SB_TOOLS_PROJECT_PROJECT_KEYS_H_

#include <string>
#include <string_view>

// The parser is used header-only, so that the program needs no library of
// it at run time, and without exceptions, so that none can leave the
// project library:
// a malformed file is a parse_result holding the error.
#define TOML_HEADER_ONLY 1
#define TOML_EXCEPTIONS 0
#include <toml++/toml.h>

namespace sb::project {

// kStringOrTable: `train` is the train number, or the [train] table that
// holds the number beside the train's figures (TOML cannot have both).
enum class Kind { kString, kInteger, kNumber, kBoolean, kTable, kTables, kStringOrTable };

// A key and the type its value must have.
struct KeyRule {
  std::string_view name;
  Kind kind;
};

// The keys of each table, in the order the guide gives them.
inline constexpr KeyRule kTopKeys[] = {
    {"line", Kind::kString},
    {"train", Kind::kStringOrTable},
    {"line_description", Kind::kString},
    {"train_description", Kind::kString},
    {"sheet", Kind::kTable},
    {"order", Kind::kTable},
    {"station", Kind::kTables},
    {"speed_limit", Kind::kTables},
    {"extra_row", Kind::kTables},
    {"notes", Kind::kTable},
};
inline constexpr KeyRule kSheetKeys[] = {
    {"from", Kind::kString},  {"to", Kind::kString},           {"classification", Kind::kString},
    {"speed", Kind::kString}, {"blocked_mass", Kind::kString},
};
inline constexpr KeyRule kOrderKeys[] = {{"line_name", Kind::kString}};
inline constexpr KeyRule kStationKeys[] = {
    {"name", Kind::kString},
    {"printed", Kind::kString},
    {"marching", Kind::kInteger},
    {"recovery", Kind::kNumber},
};
inline constexpr KeyRule kSpeedLimitKeys[] = {
    {"at", Kind::kInteger},
    {"name", Kind::kString},
    {"km_post", Kind::kBoolean},
    {"marching", Kind::kInteger},
};
inline constexpr KeyRule kExtraRowKeys[] = {
    {"at", Kind::kInteger},
    {"name", Kind::kString},
    {"km_post", Kind::kBoolean},
};
// The train's figures for the running times; units in the names.
inline constexpr KeyRule kTrainKeys[] = {
    {"number", Kind::kString},
    {"mass_t", Kind::kNumber},
    {"length_m", Kind::kNumber},
    {"cars", Kind::kNumber},
    {"car_length_m", Kind::kNumber},
    {"top_speed_kmh", Kind::kNumber},
    {"starting_tractive_effort_kn", Kind::kNumber},
    {"power_kw", Kind::kNumber},
    {"davis_a_kn", Kind::kNumber},
    {"davis_b_kn_per_kmh", Kind::kNumber},
    {"davis_c_kn_per_kmh2", Kind::kNumber},
    {"rotating_mass_factor", Kind::kNumber},
    {"braking_deceleration_ms2", Kind::kNumber},
    {"dwell_s", Kind::kNumber},
    {"allowance_percent", Kind::kNumber},
};
inline constexpr KeyRule kNotesKeys[] = {
    {"text", Kind::kString}, {"credit", Kind::kString}, {"contact", Kind::kString}};

// How a type is named in a message: "a string", "an array of tables".
std::string_view KindName(Kind kind);
// The same for the value found.
std::string_view NodeTypeName(const toml::node& node);
// Whether `node` is of `kind`.
bool Fits(const toml::node& node, Kind kind);

// Where a table's keys are told in messages: "at the top", "in [sheet]".
struct TableName {
  std::string_view key;  // empty at the top
  bool array = false;
  std::string Shown() const {
    if (key.empty()) return "";
    return array ? "[[" + std::string(key) + "]]" : "[" + std::string(key) + "]";
  }
};

}  // namespace sb::project

#endif  // SB_TOOLS_PROJECT_PROJECT_KEYS_H_
