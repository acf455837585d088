// A gate over bytes in memory, for tests and fuzzing of the chunk files.
#pragma once

#include <cstring>
#include <vector>

#include "cell/gates.h"

class MemoryGate : public VirtualGate {
public:
    std::vector<uint8_t> bytes;
    size_t readAt = 0;
    int opens = 0;

    bool Open(int32_t m) override {
        if (m == kWrite) bytes.clear();
        readAt = 0;
        mode = m;
        ++opens;
        return true;
    }
    bool Close() override {
        const bool wasOpen = mode >= 0;
        mode = -1;
        return wasOpen;
    }
    bool IsOpen() const override { return mode >= 0; }
    bool Write(const void* p, int64_t n) override {
        if (mode != kWrite || n < 0) return false;
        const size_t at = bytes.size();
        bytes.resize(at + size_t(n));
        if (n > 0) std::memcpy(bytes.data() + at, p, size_t(n));
        return true;
    }
    bool Read(void* p, int64_t n) override {
        if (mode != kRead || n < 0 || size_t(n) > bytes.size() - readAt) return false;
        if (n > 0) std::memcpy(p, bytes.data() + readAt, size_t(n));
        readAt += size_t(n);
        return true;
    }
    bool WriteText(const WString& text) override {
        bytes.clear();
        for (int32_t i = 0; i < text.Length(); ++i) bytes.push_back(uint8_t(text[i]));  // ASCII in tests
        return true;
    }
    bool ReadText(WString& text) override {
        text.Assign(static_cast<const WChar*>(nullptr));
        for (uint8_t b : bytes) text.AppendChar(WChar(b));
        return true;
    }
};
