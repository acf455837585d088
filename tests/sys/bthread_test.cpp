// Worker jobs: running on a thread or on the caller's, and being stopped.
#include <gtest/gtest.h>

#include <atomic>

#include <thread>

#include "support/test_support.h"
#include "sys/bthread.h"

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
            std::this_thread::yield();
        }
        return steps;
    }
};

TEST(BThread, RunsOnItsThreadAndFinishes) {
    CountingJob job(5);
    job.Start();
    job.Wait();
    EXPECT_FALSE(job.Running());
    EXPECT_EQ(job.steps, 5);
    EXPECT_FALSE(job.StopRequested());  // it ended by itself: nobody asked
    job.Start();                        // a second run joins the first
    job.Stop();
    EXPECT_FALSE(job.Running());
}

TEST(BThread, StopEndsALongJob) {
    CountingJob job(1 << 30);
    job.Start();
    ASSERT_TRUE(test::WaitFor([&] { return job.steps > 0; }));
    job.Stop();
    EXPECT_FALSE(job.Running());
    EXPECT_TRUE(job.StopRequested());
    EXPECT_LT(job.steps, 1 << 30);
}

TEST(BThread, RunUsesTheCallersThread) {
    CountingJob job(3);
    job.Run();
    EXPECT_EQ(job.steps, 3);
    EXPECT_FALSE(job.Running());
}

}  // namespace
