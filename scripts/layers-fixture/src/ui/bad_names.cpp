// A relative include and one that names nothing.
#include "../ui/ui_box.h"
#include "ui/no_such_file.h"
