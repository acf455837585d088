// The admin service's wire format, shared by both ends. Every message is a
// frame: an unsigned 64-bit little-endian byte count and that many bytes.
//
//   hello    service -> client, once   4 bytes: the service's process id
//   code     client -> service          4 bytes: the request code
//   path     client -> service          UTF-16LE text with its terminating
//                                       zero (count 2 x (characters + 1));
//                                       count 0 is an empty text
//   reply    service -> client          1 byte: 1 success, 0 failure
//
// Requests: 0 create folder (path), 1 remove folder (path), 2 copy file
// (source, target), 3 delete file (path), 4 end; other codes are ignored.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/dynamic_string.h"

enum e_AdminRequest : int32_t {
    kAdminCreateFolder = 0,
    kAdminRemoveFolder = 1,
    kAdminCopyFile = 2,
    kAdminDeleteFile = 3,
    kAdminEnd = 4,
};

// A path longer than this many bytes is refused before anything is read.
constexpr uint64_t kMaxPathFrameBytes = 64 * 1024;

class ByteChannel {
public:
    virtual ~ByteChannel() = default;
    // Exactly n bytes, or false.
    virtual bool Read(void* bytes, size_t n) = 0;
    virtual bool Write(const void* bytes, size_t n) = 0;
};

bool WriteFrame(ByteChannel& channel, const void* payload, uint64_t size);
bool ReadFrameCount(ByteChannel& channel, uint64_t& size);
bool WritePathFrame(ByteChannel& channel, const WChar* path);
// Fails on a short read, an odd count, or a count beyond the limit, without
// allocating for it.
bool ReadPathFrame(ByteChannel& channel, WString& path);

bool WriteHello(ByteChannel& channel, uint32_t pid);
bool ReadHello(ByteChannel& channel, uint32_t& pid);

// The client's side of one request: the code, its paths, the reply byte.
// False when anything fails.
bool SendAdminRequest(ByteChannel& channel, int32_t code, const WChar* first, const WChar* second);

// What the service does for each request.
class AdminActions {
public:
    virtual ~AdminActions() = default;
    virtual bool CreateFolder(const WChar* path) = 0;  // true also when it exists
    virtual bool RemoveFolder(const WChar* path) = 0;
    virtual bool CopyFile(const WChar* source, const WChar* target) = 0;
    virtual bool DeleteFile(const WChar* path) = 0;
    // Called after each request.
    virtual void Pause() {}
};

// The service's request loop; returns when the client goes away, a frame
// cannot be read, a reply cannot be written, or on request 4.
void ServeAdminRequests(ByteChannel& channel, AdminActions& actions);
