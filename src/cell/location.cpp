// Building, writing, reading and resolving locations.
#include "cell/location.h"

#include "cell/hcell.h"
#include "cell/registry.h"
#include "cell/synapser.h"
#include "cell/tags.h"
#include "cell/value_codec.h"

// ---- bytes -------------------------------------------------------------------

bool CellLocation::Export(MemBlockCursor& c) const {
    if (!rootKey) return false;
    const CellKey keyClass = rootKey->ClassKey();
    if (!c.WriteValue(keyClass) || !const_cast<GateKey&>(*rootKey).Export(c, 0)) return false;
    return Encode(c, path) && c.WriteValue(targetKey) && c.WriteValue(checkHash);
}

bool CellLocation::Import(MemBlockCursor& c) {
    CellKey keyClass = 0;
    if (!c.ReadValue(keyClass)) return false;
    GateKey* key = CreateCellAs<GateKey>(keyClass);
    if (!key) return false;
    rootKey.Reset(key);
    return key->Import(c, 0, nullptr) && Decode(c, path) && c.ReadValue(targetKey) && c.ReadValue(checkHash);
}

// ---- the collector -----------------------------------------------------------

void LocationCollector::Add(CellLocation* location, const SSlave<Cell>& tag) {
    auto* e = new Entry;
    e->location.Reset(location);
    e->tag = tag;
    entries.Add(e, entries.count < 64 ? 8 : entries.count);
}

int32_t LocationCollector::ResolveAll(HCell& root) {
    int32_t resolved = 0;
    for (int32_t i = 0; i < entries.count; ++i) {
        Entry* e = entries[i];
        BTag* tag = e ? CellAs<BTag>(e->tag.Get()) : nullptr;
        if (!tag || !e->location) continue;
        SSlave<Cell> target = root.Resolve(*e->location);
        if (!target.Get()) continue;
        tag->Links().Add(target);
        ++resolved;
    }
    return resolved;
}

// ---- locating ----------------------------------------------------------------

namespace {

// Walks from cell up to its root, recording the steps (last step first).
bool PathToRoot(HCell* cell, DynamicArray<int32_t>& reversed, const HCell*& root) {
    for (int depth = 0; cell && depth < 4096; ++depth) {
        if (cell->Gate()) {
            root = cell;
            return true;
        }
        Cell* parent = cell->parent.Get();
        if (!parent) return false;
        if (auto* tag = CellAs<BTag>(parent)) {
            const int32_t j = tag->IndexInOwner();
            if (j < 0) return false;
            reversed.Append(~j);
            cell = tag->owner;
        } else if (auto* up = CellAs<HCell>(parent)) {
            const int32_t i = up->children.IndexOf(cell);
            if (i < 0) return false;
            reversed.Append(i);
            cell = up;
        } else {
            return false;
        }
    }
    return false;
}

bool Finish(CellLocation& location, DynamicArray<int32_t>& reversed, const HCell* root) {
    location.path.Clear();
    for (int32_t i = reversed.count - 1; i >= 0; --i) location.path.Append(reversed[i]);
    const GateKey* key = root->RootGateKey();
    if (!key) return false;
    location.rootKey.Reset(key->Duplicate());
    return true;
}

void Invalidate(CellLocation& location) {
    location.targetKey = 0;
    location.checkHash = 0;
}

}  // namespace

bool HCell::Locate(CellLocation& location) {
    location.targetKey = ClassKey();
    location.checkHash = StructureHash();
    DynamicArray<int32_t> reversed;
    const HCell* root = nullptr;
    if (!PathToRoot(this, reversed, root) || !Finish(location, reversed, root)) {
        Invalidate(location);
        return false;
    }
    return true;
}

bool BTag::Locate(CellLocation& location) {
    const int32_t index = IndexInOwner();
    DynamicArray<int32_t> reversed;
    const HCell* root = nullptr;
    if (index < 0) {
        Invalidate(location);
        return false;
    }
    reversed.Append(~index);
    if (!PathToRoot(owner, reversed, root) || !Finish(location, reversed, root)) {
        Invalidate(location);
        return false;
    }
    location.targetKey = ClassKey();
    location.checkHash = owner->StructureHash() + TagHash();
    return true;
}

// ---- resolving ---------------------------------------------------------------

SSlave<Cell> HCell::Resolve(const CellLocation& location) {
    if (!location.IsValid()) return {};
    Cell* current = this;
    for (int32_t i = 0; i < location.path.count; ++i) {
        HCell* cell = CellAs<HCell>(current);
        if (!cell) return {};
        const int32_t n = location.path[i];
        if (n < 0) {
            const int32_t index = ~n;
            if (cell->TagCount() <= index) return {};
            BTag* tag = cell->TagAt(index);
            const bool last = i == location.path.count - 1;
            if (last && IsA(location.targetKey, BTag::kClassKey)) {
                current = tag;
            } else {
                Tag* valueTag = CellAs<Tag>(static_cast<Cell*>(tag));
                if (!valueTag) return {};
                current = valueTag->Value();
            }
        } else {
            if (cell->children.count <= n) return {};
            current = cell->children[n];
        }
        if (!current) return {};
    }
    if (current->ClassKey() != location.targetKey) return {};
    uint64_t hash = 0;
    if (auto* tag = CellAs<BTag>(current)) hash = tag->owner ? tag->owner->StructureHash() + tag->TagHash() : 0;
    else if (auto* cell = CellAs<HCell>(current)) hash = cell->StructureHash();
    else return {};
    if (hash != location.checkHash) return {};
    return current->SelfSlave();
}
