// Splitting and parsing the command line. Sections: tokens; matchers; argv.
#include "app/command_line.h"

#include "core/text_convert.h"
#include "sys/platform.h"

// ---- tokens ----------------------------------------------------------------

void SplitCommandLine(const WChar* line, Container<WString>& tokens) {
    const WChar* p = line;
    while (p && *p) {
        if (*p == WChar(' ')) {
            ++p;
            continue;
        }
        const WChar* start = p;
        if (*p == WChar('"')) {
            const WChar* q = p + 1;
            while (*q && *q != WChar('"')) ++q;
            if (*q == WChar('"')) {
                tokens.Add(new WString(p + 1, int32_t(q - p - 1)));
                p = q + 1;  // text glued to the closing quote starts a new token
            } else {
                tokens.Add(new WString(start, int32_t(q - start)));  // keeps its opening quote
                p = q;
            }
            continue;
        }
        while (*p && *p != WChar(' ')) ++p;
        tokens.Add(new WString(start, int32_t(p - start)));
    }
}

// ---- matchers --------------------------------------------------------------

namespace {

// A cursor over the token list; matchers take tokens from its front.
struct Tokens {
    Container<WString> list;
    int32_t first = 0;
    int32_t Left() const { return list.count - first; }
    const WString& At(int32_t i) const { return *list[first + i]; }
};

uint32_t ReadUnsigned(const WString& s) {
    uint64_t v = 0;
    int32_t i = 0;
    while (i < s.Length() && s[i] == WChar(' ')) ++i;
    if (i < s.Length() && s[i] == WChar('+')) ++i;
    const int32_t start = i;
    for (; i < s.Length() && s[i] >= WChar('0') && s[i] <= WChar('9'); ++i) {
        v = v * 10 + uint64_t(s[i] - WChar('0'));
        if (v > 0xFFFFFFFFull) v = 0xFFFFFFFFull;
    }
    return i > start ? uint32_t(v) : 0;
}

int32_t ReadSigned(const WString& s) {
    int32_t i = 0;
    while (i < s.Length() && s[i] == WChar(' ')) ++i;
    bool negative = false;
    if (i < s.Length() && (s[i] == WChar('-') || s[i] == WChar('+'))) negative = s[i++] == WChar('-');
    int64_t v = 0;
    const int32_t start = i;
    for (; i < s.Length() && s[i] >= WChar('0') && s[i] <= WChar('9'); ++i) {
        v = v * 10 + int64_t(s[i] - WChar('0'));
        if (v > 0x80000000LL) v = 0x80000000LL;
    }
    if (i == start) return 0;
    v = negative ? -v : v;
    if (v > 0x7FFFFFFFLL) v = 0x7FFFFFFFLL;
    return int32_t(v);
}

// A token naming an existing file (not a folder), not ending in a separator,
// with the extension given (compared ignoring case).
bool IsPathWithExtension(const WString& token, const WChar* extension) {
    const int32_t n = token.Length();
    if (n < 1 || token[n - 1] == WChar('/') || token[n - 1] == WChar('\\')) return false;
    int32_t lastSlash = -1, lastDot = -1;
    for (int32_t i = 0; i < n; ++i) {
        if (token[i] == WChar('\\')) lastSlash = i;
        if (token[i] == WChar('.')) lastDot = i;
    }
    if (lastDot < 0 || lastDot < lastSlash) return false;
    if (WCompareNoCase(token.CStr() + lastDot + 1, extension) != 0) return false;
    WString native;
    SysFileInfo info;
    return SysNativePath(token.CStr(), native) && SysQueryPath(native.CStr(), info) == SysStatus::kOk &&
           info.exists && !info.isFolder;
}

using Matcher = int32_t (*)(const Tokens& t, Arguments& out);  // tokens taken, 0 to decline

int32_t MatchAdminService(const Tokens& t, Arguments& out) {
    if (t.Left() < 3 || !t.At(0).Equals(WTXT("-admin_service"))) return 0;
    auto* a = new AdminServiceArg;
    UnescapeArgValue(t.At(1).CStr(), a->serviceName);
    a->number = ReadUnsigned(t.At(2));
    out.Add(a);
    return 3;
}

template <class A>
int32_t MatchFlag(const Tokens& t, Arguments& out, const WChar* name) {
    if (t.Left() < 1 || !t.At(0).Equals(name)) return 0;
    out.Add(new A);
    return 1;
}

int32_t MatchCellList(const Tokens& t, Arguments& out) { return MatchFlag<CellListArg>(t, out, WTXT("-cell_list")); }
int32_t MatchDebug(const Tokens& t, Arguments& out) { return MatchFlag<DebugArg>(t, out, WTXT("-debug")); }
int32_t MatchDrop(const Tokens& t, Arguments& out) { return MatchFlag<DropArg>(t, out, WTXT("-drop")); }

int32_t MatchVeldoVer(const Tokens& t, Arguments& out) {
    if (t.Left() < 2 || !t.At(0).Equals(WTXT("-veldo_ver"))) return 0;
    auto* a = new VeldoVerArg;
    UnescapeArgValue(t.At(1).CStr(), a->version);
    for (int32_t i = 0; i < a->version.Length(); ++i)
        if (a->version.chars.data[i] == WChar(' ')) a->version.chars.data[i] = WChar('_');
    out.Add(a);
    return 2;
}

int32_t MatchWindowPos(const Tokens& t, Arguments& out) {
    if (t.Left() < 3 || !t.At(0).Equals(WTXT("-window_pos"))) return 0;
    auto* a = new WindowPosArg;
    a->x = ReadSigned(t.At(1));
    a->y = ReadSigned(t.At(2));
    out.Add(a);
    return 3;
}

// "-unattended" with its word; alone (the last token) it still asks for the
// unattended mode, whose empty word gets the usage line.
int32_t MatchUnattended(const Tokens& t, Arguments& out) {
    if (t.Left() < 1 || !t.At(0).Equals(WTXT("-unattended"))) return 0;
    auto* a = new UnattendedArg;
    if (t.Left() >= 2) a->word = t.At(1);
    out.Add(a);
    return t.Left() >= 2 ? 2 : 1;
}

// "-pack" with the payload folder and the output file, as many of them as
// follow.
int32_t MatchPack(const Tokens& t, Arguments& out) {
    if (t.Left() < 1 || !t.At(0).Equals(WTXT("-pack"))) return 0;
    auto* a = new PackArg;
    int32_t used = 1;
    if (t.Left() >= 2) a->payloadFolder = t.At(used++);
    if (t.Left() >= 3) a->output = t.At(used++);
    out.Add(a);
    return used;
}

template <class A>
int32_t MatchPath(const Tokens& t, Arguments& out, const WChar* extension) {
    if (t.Left() < 1 || !IsPathWithExtension(t.At(0), extension)) return 0;
    auto* a = new A;
    a->path.Assign(t.At(0));
    out.Add(a);
    return 1;
}

int32_t MatchConfigPath(const Tokens& t, Arguments& out) { return MatchPath<ConfigPathArg>(t, out, WTXT("veldo_cfg")); }
int32_t MatchScenePath(const Tokens& t, Arguments& out) { return MatchPath<ScenePathArg>(t, out, WTXT("veldo")); }

const Matcher kMatchers[] = {MatchAdminService, MatchCellList,  MatchDebug,      MatchDrop,       MatchVeldoVer,
                             MatchWindowPos,    MatchUnattended, MatchPack,       MatchConfigPath, MatchScenePath};

}  // namespace

void ParseArguments(const WChar* line, Arguments& out) {
    if (!line) return;
    Tokens t;
    SplitCommandLine(line, t.list);
    while (t.Left() > 0) {
        bool took = false;
        for (Matcher m : kMatchers) {
            if (t.Left() == 0) break;
            const int32_t n = m(t, out);
            t.first += n;
            took = took || n > 0;
        }
        if (!took) ++t.first;  // the program path and unknown tokens go this way
    }
}

int32_t FindArgument(const Arguments& args, CellKey classKey) {
    for (int32_t i = 0; i < args.count; ++i)
        if (args[i] && args[i]->ClassKey() == classKey) return i;
    return -1;
}

// ---- argv ----------------------------------------------------------------

void CommandLineFromArgv(int argc, const char* const* argv, WString& line) {
    line.Assign(static_cast<const WChar*>(nullptr));
    for (int i = 0; i < argc; ++i) {
        WString arg;
        Utf8ToWide(argv[i], arg);
        if (i > 0) line.AppendChar(WChar(' '));
        const bool quote = arg.Find(WTXT(" ")) >= 0 || arg.IsEmpty();
        if (quote) line.AppendChar(WChar('"'));
        line.Append(arg);
        if (quote) line.AppendChar(WChar('"'));
    }
}
