#include "app/editor_projects.h"

#include "tools/project/project_file.h"

namespace sb {

lsp::ProjectReader EditorProjectReader() {
  return [](std::string_view bytes) -> std::optional<lsp::ProjectTrain> {
    ProjectParse parse = ParseProject(bytes, lsp::kProjectFileName);
    if (!parse.ok()) return std::nullopt;
    return lsp::ProjectTrain{std::move(parse.project.lineDescription),
                             std::move(parse.project.trainDescription),
                             parse.project.trainData};
  };
}

}  // namespace sb
