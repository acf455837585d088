#include "sys/bthread.h"

BThread::~BThread() {
    if (thread_ && thread_->joinable()) thread_->join();
}

void BThread::Start() {
    stopRequest_ = 0;
    if (thread_ && thread_->joinable()) thread_->join();
    running_ = 1;
    thread_.Reset(new std::thread([this] {
        Body();
        std::lock_guard<std::mutex> lock(endLock_);
        running_ = 0;
        ended_.notify_all();
    }));
}

void BThread::Run() {
    stopRequest_ = 0;
    Body();
}

void BThread::Stop() {
    if (thread_) {
        stopRequest_ = 1;
        if (thread_->joinable()) thread_->join();
        running_ = 0;
    }
}

void BThread::Wait() {
    if (thread_ && thread_->joinable()) thread_->join();
}

bool BThread::WaitMs(uint32_t ms) {
    std::unique_lock<std::mutex> lock(endLock_);
    return ended_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return running_.load() == 0; });
}
