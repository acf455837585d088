// The desktop's dialogs on Windows, one a run (run under Wine, answered from
// outside with real keys): "save", "open" or "folder" prints the chosen
// path or "cancelled"; "colour R G B A" starts the picker at that colour
// and prints what it gives (components as 0..255 of the float, alpha 0..1).
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/text_convert.h"
#include "sys/sys_io.h"

namespace {

int Say(bool chosen, const WString& path) {
    NString utf8;
    WideToUtf8(path.CStr(), utf8);
    std::printf("%s\n", chosen ? utf8.CStr() : "cancelled");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const char* what = argc > 1 ? argv[1] : "";
    SysIO& io = GetSysIO();
    WString path;
    if (std::strcmp(what, "save") == 0) return Say(io.SaveFileDialog(path, WTXT("Save Veldo file"), 5), path);
    if (std::strcmp(what, "open") == 0) return Say(io.OpenFileDialog(path, WTXT("Open Veldo file"), 5), path);
    if (std::strcmp(what, "folder") == 0) return Say(io.PickFolderDialog(path, WTXT("Pick a folder")), path);
    if (std::strcmp(what, "colour") == 0 && argc == 6) {
        const float initial[4] = {float(std::atof(argv[2])), float(std::atof(argv[3])), float(std::atof(argv[4])),
                                  float(std::atof(argv[5]))};
        float chosen[4] = {9, 9, 9, 9};
        io.ChooseColour(initial, chosen);
        std::printf("%.0f %.0f %.0f %g\n", chosen[0] * 255.0f, chosen[1] * 255.0f, chosen[2] * 255.0f, chosen[3]);
        return 0;
    }
    return 2;
}
