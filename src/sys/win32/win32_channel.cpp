// The elevated service's channel on Windows: a named pipe named after the
// GUID, that only the administrators group may open, made by the client;
// the service, started elevated with "runas", connects to it. The client
// takes only the process it started; the service serves only the client
// process named on its command line.
#include <windows.h>
#include <sddl.h>
#include <shellapi.h>

#include "sys/admin_service.h"
#include "sys/platform.h"
#include "sys/win32/win32_channel.h"

struct SysListener {
    HANDLE pipe = INVALID_HANDLE_VALUE;
    HANDLE event = nullptr;
};

struct SysProcess {
    HANDLE handle = nullptr;
};

namespace {

// "\\.\pipe\veldo-<guid>"; false when the name is not a channel's.
bool PipeName(const WChar* name, WString& pipe) {
    if (!IsChannelName(name)) return false;
    pipe.Assign(L"\\\\.\\pipe\\veldo-");
    pipe.Append(name);
    return true;
}

// Waits for an overlapped operation, at most timeoutMs (0: no limit); the
// bytes it moved, or false (cancelled when it timed out).
bool Finish(HANDLE handle, HANDLE event, OVERLAPPED& o, BOOL started, uint32_t timeoutMs, DWORD& moved) {
    if (!started && GetLastError() != ERROR_IO_PENDING) return false;
    if (WaitForSingleObject(event, timeoutMs ? timeoutMs : INFINITE) != WAIT_OBJECT_0) {
        CancelIo(handle);
        GetOverlappedResult(handle, &o, &moved, TRUE);
        return false;
    }
    return GetOverlappedResult(handle, &o, &moved, FALSE) != 0;
}

}  // namespace

bool SysNewGuid(WString& text) {
    GUID g;
    if (FAILED(CoCreateGuid(&g))) return false;
    text.Format(L"%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x", unsigned(g.Data1), unsigned(g.Data2),
                unsigned(g.Data3), unsigned(g.Data4[0]), unsigned(g.Data4[1]), unsigned(g.Data4[2]),
                unsigned(g.Data4[3]), unsigned(g.Data4[4]), unsigned(g.Data4[5]), unsigned(g.Data4[6]),
                unsigned(g.Data4[7]));
    return true;
}

bool SysTemporaryFolder(WString& native) {
    WChar buffer[MAX_PATH + 2];
    DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    if (n == 0 || n > MAX_PATH + 1) return false;
    if (n > 3 && buffer[n - 1] == L'\\') --n;  // "C:\" keeps its separator
    native.Assign(buffer, int32_t(n));
    return true;
}

bool SysChannelListen(const WChar* name, SysListener*& listener) {
    listener = nullptr;
    WString pipe;
    if (!PipeName(name, pipe)) return false;
    // Only the administrators may open it; this process holds its end.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;GA;;;BA)", SDDL_REVISION_1, &descriptor,
                                                              nullptr))
        return false;
    SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
    HANDLE handle = CreateNamedPipeW(pipe.CStr(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                     PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
                                     1 << 16, 1 << 16, 0, &security);
    LocalFree(descriptor);
    if (handle == INVALID_HANDLE_VALUE) return false;
    listener = new SysListener{handle, CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    return true;
}

void SysListenerClose(SysListener* listener) {
    if (!listener) return;
    if (listener->pipe != INVALID_HANDLE_VALUE) CloseHandle(listener->pipe);
    if (listener->event) CloseHandle(listener->event);
    delete listener;
}

bool SysStartElevatedSelf(const WChar* parameters, SysProcess*& process) {
    process = nullptr;
    WString self;
    if (!SysExecutablePath(self)) return false;
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
    info.lpVerb = L"runas";
    info.lpFile = self.CStr();
    info.lpParameters = parameters;
    info.nShow = SW_HIDE;
    if (!ShellExecuteExW(&info) || !info.hProcess) return false;  // declined
    process = new SysProcess{info.hProcess};
    return true;
}

bool SysProcessRunning(SysProcess* process) {
    return process && process->handle && WaitForSingleObject(process->handle, 0) == WAIT_TIMEOUT;
}

void SysProcessTerminate(SysProcess* process) {
    if (!process) return;
    if (SysProcessRunning(process)) TerminateProcess(process->handle, 1);  // may be refused for an elevated one
    SysProcessRelease(process);
}

void SysProcessRelease(SysProcess* process) {
    if (!process) return;
    if (process->handle) CloseHandle(process->handle);
    delete process;
}

SysAcceptResult SysChannelAccept(SysListener* listener, SysProcess* process, uint32_t timeoutMs,
                                 SysChannel*& channel) {
    channel = nullptr;
    if (!listener || listener->pipe == INVALID_HANDLE_VALUE) return SysAcceptResult::kFailed;
    const double deadline = SysClockMs() + timeoutMs;
    bool refused = false;
    for (;;) {
        OVERLAPPED o{};
        o.hEvent = listener->event;
        ResetEvent(listener->event);
        bool connected = ConnectNamedPipe(listener->pipe, &o) != 0;
        DWORD e = connected ? ERROR_SUCCESS : GetLastError();
        if (e == ERROR_PIPE_CONNECTED) connected = true;
        while (!connected && e == ERROR_IO_PENDING) {
            if (WaitForSingleObject(listener->event, 50) == WAIT_OBJECT_0) {
                DWORD ignored = 0;
                connected = GetOverlappedResult(listener->pipe, &o, &ignored, FALSE) != 0;
                if (!connected) e = GetLastError();
                break;
            }
            const bool ended = process && !SysProcessRunning(process);
            const bool late = timeoutMs > 0 && SysClockMs() >= deadline;
            if (ended || late) {
                CancelIo(listener->pipe);
                DWORD ignored = 0;
                GetOverlappedResult(listener->pipe, &o, &ignored, TRUE);
                if (refused) return SysAcceptResult::kRefused;
                return ended ? SysAcceptResult::kProcessEnded : SysAcceptResult::kTimedOut;
            }
        }
        if (!connected) return SysAcceptResult::kFailed;
        // Only administrators can open the pipe; of them, only the process
        // started for this client is taken.
        ULONG peer = 0;
        const bool trusted = GetNamedPipeClientProcessId(listener->pipe, &peer) &&
                             (!process || peer == GetProcessId(process->handle));
        if (trusted) {
            channel = new SysChannel{listener->pipe, CreateEventW(nullptr, TRUE, FALSE, nullptr)};
            listener->pipe = INVALID_HANDLE_VALUE;  // the channel has it now
            return SysAcceptResult::kConnected;
        }
        DisconnectNamedPipe(listener->pipe);  // a stranger is dropped; the wait goes on
        refused = true;
    }
}

bool SysChannelConnect(const WChar* name, uint32_t clientPid, SysChannel*& channel) {
    channel = nullptr;
    WString pipe;
    if (!PipeName(name, pipe)) return false;
    for (;;) {
        HANDLE handle = CreateFileW(pipe.CStr(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OVERLAPPED, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            ULONG server = 0;
            if (!GetNamedPipeServerProcessId(handle, &server) || server != clientPid) {
                CloseHandle(handle);
                return false;  // serves only the process that started it
            }
            channel = new SysChannel{handle, CreateEventW(nullptr, TRUE, FALSE, nullptr)};
            return true;
        }
        // Busy: wait and try again while it is there. Missing: no client.
        if (GetLastError() != ERROR_PIPE_BUSY) return false;
        WaitNamedPipeW(pipe.CStr(), 10);
    }
}

bool SysChannelRead(SysChannel* channel, void* bytes, size_t n, uint32_t timeoutMs) {
    if (!channel) return false;
    auto* p = static_cast<uint8_t*>(bytes);
    const double deadline = SysClockMs() + timeoutMs;
    while (n > 0) {
        uint32_t wait = 0;
        if (timeoutMs > 0) {
            const double left = deadline - SysClockMs();
            if (left <= 0) return false;
            wait = uint32_t(left) + 1;
        }
        OVERLAPPED o{};
        o.hEvent = channel->event;
        ResetEvent(channel->event);
        const DWORD chunk = DWORD(n > (1u << 30) ? (1u << 30) : n);
        DWORD got = 0;
        const BOOL started = ReadFile(channel->pipe, p, chunk, nullptr, &o);
        if (!Finish(channel->pipe, channel->event, o, started, wait, got) || got == 0) return false;
        p += got;
        n -= got;
    }
    return true;
}

bool SysChannelWrite(SysChannel* channel, const void* bytes, size_t n) {
    if (!channel) return false;
    const auto* p = static_cast<const uint8_t*>(bytes);
    while (n > 0) {
        OVERLAPPED o{};
        o.hEvent = channel->event;
        ResetEvent(channel->event);
        const DWORD chunk = DWORD(n > (1u << 30) ? (1u << 30) : n);
        DWORD put = 0;
        const BOOL started = WriteFile(channel->pipe, p, chunk, nullptr, &o);
        if (!Finish(channel->pipe, channel->event, o, started, 0, put) || put == 0) return false;
        p += put;
        n -= put;
    }
    return true;
}

void SysChannelClose(SysChannel* channel) {
    if (!channel) return;
    CloseHandle(channel->pipe);
    if (channel->event) CloseHandle(channel->event);
    delete channel;
}

bool SysProcessExists(uint32_t pid) {
    if (pid == 0) return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;  // there, but not ours to look at
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}
