// A model header that reaches up into the compiler: the layer check must refuse it.
#include "compiler/scenario.h"
