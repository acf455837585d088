// The program's entry: the command line (rebuilt from argv on Linux) goes to
// the application; the exit code is always 0.
#include "app/command_line.h"
#include "app/installer_app.h"

int main(int argc, char** argv) {
    WString line;
    CommandLineFromArgv(argc, argv, line);
    return RunProgram(line.CStr());
}
