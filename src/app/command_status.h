// Where every command's failure leaves the program: a command returns a
// Status whose reason is the whole sentence its user reads; it is printed
// here once, and its kind chooses the exit status from one table.
#ifndef SB_APP_COMMAND_STATUS_H_
#define SB_APP_COMMAND_STATUS_H_

#include <ostream>

#include "base/status.h"

namespace sb {

// 0 ok; 74 a file the system refused, one too large to read, memory that
// ran out; 65 bytes not of their layout; 73 a file to make already there;
// 64 a usage error; 128 plus the signal (130 when none is named) for a
// command interrupted.
int ExitStatusOf(const Status& status);

// Prints a failure as "scenario-builder: <reason>" (control bytes escaped:
// reasons quote paths and texts the user gave) and returns its exit
// status. An interruption is no failure to tell: nothing is printed.
int FinishCommand(const Status& status, std::ostream& err);

}  // namespace sb

#endif  // SB_APP_COMMAND_STATUS_H_
