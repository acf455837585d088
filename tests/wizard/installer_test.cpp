// The installer controller without a window: the order of its batches and
// what the one-host choices set.
#include <gtest/gtest.h>

#include "support/test_support.h"
#include "wizard/installer.h"

namespace {

TEST(Installer, TheInstallerSortsEachKindByVersion) {
    Installer installer;
    auto add = [&](InstallBatch* b, float v) {
        b->hostVersion = v;
        installer.batches.Add(b);
    };
    add(new LwInstallBatch, 2019);
    add(new MaxInstallBatch, 20);
    add(new LwInstallBatch, 2018);
    add(new LwInstallBatch, 11);
    add(new PresetsInstallBatch, 0);
    installer.SortBatches();
    const float expected[] = {11, 20, 2018, 2019, 0};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(installer.batches[i]->hostVersion, expected[i]);
    EXPECT_EQ(installer.batches[1]->PlatformKind(), kPlatformMax);  // kept its place
}

TEST(Installer, OneHostChoicesLeaveTheOthers) {
    Installer installer;
    installer.batches.Add(new LwInstallBatch);
    installer.batches.Add(new MaxInstallBatch);
    installer.batches.Add(new PresetsInstallBatch);
    // Remove from the first: the presets batch is left alone; no transfers,
    // so the preparation finds nothing and the installation starts.
    installer.RunBatchFunction(Installer::kRemoveFromOne, 0);
    EXPECT_EQ(installer.batches[0]->fileAction.value, kChoiceRemove);
    EXPECT_EQ(static_cast<LwInstallBatch*>(installer.batches[0])->menuAction.value, kChoiceRemove);
    EXPECT_EQ(installer.batches[1]->fileAction.value, kChoiceLeave);
    EXPECT_EQ(installer.batches[2]->fileAction.value, kChoiceLeave);
    EXPECT_EQ(installer.page, kPageInstallation);
    ASSERT_TRUE(test::WaitFor([&] { return installer.Poll(); }));
    EXPECT_EQ(installer.page, kPageComplete);
    installer.RunBatchFunction(Installer::kInstallIntoOne, 1);
    EXPECT_EQ(installer.batches[0]->fileAction.value, kChoiceLeave);
    EXPECT_EQ(installer.batches[1]->fileAction.value, kChoiceInstall);
    EXPECT_EQ(installer.batches[2]->fileAction.value, kChoiceInstall);
    EXPECT_FALSE(installer.batches[0]->HasAction());
}

// Functions 5 and 6: everything installs; only what is there is removed,
// files and LightWave menus each by what is installed.
TEST(Installer, AllHostChoices) {
    Installer installer;
    auto* lwMenusOnly = new LwInstallBatch;
    lwMenusOnly->menusInstalled = true;
    auto* maxInstalled = new MaxInstallBatch;
    maxInstalled->installed = true;
    installer.batches.Add(lwMenusOnly);
    installer.batches.Add(maxInstalled);
    installer.batches.Add(new C4dInstallBatch);
    installer.RunFunction(Installer::kRemoveFromAll);
    EXPECT_EQ(lwMenusOnly->fileAction.value, kChoiceLeave);
    EXPECT_EQ(lwMenusOnly->menuAction.value, kChoiceRemove);
    EXPECT_EQ(maxInstalled->fileAction.value, kChoiceRemove);
    EXPECT_EQ(installer.batches[2]->fileAction.value, kChoiceLeave);
    ASSERT_TRUE(test::WaitFor([&] { return installer.Poll(); }));
    installer.RunFunction(Installer::kInstallIntoAll);
    for (int32_t i = 0; i < installer.batches.count; ++i)
        EXPECT_EQ(installer.batches[i]->fileAction.value, kChoiceInstall) << i;
    EXPECT_EQ(lwMenusOnly->menuAction.value, kChoiceInstall);
    ASSERT_TRUE(test::WaitFor([&] { return installer.Poll(); }));
}

}  // namespace
