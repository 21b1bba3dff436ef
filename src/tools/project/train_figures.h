// The figures of the project file's [train] table: the member of the train
// each key fills, the values it may take and what it means, for the
// parser's checks and their hints.
#ifndef SB_TOOLS_PROJECT_TRAIN_FIGURES_H_
#define SB_TOOLS_PROJECT_TRAIN_FIGURES_H_

#include <optional>
#include <span>
#include <string_view>

#include "running_time/train.h"

namespace sb::project {

// What a figure of [train] may be: the calculation divides by the ones that
// must be more than 0, and a rotating-mass factor below 1 would make the
// train lighter than it is.
enum class Range { kPositive, kNotNegative, kOneOrMore, kPercent, kCount };

struct TrainFigure {
  std::string_view key;
  std::optional<double> running::TrainTable::*field;
  Range range;
  std::string_view meaning;  // the hint when the value is out of range
};

// In the order docs/authors.md lists them.
extern const std::span<const TrainFigure> kTrainFigures;

// What `value` breaks of `range`, as the end of a message ("must be ...");
// nothing when it fits.
std::string_view RangeBroken(double value, Range range);

}  // namespace sb::project

#endif  // SB_TOOLS_PROJECT_TRAIN_FIGURES_H_
