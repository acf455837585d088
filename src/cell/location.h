// Locations: the address of a cell or tag inside a gate cell's tree, kept
// by links when they are written to a file and resolved again after loading.
//
// The path runs from the root down: n >= 0 selects child n, n < 0 the tag
// ~n (whose value the walk continues in). The check hash is the addressed
// cell's structure hash (for a tag: its owner's plus the tag hash), so a
// tree that changed shape no longer resolves.
#pragma once

#include <cstdint>

#include "cell/cell.h"
#include "core/container.h"
#include "core/dynamic_array.h"
#include "cell/gate_keys.h"
#include "core/links.h"
#include "core/mem_block.h"

class HCell;

class CellLocation {
public:
    SObject<GateKey> rootKey;
    DynamicArray<int32_t> path;
    CellKey targetKey = 0;  // 0: invalid
    uint64_t checkHash = 0;

    virtual ~CellLocation() = default;
    bool IsValid() const { return targetKey != 0; }

    bool Export(MemBlockCursor& c) const;
    bool Import(MemBlockCursor& c);
};

// Links read from data wait here for their tree to finish loading. Each
// entry remembers the tag (weakly) that the link belongs to; resolving adds
// the link to that tag's list. (An empty placeholder in the list would be
// swept away as dead by the first notification before it could be resolved.)
class LocationCollector {
public:
    struct Entry {
        SObject<CellLocation> location;
        SSlave<Cell> tag;
        virtual ~Entry() = default;
    };
    Container<Entry> entries;

    virtual ~LocationCollector() = default;
    void Add(CellLocation* location, const SSlave<Cell>& tag);
    // Links every collected tag to what its location names below root;
    // returns how many resolved.
    int32_t ResolveAll(HCell& root);
};
