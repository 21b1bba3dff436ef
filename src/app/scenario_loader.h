// Finding a compiled scenario in a folder and reading its three files for
// the picture.
#ifndef SB_APP_SCENARIO_LOADER_H_
#define SB_APP_SCENARIO_LOADER_H_

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/disk.h"
#include "base/status.h"
#include "model/line_profile.h"
#include "tools/render/render_input.h"

namespace sb {

// The compiled scenarios in `dir`: (line identifier, train number) of every
// "<ID>_<N>.sim" that has its "<ID>_<N>.dat" beside it, sorted.
std::vector<std::pair<std::string, std::string>> FindCompiledScenarios(const std::string& dir);

// Fills `in` with the scenario `lineId`, `trainNumber` of `dir`; an empty
// one of them is found in `dir` when exactly one scenario there fits. The
// profile, when its file is there, goes into `profile` and `in->profile`
// points to it. Fails Usage when the scenario cannot be told, Invalid when
// a file is not of its layout, with an I/O error when one cannot be read.
Status LoadScenario(Disk& disk, const std::string& dir, const std::string& lineId,
                    const std::string& trainNumber, RenderInput* in,
                    std::optional<ProfileTable>* profile);

}  // namespace sb

#endif  // SB_APP_SCENARIO_LOADER_H_
