// Which warnings a run reports. Authors silence one with -Wno-<id> and turn
// it back on with -W<id>; the last word on an id wins. A silenced warning is
// left out everywhere: the terminal, the JSON report and the counts.
#ifndef SB_APP_WARNING_OPTIONS_H_
#define SB_APP_WARNING_OPTIONS_H_

#include <set>
#include <string>

#include "compiler/diagnostics.h"
#include "compiler/warnings.h"

namespace sb {

struct WarningOptions {
  std::set<Warning> silenced;
  bool werror = false;  // a run that reports a warning fails

  // Errors always; warnings unless silenced.
  bool Reports(const Diagnostic& d) const;
  // Applies one "-W<id>" or "-Wno-<id>"; false when the id names no warning.
  bool Apply(const std::string& argument);
};

// True for an argument Apply takes: "-W" and anything after it.
bool IsWarningArgument(const std::string& argument);

// The usage error for an argument Apply refused: the id and the valid ones.
std::string UnknownWarningMessage(const std::string& argument);

}  // namespace sb

#endif  // SB_APP_WARNING_OPTIONS_H_
