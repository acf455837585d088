// Gates bind a root cell to the outside world. A VirtualGate is opened for
// reading or writing, read or written, and closed; a GCell is a root cell
// that owns one gate. The actions here change a cell's structure.
#pragma once

#include <cstdint>

#include "cell/gate_keys.h"
#include "cell/hcell.h"
#include "core/mem_block.h"

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

// A whole file behind a gate: reading takes the file whole at opening;
// writing collects the bytes and replaces the file in one step at closing,
// so that an interrupted write never leaves a torn file behind.
class GateFile {
public:
    int32_t mode = -1;  // VirtualGate's modes, -1 closed

    bool Open(const WChar* path, int32_t openMode);
    // The result of a write is that of the replacement.
    bool Close(const WChar* path);
    bool Write(const void* bytes, int64_t length);
    bool Read(void* bytes, int64_t length);
    int64_t Size() const { return buffer_.Size(); }

private:
    MemBlock buffer_{1 << 16};
    SObject<MemBlockCursor> cursor_;
};

// A file named by its key's path.
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

    // The path a new document was given when it first opened ("" before).
    const WChar* ChosenPath() const { return chosen_.CStr(); }

private:
    GateFile file_;
    WString chosen_;
    const WChar* Path() const;
    bool PlaceNewDocument(int32_t openMode);
};

// A path the user chose for a document, with ".veldo" appended when it names
// no file type: empty, ending in a separator, or without a "." after its last
// "\".
void AppendDocumentExtension(WString& path);

// Drag and drop: the dragged cell travels through the file "drag_drop.veldo"
// in the product data folder, where another window or another running
// instance of the program can read it.
class DragDropGate : public VirtualGate {
    VELDO_CELL(DragDropGate, VirtualGate, 0x98D0BDCEF3B03E92ULL)

public:
    // Opening fails when the transfer file cannot be written or read.
    bool Open(int32_t mode) override;
    bool Close() override;
    bool Write(const void* bytes, int64_t length) override;
    bool Read(void* bytes, int64_t length) override;
    bool IsOpen() const override { return mode >= 0; }

    // A drag begins carrying a copy of cell (and its children) through the
    // transfer file; false, and a drag without payload, when it cannot be
    // written.
    bool BeginDrag(Cell& cell);
    // While a drag is under way, the dragged cell: read from the transfer
    // file the first time it is asked for; it must hold exactly one tree.
    // Null when there is none.
    Cell* Payload();
    // The drop is complete (or the drag abandoned): the payload is gone.
    void DropComplete();
    bool Dragging() const { return dragging_; }

    // The transfer file's path; false when the profile folder is unknown.
    static bool TransferFile(WPath& path);

private:
    GateFile file_;
    SObject<Cell> payload_;
    bool dragging_ = false;
    bool payloadRead_ = false;
};

// A root cell bound to a gate.
class GCell : public HCell {
    VELDO_CELL(GCell, HCell, 0x441EC00AAE3B4DE5ULL)

public:
    SObject<VirtualGate> gate;

    VirtualGate* Gate() const override { return gate.Get(); }
    const GateKey* RootGateKey() const override { return gate ? gate->Key() : nullptr; }
    // Its turn in every frame of the program's loop (a window's whole frame).
    virtual void Frame() {}
};

// What reaches the system clipboard: the program's main window.
class ClipboardHolder {
public:
    virtual ~ClipboardHolder() = default;
    virtual void SetClipboardText(const WChar* text) = 0;
    virtual void GetClipboardText(WString& text) = 0;
};

// The clipboard: a StringCell travels as its own text, any other cell as
// one line of Base64 of its serialised form; text from other programs
// pastes as a StringCell.
class ClipboardGate : public VirtualGate {
    VELDO_CELL(ClipboardGate, VirtualGate, 0xE369951D84D39B26ULL)

public:
    SSlave<GCell> window;  // the main window, through which the clipboard is reached

    // A transfer: refused while another is under way or without a window.
    // Reading fetches the clipboard; closing a write puts the text on it.
    bool Open(int32_t mode) override;
    bool Close() override;
    bool Write(const void* bytes, int64_t length) override;
    bool Read(void* bytes, int64_t length) override;
    bool IsOpen() const override { return mode >= 0; }
    // The text itself: a StringCell's way (written whole, in a transfer of
    // its own when none is open), and the fallback of a paste.
    bool WriteText(const WString& text) override;
    bool ReadText(WString& text) override;

private:
    MemBlock buffer_{1 << 12};
    SObject<MemBlockCursor> cursor_;
    WString text_;
    ClipboardHolder* Holder() const;
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
