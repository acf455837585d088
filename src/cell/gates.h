// Gates bind a root cell to the outside world. A VirtualGate is opened for
// reading or writing, read or written, and closed; a GCell is a root cell
// that owns one gate. The actions here change a cell's structure.
#pragma once

#include <cstdint>

#include "cell/gate_keys.h"
#include "cell/hcell.h"

class VirtualGate : public HCell {
    VELDO_CELL(VirtualGate, HCell, 0xEFE87D631DC051BCULL)

public:
    enum Mode : int32_t { kRead = 0, kWrite = 1 };

    SObject<GateKey> key;

    // Keeps a copy of k.
    virtual void SetKey(const GateKey& k);
    virtual bool Open(int32_t mode);
    virtual bool Close();
    virtual bool Write(const void* bytes, int64_t length);
    virtual bool Read(void* bytes, int64_t length);
    virtual bool IsOpen() const;
    virtual const GateKey* Key() const { return key.Get(); }
};

class HddGate : public VirtualGate {
    VELDO_CELL(HddGate, VirtualGate, 0xF82F227A353DFFF7ULL)
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

// Structural actions: their children are the bundle they carry.
class HCell_AddChild_Act : public HCell {
    VELDO_CELL(HCell_AddChild_Act, HCell, 0x11C7B8F10EE5783FULL)
};

class HCell_Replace_Act : public HCell {
    VELDO_CELL(HCell_Replace_Act, HCell, 0xDFEC713C82DA2B15ULL)
};

class VirtualGate_Get_GateMode_Msg : public Cell {
    VELDO_CELL(VirtualGate_Get_GateMode_Msg, Cell, 0xBE1CD6488EFE7A8CULL)
};
