// An installation's progress: counted before anything is copied, then
// following each file, read from another thread while the job runs.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "install/batch_jobs.h"
#include "install/install_choices.h"
#include "install/install_progress.h"
#include "support/test_support.h"

namespace {

using test::U;
using test::W;

TEST(InstallProgress, ReadersSeeTheCountOnlyOncePublished) {
    InstallProgress p;
    p.AddFile(WTXT("a.p"), 10);
    p.AddFile(WTXT("sub\\b.lng"), 30);
    EXPECT_FALSE(p.Counted());
    EXPECT_EQ(p.TotalFiles(), 0);
    EXPECT_EQ(p.Fraction(), 0.0f);
    EXPECT_EQ(U(p.CurrentFile()), "");
    p.Publish();
    EXPECT_EQ(p.TotalFiles(), 2);
    EXPECT_EQ(p.TotalBytes(), 40);
    EXPECT_EQ(U(p.CurrentFile()), "a.p");
    p.FileCopied(10);
    EXPECT_FLOAT_EQ(p.Fraction(), 0.25f);
    EXPECT_EQ(U(p.CurrentFile()), "sub\\b.lng");
    p.FileCopied(30);
    EXPECT_EQ(p.Fraction(), 1.0f);
    EXPECT_EQ(U(p.CurrentFile()), "");
    p.AddFile(WTXT("late"), 5);  // the list stays as published
    EXPECT_EQ(p.TotalFiles(), 2);

    // Empty files count by number; nothing to copy is done at once.
    InstallProgress empty;
    empty.AddFile(WTXT("x"), 0);
    empty.AddFile(WTXT("y"), 0);
    empty.Publish();
    empty.FileCopied(0);
    EXPECT_FLOAT_EQ(empty.Fraction(), 0.5f);
    InstallProgress none;
    none.Publish();
    EXPECT_EQ(none.Fraction(), 1.0f);
}

struct Payload : testing::Test {
    test::WinePrefix prefix;
    test::TempDir payload, host;
    BatchList batches;

    void SetUp() override {
        test::WriteFile(payload / "a.p", "12345");
        test::MakeDirs(payload / "sub");
        test::WriteFile(payload / "sub/b.lng", "xy");
        test::WriteFile(payload / "empty", "");
        auto* batch = new InstallBatch;
        batch->pathValue = W(test::WindowsForm(host.path()));
        batch->fileAction.value = kChoiceInstall;
        FileTransfer* t = batch->AddTransfer(kTransferFolder, WTXT("payload"), WTXT("%PATH%"), nullptr, true);
        t->source.Assign(W(test::WindowsForm(payload.path())).CStr());
        batches.Add(batch);
    }
};

TEST_F(Payload, TheJobCountsWhatItCopies) {
    InstallBatchProcessor job(batches);
    job.Run();
    ASSERT_EQ(job.errorLines.count, 0);
    const InstallProgress& p = job.progress;
    EXPECT_TRUE(p.Counted());
    EXPECT_EQ(p.TotalFiles(), 3);
    EXPECT_EQ(p.TotalBytes(), 7);
    EXPECT_EQ(p.DoneFiles(), 3);
    EXPECT_EQ(p.DoneBytes(), 7);
    EXPECT_EQ(p.Fraction(), 1.0f);
    EXPECT_EQ(test::ReadFile(host / "sub/b.lng"), "xy");

    // Removing copies nothing and counts nothing.
    batches[0]->fileAction.value = kChoiceRemove;
    InstallBatchProcessor removal(batches);
    removal.Run();
    EXPECT_TRUE(removal.progress.Counted());
    EXPECT_EQ(removal.progress.TotalFiles(), 0);
    EXPECT_FALSE(test::Exists(host / "a.p"));
}

// The window's side: read once a frame on its own thread while the job
// copies; the counts only grow and every name read is one of the payload's.
TEST_F(Payload, ReadWhileTheJobRuns) {
    for (int i = 0; i < 200; ++i) test::WriteFile(payload / ("many" + std::to_string(i)), std::string(i, 'x'));
    InstallBatchProcessor job(batches);
    job.Start();
    int32_t lastDone = 0;
    float lastFraction = 0;
    bool sane = true;
    while (job.Running() || !job.progress.Counted()) {
        const InstallProgress& p = job.progress;
        if (!p.Counted()) continue;
        const int32_t done = p.DoneFiles();
        const float fraction = p.Fraction();
        const std::string name = U(p.CurrentFile());
        sane = sane && done >= lastDone && fraction >= lastFraction && done <= p.TotalFiles() &&
               (name.empty() || test::Exists(payload / (name == "sub\\b.lng" ? "sub/b.lng" : name)));
        lastDone = done;
        lastFraction = fraction;
    }
    job.Wait();
    EXPECT_TRUE(sane);
    EXPECT_EQ(job.progress.DoneFiles(), 203);
    EXPECT_EQ(job.progress.Fraction(), 1.0f);
}

}  // namespace
