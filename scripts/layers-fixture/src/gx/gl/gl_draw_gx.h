#pragma once
#include <GL/glew.h>
#include "gx/draw_gx.h"
