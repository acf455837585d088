// The program's entry.
#include <cstdio>

#include "app/register_all_cells.h"

int main() {
    RegisterAllCellClasses();
    std::fprintf(stderr, "veldo-installer: the cell model is ready; the wizard is not built yet.\n");
    return 0;
}
