// A reversible filter for x86 and x86-64 machine code that makes it
// compress better: the 32-bit relative target of each call (E8) and jump
// (E9) whose top byte is 0x00 or 0xFF (a near target) becomes absolute, so
// that every call to one function reads the same wherever it stands. Only
// the low 25 bits change, and the top byte stays 0x00 or 0xFF. Where the
// filter acts is decided by bytes that are the same before and after it
// (the opcode, that top byte, and no change starting within the four bytes
// after an opcode left as it is, whose top byte it would touch), so
// decoding finds exactly the places encoding changed.
//
// Streaming: the pieces of one file go through Process in order; up to
// four bytes that may start a call running into the next piece are held
// back until it comes (or the file ends).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class X86CallFilter {
public:
    enum class Direction { kEncode, kDecode };
    explicit X86CallFilter(Direction direction) : direction_(direction) {}

    // Filters the next n bytes of the file; last for its final piece.
    // emit gets the filtered bytes as they are ready (false stops: Process
    // returns false).
    bool Process(const uint8_t* bytes, size_t n, bool last, const std::function<bool(const uint8_t*, size_t)>& emit);

    // Ready for the next file (what it holds keeps its room).
    void Restart() {
        position_ = quietUntil_ = 0;
        work_.clear();
    }

    // Whether a file that starts with these bytes is x86 or x86-64 code
    // (an ELF or PE file for those machines).
    static bool IsX86Code(const uint8_t* head, size_t n);

private:
    Direction direction_;
    uint64_t position_ = 0;        // the file offset of work_'s first byte
    uint64_t quietUntil_ = 0;      // no change starts before this offset
    std::vector<uint8_t> work_;    // the held-back bytes, then the new piece
};
