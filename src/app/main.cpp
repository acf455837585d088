// The program's entry.
#include <cstdio>

#include "app/command_line.h"
#include "app/log.h"
#include "app/register_all_cells.h"
#include "sys/sys_io.h"

int main(int argc, char** argv) {
    WString line;
    CommandLineFromArgv(argc, argv, line);
    Arguments args;
    ParseArguments(line.CStr(), args);
    GetSysIO();
    StartLog();
    RegisterAllCellClasses();
    std::fprintf(stderr, "veldo-installer: the wizard is not built yet.\n");
    return 0;
}
