// The program's entry: the command line (rebuilt from argv on Linux) goes to
// the application, whose exit code the process returns (0 for a window run
// and for the admin service; the unattended mode's codes are in its header).
#include "app/command_line.h"
#include "app/installer_app.h"

int main(int argc, char** argv) {
    WString line;
    CommandLineFromArgv(argc, argv, line);
    return RunProgram(line.CStr());
}
