// Gate keys: what identifies a gate (a file, the clipboard, a drop). A key
// names the gate class it opens and brings its own hash and equality, which
// the gate table uses.
#pragma once

#include <cstdint>

#include "cell/cell.h"
#include "core/hash_container.h"
#include "core/path.h"

class GateKey : public Cell {
    VELDO_CELL(GateKey, Cell, 0x9985C70673564B29ULL)

public:
    // Class key of the gate this key opens.
    virtual CellKey GateClassKey() const = 0;
    virtual uint64_t Hash() const = 0;
    // A copy of the key (a file key keeps its path instead of numbering a
    // new document, as a copy through the registry would).
    virtual GateKey* Duplicate() const = 0;

protected:
    GateKey() = default;
};

// A file gate's key: the file's path. A key made without a path names a new
// document, "document%02i.veldo", numbered by a process-wide counter from 1;
// its gate asks the user where the document goes when it first opens.
class HddGateKey : public GateKey {
    VELDO_CELL(HddGateKey, GateKey, 0xFE90B757AED0B450ULL)

public:
    WPath path;
    bool newDocument = false;  // named by the counter, not yet placed

    HddGateKey();
    explicit HddGateKey(const WChar* filePath);

    CellKey GateClassKey() const override;
    uint64_t Hash() const override;
    bool Equals(const Cell& other) const override;
    void CopyFrom(const Cell& other) override;
    GateKey* Duplicate() const override;
    // The path as a string.
    bool Export(MemBlockCursor& cursor, int flag) override;
    bool Import(MemBlockCursor& cursor, double version, LocationCollector* collector) override;
};

class ClipboardGateKey : public GateKey {
    VELDO_CELL(ClipboardGateKey, GateKey, 0xB44CD4C7BEE51364ULL)

public:
    CellKey GateClassKey() const override;
    uint64_t Hash() const override { return GateClassKey() ^ kClassKey; }
    GateKey* Duplicate() const override { return new ClipboardGateKey; }
};

class DragDropGateKey : public GateKey {
    VELDO_CELL(DragDropGateKey, GateKey, 0xE0452510142F755DULL)

public:
    CellKey GateClassKey() const override;
    uint64_t Hash() const override { return GateClassKey() ^ kClassKey; }
    GateKey* Duplicate() const override { return new DragDropGateKey; }
};
