#include "sys/x86_call_filter.h"

#include <cstring>

namespace {

constexpr uint8_t kCall = 0xE8, kJump = 0xE9;
constexpr size_t kInstructionBytes = 5;  // the opcode and a 32-bit target
constexpr uint32_t kTargetMask = (uint32_t(1) << 25) - 1;

bool IsNearTop(uint8_t b) { return b == 0x00 || b == 0xFF; }

}  // namespace

bool X86CallFilter::Process(const uint8_t* bytes, size_t n, bool last,
                            const std::function<bool(const uint8_t*, size_t)>& emit) {
    if (n > 0) work_.insert(work_.end(), bytes, bytes + n);
    uint8_t* b = work_.data();
    const size_t size = work_.size();
    size_t i = 0;
    while (i + kInstructionBytes <= size) {
        const bool opcode = b[i] == kCall || b[i] == kJump;
        if (!opcode || position_ + i < quietUntil_ || !IsNearTop(b[i + 4])) {
            // An opcode left as it is decided on its fourth byte after it:
            // no change may reach that byte, so none starts before it.
            if (opcode) quietUntil_ = position_ + i + 4;
            ++i;
            continue;
        }
        uint32_t target = uint32_t(b[i + 1]) | uint32_t(b[i + 2]) << 8 | uint32_t(b[i + 3]) << 16 |
                          (b[i + 4] ? uint32_t(1) << 24 : 0);
        const uint32_t next = uint32_t(position_ + i + kInstructionBytes);  // where a relative target counts from
        target = (direction_ == Direction::kEncode ? target + next : target - next) & kTargetMask;
        b[i + 1] = uint8_t(target);
        b[i + 2] = uint8_t(target >> 8);
        b[i + 3] = uint8_t(target >> 16);
        b[i + 4] = (target >> 24) & 1 ? 0xFF : 0x00;
        i += kInstructionBytes;
    }
    // What may still start an instruction waits for the next piece.
    const size_t ready = last ? size : i;
    if (ready > 0 && !emit(b, ready)) return false;
    work_.erase(work_.begin(), work_.begin() + ptrdiff_t(ready));
    position_ += ready;
    return true;
}

bool X86CallFilter::IsX86Code(const uint8_t* head, size_t n) {
    constexpr uint16_t kElfX86 = 3, kElfX86_64 = 62, kPeX86 = 0x14C, kPeX86_64 = 0x8664;
    if (n >= 20 && std::memcmp(head, "\x7F" "ELF", 4) == 0 && head[5] == 1) {  // little-endian
        const uint16_t machine = uint16_t(head[18] | head[19] << 8);
        return machine == kElfX86 || machine == kElfX86_64;
    }
    if (n >= 0x40 && head[0] == 'M' && head[1] == 'Z') {
        const size_t pe = size_t(head[0x3C]) | size_t(head[0x3D]) << 8 | size_t(head[0x3E]) << 16 |
                          size_t(head[0x3F]) << 24;
        if (pe + 6 > n || std::memcmp(head + pe, "PE\0\0", 4) != 0) return false;
        const uint16_t machine = uint16_t(head[pe + 4] | head[pe + 5] << 8);
        return machine == kPeX86 || machine == kPeX86_64;
    }
    return false;
}
