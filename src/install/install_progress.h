// How far an installation has come, told by its job and read by the window
// once a frame (or by the unattended mode's terminal line) while it runs,
// without locks: the payload is counted before anything is copied and the
// count published at once; then each file copied adds to the done counts.
// The file being copied is an index into the counted list, which no longer
// changes once published.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/container.h"
#include "core/dynamic_string.h"

class InstallProgress {
public:
    // ---- the job's side
    // A payload file to copy (its path below the payload folder).
    void AddFile(const WChar* name, int64_t bytes);
    // The count is complete: readers may look at it from now on.
    void Publish();
    void FileCopied(int64_t bytes);

    // ---- any thread
    bool Counted() const { return counted_.load(std::memory_order_acquire); }
    int32_t TotalFiles() const;
    int64_t TotalBytes() const;
    int32_t DoneFiles() const { return doneFiles_.load(std::memory_order_relaxed); }
    int64_t DoneBytes() const { return doneBytes_.load(std::memory_order_relaxed); }
    // Bytes done of the total (files when the payload has no bytes), 0 to 1;
    // 0 before the count.
    float Fraction() const;
    // The file being copied ("" before the count and after the last).
    const WChar* CurrentFile() const;

private:
    Container<WString> files_;  // the job's until published, then read-only
    int64_t totalBytes_ = 0;
    std::atomic<bool> counted_{false};
    std::atomic<int32_t> doneFiles_{0};
    std::atomic<int64_t> doneBytes_{0};
};
