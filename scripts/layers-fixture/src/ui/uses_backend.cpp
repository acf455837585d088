// A backend header outside its subsystem.
#include "gx/gl/gl_draw_gx.h"
