// The content writer: turns a document's literal lines into a file, each
// line followed by CR LF, stopping at the end sentinel, which is never
// written. The file is replaced as a whole.
#ifndef SB_CONTENT_CONTENT_WRITER_H_
#define SB_CONTENT_CONTENT_WRITER_H_

#include <string>
#include <string_view>
#include <vector>

#include "base/disk.h"
#include "base/status.h"
#include "content/content.h"

namespace sb {

// The bytes of a list of lines: every line up to the sentinel, with CR LF.
std::string RenderLines(const std::vector<std::string_view>& lines);

Status WriteDocument(Disk& disk, const std::string& path, content::Document document);

// The five writers of a scenario run, each writing its document into `dir`
// under the name built from the line identifier and the train number.
Status dati_linea(Disk& disk, const std::string& dir, const std::string& lineId);
Status dati_treno(Disk& disk, const std::string& dir, const std::string& lineId,
                  const std::string& train);
Status dati_note(Disk& disk, const std::string& dir, const std::string& lineId,
                 const std::string& train);
Status dati_rallentamenti(Disk& disk, const std::string& dir, const std::string& lineId,
                          const std::string& train);
Status dati_scheda(Disk& disk, const std::string& dir, const std::string& lineId,
                   const std::string& train);

}  // namespace sb

#endif  // SB_CONTENT_CONTENT_WRITER_H_
