// Tags: the named slots of an HCell.
//
//   BTag       base: self master, owner, name, link list (Synapser).
//   Tag        owns one value cell; flags bit 0 changed, bit 1 mirrors its
//              source (copied from it on ClearChanged; links neither notified
//              nor exported); declared tags start with flags 5.
//   ExTag      no value of its own: a weak link to a Tag elsewhere.
//   LegacyTag  a tag of an older layout, mapped by a TagPath onto the tag
//              that replaces it.
#pragma once

#include "cell/cell.h"
#include "core/dynamic_string.h"
#include "core/links.h"
#include "cell/tag_path.h"

class HCell;
class Synapser;
class Tag;

class BTag : public Cell {
    VELDO_CELL(BTag, Cell, 0xF9D9DF0193D2DB06ULL)

public:
    mutable SMaster<BTag> selfMaster;
    HCell* owner = nullptr;
    WString name;
    SObject<Synapser> links;

    BTag();
    ~BTag() override;

    bool HasSelfMaster() const override { return true; }
    SLink<Cell>* SelfLink() const override { return selfMaster.link; }
    // Most cells are never linked to: their record is made on first need.
    SLink<Cell>* EnsureSelfLink() const override {
        if (!selfMaster.link) selfMaster.link = new SLink<Cell>(const_cast<BTag*>(this));
        return selfMaster.link;
    }

    virtual uint64_t TagHash() const;
    virtual bool IsExported() const { return false; }
    virtual bool IsExtra() const { return false; }

    // Class key of the value, 0 when the tag holds none.
    virtual CellKey ValueKey() const { return 0; }
    // This tag when it holds a value of its own (a Tag or a LegacyTag).
    virtual Tag* AsTag() { return nullptr; }

    bool Locate(CellLocation& location) override;

    // The link list, created on first use.
    Synapser& Links();
    // Index of this tag in its owner's list, or -1.
    int32_t IndexInOwner() const;
};

class Tag : public BTag {
    VELDO_CELL(Tag, BTag, 0xDDF17E4CD14042E7ULL)

public:
    static constexpr uint32_t kChanged = 1;
    static constexpr uint32_t kMirrorsSource = 2;
    // Made by its owner's declaration (DeclareTag), not added later; the
    // model marks it, nothing here asks for it.
    static constexpr uint32_t kDeclared = 4;
    // A tag just declared: changed, so that its first value is processed.
    static constexpr uint32_t kDeclaredFlags = kChanged | kDeclared;

    uint32_t flags = 0;
    SObject<Cell> value;
    SSlave<Cell> source;

    Tag() = default;
    ~Tag() override;

    void CopyFrom(const Cell& other) override;
    void CopyValues(const Cell& other) override;
    void MarkChanged() override;
    void Refresh() override;
    void ClearChanged() override;
    bool IsChanged() const override { return (flags & kChanged) != 0; }
    bool Equals(const Cell& other) const override;
    // The tag body: version text, the value's export, the links.
    bool Export(MemBlockCursor& cursor, int flag) override;
    bool Import(MemBlockCursor& cursor, double version, LocationCollector* collector) override;
    bool IsExported() const override { return true; }
    CellKey ValueKey() const override { return value ? value->ClassKey() : 0; }
    Tag* AsTag() override { return this; }

    // Takes ownership of v; an HCell value learns this tag as its parent.
    void SetValue(Cell* v);
    Cell* Value() const { return value.Get(); }
};

class ExTag : public BTag {
    VELDO_CELL(ExTag, BTag, 0x716F4F99FAE300AAULL)

public:
    SSlave<Tag> target;

    bool IsExtra() const override { return true; }
    void CopyFrom(const Cell& other) override;
};

class LegacyTag : public Tag {
    VELDO_CELL(LegacyTag, Tag, 0x23BD5397A22BA813ULL)

public:
    double version = 0;        // the last version with the tag in this form
    double targetVersion = 0;  // the layout version the path refers to
    TagPath path;

    void CopyFrom(const Cell& other) override;
};

// What a link leads to as a value: a tag stands for the value it holds
// (value cells have no links of their own), any other cell for itself.
Cell* LinkedValue(Cell* linked);
