// BThread: the base of the two worker jobs (host search, installation).
// The owner polls Running() once per frame and reads the job's results only
// after it has stopped; a one-byte stop flag asks a job to end.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "cell/links.h"

class BThread {
public:
    BThread() = default;
    BThread(const BThread&) = delete;
    BThread& operator=(const BThread&) = delete;
    // Joins a thread that is still running: derived jobs call Stop() first,
    // while their own members are alive.
    virtual ~BThread();

    // Runs the body on a new thread (joining any previous one first).
    virtual void Start();
    // Runs the body on the calling thread.
    virtual void Run();
    // The job's work; the result is not used by callers.
    virtual int32_t Body() = 0;

    // Asks the job to end and waits for it.
    void Stop();
    bool Running() const { return running_.load(); }
    bool StopRequested() const { return stop_.load(); }
    // The flag discovery polls between registry subkeys.
    const std::atomic<uint8_t>& StopFlag() const { return stop_; }

private:
    std::atomic<uint8_t> stop_{0};
    SObject<std::thread> thread_;
    std::atomic<uint8_t> running_{0};
};
