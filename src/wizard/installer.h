// The wizard's cells: the Installer controller (a gate cell), its panels
// and the function messages its buttons send.
#pragma once

#include "cell/gates.h"
#include "cell/value_cells.h"
#include "install/batch_jobs.h"

class UiBox;

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
    bool endRequested = false;  // during an installation
    SSlave<Cell> pageBox;  // a UiBox

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

    // An end was asked for (the window closed, a polite signal). A running
    // installation finishes the host in progress, its page says so, and
    // the rest are left as they are. True when nothing runs any more and
    // the program may end.
    bool MayEnd();
    // An end asked during an installation that then did not complete.
    bool EndedIncomplete() const;
    // The host the installation is working on now (empty between hosts).
    WString CurrentHost() const;

    // The box the pages are built in: the main window's UI root, found
    // through the gate "window.veldo" when the Installer is made. Null
    // without a window (the unattended mode).
    UiBox* PageBox() const;

    // The processing pass, once a frame: the page is built when it
    // changed (the first pass shows the agreement page), and the jobs are
    // looked at.
    void Process() override;
    // The gate's turn in the frame loop: the processing pass.
    void Frame() override;

    // Hosts of kinds 0 to 2 found, and how many of them are installed.
    void CountHosts(int32_t& hosts, int32_t& installedHosts) const;

    // After a search: each kind in ascending version order, kinds keeping
    // their positions.
    void SortBatches();

    // Showing a page: the panel for it becomes the only child, and builds
    // itself on the next pass.
    virtual void ShowPage(int32_t newPage);
};

// The tutorial on installing the menu branches by hand.
constexpr const WChar* kTutorialLink = WTXT("https://www.brimvale.com/veldo/tutorials/menu-branches");

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

// Registers the wizard's cell classes, panels included.
void RegisterWizardCellClasses();
