// Every cell test runs with the full registry, as the program does.
#include "app/register_all_cells.h"

namespace {
const bool registered = (RegisterAllCellClasses(), true);
}
