#include "gx/gl/gl_draw_gx.h"
#include <GL/glew.h>
