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
