#include "cell/container_cells.h"

void ScriptCell::CopyFrom(const Cell& other) {
    auto* o = dynamic_cast<const ScriptCell*>(&other);
    if (!o || o == this) return;
    entries.Clear();
    for (int32_t i = 0; i < o->entries.count; ++i) {
        const ScriptEntry* e = o->entries.items[i];
        if (!e) {
            entries.Add(nullptr);
            continue;
        }
        auto* copy = new ScriptEntry;
        copy->key.value = e->key.value;
        if (e->value) {
            copy->value.Reset(new MemBlock(e->value->pageSize));
            copy->value->CopyFrom(*e->value);
        }
        entries.Add(copy);
    }
}

bool ScriptCell::Equals(const Cell& other) const {
    auto* o = dynamic_cast<const ScriptCell*>(&other);
    if (!o || other.ClassKey() != ClassKey() || o->entries.count != entries.count) return false;
    for (int32_t i = 0; i < entries.count; ++i) {
        const ScriptEntry* a = entries.items[i];
        const ScriptEntry* b = o->entries.items[i];
        if (!a || !b) {
            if (a != b) return false;
            continue;
        }
        if (a->key.value != b->key.value) return false;
        if (bool(a->value) != bool(b->value)) return false;
        if (a->value && !a->value->SameBytes(*b->value)) return false;
    }
    return true;
}

// ---- tag paths -----------------------------------------------------------

bool TagPathCell::Export(MemBlockCursor& c, int) {
    if (!WriteString(c, value.text) || !c.WriteValue(value.byName) || !c.WriteValue(value.items.count)) return false;
    for (int32_t i = 0; i < value.items.count; ++i) {
        const s_TagPathItem* item = value.items[i];
        const CellKey key = item ? item->classKey : 0;
        const int32_t index = item ? item->tagIndex : -1;
        if (!c.WriteValue(key) || !c.WriteValue(index) || !WriteString(c, item ? item->tagName : WString()))
            return false;
    }
    return true;
}

bool TagPathCell::Import(MemBlockCursor& c, double, LocationCollector*) {
    TagPath read;
    int32_t count = 0;
    if (!ReadString(c, read.text) || !c.ReadValue(read.byName) || !c.ReadValue(count) ||
        !CountFits(c, count, 16))
        return false;
    for (int32_t i = 0; i < count; ++i) {
        auto* item = new s_TagPathItem;
        read.items.Add(item, read.items.count < 16 ? 16 : read.items.count);
        if (!c.ReadValue(item->classKey) || !c.ReadValue(item->tagIndex) || !ReadString(c, item->tagName))
            return false;
        read.targetName.Assign(item->tagName);
    }
    value.CopyFrom(read);
    return true;
}

// ---- scripts -----------------------------------------------------------------

// The count; per entry 1 (or 0 for a null entry), the class key, 1 when a
// block follows, and the block as its 64-bit size and its bytes.
bool ScriptCell::Export(MemBlockCursor& c, int) {
    if (!c.WriteValue(entries.count)) return false;
    for (int32_t i = 0; i < entries.count; ++i) {
        const ScriptEntry* e = entries[i];
        const uint8_t present = e ? 1 : 0;
        if (!c.WriteValue(present)) return false;
        if (!e) continue;
        const uint8_t hasBlock = e->value ? 1 : 0;
        if (!c.WriteValue(e->key.value) || !c.WriteValue(hasBlock)) return false;
        if (!hasBlock) continue;
        const int64_t size = e->value->Size();
        if (!c.WriteValue(size)) return false;
        MemBlockCursor from(*e->value);
        if (!CopyCursorBytes(from, c, size)) return false;
    }
    return true;
}

bool ScriptCell::Import(MemBlockCursor& c, double, LocationCollector*) {
    return ImportEntryList(c, entries, [&c](ScriptEntry& e) {
        uint8_t hasBlock = 0;
        if (!c.ReadValue(e.key.value) || !c.ReadValue(hasBlock)) return false;
        if (!hasBlock) return true;
        int64_t size = 0;
        if (!c.ReadValue(size) || size < 0 || size > c.Remaining()) return false;
        e.value.Reset(new MemBlock(size > 0 ? size : 16));  // one page of just its size
        MemBlockCursor to(*e.value);
        return CopyCursorBytes(c, to, size);
    });
}
