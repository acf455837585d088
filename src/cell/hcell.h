// HCell: a hierarchical cell with an ordered list of owned children and an
// ordered list of owned tags (named slots, see tags.h). Tags are declared
// lazily, on first use of the list, by each class's DeclareTags.
#pragma once

#include <cstdint>

#include "cell/cell.h"
#include "core/container.h"
#include "core/links.h"

class BTag;
class Tag;
class ExTag;
class LegacyTag;
class VirtualGate;
class GateKey;

class HCell : public Cell {
    VELDO_CELL(HCell, Cell, 0x3C9B5C209794D713ULL)

public:
    mutable SMaster<HCell> selfMaster;
    SSlave<Cell> parent;  // the parent HCell, or the Tag whose value this is
    Container<HCell> children;
    Container<BTag> tags;  // raw list; Tags() declares first
    uint8_t changed = 1;

    HCell();
    ~HCell() override;

    void CopyFrom(const Cell& other) override;
    void CopyValues(const Cell& other) override;
    void MarkChanged() override;
    void Refresh() override;
    void ClearChanged() override;
    bool IsChanged() const override { return changed != 0; }
    bool HasSelfMaster() const override { return true; }
    bool Equals(const Cell& other) const override;
    SLink<Cell>* SelfLink() const override { return selfMaster.link; }
    // Most cells are never linked to: their record is made on first need.
    SLink<Cell>* EnsureSelfLink() const override {
        if (!selfMaster.link) selfMaster.link = new SLink<Cell>(const_cast<HCell*>(this));
        return selfMaster.link;
    }
    SSlave<Cell> Receive(Cell& message) override;
    HCell* AsHCell() override { return this; }
    bool Accepts(CellKey messageKey) const override;
    bool Locate(CellLocation& location) override;
    SSlave<Cell> Resolve(const CellLocation& location) override;
    bool Export(MemBlockCursor& cursor, int flag) override;
    bool Import(MemBlockCursor& cursor, double version, LocationCollector* collector) override;

    // One processing pass, run once a frame on the UI thread: clears this
    // cell's own changed flags (its tags' too), then processes every child
    // that is still changed. A subclass does its work first and ends with
    // this, so whatever the children change again stays marked above them.
    virtual void Process();
    // Clears the flags of this cell and its tags, leaving its children's.
    void ClearOwnChanged();

    // Appends the class's tags after those of its bases; HCell has none.
    virtual void DeclareTags();
    virtual void ResetDefaults();
    // A new instance of the class's legacy tag at index.
    virtual bool LegacyTagAt(int32_t index, SObject<LegacyTag>& out) const;
    virtual void InsertChild(int32_t index, HCell* child);
    virtual int32_t AddChild(HCell* child);
    virtual bool AcceptsChild(CellKey key) const;
    // A gate cell returns its gate and is thereby a root.
    virtual VirtualGate* Gate() const;
    virtual const GateKey* RootGateKey() const;
    // Index of the legacy tag of that name whose version v is the nearest at or
    // above the given version (v - version < maxDifference), or -1.
    virtual int32_t FindLegacyTag(const WChar* name, double version, double maxDifference) const;
    virtual int32_t FindLegacyTagTyped(const WChar* name, CellKey valueKey, double version,
                                       double maxDifference) const;
    virtual int32_t LegacyTagCount() const;

    // The tag list, declared on first use.
    Container<BTag>& Tags();
    const Container<BTag>& Tags() const;
    int32_t TagCount() const { return Tags().count; }
    BTag* TagAt(int32_t index) const { return Tags().At(index); }
    Tag* ValueTagAt(int32_t index) const;  // null unless a Tag
    Cell* TagValue(int32_t index) const;
    template <class C>
    C* TagValueAs(int32_t index) const {
        return CellAs<C>(TagValue(index));
    }
    // Index of the first tag with that name, or -1.
    int32_t FindTag(const WChar* name) const;

    // The HCell above this one: the parent, or the owner of the tag holding it.
    HCell* ParentCell() const;
    // Detaches a child from this cell without destroying it.
    HCell* DetachChild(int32_t index);

    // Structure hash, used to check that a location still fits the tree.
    uint64_t StructureHash() const;
    // The number of tags that are written out (Tag and LegacyTag).
    int32_t ExportedTagCount() const;
    // A copy of this cell with its tags and all its children.
    HCell* DeepCopy() const;

protected:
    // Declaration helpers for DeclareTags: a Tag with flags 5 owning value.
    // name is a literal: the tag refers to it until the name changes.
    Tag* DeclareTag(const WChar* name, Cell* value);
    ExTag* DeclareExTag(const WChar* name);
    void EnsureTags() const;

private:
    bool ImportCurrentLayout(MemBlockCursor& cursor, int32_t count, LocationCollector* collector);
    bool ImportOlderLayout(MemBlockCursor& cursor, double version, int32_t count, LocationCollector* collector);
};
