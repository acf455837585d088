#include "wizard/installer_cells.h"

#include "cell/registry.h"

void InstallPanel::DeclareTags() {
    HCell::DeclareTags();
    DeclareTag(WTXT("Panel"), new Cell);
}

void Installer_Param_Fnc::CopyFrom(const Cell& other) {
    IdxCell::CopyFrom(other);
    if (auto* o = dynamic_cast<const Installer_Param_Fnc*>(&other); o && o != this) batch = o->batch;
}

bool Installer_Param_Fnc::Equals(const Cell& other) const {
    auto* o = dynamic_cast<const Installer_Param_Fnc*>(&other);
    return IdxCell::Equals(other) && o && o->batch == batch;
}

void RegisterWizardCellClasses() {
    RegisterCellClass<Installer>();
    RegisterCellClass<InstallPanel>();
    RegisterCellClass<InstallPanel0_Welcome>();
    RegisterCellClass<InstallPanel1_SearchingPlatforms>();
    RegisterCellClass<InstallPanel2_QuickSettings>();
    RegisterCellClass<InstallPanel3_Fix>();
    RegisterCellClass<InstallPanel4_Installation>();
    RegisterCellClass<InstallPanel5_InstallationComplete>();
    RegisterCellClass<InstallPanel5_InstallationComplete_SwitchReport>();
    RegisterCellClass<Installer_Fnc>();
    RegisterCellClass<Installer_Param_Fnc>();
}
