// The wizard's cells: the Installer controller (a gate cell), its panels
// and the function messages its buttons send.
#pragma once

#include "cell/gates.h"
#include "cell/value_cells.h"
#include "install/batch_jobs.h"

// The pages of the wizard, in the order the user meets them.
enum e_WizardPage : int32_t {
    kPageNone = -1,
    kPageWelcome = 0,
    kPageSearching = 1,
    kPageQuickSettings = 2,
    kPageFix = 3,
    kPageInstallation = 4,
    kPageComplete = 5,
};

// The controller of the wizard: owns the batches and the two jobs, runs the
// numbered functions its buttons send, and moves from page to page as the
// jobs finish.
class Installer : public GCell {
    VELDO_CELL(Installer, GCell, 0x2D8089BA2B6E47B7ULL)

public:
    enum Function : int32_t {
        kShowWelcome = 0,
        kSearch = 1,
        kShowQuickSettings = 2,
        kPrepare = 3,
        kInstall = 4,
        kInstallIntoAll = 5,
        kRemoveFromAll = 6,
        kInstallIntoOne = 7,
        kRemoveFromOne = 8,
        kOpenTutorial = 9,
        kCloseWindow = 10,
    };

    BatchList batches;
    SObject<InstallBatchGen> searchJob;
    SObject<InstallBatchProcessor> installJob;
    DynamicArray<int32_t> fixes;  // of the last preparation
    int32_t page = kPageNone;
    bool closeRequested = false;

    Installer();
    // Stops and waits for a running job before anything else goes.
    ~Installer() override;

    SSlave<Cell> Receive(Cell& message) override;
    bool Accepts(CellKey messageKey) const override;

    void RunFunction(int32_t function);
    void RunBatchFunction(int32_t function, int32_t position);

    // The controller's turn: moves on when a job has finished. True when
    // the page changed.
    bool Poll();

    // The search on the calling thread, followed by what its end brings.
    void SearchNow();

    // Hosts of kinds 0 to 2 found, and how many of them are installed.
    void CountHosts(int32_t& hosts, int32_t& installedHosts) const;

    // After a search: each kind in ascending version order, kinds keeping
    // their positions.
    void SortBatches();

protected:
    // Showing a page; the wizard's panels arrive here.
    virtual void ShowPage(int32_t newPage);
};

// The tutorial on installing the menu branches by hand.
constexpr const WChar* kTutorialLink = WTXT("https://www.brimvale.com/veldo/tutorials/menu-branches");

// Base of all panels. Tag 0, "Panel", is the rebuild flag: marking it
// changed asks for a rebuild on the next pass.
class InstallPanel : public HCell {
    VELDO_CELL(InstallPanel, HCell, 0x0EB7267D910645F0ULL)

public:
    enum TagIndex : int32_t { kPanel, kPanelTagCount };
    void DeclareTags() override;
};

VELDO_EMPTY_CELL(InstallPanel0_Welcome, InstallPanel, 0x298B9394CEAD5D07ULL);
VELDO_EMPTY_CELL(InstallPanel1_SearchingPlatforms, InstallPanel, 0x5F199F8C0F56D31FULL);
VELDO_EMPTY_CELL(InstallPanel2_QuickSettings, InstallPanel, 0x5E0D3DB361DEFE51ULL);
VELDO_EMPTY_CELL(InstallPanel3_Fix, InstallPanel, 0x44CD4D451E43F00AULL);
VELDO_EMPTY_CELL(InstallPanel4_Installation, InstallPanel, 0xDC3D9641DDB9901BULL);
VELDO_EMPTY_CELL(InstallPanel5_InstallationComplete, InstallPanel, 0x9961EEC42F152E1FULL);

// Toggles the completion panel's report.
class InstallPanel5_InstallationComplete_SwitchReport : public Cell {
    VELDO_CELL(InstallPanel5_InstallationComplete_SwitchReport, Cell, 0xB60B7134616F9C00ULL)
};

// A controller function by number (-1 when unset).
class Installer_Fnc : public IdxCell {
    VELDO_CELL(Installer_Fnc, IdxCell, 0x63CAA1190C050429ULL)

public:
    Installer_Fnc() { value = -1; }
};

// A controller function (7 or 8) with the position of a batch.
class Installer_Param_Fnc : public IdxCell {
    VELDO_CELL(Installer_Param_Fnc, IdxCell, 0xED6C3C5C8854D8B2ULL)

public:
    int32_t batch = -1;

    Installer_Param_Fnc() { value = -1; }
    void CopyFrom(const Cell& other) override;
    bool Equals(const Cell& other) const override;
};

void RegisterWizardCellClasses();
