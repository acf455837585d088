#include "sys/admin_protocol.h"

namespace {

void PutU64(uint8_t* out, uint64_t v) {
    for (int i = 0; i < 8; ++i) out[i] = uint8_t(v >> (8 * i));
}

uint64_t GetU64(const uint8_t* in) {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= uint64_t(in[i]) << (8 * i);
    return v;
}

bool WriteU32Frame(ByteChannel& channel, uint32_t value) {
    const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
    return WriteFrame(channel, bytes, 4);
}

bool ReadU32(ByteChannel& channel, uint32_t& value) {
    uint8_t bytes[4];
    if (!channel.Read(bytes, 4)) return false;
    value = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
    return true;
}

bool WriteReply(ByteChannel& channel, bool ok) {
    const uint8_t byte = ok ? 1 : 0;
    return WriteFrame(channel, &byte, 1);
}

}  // namespace

bool WriteFrame(ByteChannel& channel, const void* payload, uint64_t size) {
    uint8_t count[8];
    PutU64(count, size);
    return channel.Write(count, 8) && (size == 0 || channel.Write(payload, size_t(size)));
}

bool ReadFrameCount(ByteChannel& channel, uint64_t& size) {
    uint8_t count[8];
    if (!channel.Read(count, 8)) return false;
    size = GetU64(count);
    return true;
}

bool WritePathFrame(ByteChannel& channel, const WChar* path) {
    const size_t n = WLen(path);
    DynamicArray<uint8_t> bytes;
    bytes.Resize(int32_t(2 * (n + 1)));
    for (size_t i = 0; i <= n; ++i) {
        const uint16_t unit = i < n ? uint16_t(path[i]) : 0;
        bytes[int32_t(2 * i)] = uint8_t(unit);
        bytes[int32_t(2 * i + 1)] = uint8_t(unit >> 8);
    }
    return WriteFrame(channel, bytes.data, uint64_t(bytes.count));
}

bool ReadPathFrame(ByteChannel& channel, WString& path) {
    uint64_t size = 0;
    if (!ReadFrameCount(channel, size)) return false;
    if (size == 0) {
        path.Assign(static_cast<const WChar*>(nullptr));
        return true;
    }
    if (size % 2 != 0 || size > kMaxPathFrameBytes) return false;
    // Read piece by piece: a count larger than what follows fails at the
    // first short read.
    DynamicArray<WChar> units;
    uint8_t chunk[512];
    uint64_t left = size;
    while (left > 0) {
        const size_t n = left < sizeof chunk ? size_t(left) : sizeof chunk;
        if (!channel.Read(chunk, n)) return false;
        const int32_t start = units.count;
        units.Resize(start + int32_t(n / 2));
        for (size_t i = 0; i + 1 < n; i += 2) units[start + int32_t(i / 2)] = WChar(chunk[i] | (chunk[i + 1] << 8));
        left -= n;
    }
    // The last unit is the terminator; text stops at the first zero.
    int32_t length = 0;
    while (length < units.count && units[length] != 0) ++length;
    path.Assign(units.data, length);
    return true;
}

bool WriteHello(ByteChannel& channel, uint32_t pid) { return WriteU32Frame(channel, pid); }

bool ReadHello(ByteChannel& channel, uint32_t& pid) {
    uint64_t size = 0;
    return ReadFrameCount(channel, size) && size == 4 && ReadU32(channel, pid);
}

bool SendAdminRequest(ByteChannel& channel, int32_t code, const WChar* first, const WChar* second) {
    if (!WriteU32Frame(channel, uint32_t(code))) return false;
    if (first && !WritePathFrame(channel, first)) return false;
    if (second && !WritePathFrame(channel, second)) return false;
    uint64_t size = 0;
    uint8_t reply = 0;
    if (!ReadFrameCount(channel, size) || size != 1 || !channel.Read(&reply, 1)) return false;
    return reply == 1;
}

void ServeAdminRequests(ByteChannel& channel, AdminActions& actions) {
    for (;;) {
        uint64_t size = 0;
        uint32_t code = 0;
        // A code frame of another size would leave the two ends out of step.
        if (!ReadFrameCount(channel, size) || size != 4 || !ReadU32(channel, code)) return;
        WString first, second;
        bool ok = false;
        switch (int32_t(code)) {
            case kAdminCreateFolder:
                if (!ReadPathFrame(channel, first)) return;
                ok = actions.CreateFolder(first.CStr());
                break;
            case kAdminRemoveFolder:
                if (!ReadPathFrame(channel, first)) return;
                ok = actions.RemoveFolder(first.CStr());
                break;
            case kAdminCopyFile:
                if (!ReadPathFrame(channel, first) || !ReadPathFrame(channel, second)) return;
                ok = actions.CopyFile(first.CStr(), second.CStr());
                break;
            case kAdminDeleteFile:
                if (!ReadPathFrame(channel, first)) return;
                ok = actions.DeleteFile(first.CStr());
                break;
            case kAdminEnd:
                return;
            default:
                actions.Pause();
                continue;  // ignored: no frames, no reply
        }
        if (!WriteReply(channel, ok)) return;
        actions.Pause();
    }
}
