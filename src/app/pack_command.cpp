#include "app/pack_command.h"

#include "app/console_output.h"
#include "app/exit_codes.h"
#include "core/dynamic_string.h"
#include "core/text_convert.h"
#include "sys/payload_archive.h"
#include "sys/platform.h"

int32_t RunPack(const WChar* payloadFolder, const WChar* output) {
    if (!payloadFolder || !*payloadFolder || !output || !*output) {
        PrintLine(WTXT("Usage: veldo-installer -pack <payload folder> <output file>"));
        return kExitUsage;
    }
    WString exe, program;
    if (!SysExecutablePath(exe) || !SysNativePath(exe.CStr(), program)) {
        PrintLine(WTXT("Cannot find the program's own file."));
        return kExitFailed;
    }
    NString problem;
    WString line, problemWide;
    const PackStatus s = PackPayload(program.CStr(), payloadFolder, output, problem);
    Utf8ToWide(problem.CStr(), problemWide);
    switch (s) {
        case PackStatus::kOk: line.Format(WTXT("Packed %s into %s"), payloadFolder, output); break;
        case PackStatus::kRefusedPayload:
            line.Format(WTXT("Cannot pack: links, special or unreadable files in the payload: %s"), problemWide);
            break;
        case PackStatus::kCannotReadProgram: line.Format(WTXT("Cannot read the program: %s"), problemWide); break;
        case PackStatus::kCannotWrite: line.Format(WTXT("Cannot write: %s"), problemWide); break;
    }
    PrintLine(line.CStr());
    return s == PackStatus::kOk ? kExitDone : kExitFailed;
}
