// The drag-and-drop gate: a drag writes its cell to the transfer file and
// a drop reads it back from there.
#include "cell/chunks.h"
#include "cell/gates.h"
#include "sys/platform.h"
#include "sys/file_system.h"
#include "sys/user_folders.h"

bool DragDropGate::TransferFile(WPath& path) {
    if (!ProductDataFolder(path)) return false;
    path.Join(WTXT("drag_drop.veldo"));
    return true;
}

bool DragDropGate::Open(int32_t openMode) {
    if (IsOpen()) Close();
    WPath path;
    if (!TransferFile(path)) return false;
    if (openMode == kWrite) {
        // Written files replace the old one at closing; what must hold now
        // is that the folder takes files at all.
        WString native;
        if (!SysNativePath(path.CStr(), native) || SysAppendFile(native.CStr(), nullptr, 0, true) != SysStatus::kOk)
            return false;
    }
    if (!file_.Open(path.CStr(), openMode)) return false;
    mode = openMode;
    return true;
}

bool DragDropGate::Close() {
    if (!IsOpen()) return false;
    mode = -1;
    WPath path;
    return TransferFile(path) && file_.Close(path.CStr());
}

bool DragDropGate::Write(const void* bytes, int64_t length) { return file_.Write(bytes, length); }

bool DragDropGate::Read(void* bytes, int64_t length) { return file_.Read(bytes, length); }

bool DragDropGate::BeginDrag(Cell& cell) {
    DropComplete();
    dragging_ = true;
    // The data folder is made on the first drag, so that dragging works
    // from a fresh profile.
    CreateProductDataFolder();
    if (WriteTree(*this, cell, 0)) return true;
    payloadRead_ = true;  // never an older drag's file
    return false;
}

Cell* DragDropGate::Payload() {
    if (!dragging_) return nullptr;
    if (!payloadRead_) {
        payloadRead_ = true;
        payload_.Reset(ReadTree(*this));
    }
    return payload_.Get();
}

void DragDropGate::DropComplete() {
    if (IsOpen()) Close();
    payload_.Reset(nullptr);
    dragging_ = false;
    payloadRead_ = false;
}
