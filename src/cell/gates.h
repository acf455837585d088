// Gates bind a root cell to the outside world. A VirtualGate is opened for
// reading or writing, read or written, and closed; a GCell is a root cell
// that owns one gate. The actions here change a cell's structure.
#pragma once

#include <cstdint>

#include "cell/gate_keys.h"
#include "cell/hcell.h"
#include "cell/mem_block.h"

class VirtualGate : public HCell {
    VELDO_CELL(VirtualGate, HCell, 0xEFE87D631DC051BCULL)

public:
    enum Mode : int32_t { kRead = 0, kWrite = 1 };

    SObject<GateKey> key;
    int32_t mode = -1;  // -1 closed

    // Keeps a copy of k.
    virtual void SetKey(const GateKey& k);
    virtual bool Open(int32_t mode);
    virtual bool Close();
    virtual bool Write(const void* bytes, int64_t length);
    virtual bool Read(void* bytes, int64_t length);
    virtual bool IsOpen() const;
    virtual const GateKey* Key() const { return key.Get(); }
    // Text rather than cells: written as it is, or the whole content read.
    virtual bool WriteText(const WString& text);
    virtual bool ReadText(WString& text);
};

// A file named by its key's path. Writing collects the bytes and replaces
// the file when the gate is closed, so an interrupted save never leaves a
// torn document; reading takes the whole file at opening.
class HddGate : public VirtualGate {
    VELDO_CELL(HddGate, VirtualGate, 0xF82F227A353DFFF7ULL)

public:
    bool Open(int32_t mode) override;
    bool Close() override;
    bool Write(const void* bytes, int64_t length) override;
    bool Read(void* bytes, int64_t length) override;
    bool IsOpen() const override { return mode >= 0; }
    bool WriteText(const WString& text) override;
    bool ReadText(WString& text) override;

private:
    MemBlock buffer_{1 << 16};
    SObject<MemBlockCursor> cursor_;
    const WChar* Path() const;
};

class ClipboardGate : public VirtualGate {
    VELDO_CELL(ClipboardGate, VirtualGate, 0xE369951D84D39B26ULL)
};

class DragDropGate : public VirtualGate {
    VELDO_CELL(DragDropGate, VirtualGate, 0x98D0BDCEF3B03E92ULL)
};

// A root cell bound to a gate.
class GCell : public HCell {
    VELDO_CELL(GCell, HCell, 0x441EC00AAE3B4DE5ULL)

public:
    SObject<VirtualGate> gate;

    VirtualGate* Gate() const override { return gate.Get(); }
    const GateKey* RootGateKey() const override { return gate ? gate->Key() : nullptr; }
};

// Structural actions: their children are the bundle they carry. Sent an
// HCell, they take a deep copy of it as a child.
// A copy of an action carries copies of its bundle too, so a recorded
// action survives the cloning of a script's replay.
class HCell_AddChild_Act : public HCell {
    VELDO_CELL(HCell_AddChild_Act, HCell, 0x11C7B8F10EE5783FULL)

public:
    SSlave<Cell> Receive(Cell& message) override;
    void CopyFrom(const Cell& other) override;
};

class HCell_Replace_Act : public HCell {
    VELDO_CELL(HCell_Replace_Act, HCell, 0xDFEC713C82DA2B15ULL)

public:
    SSlave<Cell> Receive(Cell& message) override;
    void CopyFrom(const Cell& other) override;
};

// Rebuilds the message a script recorded (null when an entry fails).
class ScriptCell;
Cell* RebuildScript(const ScriptCell& script);

class VirtualGate_Get_GateMode_Msg : public Cell {
    VELDO_CELL(VirtualGate_Get_GateMode_Msg, Cell, 0xBE1CD6488EFE7A8CULL)
};
