// The user, the program itself, other programs and time on Linux.
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "core/log.h"
#include "core/text_convert.h"
#include "sys/platform.h"
#include "sys/posix/posix_prefix.h"
#include "sys/posix/posix_spawn.h"

namespace {

const char* UserName() {
    const char* user = getenv("USER");
    if (user && *user) return user;
    const passwd* pw = getpwuid(getuid());
    return pw ? pw->pw_name : "user";
}

// Splits a parameter line at spaces, double quotes grouping a token.
void SplitParameters(const char* line, DynamicArray<char*>& out) {
    const char* p = line;
    while (p && *p) {
        while (*p == ' ') ++p;
        if (!*p) break;
        NString token;
        if (*p == '"') {
            ++p;
            while (*p && *p != '"') token.AppendChar(*p++);
            if (*p == '"') ++p;
        } else {
            while (*p && *p != ' ') token.AppendChar(*p++);
        }
        out.Append(strdup(token.CStr()));
    }
}

bool EndsWithNoCase(const NString& s, const char* tail) {
    const size_t n = std::strlen(tail);
    if (size_t(s.Length()) < n) return false;
    return strcasecmp(s.CStr() + s.Length() - n, tail) == 0;
}

}  // namespace

bool SysProfileFolder(WString& path) {
    NString prefix;
    PosixPrefixFolder(prefix);
    if (!prefix.IsEmpty()) {
        NString profile;
        profile.Format("C:\\users\\%s", UserName());
        Utf8ToWide(profile.CStr(), path);
        return true;
    }
    const char* home = getenv("HOME");
    if (!home || !*home) {
        const passwd* pw = getpwuid(getuid());
        home = pw ? pw->pw_dir : nullptr;
    }
    if (!home) return false;
    WString native;
    Utf8ToWide(home, native);
    return SysWindowsPath(native.CStr(), path);
}

bool SysExecutablePath(WString& path) {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return false;
    buffer[n] = 0;
    WString native;
    Utf8ToWide(buffer, native);
    return SysWindowsPath(native.CStr(), path);
}

uint32_t SysProcessId() { return uint32_t(getpid()); }

// Linux keeps the arguments, not a line: main rebuilds it from argv.
bool SysCommandLine(WString&) { return false; }

bool SysStartProgram(const WChar* path, const WChar* parameters) {
    NString unixPath;
    if (!PosixUnixPath(path, unixPath)) return false;
    NString params;
    WideToUtf8(parameters, params);
    DynamicArray<const char*> argv;
    DynamicArray<const char*> env;
    NString prefixEnv;
    const char* wine = getenv("WINE");
    if (EndsWithNoCase(unixPath, ".exe")) {
        // A Windows program runs under Wine in our prefix.
        argv.Append(wine && *wine ? wine : "wine");
        NString prefix;
        PosixPrefixFolder(prefix);
        if (!prefix.IsEmpty()) {
            prefixEnv.Format("WINEPREFIX=%s", prefix);
            env.Append(prefixEnv.CStr());
        }
    }
    argv.Append(unixPath.CStr());
    DynamicArray<char*> split;
    SplitParameters(params.CStr(), split);
    for (int32_t i = 0; i < split.count; ++i) argv.Append(split[i]);
    const bool ok = PosixRun(argv, env, false, nullptr);
    for (int32_t i = 0; i < split.count; ++i) free(split[i]);
    return ok;
}

void SysOpenLink(const WChar* url) {
    NString text;
    WideToUtf8(url, text);
    DynamicArray<const char*> argv;
    argv.Append("xdg-open");
    argv.Append(text.CStr());
    if (!PosixRun(argv, DynamicArray<const char*>(), false, nullptr))
        LogLine(WTXT("The link %s was not opened: xdg-open could not be started."), url);
}

void SysSleepMs(uint32_t ms) {
    timespec t{time_t(ms / 1000), long(ms % 1000) * 1000000L};
    while (nanosleep(&t, &t) != 0 && errno == EINTR) {}
}

double SysClockMs() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

void SysLocalTimeStamp(WString& out) {
    const time_t now = time(nullptr);
    tm local;
    localtime_r(&now, &local);
    char buffer[64];
    const size_t n = strftime(buffer, sizeof buffer, "[%Y-%m-%d %H:%M:%S] ", &local);
    buffer[n] = 0;
    Utf8ToWide(buffer, out);
}

// ---- environment, ending ---------------------------------------------------

bool SysEnvironment(const char* name, NString& value) {
    const char* v = getenv(name);
    if (!v) return false;
    value.Assign(v);
    return true;
}

void SysKillSelf() {
    kill(getpid(), SIGKILL);
    for (;;) pause();
}

namespace {

volatile sig_atomic_t g_endRequested = 0;

void NoteEndRequest(int) { g_endRequested = 1; }

}  // namespace

void SysCatchEndRequests() {
    struct sigaction action {};
    action.sa_handler = NoteEndRequest;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;  // a read or a copy goes on; only the note changes
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

bool SysEndRequested() { return g_endRequested != 0; }
