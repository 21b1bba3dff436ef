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
#include "compiler/scenario.h"
#include "model/line_profile.h"
#include "running_time/train.h"
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

// The train the running times of the scenario in `dir` are computed for:
// the [train] table of the project file beside the descriptions or the
// compiled files, or the defaults (an empty table) when there is none.
// A project file that cannot be read or does not parse gives nothing, and
// `problem` one line: its first diagnostic's.
std::optional<running::TrainTable> TrainDataIn(Disk& disk, const std::string& dir,
                                               std::string* problem);

// The curves of the line, read back from its plan profile: each run of
// metres that turn by one curvature, from the metre before the first.
std::vector<Scenario::CurveSource> CurvesOfProfile(const ProfileTable& profile);

// The run state the running-time calculation reads, as far as the
// compiled files hold it: the cells, the items, the curves of the profile
// (none without it) and the slowdowns of the cells (their ends to within a
// cell, as the cells keep them); the stations are those of the slots.
Scenario ScenarioOfFiles(const RenderInput& in);

}  // namespace sb

#endif  // SB_APP_SCENARIO_LOADER_H_
