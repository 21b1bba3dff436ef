// One mistake repeated gives one warning per record (a missing section
// header, a column left out of every line): the text report tells the first
// in full and folds the rest into a note after it. The JSON report and the
// editor keep every one; the summary line and --werror count every one.
//
// Warnings are alike when they come from one file, have one identifier,
// and say the same (message and hint) once the parts that name their
// record are set aside: every quoted text ('curvas3') and every number.
#ifndef SB_APP_WARNING_FOLDS_H_
#define SB_APP_WARNING_FOLDS_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "compiler/diagnostics.h"

namespace sb {

// What a warning says with the parts that name its record set aside.
std::string WarningShape(const Diagnostic& d);

class WarningFolds {
 public:
  // Over `all` in order, taking only those `reported` accepts.
  WarningFolds(const std::vector<Diagnostic>& all,
               const std::function<bool(const Diagnostic&)>& reported);

  // The later warnings like the one at `index`, when it is the first of
  // its kind: how many, the line of the first of them, and their lines as
  // "line 17", "lines 17-33" or "lines 17-20, 25" (when there are too many
  // runs to list, "lines 17 to 95"). None (0) for any other.
  struct Like {
    std::uint64_t more = 0;
    int firstLine = 0;
    std::string lines;
  };
  Like LikeIt(std::size_t index) const;
  // The warning at `index` is like an earlier one.
  bool Folded(std::size_t index) const;

 private:
  struct Group {
    std::size_t first;  // index of the first warning of the kind
    std::uint64_t more = 0;
    // Runs of consecutive lines of the later ones, the first few only.
    std::vector<std::pair<int, int>> runs;
    bool moreRuns = false;
    int firstLine = 0;
    int lastLine = 0;
  };
  static constexpr std::int32_t kNone = -1;

  void AddLine(Group& g, int line);

  std::vector<Group> groups_;
  std::vector<std::int32_t> groupOf_;  // per diagnostic; kNone when not grouped
};

// The note after a warning that others are folded into:
// "file:17: note: and 17 more like it (lines 17-33)".
std::string FoldNote(const Diagnostic& first, const WarningFolds::Like& like);

}  // namespace sb

#endif  // SB_APP_WARNING_FOLDS_H_
