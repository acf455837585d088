// One compressed frame of a file decompressed on a thread of its own, a few
// pieces ahead of its reader: while the reader writes a piece out, the next
// is being decompressed. What is ahead is bounded (kAheadPieces pieces of
// kAheadPieceBytes), so memory does not grow with the frame.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>

#include "core/dynamic_array.h"
#include "sys/platform.h"

struct ZSTD_DCtx_s;

class DecompressAhead {
public:
    static constexpr int kAheadPieces = 4;
    static constexpr size_t kAheadPieceBytes = size_t(1) << 20;

    // Frames are read from file (which outlives this) and refused when they
    // would want a window larger than 2^windowLogMax bytes.
    DecompressAhead(SysReadHandle* file, int windowLogMax);
    ~DecompressAhead();
    DecompressAhead(const DecompressAhead&) = delete;
    DecompressAhead& operator=(const DecompressAhead&) = delete;

    // Starts on the frame of `stored` bytes at offset in the file, which
    // must give exactly `content` bytes; whatever was ahead of the last one
    // is dropped.
    void Start(int64_t offset, uint64_t stored, uint64_t content);
    // The next piece of the frame's content, valid until the next call;
    // false at its end, or when the frame is damaged, cannot be read or
    // gives another length than `content`.
    bool Next(const uint8_t*& bytes, size_t& n);

private:
    struct Job {
        uint64_t generation = 0;
        int64_t offset = 0;
        uint64_t stored = 0;
        uint64_t content = 0;
    };
    void Work();
    bool Decompress(const Job& job, ZSTD_DCtx_s* z, DynamicArray<uint8_t>& in);
    bool Stale(const Job& job) const { return quit_ || job_.generation != job.generation; }

    SysReadHandle* file_;
    int windowLogMax_;

    std::mutex lock_;
    std::condition_variable changed_;
    Job job_;                      // the frame asked for last
    bool quit_ = false;
    bool ended_ = false;           // the worker has given all of it
    bool failed_ = false;          // or stopped at damage
    int head_ = 0;                 // the oldest piece given and not yet released
    int filled_ = 0;               // pieces from head_ on that hold content
    bool holding_ = false;         // the reader holds the piece at head_
    size_t length_[kAheadPieces] = {};
    DynamicArray<uint8_t> pieces_;  // kAheadPieces pieces side by side
    std::thread worker_;            // started with the first frame
};
