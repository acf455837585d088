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
        running_ = 0;
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
