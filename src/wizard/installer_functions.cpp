// The Installer's non-visual half: functions, jobs and batch order.
// Sections: life; messages; functions; jobs; registration.
#include "wizard/installer.h"

#include "core/log.h"
#include "cell/gate_table.h"
#include "cell/registry.h"
#include "gx/window_cells.h"
#include "install/discovery.h"
#include "sys/platform.h"
#include "ui/ui_messages.h"
#include "ui/ui_root.h"
#include "wizard/install_panels.h"

// ---- life ------------------------------------------------------------------

namespace {

// The main window's gate cell, if there is one.
WndGx* MainWindow() { return dynamic_cast<WndGx*>(FindGateCell(HddGateKey(WTXT("window.veldo")))); }

}  // namespace

Installer::Installer() {
    // The document of the installer window: a numbered file key.
    HddGateKey key;
    gate.Reset(new HddGate);
    gate->SetKey(key);
    // The pages are built in the main window's UI root.
    if (WndGx* window = MainWindow(); window && window->children.count == 1)
        if (auto* root = CellAs<UiRoot>(window->children[0])) pageBox = root->SelfSlave();
}

UiBox* Installer::PageBox() const { return CellAs<UiBox>(pageBox.Get()); }

Installer::~Installer() {
    for (BThread* job : {static_cast<BThread*>(searchJob.Get()), static_cast<BThread*>(installJob.Get())})
        if (job) job->Stop();
    searchJob.Reset(nullptr);
    installJob.Reset(nullptr);
    batches.Clear();
}

void Installer::ShowPage(int32_t newPage) {
    page = newPage;
    while (children.count > 0) children.Remove(0);
    InstallPanel* panel = nullptr;
    switch (newPage) {
        case kPageWelcome: panel = new InstallPanel0_Welcome; break;
        case kPageSearching: panel = new InstallPanel1_SearchingPlatforms; break;
        case kPageQuickSettings: panel = new InstallPanel2_QuickSettings; break;
        case kPageFix: {
            auto* fix = new InstallPanel3_Fix;
            fix->fixes = fixes;
            panel = fix;
            break;
        }
        case kPageInstallation: panel = new InstallPanel4_Installation; break;
        case kPageComplete: {
            auto* complete = new InstallPanel5_InstallationComplete;
            complete->processor = installJob.Get();
            panel = complete;
            break;
        }
        default: break;
    }
    if (panel) AddChild(panel);
    MarkChanged();
}

void Installer::Process() {
    if (IsChanged()) {
        HCell::Process();  // the page builds itself when it is new
        if (children.count == 0) {
            ShowPage(kPageWelcome);
            HCell::Process();
        }
    }
    Poll();
}

void Installer::Frame() { Process(); }

// ---- messages ----------------------------------------------------------------

// It asks only for the time that passes; its functions come all the same.
bool Installer::Accepts(CellKey key) const { return key == UiBox_Process_TimeDelta_Act::kClassKey; }

SSlave<Cell> Installer::Receive(Cell& message) {
    switch (message.ClassKey()) {
        case Installer_Fnc::kClassKey:
            RunFunction(static_cast<Installer_Fnc&>(message).value);
            return {};
        case Installer_Param_Fnc::kClassKey: {
            auto& m = static_cast<Installer_Param_Fnc&>(message);
            RunBatchFunction(m.value, m.batch);
            return {};
        }
        default:
            return GCell::Receive(message);
    }
}

// A function message that names a batch compares and copies it too.
void Installer_Param_Fnc::CopyFrom(const Cell& other) {
    IdxCell::CopyFrom(other);
    if (auto* o = dynamic_cast<const Installer_Param_Fnc*>(&other); o && o != this) batch = o->batch;
}

bool Installer_Param_Fnc::Equals(const Cell& other) const {
    auto* o = dynamic_cast<const Installer_Param_Fnc*>(&other);
    return IdxCell::Equals(other) && o && o->batch == batch;
}

// ---- functions ---------------------------------------------------------------

void Installer::RunFunction(int32_t function) {
    switch (function) {
        case kShowWelcome:
            ShowPage(kPageWelcome);
            break;
        case kSearch:
            ShowPage(kPageSearching);
            searchJob.Reset(nullptr);
            batches.Clear();
            searchJob.Reset(new InstallBatchGen(batches));
            searchJob->Start();
            break;
        case kShowQuickSettings:
            ShowPage(kPageQuickSettings);
            break;
        case kPrepare: {
            fixes.Clear();
            SObject<InstallBatchProcessor> temporary(new InstallBatchProcessor(batches));
            temporary->Prepare(fixes);
            if (fixes.count > 0) ShowPage(kPageFix);
            else RunFunction(kInstall);
            break;
        }
        case kInstall:
            ShowPage(kPageInstallation);
            installJob.Reset(new InstallBatchProcessor(batches));
            installJob->Start();
            break;
        case kInstallIntoAll:
            for (int32_t i = 0; i < batches.count; ++i) {
                batches[i]->fileAction.value = kChoiceInstall;
                if (auto* lw = dynamic_cast<LwInstallBatch*>(batches[i])) lw->menuAction.value = kChoiceInstall;
            }
            RunFunction(kPrepare);
            break;
        case kRemoveFromAll:
            for (int32_t i = 0; i < batches.count; ++i) {
                InstallBatch* b = batches[i];
                b->fileAction.value = b->installed ? kChoiceRemove : kChoiceLeave;
                if (auto* lw = dynamic_cast<LwInstallBatch*>(b))
                    lw->menuAction.value = lw->menusInstalled ? kChoiceRemove : kChoiceLeave;
            }
            RunFunction(kPrepare);
            break;
        case kOpenTutorial:
            SysOpenLink(kTutorialLink);
            break;
        case kCloseWindow:
            closeRequested = true;
            if (WndGx* window = MainWindow()) window->SetShouldClose(true);
            break;
        default:
            break;  // not a function of the installer
    }
}

void Installer::RunBatchFunction(int32_t function, int32_t position) {
    if (function != kInstallIntoOne && function != kRemoveFromOne) return;
    const int32_t chosen = function == kInstallIntoOne ? kChoiceInstall : kChoiceRemove;
    for (int32_t i = 0; i < batches.count; ++i) {
        InstallBatch* b = batches[i];
        const int32_t choice = i == position ? chosen : kChoiceLeave;
        if (b->PlatformKind() == kPlatformPresets) {
            b->fileAction.value = function == kInstallIntoOne ? kChoiceInstall : kChoiceLeave;
            continue;
        }
        b->fileAction.value = choice;
        if (auto* lw = dynamic_cast<LwInstallBatch*>(b)) lw->menuAction.value = choice;
    }
    RunFunction(kPrepare);
}

// ---- jobs --------------------------------------------------------------------

bool Installer::Poll() {
    // What a running job has done so far, on its page.
    if (children.count > 0)
        if (auto* panel = CellAs<InstallPanel>(children[0])) panel->Update(*this);
    if (searchJob && !searchJob->Running()) {
        searchJob.Reset(nullptr);
        for (int32_t i = 0; i < batches.count; ++i) batches[i]->Evaluate();
        SortBatches();
        ShowPage(kPageQuickSettings);
        return true;
    }
    if (installJob && !installJob->Running() && page != kPageComplete) {
        ShowPage(kPageComplete);
        return true;
    }
    return false;
}

bool Installer::MayEnd() {
    if (!installJob || !installJob->Running()) return true;
    if (!endRequested) {
        endRequested = true;
        installJob->RequestStop();
        LogLine(WTXT("Asked to end: the installation into %s is finished first, the rest are left as they are"),
                CurrentHost());
    }
    return false;
}

bool Installer::EndedIncomplete() const {
    return endRequested && installJob && !installJob->Running() && installJob->errorLines.count > 0;
}

WString Installer::CurrentHost() const {
    const int32_t b = installJob ? installJob->currentBatch.load() : -1;
    return b >= 0 && b < batches.count && batches[b] ? batches[b]->displayName : WString();
}

void Installer::SearchNow() {
    ShowPage(kPageSearching);
    searchJob.Reset(nullptr);
    batches.Clear();
    searchJob.Reset(new InstallBatchGen(batches));
    searchJob->Run();
    Poll();
}

void Installer::CountHosts(int32_t& hosts, int32_t& installedHosts) const {
    hosts = installedHosts = 0;
    for (int32_t i = 0; i < batches.count; ++i) {
        const InstallBatch* b = batches[i];
        if (b->PlatformKind() < kPlatformLightWave || b->PlatformKind() > kPlatformCinema4D) continue;
        ++hosts;
        if (b->AnythingInstalled()) ++installedHosts;
    }
}

void Installer::SortBatches() {
    for (int32_t kind = kPlatformLightWave; kind <= kPlatformPresets; ++kind) {
        for (int32_t j = 0; j + 1 < batches.count; ++j) {
            if (batches[j]->PlatformKind() != kind) continue;
            int32_t lowest = -1;
            for (int32_t k = j + 1; k < batches.count; ++k) {
                if (batches[k]->PlatformKind() != kind) continue;
                const float v = batches[k]->hostVersion;
                if (v < batches[j]->hostVersion && (lowest < 0 || v < batches[lowest]->hostVersion)) lowest = k;
            }
            if (lowest >= 0) {
                InstallBatch* t = batches.items[j];
                batches.items[j] = batches.items[lowest];
                batches.items[lowest] = t;
            }
        }
    }
}

// ---- registration ------------------------------------------------------------

void RegisterWizardCellClasses() {
    RegisterCellClass<Installer>();
    RegisterPanelCellClasses();
    RegisterCellClass<InstallPanel5_InstallationComplete_SwitchReport>();
    RegisterCellClass<Installer_Fnc>();
    RegisterCellClass<Installer_Param_Fnc>();
}
