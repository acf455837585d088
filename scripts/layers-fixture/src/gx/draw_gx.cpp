// The portable layer reaching into its backend: the two folders include
// each other.
#include "gx/draw_gx.h"
#include "gx/gl/gl_draw_gx.h"
