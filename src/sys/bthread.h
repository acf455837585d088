// BThread: the base of the two worker jobs (host search, installation).
// The owner polls Running() once per frame and reads the job's results only
// after it has stopped running; a one-byte stop flag, set only by the owner,
// asks a running job to end.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "core/links.h"

// The byte a job's body polls; non-zero once its owner asked it to end.
using StopFlag = std::atomic<uint8_t>;

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
    // Asks the job to end at its next point of asking, without waiting.
    void RequestStop() { stopRequest_ = 1; }
    // Waits for the job to end by itself (not on the frame loop's thread).
    void Wait();
    // Waits at most ms for the job to end; true when it is not running.
    bool WaitMs(uint32_t ms);
    // The body is executing on the job's thread.
    bool Running() const { return running_.load(); }
    // The owner asked the job to end (cleared when it starts again).
    bool StopRequested() const { return stopRequest_.load(); }
    // What the body hands to work that polls for the owner's request.
    const StopFlag& StopRequest() const { return stopRequest_; }

private:
    StopFlag stopRequest_{0};
    SObject<std::thread> thread_;
    std::atomic<uint8_t> running_{0};
    std::mutex endLock_;
    std::condition_variable ended_;
};
