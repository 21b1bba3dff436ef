#include "app/warning_options.h"

#include <string_view>

#include "base/printable.h"

namespace sb {
namespace {

constexpr std::string_view kOn = "-W";
constexpr std::string_view kOff = "-Wno-";

// The id an argument names, and whether it silences it.
std::string_view IdOf(std::string_view argument, bool* silences) {
  *silences = argument.starts_with(kOff);
  return argument.substr(*silences ? kOff.size() : kOn.size());
}

}  // namespace

bool WarningOptions::Reports(const Diagnostic& d) const {
  return !d.is_warning() || !silenced.contains(d.warning);
}

bool WarningOptions::Apply(const std::string& argument) {
  bool silences = false;
  const std::optional<Warning> w = WarningFromId(IdOf(argument, &silences));
  if (!w) return false;
  if (silences) {
    silenced.insert(*w);
  } else {
    silenced.erase(*w);
  }
  return true;
}

bool IsWarningArgument(const std::string& argument) { return argument.starts_with(kOn); }

std::string UnknownWarningMessage(const std::string& argument) {
  bool silences = false;
  std::string out = "unknown warning '" + EscapeControls(IdOf(argument, &silences)) + "' in '" +
                    EscapeControls(argument) + "'; the warnings are:";
  for (const WarningInfo& info : WarningTable()) out.append(" ").append(info.id);
  return out;
}

}  // namespace sb
