#include "install/executable_bitness.h"

#include "sys/platform.h"

namespace {

// The PE signature ("PE\0\0") is looked for in the file's first bytes; the
// machine field follows it, little-endian.
constexpr int kHeadBytes = 512;
constexpr int kSignatureAndMachine = 6;
constexpr uint8_t kAmd64Low = 0x64, kAmd64High = 0x86;  // IMAGE_FILE_MACHINE_AMD64, 0x8664
constexpr uint8_t kI386Low = 0x4C;                       // IMAGE_FILE_MACHINE_I386, 0x014C

}  // namespace

int32_t ExecutableBitness(const WChar* path) {
    WString native;
    if (!SysNativePath(path, native)) return -1;
    uint8_t head[kHeadBytes];
    int64_t count = 0;
    if (SysReadFileHead(native.CStr(), head, sizeof head, count) != SysStatus::kOk || count < kHeadBytes) return -1;
    for (int i = 0; i + kSignatureAndMachine < kHeadBytes; ++i) {
        if (head[i] != 'P' || head[i + 1] != 'E' || head[i + 2] != 0 || head[i + 3] != 0) continue;
        if (head[i + 4] == kAmd64Low && head[i + 5] == kAmd64High) return 64;
        if (head[i + 4] == kI386Low) return 32;
    }
    return -1;
}
