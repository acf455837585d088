// Worker jobs: running on a thread or on the caller's, and being stopped.
#include <gtest/gtest.h>

#include <atomic>

#include "sys/bthread.h"
#include "sys/platform.h"

namespace {

// Counts until asked to stop, as discovery polls between registry subkeys.
struct CountingJob : BThread {
    std::atomic<int> steps{0};
    int limit;
    explicit CountingJob(int l) : limit(l) {}
    ~CountingJob() override { Stop(); }
    int32_t Body() override {
        while (!StopRequested() && steps < limit) {
            ++steps;
            SysSleepMs(1);
        }
        return steps;
    }
};

TEST(BThread, RunsOnItsThreadAndFinishes) {
    CountingJob job(5);
    job.Start();
    while (job.Running()) SysSleepMs(1);
    EXPECT_EQ(job.steps, 5);
    EXPECT_TRUE(job.StopRequested());  // set when the body ends
    job.Start();                        // a second run joins the first
    job.Stop();
    EXPECT_FALSE(job.Running());
}

TEST(BThread, StopEndsALongJob) {
    CountingJob job(1 << 30);
    job.Start();
    while (job.steps == 0) SysSleepMs(1);
    job.Stop();
    EXPECT_FALSE(job.Running());
    EXPECT_LT(job.steps, 1 << 30);
}

TEST(BThread, RunUsesTheCallersThread) {
    CountingJob job(3);
    job.Run();
    EXPECT_EQ(job.steps, 3);
    EXPECT_FALSE(job.Running());
}

}  // namespace
