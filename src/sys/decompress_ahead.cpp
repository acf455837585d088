#include "sys/decompress_ahead.h"

#include <zstd.h>

#include <algorithm>

namespace {

constexpr size_t kFileRead = size_t(1) << 20;  // compressed bytes read at a time

}  // namespace

DecompressAhead::DecompressAhead(SysReadHandle* file, int windowLogMax) : file_(file), windowLogMax_(windowLogMax) {}

DecompressAhead::~DecompressAhead() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        quit_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
}

void DecompressAhead::Start(int64_t offset, uint64_t stored, uint64_t content) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (!worker_.joinable()) {
            pieces_.Resize(int32_t(kAheadPieces * kAheadPieceBytes));
            worker_ = std::thread([this] { Work(); });
        }
        job_ = Job{job_.generation + 1, offset, stored, content};
        head_ = filled_ = 0;
        holding_ = ended_ = failed_ = false;
    }
    changed_.notify_all();
}

bool DecompressAhead::Next(const uint8_t*& bytes, size_t& n) {
    std::unique_lock<std::mutex> hold(lock_);
    if (holding_) {  // the reader is done with the piece it had
        head_ = (head_ + 1) % kAheadPieces;
        --filled_;
        holding_ = false;
        changed_.notify_all();
    }
    changed_.wait(hold, [&] { return filled_ > 0 || ended_ || failed_; });
    if (filled_ == 0) return false;
    holding_ = true;
    bytes = pieces_.data + size_t(head_) * kAheadPieceBytes;
    n = length_[head_];
    return true;
}

// ---- the worker ------------------------------------------------------------------

void DecompressAhead::Work() {
    ZSTD_DCtx* z = ZSTD_createDCtx();
    DynamicArray<uint8_t> in;
    in.Resize(int32_t(kFileRead));
    uint64_t started = 0;  // the generation of the last frame taken
    std::unique_lock<std::mutex> hold(lock_);
    for (;;) {
        changed_.wait(hold, [&] { return quit_ || job_.generation != started; });
        if (quit_) break;
        const Job job = job_;
        started = job.generation;
        hold.unlock();
        const bool whole = z && Decompress(job, z, in);
        hold.lock();
        if (Stale(job)) continue;
        (whole ? ended_ : failed_) = true;
        changed_.notify_all();
    }
    ZSTD_freeDCtx(z);
}

// Fills pieces as the reader frees them until the frame ends; false at
// damage. A frame asked for no longer ends it early (true: nobody waits).
bool DecompressAhead::Decompress(const Job& job, ZSTD_DCtx* z, DynamicArray<uint8_t>& in) {
    ZSTD_DCtx_reset(z, ZSTD_reset_session_only);
    ZSTD_DCtx_setParameter(z, ZSTD_d_windowLogMax, windowLogMax_);  // refuses frames that would want more memory
    uint64_t consumed = 0, produced = 0;
    size_t inStart = 0, inEnd = 0;
    bool frameEnded = false;
    while (!frameEnded) {
        int slot = 0;
        {
            std::unique_lock<std::mutex> hold(lock_);
            changed_.wait(hold, [&] { return Stale(job) || filled_ < kAheadPieces; });
            if (Stale(job)) return true;
            slot = (head_ + filled_) % kAheadPieces;
        }
        uint8_t* out = pieces_.data + size_t(slot) * kAheadPieceBytes;
        size_t outPos = 0;
        while (outPos < kAheadPieceBytes && !frameEnded) {
            if (inStart == inEnd && consumed < job.stored) {  // more of the frame from the file
                const size_t k = size_t(std::min<uint64_t>(kFileRead, job.stored - consumed));
                if (SysReadAt(file_, job.offset + int64_t(consumed), in.data, int64_t(k)) != SysStatus::kOk) return false;
                consumed += k;
                inStart = 0;
                inEnd = k;
            }
            ZSTD_inBuffer src{in.data, inEnd, inStart};
            ZSTD_outBuffer dst{out, kAheadPieceBytes, outPos};
            const size_t r = ZSTD_decompressStream(z, &dst, &src);
            if (ZSTD_isError(r)) return false;
            frameEnded = r == 0;
            if (frameEnded && (src.pos < src.size || consumed < job.stored)) return false;  // bytes after the frame
            if (!frameEnded && dst.pos == outPos && src.pos == inStart && consumed == job.stored) return false;  // cut short
            inStart = src.pos;
            outPos = dst.pos;
        }
        produced += outPos;
        if (produced > job.content || (frameEnded && produced != job.content)) return false;
        if (outPos == 0) continue;
        std::lock_guard<std::mutex> hold(lock_);
        if (Stale(job)) return true;
        length_[slot] = outPos;
        ++filled_;
        changed_.notify_all();
    }
    return true;
}
