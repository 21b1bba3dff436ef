// Names of a scenario's files, built from the line identifier and the train
// number.
#ifndef SB_COMPILER_FILE_NAMES_H_
#define SB_COMPILER_FILE_NAMES_H_

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

}  // namespace sb

#endif  // SB_COMPILER_FILE_NAMES_H_
