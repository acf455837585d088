// Cell: the root of the reflective object model. Every class has a fixed
// 64-bit class key (part of the serialised format), a base key and a wide
// class name; VELDO_CELL declares the three for a class.
#pragma once

#include <cstdint>

#include "core/links.h"
#include "core/wide_text.h"

class CellLocation;
class HCell;
class LocationCollector;
class MemBlockCursor;

using CellKey = uint64_t;

// Declares a cell class's identity: its key, the key of its base in the
// model (which may differ from the C++ base that supplies its storage) and
// its name.
#define VELDO_CELL(Name, ModelBase, Key)                                        \
public:                                                                         \
    static constexpr CellKey kClassKey = Key;                                   \
    static constexpr CellKey kBaseKey = ModelBase::kClassKey;                   \
    static constexpr const WChar* kClassName = WTXT(#Name);                     \
    CellKey ClassKey() const override { return kClassKey; }                     \
    CellKey BaseKey() const override { return kBaseKey; }                       \
    const WChar* ClassName() const override { return kClassName; }              \
                                                                                \
private:

// A class that adds nothing to its base but its own key and name.
#define VELDO_EMPTY_CELL(Name, Base, Key) \
    class Name : public Base {            \
        VELDO_CELL(Name, Base, Key)       \
    }

class Cell {
public:
    using LinkRoot = Cell;
    static constexpr CellKey kClassKey = 0x002531B29CE02FC7ULL;
    static constexpr CellKey kBaseKey = 0;
    static constexpr const WChar* kClassName = WTXT("Cell");

    Cell() = default;
    Cell(const Cell&) = delete;
    Cell& operator=(const Cell&) = delete;
    virtual ~Cell() = default;

    // Copies from a cell of the same class.
    virtual void CopyFrom(const Cell& other);
    // Copies values only (tags keep their flags and links).
    virtual void CopyValues(const Cell& other);
    virtual void MarkChanged();
    virtual void Refresh();
    virtual void ClearChanged();
    // Accepts a message cell; the reply is empty when there is nothing to return.
    virtual SSlave<Cell> Receive(Cell& message);
    virtual CellKey ClassKey() const;
    virtual CellKey BaseKey() const;
    virtual const WChar* ClassName() const;
    virtual bool Locate(CellLocation& location);
    virtual SSlave<Cell> Resolve(const CellLocation& location);
    virtual bool IsChanged() const;
    virtual bool HasSelfMaster() const;
    virtual bool Accepts(CellKey messageKey) const;
    virtual bool Equals(const Cell& other) const;
    virtual bool Import(MemBlockCursor& cursor, double version, LocationCollector* collector);
    virtual bool Export(MemBlockCursor& cursor, int flag);
    // The record of the cell's self master (null without one, or before the
    // first weak reference to the cell was taken).
    virtual SLink<Cell>* SelfLink() const;
    // The record, made on first need; null for cells without a self master.
    virtual SLink<Cell>* EnsureSelfLink() const;

    // A weak reference taken from the self master; empty for plain cells.
    SSlave<Cell> SelfSlave() const;

    // This cell as a hierarchical cell, or null (cheaper than a cast on
    // paths that run once per tag).
    virtual HCell* AsHCell() { return nullptr; }
};

// Is-a over the registry's base chain (false when b is 0).
bool IsA(CellKey a, CellKey b);
inline bool IsA(const Cell* cell, CellKey b) { return cell && IsA(cell->ClassKey(), b); }

// A typed view of a cell when its class is-a C (through the registry), else null.
template <class C>
C* CellAs(Cell* cell) {
    return (cell && IsA(cell->ClassKey(), C::kClassKey)) ? dynamic_cast<C*>(cell) : nullptr;
}
template <class C>
const C* CellAs(const Cell* cell) {
    return (cell && IsA(cell->ClassKey(), C::kClassKey)) ? dynamic_cast<const C*>(cell) : nullptr;
}
