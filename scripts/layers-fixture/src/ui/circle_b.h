#pragma once
#include "ui/circle_a.h"
