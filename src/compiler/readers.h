// The two phases of memorizza_dati: the line description, then the train
// description. Both read their file field by field, hand every record to
// its encoder and delete the file when they stop reading.
//
// A failure that ends the reading (a field that cannot be read, a record
// the model cannot hold, a file that cannot be opened or deleted) is the
// returned Status; `*end` is then unset and memorizza_dati records error 25.
#ifndef SB_COMPILER_READERS_H_
#define SB_COMPILER_READERS_H_

#include "base/status.h"
#include "compiler/description.h"
#include "compiler/line_features.h"
#include "compiler/scenario.h"

namespace sb {

enum class PhaseEnd {
  kFinished,  // the file was read to its end (or error 15): go on
  kStopped,   // an error stopped the reading: memorizza_dati returns
};

// Reads the line description at `d`. On kFinished, `st.boardSlot` tells
// the train reader where the board texts begin.
Status ReadLineDescription(Scenario& s, Description& d, LineFeatureState& st, PhaseEnd* end);

// Reads the train description at `d` and finishes the per-stretch fields.
Status ReadTrainDescription(Scenario& s, Description& d, int32_t boardSlot, PhaseEnd* end);

}  // namespace sb

#endif  // SB_COMPILER_READERS_H_
