#include "app/installer_app.h"

#include <cstdio>

#include "app/command_line.h"
#include "app/log.h"
#include "app/unattended.h"
#include "app/register_all_cells.h"
#include "cell/gate_table.h"
#include "lang/language_table.h"
#include "sys/admin_service.h"
#include "sys/sys_io.h"

InstallerApp::InstallerApp(Arguments* args) : App(args) {
    GetSysIO();
    // The elevated service writes into the log of the run that started it
    // (the same user's profile) instead of emptying it mid-run.
    StartLog(FindArgument(*args_, AdminServiceArg::kClassKey) >= 0);
    Gates();
    RegisterAllCellClasses();
}

SSlave<GCell> InstallerApp::Start() {
    const int32_t admin = FindArgument(*args_, AdminServiceArg::kClassKey);
    if (admin >= 0) {
        const auto* option = static_cast<const AdminServiceArg*>((*args_)[admin]);
        RunAdminService(option->serviceName.CStr(), option->number);
        return {};
    }
    const int32_t unattended = FindArgument(*args_, UnattendedArg::kClassKey);
    if (unattended >= 0) {
        exitCode_ = RunUnattended(static_cast<const UnattendedArg*>((*args_)[unattended])->word.CStr());
        return {};
    }
    std::fprintf(stderr, "veldo-installer: the wizard window is not built yet.\n");
    return {};
}

void InstallerApp::Stop(SSlave<GCell>&) {}

const WChar* InstallerApp::Title() const { return Translate(WTXT("VELDO installation")); }

int RunProgram(const WChar* commandLine) {
    auto* args = new Arguments;
    ParseArguments(commandLine, *args);
    InstallerApp app(args);
    SSlave<GCell> window = app.Start();
    if (window.Get()) app.Stop(window);
    return app.ExitCode();
}
