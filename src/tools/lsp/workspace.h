// The descriptions the editor server works on: open buffers (which take
// precedence) and the files beside them, and the compile of a scenario's
// whole set of descriptions.
#ifndef SB_TOOLS_LSP_WORKSPACE_H_
#define SB_TOOLS_LSP_WORKSPACE_H_

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/disk.h"
#include "compiler/diagnostics.h"
#include "compiler/scenario.h"
#include "tools/lsp/text.h"

namespace sb::lsp {

// A description's text in both forms; `utf8` is what the editor shows.
struct SourceText {
  std::string utf8;
  std::string bytes;  // Windows-1252, as compiled
  std::vector<Unencodable> unencodable;
  bool open = false;  // an editor buffer, not the file on disk
  // The lines of both forms (one byte a character: the same lines), found
  // by IndexLines once the texts are in place; none before.
  LineIndex byteLines;
  LineIndex utf8Lines;

  void IndexLines() {
    byteLines = LineIndex(bytes);
    utf8Lines = LineIndex(utf8);
  }
  int LineCount() const { return byteLines.size(); }
  std::string_view ByteLine(int index) const { return byteLines.Line(bytes, index); }
  std::string_view Utf8Line(int index) const { return utf8Lines.Line(utf8, index); }
};

// The descriptions of one line identifier in one folder: the line and every
// train beside it.
struct Group {
  std::string folder;
  std::string lineId;
  bool operator<(const Group& other) const {
    return folder != other.folder ? folder < other.folder : lineId < other.lineId;
  }
};

class Workspace {
 public:
  // Files not open in the editor are read from `disk`.
  explicit Workspace(Disk& disk) : disk_(disk) {}

  void Open(const std::string& path, const std::string& utf8);
  void Close(const std::string& path);
  bool IsOpen(const std::string& path) const { return open_.count(path) != 0; }
  // Whether a description of `group` is open.
  bool AnyOpenIn(const Group& group) const;

  // The open buffer, else the file on disk; null when neither exists. The
  // text is shared, not copied: a companion may be hundreds of megabytes.
  std::shared_ptr<const SourceText> Text(const std::string& path) const;
  // The same, but a file read from disk is not kept: for a request about a
  // description whose scenario is not open, which may name any number of
  // files.
  std::shared_ptr<const SourceText> Peek(const std::string& path) const;

  // The group a description belongs to; nothing for a name of neither form.
  // A train name's line identifier is the longest one whose line
  // description exists, else the part before its last '_'.
  std::optional<Group> GroupOf(const std::string& path) const;

  // Whether the file at `path` is saved in UTF-16 (it starts with a byte
  // order mark): an editor shows it decoded, while compile and the
  // simulator read its bytes.
  bool SavedAsUtf16(const std::string& path) const;

  // Train numbers with a description in the group's folder, open or on disk.
  std::vector<std::string> TrainsOf(const Group& group) const;

  // Files Text reads on disk are kept and read again only when their time
  // or size changes; this forgets those of `folder`.
  void ForgetFilesIn(const std::string& folder);
  // Forgets the file at `path` alone: it changed on disk, whatever its
  // stamp says.
  void ForgetFile(const std::string& path) { kept_.erase(path); }

 private:
  // Line descriptions found or not, by path, while one listing lasts.
  using LineLookups = std::map<std::string, bool>;
  std::optional<Group> GroupOf(const std::string& path, LineLookups* lookups) const;
  std::shared_ptr<const SourceText> Read(const std::string& path, bool keep) const;
  bool Exists(const std::string& path) const;
  Disk& disk_;
  std::map<std::string, std::shared_ptr<const SourceText>> open_;
  struct OnDisk {
    FileStamp stamp;
    std::shared_ptr<const SourceText> text;
  };
  mutable std::map<std::string, OnDisk> kept_;
};

// What one description of a group is told.
struct FileResult {
  std::string path;
  std::shared_ptr<const SourceText> text;  // never null
  std::vector<Diagnostic> diagnostics;
  // A train's compile: what it said about the line description, which the
  // line's own result gathers from all of its trains.
  std::vector<Diagnostic> lineDiagnostics;
  // The compile whose model the description's hover and hints read.
  std::shared_ptr<const Scenario> scenario;
  // Taken whole from the previous analysis: what the editor was told of it
  // still holds.
  bool reused = false;
  // The running times' warnings of the train its folder's project file
  // names, told after the compile's (tools/lsp/project_times.h), and the
  // project file's text they were worked out with.
  std::vector<Diagnostic> timing;
  std::shared_ptr<const SourceText> timingProject;
};

struct GroupAnalysis {
  Group group;
  std::vector<FileResult> files;  // the line (when it exists), then the trains
  bool cancelled = false;         // a compile was stopped: the rest is partial
  // By path, through the index Analyze builds: a group may have a thousand
  // trains, each looked up at every change.
  const FileResult* Find(const std::string& path) const;
  std::map<std::string, std::size_t> index;
};

// Compiles the line with each of its trains (with an empty train
// description when it has none), in memory. A train whose text and line
// text are those of `previous` is not compiled again: its result is taken
// from there.
// When `cancel` turns true the compile under way stops and the analysis
// comes back cancelled.
GroupAnalysis Analyze(const Group& group, const Workspace& workspace,
                      const GroupAnalysis* previous = nullptr,
                      const std::atomic<bool>* cancel = nullptr);

// The diagnostics of the description `path` of `group` were its text
// `bytes`: a train compiled beside the group's line, the line alone (its
// own errors come before any train is read). Nothing is kept.
std::vector<Diagnostic> CompileEdited(const Group& group, const Workspace& workspace,
                                      const std::string& path, const std::string& bytes);

}  // namespace sb::lsp

#endif  // SB_TOOLS_LSP_WORKSPACE_H_
