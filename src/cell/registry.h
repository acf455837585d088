// The cell-class registry: a keyed table of class descriptors, filled once at
// start-up and read-only afterwards (so any thread may read it).
#pragma once

#include "cell/cell.h"
#include "core/hash_container.h"

struct s_CellDescriptor {
    CellKey classKey = 0;
    Cell* (*create)() = nullptr;  // null for an abstract class
    CellKey (*baseKey)() = nullptr;
    const WChar* className = nullptr;
    virtual ~s_CellDescriptor() = default;
};

using CellRegistryTable = HashContainer<KeyU64, s_CellDescriptor>;

// The table itself (64 slots when first used).
CellRegistryTable& CellRegistry();

const s_CellDescriptor* FindCellDescriptor(CellKey key);

// A new default instance, or null for an unknown or abstract key.
Cell* CreateCell(CellKey key);

template <class C>
C* CreateCellAs(CellKey key) {
    Cell* c = CreateCell(key);
    if (auto* typed = CellAs<C>(c)) return typed;
    delete c;
    return nullptr;
}

// A new cell of the same class filled by CopyFrom; null when the class
// cannot be created.
Cell* CloneCell(const Cell& source);

// Name of a registered class ("?" when unknown).
const WChar* CellClassName(CellKey key);

// Registration, for the start-up code of each subsystem.
void RegisterCellDescriptor(CellKey key, Cell* (*create)(), CellKey (*baseKey)(), const WChar* name);

template <class C>
void RegisterCellClass() {
    RegisterCellDescriptor(
        C::kClassKey, []() -> Cell* { return new C; }, []() { return C::kBaseKey; }, C::kClassName);
}

// Registered without a create function: abstract classes and classes that
// must never be made from stored data.
template <class C>
void RegisterCellClassNoFactory() {
    RegisterCellDescriptor(C::kClassKey, nullptr, []() { return C::kBaseKey; }, C::kClassName);
}
