#include "tools/project/project_keys.h"

namespace sb::project {
namespace {

bool IsArrayOfTables(const toml::node& node) {
  const toml::array* array = node.as_array();
  return array != nullptr && array->is_array_of_tables();
}

}  // namespace

std::string_view KindName(Kind kind) {
  switch (kind) {
    case Kind::kString: return "a string";
    case Kind::kInteger: return "an integer";
    case Kind::kNumber: return "a number";
    case Kind::kBoolean: return "true or false";
    case Kind::kTable: return "a table";
    case Kind::kTables: return "an array of tables";
    case Kind::kStringOrTable: return "a string or a table";
  }
  return "";
}

std::string_view NodeTypeName(const toml::node& node) {
  switch (node.type()) {
    case toml::node_type::string: return "a string";
    case toml::node_type::integer: return "an integer";
    case toml::node_type::floating_point: return "a float";
    case toml::node_type::boolean: return "a boolean";
    case toml::node_type::date: return "a date";
    case toml::node_type::time: return "a time";
    case toml::node_type::date_time: return "a date-time";
    case toml::node_type::table: return "a table";
    case toml::node_type::array: return "an array";
    case toml::node_type::none: break;
  }
  return "nothing";
}

bool Fits(const toml::node& node, Kind kind) {
  switch (kind) {
    case Kind::kString: return node.is_string();
    case Kind::kInteger: return node.is_integer();
    case Kind::kNumber: return node.is_integer() || node.is_floating_point();
    case Kind::kBoolean: return node.is_boolean();
    case Kind::kTable: return node.is_table();
    case Kind::kTables: return IsArrayOfTables(node);
    case Kind::kStringOrTable: return node.is_string() || node.is_table();
  }
  return false;
}

}  // namespace sb::project
