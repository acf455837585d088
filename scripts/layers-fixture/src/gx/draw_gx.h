#pragma once
#include <lodepng.h>
#include "core/fine.h"
