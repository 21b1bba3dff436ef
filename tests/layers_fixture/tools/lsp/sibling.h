// The editor server may not use the picture.
#include "tools/render/picture.h"
