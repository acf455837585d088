#include "sys/bthread.h"

BThread::~BThread() {
    if (thread_ && thread_->joinable()) thread_->join();
}

void BThread::Start() {
    stop_ = 0;
    if (thread_ && thread_->joinable()) thread_->join();
    running_ = 1;
    thread_.Reset(new std::thread([this] {
        Body();
        running_ = 0;
        stop_ = 1;
    }));
}

void BThread::Run() {
    stop_ = 0;
    Body();
}

void BThread::Stop() {
    if (thread_) {
        stop_ = 1;
        if (thread_->joinable()) thread_->join();
        stop_ = 1;
        running_ = 0;
    }
}
