// The project file as the editor server reads it: the server cannot include
// the project file's parser, a tool beside it, so the program hands it this
// reader.
#ifndef SB_APP_EDITOR_PROJECTS_H_
#define SB_APP_EDITOR_PROJECTS_H_

#include "tools/lsp/project_times.h"

namespace sb {

// The descriptions and the train of a valid project file; nothing for one
// with an error, which `build` tells.
lsp::ProjectReader EditorProjectReader();

}  // namespace sb

#endif  // SB_APP_EDITOR_PROJECTS_H_
