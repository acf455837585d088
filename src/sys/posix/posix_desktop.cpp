// Message boxes on Linux: zenity when a display is there, otherwise the
// text on standard error (a question then answers Cancel).
#include <cstdio>
#include <cstdlib>

#include "cell/core/text_convert.h"
#include "sys/platform.h"
#include "sys/posix/posix_spawn.h"

bool SysMessageBox(const WChar* text, const WChar* caption, SysBoxKind kind) {
    NString body, title;
    WideToUtf8(text, body);
    WideToUtf8(caption, title);
    const char* display = getenv("DISPLAY");
    const char* wayland = getenv("WAYLAND_DISPLAY");
    if ((display && *display) || (wayland && *wayland)) {
        NString titleArg, textArg;
        titleArg.Format(0, "--title=%s", title);
        textArg.Format(0, "--text=%s", body);
        DynamicArray<const char*> argv;
        argv.Append("zenity");
        switch (kind) {
            case SysBoxKind::kInfo: argv.Append("--info"); break;
            // A warning shows the stop icon of an error, under its own caption.
            case SysBoxKind::kWarning:
            case SysBoxKind::kError: argv.Append("--error"); break;
            case SysBoxKind::kOkCancel: argv.Append("--question"); break;
        }
        argv.Append("--no-markup");
        argv.Append(titleArg.CStr());
        argv.Append(textArg.CStr());
        if (kind == SysBoxKind::kOkCancel) {
            argv.Append("--ok-label=OK");
            argv.Append("--cancel-label=Cancel");
        }
        int code = -1;
        if (PosixRun(argv, DynamicArray<const char*>(), true, &code)) return code == 0;
    }
    std::fprintf(stderr, "%s: %s\n", title.CStr(), body.CStr());
    return false;
}
