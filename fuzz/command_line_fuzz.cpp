// The command line: any text splits, parses and renders without a crash,
// and every recognised option renders to text the parser reads back as the
// same option.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "app/command_line.h"
#include "app/register_all_cells.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool registered = (RegisterAllCellClasses(), true);
    (void)registered;
    // The bytes are UTF-16 code units, as the command line is.
    WString line;
    for (size_t i = 0; i + 1 < size; i += 2) {
        const WChar unit = WChar(data[i] | (data[i + 1] << 8));
        if (unit == 0) break;
        line.AppendChar(unit);
    }
    Arguments args;
    ParseArguments(line.CStr(), args);
    for (int32_t i = 0; i < args.count; ++i) {
        WString text;
        args[i]->Render(text);
        // Options other than paths read back as themselves, as long as their
        // values are not empty (the program never renders empty ones).
        const CellKey key = args[i]->ClassKey();
        if (key == ScenePathArg::kClassKey || key == ConfigPathArg::kClassKey) continue;
        if (key == AdminServiceArg::kClassKey && static_cast<AdminServiceArg*>(args[i])->serviceName.CStr()[0] == 0) continue;
        if (key == VeldoVerArg::kClassKey && static_cast<VeldoVerArg*>(args[i])->version.CStr()[0] == 0) continue;
        WString again(WTXT("program "));
        again.Append(text);
        Arguments back;
        ParseArguments(again.CStr(), back);
        if (back.count < 1 || back[0]->ClassKey() != key) std::abort();
    }
    return 0;
}
