#include "wizard/installer_cells.h"

#include "cell/registry.h"

void Installer_Param_Fnc::CopyFrom(const Cell& other) {
    IdxCell::CopyFrom(other);
    if (auto* o = dynamic_cast<const Installer_Param_Fnc*>(&other); o && o != this) batch = o->batch;
}

bool Installer_Param_Fnc::Equals(const Cell& other) const {
    auto* o = dynamic_cast<const Installer_Param_Fnc*>(&other);
    return IdxCell::Equals(other) && o && o->batch == batch;
}
