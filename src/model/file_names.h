// Names of a scenario's files: built from the line identifier and the train
// number, and read back from a name. Every name the program writes or reads
// is made here.
//   descriptions:  <ID>_linea.txt, <ID>_<N>-.txt
//   compiled:      <ID>_linea.dat (profile), <ID>_<N>.sim (items),
//                  <ID>_<N>.dat (cells)
//   documents:     <ID>_<N>_note.txt, <ID>_<N>_rallentamenti.txt,
//                  <ID>_<N>_scheda_treno.txt
//   picture:       <ID>_<N>.svg
#ifndef SB_MODEL_FILE_NAMES_H_
#define SB_MODEL_FILE_NAMES_H_

#include <optional>
#include <string>

namespace sb {

inline std::string LineDescriptionName(const std::string& lineId) { return lineId + "_linea.txt"; }
inline std::string TrainDescriptionName(const std::string& lineId, const std::string& train) {
  return lineId + "_" + train + "-.txt";
}
inline std::string ProfileFileName(const std::string& lineId) { return lineId + "_linea.dat"; }
inline std::string ItemFileName(const std::string& lineId, const std::string& train) {
  return lineId + "_" + train + ".sim";
}
inline std::string CellFileName(const std::string& lineId, const std::string& train) {
  return lineId + "_" + train + ".dat";
}
inline std::string NotesName(const std::string& lineId, const std::string& train) {
  return lineId + "_" + train + "_note.txt";
}
inline std::string SlowdownOrderName(const std::string& lineId, const std::string& train) {
  return lineId + "_" + train + "_rallentamenti.txt";
}
inline std::string TimetableSheetName(const std::string& lineId, const std::string& train) {
  return lineId + "_" + train + "_scheda_treno.txt";
}
inline std::string PictureName(const std::string& lineId, const std::string& train) {
  return lineId + "_" + train + ".svg";
}
// The interactive page, and the script beside it that render --watch
// rewrites to tell the open page to reload.
inline std::string PageName(const std::string& lineId, const std::string& train) {
  return lineId + "_" + train + ".html";
}
inline std::string PageSidecarName(const std::string& page) { return page + ".gen.js"; }

// Whether a line identifier or train number given on the command line can
// be part of a file name: not empty, not "." or "..", and no separator, so
// that the names made from it lead nowhere but into their folder.
inline bool UsableInFileName(const std::string& id) {
  return !id.empty() && id.find_first_of("/\\") == std::string::npos && id != "." && id != "..";
}

// The parsers look at the last component of `path` only.

// "<ID>_linea.txt" gives ID; nothing when the name has no ID before the
// suffix or another suffix.
std::optional<std::string> LineIdFromName(const std::string& path);

// "<ID>_<N>-.txt" gives N, for a known ID; nothing when N would be empty.
std::optional<std::string> TrainNumberFromName(const std::string& path, const std::string& lineId);

// Which of the three compiled files a name denotes: "<ID>_linea.dat" is a
// profile, any other "*.dat" a cell grid, "*.sim" an item table. The suffix
// alone is not a name.
enum class CompiledFileKind { kUnknown, kCells, kItems, kProfile };
CompiledFileKind KindFromName(const std::string& path);

// The scenario an item file "<ID>_<N>.sim" belongs to. The stem is split at
// its last underscore, since line identifiers may hold some; nothing when
// either part would be empty.
struct ScenarioName {
  std::string lineId;
  std::string train;
  bool operator==(const ScenarioName&) const = default;
  auto operator<=>(const ScenarioName&) const = default;
};
std::optional<ScenarioName> ScenarioFromItemFileName(const std::string& path);

// The scenario a train description "<ID>_<N>-.txt" names, split as an item
// file's name is; nothing when either part would be empty.
std::optional<ScenarioName> ScenarioFromTrainName(const std::string& path);

}  // namespace sb

#endif  // SB_MODEL_FILE_NAMES_H_
