// Rendering options back to text, and the escaping of parameter values.
#include "app/arguments.h"

#include "cell/registry.h"

// ---- rendering -------------------------------------------------------------

// Options render into a buffer of at least 64 units; longer texts grow it.
static constexpr int kRenderUnits = 0;

void AdminServiceArg::Render(WString& out) const {
    WString name;
    EscapeArgValue(serviceName.CStr(), name);
    out.FormatAtMost(kRenderUnits, WTXT("-admin_service %s %u"), name, number);
}

void CellListArg::Render(WString& out) const { out.Assign(WTXT("-cell_list")); }
void DebugArg::Render(WString& out) const { out.Assign(WTXT("-debug")); }
void DropArg::Render(WString& out) const { out.Assign(WTXT("-drop")); }

void VeldoVerArg::Render(WString& out) const {
    WString escaped;
    EscapeArgValue(version.CStr(), escaped);
    out.FormatAtMost(kRenderUnits, WTXT("-veldo_ver %s"), escaped);
}

void WindowPosArg::Render(WString& out) const { out.FormatAtMost(kRenderUnits, WTXT("-window_pos %i %i"), x, y); }

void PathArg::Render(WString& out) const { out.Assign(path); }

void UnattendedArg::Render(WString& out) const { out.FormatAtMost(kRenderUnits, WTXT("-unattended %s"), word); }
void PackArg::Render(WString& out) const {
    out.FormatAtMost(kRenderUnits, WTXT("-pack \"%s\" \"%s\""), payloadFolder, output);
}

// ---- escaping ------------------------------------------------------------

static bool NeedsEscape(WChar c) {
    const uint16_t u = uint16_t(c);
    return u == 0x09 || u == 0x0A || (u >= 0x20 && u <= 0x24) || (u >= 0x26 && u <= 0x2A) ||
           (u >= 0x3B && u <= 0x3F) || u == 0x5B || u == 0x5C || u == 0x60 || u == 0x7B || u == 0x7C ||
           u == 0x7E;
}

void EscapeArgValue(const WChar* value, WString& out) {
    static const char kHex[] = "0123456789abcdef";
    WString result;
    for (const WChar* p = value; p && *p; ++p) {
        if (*p == WChar('_')) {
            result.Append(WTXT("__"));
        } else if (NeedsEscape(*p)) {
            const WChar esc[3] = {WChar('_'), WChar(kHex[(uint16_t(*p) >> 4) & 0xF]), WChar(kHex[uint16_t(*p) & 0xF])};
            result.Append(esc, 3);
        } else {
            result.AppendChar(*p);
        }
    }
    out.Assign(result);
}

static int HexDigit(WChar c) {
    if (c >= WChar('0') && c <= WChar('9')) return int(c - WChar('0'));
    if (c >= WChar('a') && c <= WChar('f')) return int(c - WChar('a')) + 10;
    if (c >= WChar('A') && c <= WChar('F')) return int(c - WChar('A')) + 10;
    return -1;
}

bool UnescapeArgValue(const WChar* value, WString& out) {
    WString result;
    const size_t n = WLen(value);
    for (size_t i = 0; i < n; ++i) {
        if (value[i] != WChar('_')) {
            result.AppendChar(value[i]);
            continue;
        }
        if (i + 1 < n && value[i + 1] == WChar('_')) {
            result.AppendChar(WChar('_'));
            ++i;
            continue;
        }
        const int hi = i + 2 < n ? HexDigit(value[i + 1]) : -1;
        const int lo = i + 2 < n ? HexDigit(value[i + 2]) : -1;
        if (hi < 0 || lo < 0) {
            out.Assign(value);
            return false;
        }
        result.AppendChar(WChar(hi * 16 + lo));
        i += 2;
    }
    out.Assign(result);
    return true;
}

void RegisterArgumentCellClasses() {
    RegisterCellClassNoFactory<Arg>();
    RegisterCellClassNoFactory<AdminServiceArg>();
    RegisterCellClassNoFactory<CellListArg>();
    RegisterCellClassNoFactory<DebugArg>();
    RegisterCellClassNoFactory<DropArg>();
    RegisterCellClassNoFactory<WindowPosArg>();
    RegisterCellClassNoFactory<PathArg>();
    RegisterCellClassNoFactory<ConfigPathArg>();
    RegisterCellClassNoFactory<ScenePathArg>();
    RegisterCellClassNoFactory<UnattendedArg>();
    RegisterCellClassNoFactory<PackArg>();
    // VeldoVerArg is deliberately not registered.
}
