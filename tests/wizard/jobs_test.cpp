// The wizard's two jobs handed over between the frame loop's thread and
// their own, on a demo prefix: the search and the installation as the pages
// run them, and a window closed while a job runs. The thread tests of the
// ThreadSanitizer build run these.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"
#include "wizard/installer.h"

namespace {

// A demo prefix made by the demo script, for the user "player".
struct DemoPrefix : test::DemoPrefix {
    test::ScopedEnv user{"USER", "player"};
    DemoPrefix() : test::DemoPrefix(VELDO_DEMO_SCRIPT) {}
};

// Frames until the installer shows the page (or the bound passes).
bool FramesUntil(Installer& installer, int32_t page) {
    return test::WaitFor([&] {
        installer.Process();
        return installer.page == page;
    });
}

TEST(Jobs, SearchAndInstallationAsThePagesRunThem) {
    test::WinePrefix home;  // the log's folder is not the user's own
    DemoPrefix demo;
    test::ScopedEnv prefix("WINEPREFIX", demo.prefix.c_str());
    Installer installer;
    installer.RunFunction(Installer::kSearch);
    ASSERT_TRUE(FramesUntil(installer, kPageQuickSettings));
    int32_t hosts = 0, installed = 0;
    installer.CountHosts(hosts, installed);
    EXPECT_EQ(hosts, 6);  // four LightWaves, a 3ds Max, a Cinema 4D
    installer.RunFunction(Installer::kInstallIntoAll);
    EXPECT_EQ(installer.page, kPageInstallation);
    ASSERT_TRUE(FramesUntil(installer, kPageComplete));
    EXPECT_EQ(installer.installJob->errorLines.count, 0);
    const InstallProgress& progress = installer.installJob->progress;
    EXPECT_GT(progress.TotalFiles(), 0);
    EXPECT_EQ(progress.DoneFiles(), progress.TotalFiles());
    EXPECT_TRUE(test::Exists(demo.C("Program Files/Autodesk/3ds Max 2018/plugins/Veldo5.dlo")));
}

// Closing the window destroys the installer, which stops its jobs: a search
// ends where it is; an installation ends between two batches, so that each
// host is either done whole or untouched.
TEST(Jobs, ClosingTheWindowStopsTheJobsCleanly) {
    test::WinePrefix home;
    DemoPrefix pristine, done;
    {
        test::ScopedEnv prefix("WINEPREFIX", done.prefix.c_str());
        Installer installer;
        installer.SearchNow();
        installer.RunFunction(Installer::kInstallIntoAll);
        ASSERT_TRUE(FramesUntil(installer, kPageComplete));
    }
    for (int round = 0; round < 3; ++round) {
        DemoPrefix demo;
        test::ScopedEnv prefix("WINEPREFIX", demo.prefix.c_str());
        {
            auto* searching = new Installer;
            searching->RunFunction(Installer::kSearch);
            delete searching;  // mid-search
        }
        auto* installer = new Installer;
        installer->SearchNow();
        installer->RunFunction(Installer::kInstallIntoAll);
        for (int frame = 0; frame < round; ++frame) installer->Process();
        delete installer;  // mid-installation, or just after
        for (const char* folders : test::kDemoHostFolders) {
            const std::string now = demo.HostSnapshot(folders);
            EXPECT_TRUE(now == pristine.HostSnapshot(folders) || now == done.HostSnapshot(folders))
                << folders << " was left half done in round " << round;
        }
    }
}

}  // namespace
