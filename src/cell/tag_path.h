// TagPath: the address of a tag inside a tree of cells, by names or by
// positions. Legacy tags use named paths to say which current tag replaces
// them; "PARENT" steps out of a cell, and a step that lands on another legacy
// tag continues through that tag's own path at its target version.
#pragma once

#include <cstdint>

#include "cell/cell.h"
#include "core/container.h"
#include "core/dynamic_string.h"
#include "core/links.h"

class HCell;

// A small position handle with its own self master, so weak references to it
// read null once it is gone. The link record is made when first asked for:
// a path read from outside data may hold many items nobody links to.
class Index {
public:
    using LinkRoot = Index;
    mutable SMaster<Index> selfMaster;
    int32_t value = -1;

    Index() = default;
    Index(const Index&) = delete;
    Index& operator=(const Index&) = delete;
    virtual ~Index();

    bool HasSelfMaster() const { return true; }
    SLink<Index>* SelfLink() const { return selfMaster.link; }
    SLink<Index>* EnsureSelfLink() const {
        if (!selfMaster.link) selfMaster.link = new SLink<Index>(const_cast<Index*>(this));
        return selfMaster.link;
    }
};

class s_TagPathItem {
public:
    CellKey classKey = 0;  // expected class of the cell at this step
    Index index;
    int32_t tagIndex = -1;  // -1 when the step is addressed by name
    WString tagName;        // empty: the cell itself; "PARENT": its parent

    virtual ~s_TagPathItem() = default;
};

struct TagPathTarget {
    HCell* cell = nullptr;
    int32_t tagIndex = -1;  // -1: the cell itself
};

class TagPath {
public:
    static constexpr const WChar* kParent = WTXT("PARENT");
    static constexpr int kMaxLegacyHops = 16;

    Container<s_TagPathItem> items;
    uint8_t byName = 0;
    WString targetName;
    WString text;

    TagPath() = default;
    TagPath(const TagPath&) = delete;
    TagPath& operator=(const TagPath&) = delete;
    virtual ~TagPath() = default;

    void Clear();
    bool IsEmpty() const { return items.count == 0; }
    void AddNamed(CellKey classKey, const WChar* tagName);
    void AddIndexed(CellKey classKey, int32_t tagIndex, const WChar* tagName = nullptr);
    void CopyFrom(const TagPath& other);
    bool Equals(const TagPath& other) const;

    // Resolves from start. version -1 means the current layout; any other
    // version also considers legacy tags. False leaves out untouched.
    bool Resolve(HCell* start, double version, TagPathTarget& out) const;

private:
    bool ResolveNamed(HCell* start, double version, int hops, TagPathTarget& out) const;
    bool ResolvePositional(HCell* start, TagPathTarget& out) const;
    void AppendStepText(const s_TagPathItem& item);
};
