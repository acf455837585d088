#pragma once
#include "core/fine.h"
