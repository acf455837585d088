// A client of the admin service for the end-to-end tests. Run as an
// ordinary user, it performs file operations that need the service and
// prints 1 or 0 for each; started elevated with -admin_service, it is the
// service, as the program itself would be.
//
//   admin_probe mkdir PATH | copy FROM TO | delete PATH | deltree PATH |
//               sleep MS | hello-limit MS | pid ...
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/command_line.h"
#include "app/installer_app.h"
#include "core/text_convert.h"
#include "sys/admin_client.h"
#include "sys/file_system.h"
#include "sys/platform.h"

namespace {

WString Wide(const char* s) {
    WString w;
    Utf8ToWide(s, w);
    return w;
}

void Say(bool ok) {
    std::printf("%d\n", ok ? 1 : 0);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-admin_service") == 0) {
            WString line;
            CommandLineFromArgv(argc, argv, line);
            return RunProgram(line.CStr());
        }
    }
    for (int i = 1; i < argc; ++i) {
        const char* op = argv[i];
        const char* a = i + 1 < argc ? argv[i + 1] : "";
        const char* b = i + 2 < argc ? argv[i + 2] : "";
        if (std::strcmp(op, "mkdir") == 0) {
            Say(CreateDirectoryPath(Wide(a).CStr()));
            ++i;
        } else if (std::strcmp(op, "copy") == 0) {
            Say(CopyOneFile(Wide(a).CStr(), Wide(b).CStr(), false));
            i += 2;
        } else if (std::strcmp(op, "delete") == 0) {
            Say(DeleteOneFile(Wide(a).CStr()));
            ++i;
        } else if (std::strcmp(op, "deltree") == 0) {
            Say(DeleteFolderTree(Wide(a).CStr(), nullptr));
            ++i;
        } else if (std::strcmp(op, "sleep") == 0) {
            SysSleepMs(uint32_t(std::atoi(a)));
            ++i;
        } else if (std::strcmp(op, "hello-limit") == 0) {
            SetAdminHelloLimitMs(uint32_t(std::atoi(a)));
            ++i;
        } else if (std::strcmp(op, "pid") == 0) {
            std::printf("%d\n", int(getpid()));
            std::fflush(stdout);
        }
    }
    return 0;
}
