// Carries a failure up: the compiler's readers and encoders return a Status
// and stop at the first one that is not ok.
#ifndef SB_COMPILER_RETURN_IF_ERROR_H_
#define SB_COMPILER_RETURN_IF_ERROR_H_

#include "base/status.h"

// Returns the Status of the expression from the enclosing function when it
// is not ok. Variadic so that the expression may hold a template's commas.
#define SB_RETURN_IF_ERROR(...)              \
  do {                                       \
    ::sb::Status sb_status_ = (__VA_ARGS__); \
    if (!sb_status_.ok()) return sb_status_; \
  } while (0)

#endif  // SB_COMPILER_RETURN_IF_ERROR_H_
