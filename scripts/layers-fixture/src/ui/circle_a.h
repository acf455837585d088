// Two headers in a circle.
#pragma once
#include "ui/circle_b.h"
