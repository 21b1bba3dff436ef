// The content writer: turns a document's literal lines into a file, each
// line followed by CR LF, stopping at the end sentinel, which is never
// written. The file is replaced as a whole.
#ifndef SB_CONTENT_CONTENT_WRITER_H_
#define SB_CONTENT_CONTENT_WRITER_H_

#include <string>
#include <string_view>
#include <vector>

#include "content/content.h"
#include "base/file_io.h"

namespace sb {

// The bytes of a list of lines: every line up to the sentinel, with CR LF.
std::string RenderLines(const std::vector<std::string_view>& lines);

IoStatus WriteDocument(const std::string& path, content::Document document);

// The five writers of a scenario run, each writing its document into `dir`
// under the name built from the line identifier and the train number.
IoStatus dati_linea(const std::string& dir, const std::string& lineId);
IoStatus dati_treno(const std::string& dir, const std::string& lineId, const std::string& train);
IoStatus dati_note(const std::string& dir, const std::string& lineId, const std::string& train);
IoStatus dati_rallentamenti(const std::string& dir, const std::string& lineId,
                            const std::string& train);
IoStatus dati_scheda(const std::string& dir, const std::string& lineId, const std::string& train);

}  // namespace sb

#endif  // SB_CONTENT_CONTENT_WRITER_H_
