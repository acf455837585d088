// The user, the program itself, other programs and time on Windows.
#include <windows.h>
#include <shlobj.h>
#include <shellapi.h>

#include "core/log.h"
#include "core/text_convert.h"
#include "sys/platform.h"

bool SysProfileFolder(WString& path) {
    PWSTR folder = nullptr;
    const bool ok = SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Profile, 0, nullptr, &folder)) && folder;
    if (ok) path.Assign(folder);
    CoTaskMemFree(folder);
    return ok;
}

bool SysExecutablePath(WString& path) {
    DynamicArray<WChar> buffer;
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        buffer.Resize(int32_t(size));
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data, size);
        if (n == 0) return false;
        if (n < size) {
            path.Assign(buffer.data, int32_t(n));
            return true;
        }
    }
    return false;
}

uint32_t SysProcessId() { return uint32_t(GetCurrentProcessId()); }

bool SysCommandLine(WString& line) {
    const wchar_t* text = GetCommandLineW();
    if (!text) return false;
    line.Assign(text);
    return true;
}

bool SysStartProgram(const WChar* path, const WChar* parameters) {
    const HINSTANCE result = ShellExecuteW(nullptr, nullptr, path, parameters, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

void SysOpenLink(const WChar* url) {
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", url, nullptr, nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) <= 32) LogLine(WTXT("The link %s was not opened."), url);
}

void SysSleepMs(uint32_t ms) { Sleep(ms); }

double SysClockMs() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return double(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) * 1000.0 / frequency;
}

void SysLocalTimeStamp(WString& out) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    out.Format(WTXT("[%04d-%02d-%02d %02d:%02d:%02d] "), int(t.wYear), int(t.wMonth), int(t.wDay), int(t.wHour),
               int(t.wMinute), int(t.wSecond));
}

// ---- environment, ending ---------------------------------------------------

bool SysEnvironment(const char* name, NString& value) {
    WString wideName;
    Utf8ToWide(name, wideName);
    const DWORD n = GetEnvironmentVariableW(wideName.CStr(), nullptr, 0);
    if (n == 0) return false;
    DynamicArray<WChar> buffer;
    buffer.Resize(int32_t(n));
    const DWORD got = GetEnvironmentVariableW(wideName.CStr(), buffer.data, n);
    if (got == 0 || got >= n) return false;
    WideToUtf8(buffer.data, value);
    return true;
}

void SysKillSelf() {
    TerminateProcess(GetCurrentProcess(), 137);
    for (;;) Sleep(INFINITE);
}

namespace {

volatile LONG g_endRequested = 0;

// Runs on a thread of its own. Returning TRUE for Ctrl+C and Ctrl+Break
// keeps the process; for the close, log-off and shut-down events Windows
// ends the process once this returns, so it waits (within the time Windows
// allows) for the program to reach a point where ending is safe.
BOOL WINAPI NoteEndRequest(DWORD event) {
    InterlockedExchange(&g_endRequested, 1);
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) return TRUE;
    for (;;) Sleep(INFINITE);
}

}  // namespace

void SysCatchEndRequests() { SetConsoleCtrlHandler(NoteEndRequest, TRUE); }

bool SysEndRequested() { return InterlockedCompareExchange(&g_endRequested, 0, 0) != 0; }
