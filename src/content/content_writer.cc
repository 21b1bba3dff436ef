#include "content/content_writer.h"

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

IoStatus WriteDocument(const std::string& path, content::Document document) {
  return ReplaceFile(path, RenderLines(content::Lines(document)));
}

IoStatus dati_linea(const std::string& dir, const std::string& lineId) {
  return WriteDocument(JoinPath(dir, LineDescriptionName(lineId)), content::Document::kLine);
}

IoStatus dati_treno(const std::string& dir, const std::string& lineId, const std::string& train) {
  return WriteDocument(JoinPath(dir, TrainDescriptionName(lineId, train)),
                       content::Document::kTrain);
}

IoStatus dati_note(const std::string& dir, const std::string& lineId, const std::string& train) {
  return WriteDocument(JoinPath(dir, NotesName(lineId, train)), content::Document::kNotes);
}

IoStatus dati_rallentamenti(const std::string& dir, const std::string& lineId,
                            const std::string& train) {
  return WriteDocument(JoinPath(dir, SlowdownOrderName(lineId, train)),
                       content::Document::kSlowdowns);
}

IoStatus dati_scheda(const std::string& dir, const std::string& lineId, const std::string& train) {
  return WriteDocument(JoinPath(dir, TimetableSheetName(lineId, train)), content::Document::kSheet);
}

}  // namespace sb
