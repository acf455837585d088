// The program's entry: the command line goes to the application, whose exit
// code the process returns (0 for a window run and for the admin service; the
// unattended mode's codes are in its header). Windows keeps the line itself,
// in UTF-16 (argv there is in the ANSI code page and loses what it cannot
// spell); Linux keeps only argv, from which the line is rebuilt.
#include "app/command_line.h"
#include "app/installer_app.h"
#include "sys/platform.h"

int main(int argc, char** argv) {
    WString line;
    if (!SysCommandLine(line)) CommandLineFromArgv(argc, argv, line);
    return RunProgram(line.CStr());
}
