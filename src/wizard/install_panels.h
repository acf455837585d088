// The wizard's pages. Each panel is a cell whose first tag, "Panel", is its
// rebuild flag: marking it changed asks for a rebuild on the next pass.
// A panel builds into the installer's page box: the common frame (the
// banner column, then the content box), then its own rows; each page's
// rows are in a file of its own (page_*.cpp).
#pragma once

#include "cell/hcell.h"
#include "install/batch_jobs.h"

class Installer;
class UiBox;

class InstallPanel : public HCell {
    VELDO_CELL(InstallPanel, HCell, 0x0EB7267D910645F0ULL)

public:
    enum TagIndex : int32_t { kPanel, kPanelTagCount };

    void DeclareTags() override;
    // Marks "Panel" changed: the next pass builds the page again.
    void RequestRebuild();
    // When "Panel" changed: the frame and the page's rows in the
    // installer's page box; then the generic pass.
    void Process() override;
    // The page's rows, into the frame's content box.
    virtual void Build(Installer& installer, UiBox& content) {}
    // Once a frame: what changes while a job runs (counts, a bar).
    virtual void Update(Installer& installer) {}
    // The page's name in the log.
    virtual const WChar* PageName() const { return WTXT("none"); }

protected:
    // Set by Build: the button the keyboard starts on, and the one Escape
    // presses (null: none).
    UiBox* forward_ = nullptr;
    UiBox* cancel_ = nullptr;
};

class InstallPanel0_Welcome : public InstallPanel {
    VELDO_CELL(InstallPanel0_Welcome, InstallPanel, 0x298B9394CEAD5D07ULL)

public:
    const WChar* PageName() const override { return WTXT("agreement"); }
    void Build(Installer& installer, UiBox& content) override;
};

class InstallPanel1_SearchingPlatforms : public InstallPanel {
    VELDO_CELL(InstallPanel1_SearchingPlatforms, InstallPanel, 0x5F199F8C0F56D31FULL)

public:
    const WChar* PageName() const override { return WTXT("search"); }
    void Build(Installer& installer, UiBox& content) override;
    // How many host records the search has looked at.
    void Update(Installer& installer) override;

private:
    SSlave<Cell> count_;
    int32_t shown_ = -1;
};

class InstallPanel2_QuickSettings : public InstallPanel {
    VELDO_CELL(InstallPanel2_QuickSettings, InstallPanel, 0x5E0D3DB361DEFE51ULL)

public:
    const WChar* PageName() const override { return WTXT("quick settings"); }
    void Build(Installer& installer, UiBox& content) override;
};

class InstallPanel3_Fix : public InstallPanel {
    VELDO_CELL(InstallPanel3_Fix, InstallPanel, 0x44CD4D451E43F00AULL)

public:
    const WChar* PageName() const override { return WTXT("fix"); }
    DynamicArray<int32_t> fixes;  // a copy of the preparation's codes
    void Build(Installer& installer, UiBox& content) override;
};

class InstallPanel4_Installation : public InstallPanel {
    VELDO_CELL(InstallPanel4_Installation, InstallPanel, 0xDC3D9641DDB9901BULL)

public:
    const WChar* PageName() const override { return WTXT("installing"); }
    void Build(Installer& installer, UiBox& content) override;
    // The bar and the file being copied, from the job's progress; once an
    // end was asked for, the heading names the host being finished.
    void Update(Installer& installer) override;

private:
    SSlave<Cell> heading_, bar_, file_;
    int32_t shownFiles_ = -1;
    bool finishingShown_ = false;
};

class InstallPanel5_InstallationComplete : public InstallPanel {
    VELDO_CELL(InstallPanel5_InstallationComplete, InstallPanel, 0x9961EEC42F152E1FULL)

public:
    const WChar* PageName() const override;
    InstallBatchProcessor* processor = nullptr;  // the finished job (the installer's)
    bool reportShown = false;

    void Build(Installer& installer, UiBox& content) override;
    // "Show report" / "Hide report".
    SSlave<Cell> Receive(Cell& message) override;
    bool Accepts(CellKey key) const override;
};

// Registers the panels' classes.
void RegisterPanelCellClasses();
