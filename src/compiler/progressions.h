// Kilometric progressions: up to three chainage systems along the line,
// stored in item slots 81 ("tre"), 82 ("due") and 83 ("uno") as read.
#ifndef SB_COMPILER_PROGRESSIONS_H_
#define SB_COMPILER_PROGRESSIONS_H_

#include "compiler/scenario.h"

namespace sb {

// Reorders slots 81 to 83 so that slot 81 holds the progression that begins
// furthest along the line, then adds 100 to the kilometric value of every
// progression whose flag is 1. Never fails.
void progressive_ordina(Scenario& s);

// Error 2 for the first progression whose start or kilometric value is not
// a multiple of 50 m; the train reader checks once it has read to the end.
void CheckProgressions(Scenario& s);

}  // namespace sb

#endif  // SB_COMPILER_PROGRESSIONS_H_
