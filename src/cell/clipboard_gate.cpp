// The clipboard gate: cells to and from the clipboard's text.
#include "core/base64.h"
#include "cell/gates.h"

ClipboardHolder* ClipboardGate::Holder() const { return dynamic_cast<ClipboardHolder*>(window.Get()); }

bool ClipboardGate::Open(int32_t openMode) {
    if (IsOpen() || !Holder() || (openMode != kRead && openMode != kWrite)) return false;
    buffer_.Clear();
    text_.Assign(static_cast<const WChar*>(nullptr));
    if (openMode == kRead) {
        Holder()->GetClipboardText(text_);
        DynamicArray<uint8_t> bytes;
        if (DecodeBase64(text_.CStr(), bytes) && bytes.count > 0) {
            MemBlockCursor fill(buffer_);
            fill.Write(bytes.data, bytes.count);
        }
    }
    mode = openMode;
    cursor_.Reset(new MemBlockCursor(buffer_));
    return true;
}

bool ClipboardGate::Close() {
    if (!IsOpen()) return false;
    if (mode == kWrite) {
        const int64_t n = buffer_.Size();
        if (n > 0 && text_.IsEmpty()) {
            DynamicArray<uint8_t> bytes;
            bytes.Resize(int32_t(n));
            MemBlockCursor from(buffer_);
            if (from.Read(bytes.data, n)) EncodeBase64(bytes.data, n, text_);
        }
        if (!text_.IsEmpty() && Holder()) Holder()->SetClipboardText(text_.CStr());
    }
    cursor_.Reset(nullptr);
    buffer_.Clear();
    mode = -1;
    return true;
}

bool ClipboardGate::Write(const void* bytes, int64_t length) {
    return mode == kWrite && cursor_ && cursor_->Write(bytes, length);
}

bool ClipboardGate::Read(void* bytes, int64_t length) {
    return mode == kRead && cursor_ && cursor_->Read(bytes, length);
}

bool ClipboardGate::WriteText(const WString& text) {
    const bool own = !IsOpen();
    if (own && !Open(kWrite)) return false;
    if (mode != kWrite) return false;
    text_ = text;
    return !own || Close();
}

bool ClipboardGate::ReadText(WString& text) {
    if (IsOpen()) {
        text = text_;
    } else {
        ClipboardHolder* holder = Holder();
        if (!holder) return false;
        holder->GetClipboardText(text);
    }
    return !text.IsEmpty();
}
