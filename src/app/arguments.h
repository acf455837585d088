// Command-line options as cells. Each recognised option is an Arg; the list
// the application owns is a Container<Arg> (Arguments). Options are entered
// in the registry without a factory, so none is ever made from stored data.
#pragma once

#include <cstdint>

#include "cell/cell.h"
#include "core/container.h"
#include "core/path.h"

class Arg : public Cell {
    VELDO_CELL(Arg, Cell, 0x9E80DB35D4ABCBEAULL)

public:
    // Writes the option's command-line text into out, replacing its content.
    virtual void Render(WString& out) const = 0;

protected:
    Arg() = default;
};

class AdminServiceArg : public Arg {
    VELDO_CELL(AdminServiceArg, Arg, 0x6D6E9D3B1AD56EA3ULL)

public:
    WString serviceName;
    uint32_t number = 0;
    void Render(WString& out) const override;
};

class CellListArg : public Arg {
    VELDO_CELL(CellListArg, Arg, 0xFAEAE96D15F42906ULL)

public:
    void Render(WString& out) const override;
};

class DebugArg : public Arg {
    VELDO_CELL(DebugArg, Arg, 0x3455D53EE6347BFBULL)

public:
    void Render(WString& out) const override;
};

class DropArg : public Arg {
    VELDO_CELL(DropArg, Arg, 0x755058C9155B2F70ULL)

public:
    void Render(WString& out) const override;
};

class VeldoVerArg : public Arg {
    VELDO_CELL(VeldoVerArg, Arg, 0x071FD1AD2772FB27ULL)

public:
    WString version;
    void Render(WString& out) const override;
};

class WindowPosArg : public Arg {
    VELDO_CELL(WindowPosArg, Arg, 0x4F9930BBE4038613ULL)

public:
    int32_t x = 0;
    int32_t y = 0;
    void Render(WString& out) const override;
};

// A bare path; the base of the two path options, never made itself.
class PathArg : public Arg {
    VELDO_CELL(PathArg, Arg, 0xB5AFD58F17BB69C5ULL)

public:
    WPath path;
    void Render(WString& out) const override;
};

class ConfigPathArg : public PathArg {
    VELDO_CELL(ConfigPathArg, PathArg, 0xEDFCC3797723D753ULL)
};

class ScenePathArg : public PathArg {
    VELDO_CELL(ScenePathArg, PathArg, 0x0974BF790C637B50ULL)
};

// Runs the installer without a window: "-unattended list", "install" or
// "remove".
class UnattendedArg : public Arg {
    VELDO_CELL(UnattendedArg, Arg, 0x5A7E6D1C3B2F4E81ULL)

public:
    WString word;
    void Render(WString& out) const override;
};

// "-pack <payload folder> <output file>": writes the program with the
// payload packed into it. Either path may be missing (the usage line says
// what is wanted).
class PackArg : public Arg {
    VELDO_CELL(PackArg, Arg, 0x3C9A1F64D2E85B07ULL)

public:
    WString payloadFolder;
    WString output;
    void Render(WString& out) const override;
};

using Arguments = Container<Arg>;

// Parameter values travel as single space-free tokens: "_" becomes "__" and
// 23 shell-sensitive characters "_" plus two lower-case hex digits.
void EscapeArgValue(const WChar* value, WString& out);
// The reverse; a malformed escape leaves out as an exact copy of value and
// returns false.
bool UnescapeArgValue(const WChar* value, WString& out);

void RegisterArgumentCellClasses();
