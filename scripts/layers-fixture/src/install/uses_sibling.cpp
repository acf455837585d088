// A sibling subsystem of the same layer.
#include "gx/draw_gx.h"
