// The lowest layer, reaching up.
#pragma once
#include "ui/ui_box.h"
