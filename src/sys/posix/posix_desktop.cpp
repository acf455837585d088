// Dialogs on Linux, through zenity.
//   message boxes: zenity when a display is there, otherwise the text on
//                  standard error (a question then answers Cancel)
//   file, folder and colour dialogs: zenity's selection dialogs; without a
//                  display or without zenity they count as cancelled, and
//                  the reason goes to the log
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/log.h"
#include "core/text_convert.h"
#include "sys/platform.h"
#include "sys/posix/posix_spawn.h"

namespace {

bool HasDisplay() {
    const char* display = getenv("DISPLAY");
    const char* wayland = getenv("WAYLAND_DISPLAY");
    return (display && *display) || (wayland && *wayland);
}

// Runs a zenity selection dialog; true with what it printed when the user
// confirmed (exit 0). Without a display or zenity, logged and false.
bool RunSelection(const DynamicArray<const char*>& argv, NString& output) {
    if (!HasDisplay()) {
        LogLine(WTXT("No dialog: there is no display."));
        return false;
    }
    int code = -1;
    if (!PosixRunOutput(argv, output, &code)) {
        LogLine(WTXT("No dialog: zenity could not be started."));
        return false;
    }
    // Line ends off the answer.
    int32_t n = output.Length();
    while (n > 0 && (output[n - 1] == '\n' || output[n - 1] == '\r')) --n;
    NString trimmed(output.CStr(), n);
    output = trimmed;
    return code == 0;
}

}  // namespace

bool SysFileDialog(SysFileDialogKind kind, const WChar* title, const WChar* typeName, const WChar* typePattern,
                   WString& path) {
    path.Assign(WTXT(""));
    NString titleText, name, pattern;
    WideToUtf8(title, titleText);
    WideToUtf8(typeName, name);
    WideToUtf8(typePattern, pattern);
    // "*.*" means every file on Windows; on Linux it would hide names
    // without a dot.
    if (std::strcmp(pattern.CStr(), "*.*") == 0) pattern.Assign("*");
    NString titleArg, filterArg;
    titleArg.Format("--title=%s", titleText);
    filterArg.Format("--file-filter=%s | %s", name, pattern);

    DynamicArray<const char*> argv;
    argv.Append("zenity");
    argv.Append("--file-selection");
    argv.Append(titleArg.CStr());
    if (kind == SysFileDialogKind::kFolder) {
        argv.Append("--directory");
    } else {
        if (kind == SysFileDialogKind::kSave) {
            argv.Append("--save");
            argv.Append("--confirm-overwrite");
        }
        if (!pattern.IsEmpty()) argv.Append(filterArg.CStr());
    }
    NString chosen;
    if (!RunSelection(argv, chosen) || chosen.IsEmpty()) return false;
    WString native;
    Utf8ToWide(chosen.CStr(), native);
    if (!SysWindowsPath(native.CStr(), path)) {
        path.Assign(WTXT(""));
        return false;
    }
    return true;
}

bool SysColourDialog(uint8_t rgb[3]) {
    NString colourArg;
    colourArg.Format("--color=rgb(%d,%d,%d)", int(rgb[0]), int(rgb[1]), int(rgb[2]));
    DynamicArray<const char*> argv;
    argv.Append("zenity");
    argv.Append("--color-selection");
    argv.Append("--show-palette");
    argv.Append(colourArg.CStr());
    NString chosen;
    if (!RunSelection(argv, chosen)) return false;
    // GTK prints "rgb(r,g,b)" or, with transparency, "rgba(r,g,b,a)".
    int r = 0, g = 0, b = 0;
    const char* text = chosen.CStr();
    const char* open = std::strchr(text, '(');
    if (!open || std::sscanf(open + 1, "%d,%d,%d", &r, &g, &b) != 3) {
        LogLine(WTXT("The colour picker answered something else than a colour."));
        return false;
    }
    auto clamp = [](int v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); };
    rgb[0] = clamp(r);
    rgb[1] = clamp(g);
    rgb[2] = clamp(b);
    return true;
}

bool SysMessageBox(const WChar* text, const WChar* caption, SysBoxKind kind) {
    NString body, title;
    WideToUtf8(text, body);
    WideToUtf8(caption, title);
    if (HasDisplay()) {
        NString titleArg, textArg;
        titleArg.Format("--title=%s", title);
        textArg.Format("--text=%s", body);
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
