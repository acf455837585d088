// The admin service's frames, read by both ends from hostile bytes: short
// reads, huge counts and odd byte counts must fail cleanly without
// allocating what a count claims.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "sys/admin_protocol.h"

namespace {

// Reads come from the fuzz input; writes go nowhere.
class MemoryChannel : public ByteChannel {
public:
    MemoryChannel(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Read(void* bytes, size_t n) override {
        if (n > size_ - used_) return false;
        std::memcpy(bytes, data_ + used_, n);
        used_ += n;
        return true;
    }
    bool Write(const void*, size_t) override { return true; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t used_ = 0;
};

// The service's actions touch nothing: they only look at their paths.
class NoActions : public AdminActions {
public:
    bool CreateFolder(const WChar* p) override { return WLen(p) % 2 == 0; }
    bool RemoveFolder(const WChar* p) override { return WLen(p) % 3 == 0; }
    bool CopyFile(const WChar* a, const WChar* b) override { return WLen(a) < WLen(b); }
    bool DeleteFile(const WChar* p) override { return WLen(p) > 0; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        MemoryChannel service(data, size);
        NoActions actions;
        ServeAdminRequests(service, actions);
    }
    {
        // The client side: a hello, then replies to requests.
        MemoryChannel client(data, size);
        uint32_t pid = 0;
        if (ReadHello(client, pid)) {
            for (int i = 0; i < 4; ++i) SendAdminRequest(client, i, WTXT("C:\\a"), i == 2 ? WTXT("C:\\b") : nullptr);
        }
    }
    return 0;
}
