// Windows paths on Linux, the way Wine maps them: drive letters through the
// prefix's dosdevices links (Z: alone without a prefix), and components that
// do not exist with their exact case looked up case-insensitively.
#include <dirent.h>
#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "core/text_convert.h"
#include "core/wide_text.h"
#include "sys/platform.h"
#include "sys/posix/posix_prefix.h"

namespace {

bool IsDir(const char* p) {
    struct stat st;
    return stat(p, &st) == 0 && S_ISDIR(st.st_mode);
}

// ---- drives --------------------------------------------------------------

struct DriveTable {
    NString prefix;     // the prefix this table was built for
    NString roots[26];  // resolved root of each drive, empty when absent
};

std::mutex g_driveLock;
DriveTable* g_drives = nullptr;

void BuildDrives(DriveTable& t) {
    if (t.prefix.IsEmpty()) {
        t.roots['z' - 'a'].Assign("/");
        return;
    }
    NString dos;
    dos.Format("%s/dosdevices", t.prefix);
    for (int d = 0; d < 26; ++d) {
        NString link;
        link.Format("%s/%c:", dos, 'a' + d);
        char real[PATH_MAX];
        if (realpath(link.CStr(), real) && IsDir(real)) t.roots[d].Assign(real);
    }
    // A prefix without dosdevices still has Wine's two default drives.
    if (!IsDir(dos.CStr())) {
        NString c;
        c.Format("%s/drive_c", t.prefix);
        if (IsDir(c.CStr())) t.roots['c' - 'a'] = c;
        t.roots['z' - 'a'].Assign("/");
    }
}

// The prefix as the environment names it, before it is resolved.
void NamedPrefix(NString& out) {
    const char* env = getenv("WINEPREFIX");
    const char* home = getenv("HOME");
    out.Format("%s\n%s", env ? env : "", home ? home : "");
}

// The table for the current prefix, rebuilt when $WINEPREFIX changes. The
// environment is compared first: resolving the prefix on every path would
// cost a readlink per component of it.
const DriveTable& Drives(std::unique_lock<std::mutex>&) {
    static NString named;
    NString current;
    NamedPrefix(current);
    if (g_drives && !g_drives->prefix.IsEmpty() && current == named) return *g_drives;
    named = current;
    NString prefix;
    PosixPrefixFolder(prefix);
    if (!g_drives || !(g_drives->prefix == prefix)) {
        delete g_drives;
        g_drives = new DriveTable;
        g_drives->prefix = prefix;
        BuildDrives(*g_drives);
    }
    return *g_drives;
}

// ---- case-insensitive lookup -------------------------------------------

bool SameNameNoCase(const char* a, const char* b) {
    WString wa, wb;
    Utf8ToWide(a, wa);
    Utf8ToWide(b, wb);
    return WCompareNoCase(wa.CStr(), size_t(wa.Length()), wb.CStr(), size_t(wb.Length())) == 0;
}

// Appends one component to a Unix path (empty for a relative one), taking
// the on-disk spelling when the exact one does not exist.
void AppendComponent(NString& path, const char* component) {
    auto joined = [&](const char* name) {
        NString j(path);
        if (!j.IsEmpty() && j[j.Length() - 1] != '/') j.Append("/");
        j.Append(name);
        return j;
    };
    NString exact = joined(component);
    struct stat st;
    if (lstat(exact.CStr(), &st) == 0 || std::strcmp(component, ".") == 0 || std::strcmp(component, "..") == 0) {
        path = exact;
        return;
    }
    if (DIR* dir = opendir(path.IsEmpty() ? "." : path.CStr())) {
        while (dirent* e = readdir(dir)) {
            if (SameNameNoCase(e->d_name, component)) {
                exact = joined(e->d_name);
                break;
            }
        }
        closedir(dir);
    }
    path = exact;
}

}  // namespace

void PosixPrefixFolder(NString& out) {
    const char* env = getenv("WINEPREFIX");
    NString prefix;
    if (env && *env) {
        prefix.Assign(env);
    } else {
        const char* home = getenv("HOME");
        if (!home || !*home) {
            const passwd* pw = getpwuid(getuid());
            home = pw ? pw->pw_dir : nullptr;
        }
        if (home) prefix.Format("%s/.wine", home);
    }
    char real[PATH_MAX];
    if (!prefix.IsEmpty() && realpath(prefix.CStr(), real) && IsDir(real)) out.Assign(real);
    else out.Assign(static_cast<const char*>(nullptr));
}

bool PosixUnixPath(const WChar* path, NString& unixPath, bool lookUpCase) {
    NString text;
    WideToUtf8(path, text);
    const char* p = text.CStr();
    if (p[0] == '/') {  // already a Unix path; either separator is taken
        for (int32_t i = 0; i < text.Length(); ++i)
            if (text.chars.data[i] == '\\') text.chars.data[i] = '/';
        unixPath = text;
        return true;
    }
    NString result;
    const char* rest = p;
    const bool hasDrive = ((p[0] | 32) >= 'a' && (p[0] | 32) <= 'z') && p[1] == ':';
    if (hasDrive || p[0] == '\\') {
        std::unique_lock<std::mutex> lock(g_driveLock);
        const DriveTable& drives = Drives(lock);
        const int d = hasDrive ? (p[0] | 32) - 'a' : 'z' - 'a';
        if (drives.roots[d].IsEmpty()) return false;
        result = drives.roots[d];
        rest = hasDrive ? p + 2 : p;
    }
    // Spelled exactly as on disk, the path needs one status query; only what
    // does not exist as spelled is walked component by component.
    NString direct(result);
    for (const char* c = rest; *c; ++c) {
        const bool separator = *c == '\\' || *c == '/';
        if (separator && (direct.IsEmpty() || direct[direct.Length() - 1] == '/')) continue;
        direct.AppendChar(separator ? '/' : *c);
    }
    if (direct.Length() > 1 && direct[direct.Length() - 1] == '/') direct.Erase(direct.Length() - 1, direct.Length());
    struct stat st;
    if (!direct.IsEmpty() && (!lookUpCase || lstat(direct.CStr(), &st) == 0)) {
        unixPath = direct;
        return true;
    }
    // Walk the components; "\" and "/" both separate them.
    NString component;
    for (const char* c = rest;; ++c) {
        if (*c == '\\' || *c == '/' || *c == 0) {
            if (!component.IsEmpty()) {
                AppendComponent(result, component.CStr());
                component.Assign(static_cast<const char*>(nullptr));
            }
            if (*c == 0) break;
            continue;
        }
        component.AppendChar(*c);
    }
    if (result.IsEmpty()) result.Assign(rest == p ? "." : "/");
    unixPath = result;
    return true;
}

bool SysNativePath(const WChar* path, WString& native) {
    NString unixPath;
    if (!PosixUnixPath(path, unixPath)) return false;
    Utf8ToWide(unixPath.CStr(), native);
    return true;
}

bool SysSpelledPath(const WChar* path, WString& native) {
    NString unixPath;
    if (!PosixUnixPath(path, unixPath, false)) return false;
    Utf8ToWide(unixPath.CStr(), native);
    return true;
}

bool SysWindowsPath(const WChar* native, WString& path) {
    NString text;
    WideToUtf8(native, text);
    char real[PATH_MAX];
    NString absolute;
    if (realpath(text.CStr(), real)) absolute.Assign(real);
    else absolute = text;
    if (absolute.IsEmpty() || absolute[0] != '/') return false;

    int best = -1;
    int32_t bestLength = -1;
    {
        std::unique_lock<std::mutex> lock(g_driveLock);
        const DriveTable& drives = Drives(lock);
        for (int d = 0; d < 26; ++d) {
            const NString& root = drives.roots[d];
            if (root.IsEmpty()) continue;
            const int32_t n = root.Length();
            const bool isSlash = n == 1;  // "/" matches everything
            const bool matches = isSlash || (std::strncmp(absolute.CStr(), root.CStr(), size_t(n)) == 0 &&
                                             (absolute[n] == '/' || absolute[n] == 0));
            if (matches && n > bestLength) {
                best = d;
                bestLength = isSlash ? 0 : n;
            }
        }
    }
    NString windows;
    const char* rest = absolute.CStr();
    if (best < 0) {
        windows.Assign("Z:");
    } else {
        windows.Format("%c:", 'A' + best);
        rest += bestLength;
    }
    if (*rest == 0) windows.Append("\\");
    for (; *rest; ++rest) windows.AppendChar(*rest == '/' ? '\\' : *rest);
    Utf8ToWide(windows.CStr(), path);
    return true;
}
