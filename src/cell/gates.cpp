#include "cell/gates.h"

#include "cell/core/text_convert.h"
#include "sys/file_system.h"
#include "sys/platform.h"

void VirtualGate::SetKey(const GateKey& k) { key.Reset(k.Duplicate()); }

// The plain gate reaches nothing: every operation fails.
bool VirtualGate::Open(int32_t) { return false; }
bool VirtualGate::Close() { return false; }
bool VirtualGate::Write(const void*, int64_t) { return false; }
bool VirtualGate::Read(void*, int64_t) { return false; }
bool VirtualGate::IsOpen() const { return false; }

bool VirtualGate::WriteText(const WString&) { return false; }
bool VirtualGate::ReadText(WString&) { return false; }

// ---- GateFile ------------------------------------------------------------------

bool GateFile::Open(const WChar* path, int32_t openMode) {
    buffer_.Clear();
    cursor_.Reset(nullptr);
    mode = -1;
    if (openMode == VirtualGate::kRead) {
        WString native;
        NString bytes;
        bool opened = false;
        if (!SysNativePath(path, native) || SysReadFile(native.CStr(), bytes, int64_t(1) << 31, opened) != SysStatus::kOk)
            return false;
        MemBlockCursor fill(buffer_);
        if (!fill.Write(bytes.CStr(), bytes.Length())) return false;
    } else if (openMode != VirtualGate::kWrite) {
        return false;
    }
    mode = openMode;
    cursor_.Reset(new MemBlockCursor(buffer_));
    return true;
}

bool GateFile::Close(const WChar* path) {
    if (mode < 0) return false;
    bool ok = true;
    if (mode == VirtualGate::kWrite) {
        // The whole content replaces the file in one step.
        DynamicArray<char> all;
        all.Resize(int32_t(buffer_.Size()));
        MemBlockCursor from(buffer_);
        ok = from.Read(all.data, buffer_.Size());
        ok = ok && WriteWholeFile(path, all.data, all.count) == kTextOk;
    }
    cursor_.Reset(nullptr);
    buffer_.Clear();
    mode = -1;
    return ok;
}

bool GateFile::Write(const void* bytes, int64_t length) {
    return mode == VirtualGate::kWrite && cursor_ && cursor_->Write(bytes, length);
}

bool GateFile::Read(void* bytes, int64_t length) {
    return mode == VirtualGate::kRead && cursor_ && cursor_->Read(bytes, length);
}

// ---- HddGate -----------------------------------------------------------------

const WChar* HddGate::Path() const {
    auto* k = dynamic_cast<const HddGateKey*>(key.Get());
    return k ? k->path.CStr() : WTXT("");
}

bool HddGate::Open(int32_t openMode) {
    if (IsOpen()) Close();
    if (!file_.Open(Path(), openMode)) return false;
    mode = openMode;
    return true;
}

bool HddGate::Close() {
    if (!IsOpen()) return false;
    mode = -1;
    return file_.Close(Path());
}

bool HddGate::Write(const void* bytes, int64_t length) { return file_.Write(bytes, length); }

bool HddGate::Read(void* bytes, int64_t length) { return file_.Read(bytes, length); }

bool HddGate::WriteText(const WString& text) {
    NString utf8;
    WideToUtf8(text.CStr(), utf8);
    if (!IsOpen() && !Open(kWrite)) return false;
    const bool written = Write(utf8.CStr(), utf8.Length());
    return Close() && written;
}

bool HddGate::ReadText(WString& text) {
    if (!Open(kRead)) return false;
    const int64_t n = file_.Size();
    DynamicArray<char> all;
    all.Resize(int32_t(n));
    const bool ok = Read(all.data, n);
    Close();
    if (ok) Utf8ToWide(all.data, all.count, text);
    return ok;
}
