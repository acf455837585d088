#include "cell/gates.h"

#include "core/text_convert.h"
#include "sys/platform.h"
#include "sys/sys_io.h"
#include "sys/text_files.h"

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
    if (!chosen_.IsEmpty()) return chosen_.CStr();
    auto* k = dynamic_cast<const HddGateKey*>(key.Get());
    return k ? k->path.CStr() : WTXT("");
}

void AppendDocumentExtension(WString& path) {
    const int32_t n = path.Length();
    bool named = n >= 1 && path[n - 1] != WChar('/') && path[n - 1] != WChar('\\');
    if (named) {
        int32_t lastSeparator = -1;
        for (int32_t i = 0; i < n; ++i)
            if (path[i] == WChar('\\')) lastSeparator = i;
        named = false;
        for (int32_t i = lastSeparator + 1; i < n; ++i)
            if (path[i] == WChar('.')) named = true;
    }
    if (!named) path.Append(WTXT(".veldo"));
}

// A new document has no place yet: the user gives it one, once.
bool HddGate::PlaceNewDocument(int32_t openMode) {
    auto* k = dynamic_cast<const HddGateKey*>(key.Get());
    if (!k || !k->newDocument || !chosen_.IsEmpty()) return true;
    WString path;
    SysIO& io = GetSysIO();
    const bool chosen = openMode == kWrite ? io.SaveFileDialog(path, WTXT("Save Veldo file"), 5)
                                           : io.OpenFileDialog(path, WTXT("Open Veldo file"), 5);
    if (!chosen) return false;
    AppendDocumentExtension(path);
    chosen_ = path;
    return true;
}

bool HddGate::Open(int32_t openMode) {
    if (IsOpen()) Close();
    if (!PlaceNewDocument(openMode)) return false;
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
