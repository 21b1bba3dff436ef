#include "content/content_writer.h"

#include "base/file_io.h"
#include "model/file_names.h"

namespace sb {

std::string RenderLines(const std::vector<std::string_view>& lines) {
  std::string out;
  for (std::string_view line : lines) {
    if (line == content::kSentinel) break;
    out.append(line);
    out.append("\r\n");
  }
  return out;
}

Status WriteDocument(Disk& disk, const std::string& path, content::Document document) {
  return disk.WriteFile(path, RenderLines(content::Lines(document)));
}

Status dati_linea(Disk& disk, const std::string& dir, const std::string& lineId) {
  return WriteDocument(disk, JoinPath(dir, LineDescriptionName(lineId)), content::Document::kLine);
}

Status dati_treno(Disk& disk, const std::string& dir, const std::string& lineId,
                  const std::string& train) {
  return WriteDocument(disk, JoinPath(dir, TrainDescriptionName(lineId, train)),
                       content::Document::kTrain);
}

Status dati_note(Disk& disk, const std::string& dir, const std::string& lineId,
                 const std::string& train) {
  return WriteDocument(disk, JoinPath(dir, NotesName(lineId, train)), content::Document::kNotes);
}

Status dati_rallentamenti(Disk& disk, const std::string& dir, const std::string& lineId,
                          const std::string& train) {
  return WriteDocument(disk, JoinPath(dir, SlowdownOrderName(lineId, train)),
                       content::Document::kSlowdowns);
}

Status dati_scheda(Disk& disk, const std::string& dir, const std::string& lineId,
                   const std::string& train) {
  return WriteDocument(disk, JoinPath(dir, TimetableSheetName(lineId, train)),
                       content::Document::kSheet);
}

}  // namespace sb
