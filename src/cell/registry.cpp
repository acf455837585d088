#include "cell/registry.h"

CellRegistryTable& CellRegistry() {
    static CellRegistryTable table(64);
    return table;
}

const s_CellDescriptor* FindCellDescriptor(CellKey key) {
    return CellRegistry().FindValue(KeyU64(key));
}

void RegisterCellDescriptor(CellKey key, Cell* (*create)(), CellKey (*baseKey)(), const WChar* name) {
    auto* entry = new Pair<KeyU64, s_CellDescriptor>();
    entry->key = KeyU64(key);
    entry->value.classKey = key;
    entry->value.create = create;
    entry->value.baseKey = baseKey;
    entry->value.className = name;
    CellRegistry().Insert(entry);
}

bool IsA(CellKey a, CellKey b) {
    if (b == 0) return false;
    // The depth bound keeps a cycle in a broken table from looping forever.
    for (int depth = 0; a != 0 && depth < 64; ++depth) {
        if (a == b) return true;
        const s_CellDescriptor* d = FindCellDescriptor(a);
        if (!d || !d->baseKey) return false;
        a = d->baseKey();
    }
    return false;
}

Cell* CreateCell(CellKey key) {
    const s_CellDescriptor* d = FindCellDescriptor(key);
    return (d && d->create) ? d->create() : nullptr;
}

Cell* CloneCell(const Cell& source) {
    Cell* copy = CreateCell(source.ClassKey());
    if (copy) copy->CopyFrom(source);
    return copy;
}

const WChar* CellClassName(CellKey key) {
    const s_CellDescriptor* d = FindCellDescriptor(key);
    return (d && d->className) ? d->className : WTXT("?");
}
