#include "wizard/install_panels.h"

#include "core/log.h"
#include "cell/registry.h"
#include "cell/tags.h"
#include "ui/ui_box.h"
#include "ui/ui_root.h"
#include "wizard/installer.h"
#include "wizard/page_parts.h"

void InstallPanel::DeclareTags() {
    HCell::DeclareTags();
    DeclareTag(WTXT("Panel"), new Cell);  // made changed: a new panel builds itself
}

void InstallPanel::RequestRebuild() {
    if (Tag* tag = ValueTagAt(kPanel)) tag->MarkChanged();
}

void InstallPanel::Process() {
    Tag* panel = ValueTagAt(kPanel);
    if (panel && panel->IsChanged()) {
        auto* installer = CellAs<Installer>(ParentCell());
        if (UiBox* box = installer ? installer->PageBox() : nullptr) {
            forward_ = cancel_ = nullptr;
            Build(*installer, *page::BuildFrame(*box));
            if (auto* root = CellAs<UiRoot>(box)) {
                root->SetKeyboardFocus(forward_);
                root->SetCancelBox(cancel_);
            }
            // Where the user got to, for whoever reads the log; input from
            // now on meets this page.
            LogLine(WTXT("Wizard page: %s"), PageName());
        }
    }
    HCell::Process();
}

const WChar* InstallPanel5_InstallationComplete::PageName() const {
    return reportShown ? WTXT("complete, report shown") : WTXT("complete");
}

bool InstallPanel5_InstallationComplete::Accepts(CellKey key) const {
    return InstallPanel::Accepts(key) || key == InstallPanel5_InstallationComplete_SwitchReport::kClassKey;
}

SSlave<Cell> InstallPanel5_InstallationComplete::Receive(Cell& message) {
    if (message.ClassKey() != InstallPanel5_InstallationComplete_SwitchReport::kClassKey)
        return InstallPanel::Receive(message);
    reportShown = !reportShown;
    RequestRebuild();
    return {};
}

void RegisterPanelCellClasses() {
    RegisterCellClass<InstallPanel>();
    RegisterCellClass<InstallPanel0_Welcome>();
    RegisterCellClass<InstallPanel1_SearchingPlatforms>();
    RegisterCellClass<InstallPanel2_QuickSettings>();
    RegisterCellClass<InstallPanel3_Fix>();
    RegisterCellClass<InstallPanel4_Installation>();
    RegisterCellClass<InstallPanel5_InstallationComplete>();
}
