// Cells whose value is a list of owned elements (vectors, strings), a tag
// path, or a recorded script of messages.
#pragma once

#include "core/container.h"
#include "core/mem_block.h"
#include "cell/tag_path.h"
#include "cell/value_cells.h"

// ---- element lists -----------------------------------------------------

template <class E>
E* CopyListElement(const E& e) {
    if constexpr (std::is_base_of_v<Cell, E>) {
        E* copy = new E;
        copy->CopyFrom(e);
        return copy;
    } else {
        return new E(e);
    }
}

template <class E>
bool SameListElement(const E& a, const E& b) {
    if constexpr (std::is_base_of_v<Cell, E>) return a.Equals(b);
    else return a == b;
}

template <class E>
bool ExportListElement(MemBlockCursor& c, E& e) {
    if constexpr (std::is_base_of_v<Cell, E>) return e.Export(c, 0);
    else return WriteString(c, e);
}

template <class E>
bool ImportListElement(MemBlockCursor& c, E& e, double version) {
    if constexpr (std::is_base_of_v<Cell, E>) return e.Import(c, version, nullptr);
    else return ReadString(c, e);
}

// Reads a counted list whose entries are each 1 (present, then read by
// readOne) or 0 (null). target is replaced only when every entry was read.
template <class E, class ReadOne>
bool ImportEntryList(MemBlockCursor& c, Container<E>& target, ReadOne readOne) {
    int32_t count = 0;
    if (!c.ReadValue(count) || !CountFits(c, count, 1)) return false;
    Container<E> read;
    for (int32_t i = 0; i < count; ++i) {
        uint8_t present = 0;
        if (!c.ReadValue(present)) return false;
        E* e = present ? new E : nullptr;
        // Grown as entries arrive, not by the count the data claims.
        read.Add(e, read.count < 16 ? 16 : read.count);
        if (e && !readOne(*e)) return false;
    }
    target.Clear();
    for (int32_t i = 0; i < read.count; ++i) target.Add(read.items[i], read.count);
    read.count = 0;
    return true;
}

// A Container of elements (null entries allowed) as a cell's value.
template <class E>
class ListCell : public Cell {
public:
    using Element = E;
    Container<E> items;

    void CopyFrom(const Cell& other) override {
        auto* o = dynamic_cast<const ListCell*>(&other);
        if (!o || o == this) return;
        items.Clear();
        for (int32_t i = 0; i < o->items.count; ++i) {
            const E* e = o->items.items[i];
            items.Add(e ? CopyListElement(*e) : nullptr);
        }
    }
    bool Equals(const Cell& other) const override {
        if (other.ClassKey() != ClassKey()) return false;
        auto* o = dynamic_cast<const ListCell*>(&other);
        if (!o || o->items.count != items.count) return false;
        for (int32_t i = 0; i < items.count; ++i) {
            const E* a = items.items[i];
            const E* b = o->items.items[i];
            if (!a || !b) {
                if (a != b) return false;
            } else if (!SameListElement(*a, *b)) {
                return false;
            }
        }
        return true;
    }

    // The count, then per element 1 and its export, or 0 for a null entry.
    bool Export(MemBlockCursor& c, int) override {
        if (!c.WriteValue(items.count)) return false;
        for (int32_t i = 0; i < items.count; ++i) {
            const uint8_t present = items.items[i] ? 1 : 0;
            if (!c.WriteValue(present)) return false;
            if (present && !ExportListElement(c, *items.items[i])) return false;
        }
        return true;
    }
    // The list is replaced only when every element was read.
    bool Import(MemBlockCursor& c, double version, LocationCollector*) override {
        return ImportEntryList(c, items, [&](E& e) { return ImportListElement(c, e, version); });
    }
};

class ContVec2DCell : public ListCell<Vec2DCell> {
    VELDO_CELL(ContVec2DCell, Cell, 0xE96702EE8AE27D99ULL)
};

class ContVec2FCell : public ListCell<Vec2FCell> {
    VELDO_CELL(ContVec2FCell, Cell, 0x0773D3FF63A7A379ULL)
};

class ContVec3DCell : public ListCell<Vec3DCell> {
    VELDO_CELL(ContVec3DCell, Cell, 0x1D6F4576873F15EDULL)
};

class ContVec4DCell : public ListCell<Vec4DCell> {
    VELDO_CELL(ContVec4DCell, Cell, 0x54B75069F5F96187ULL)
};

// Abstract base of the string lists.
class ContCell : public Cell {
    VELDO_CELL(ContCell, Cell, 0x0C53196003E7BD4DULL)

protected:
    ContCell() = default;
};

class StringContCell : public ListCell<WString> {
    VELDO_CELL(StringContCell, ContCell, 0xF9BD38DE375C5BBDULL)
};

class StringCellContCell : public ListCell<StringCell> {
    VELDO_CELL(StringCellContCell, ContCell, 0xD945C341B22E7ECCULL)
};

// ---- tag paths -----------------------------------------------------------

class TagPathCell : public Cell {
    VELDO_CELL(TagPathCell, Cell, 0x41F4A378256C8694ULL)

public:
    TagPath value;

    void CopyFrom(const Cell& other) override {
        if (auto* o = dynamic_cast<const TagPathCell*>(&other); o && o != this) value.CopyFrom(o->value);
    }
    bool Equals(const Cell& other) const override {
        auto* o = dynamic_cast<const TagPathCell*>(&other);
        return o && other.ClassKey() == ClassKey() && value.Equals(o->value);
    }
    // The path's text, then the named flag and the items.
    bool Export(MemBlockCursor& c, int) override;
    bool Import(MemBlockCursor& c, double version, LocationCollector* collector) override;
};

// ---- scripts ---------------------------------------------------------------

// One recorded message: its class key and its exported bytes.
using ScriptEntry = Pair<U64Cell, SObject<MemBlock>>;

class ScriptCell : public Cell {
    VELDO_CELL(ScriptCell, Cell, 0xAE3F7FC97E38E16DULL)

public:
    Container<ScriptEntry> entries;

    void CopyFrom(const Cell& other) override;
    bool Equals(const Cell& other) const override;
    bool Export(MemBlockCursor& c, int flag) override;
    bool Import(MemBlockCursor& c, double version, LocationCollector* collector) override;
};
