// Whole files over the platform calls. Sections: reading; kept copies;
// writing.
#include "sys/text_files.h"

#include <cstring>

#include "core/container.h"
#include "core/crc64.h"
#include "core/log.h"
#include "core/path.h"
#include "core/text_convert.h"
#include "sys/file_system.h"
#include "sys/native_path.h"
#include "sys/packed_payload.h"
#include "sys/payload_archive.h"
#include "sys/platform.h"
#include "sys/user_folders.h"

// ---- reading -----------------------------------------------------------------

namespace {

constexpr int64_t kLargestRead = int64_t(1) << 30;  // no text this program reads comes near

}  // namespace

int32_t ReadTextFile(const WChar* path, NString& text) {
    if (PackedPathKind(path) != PackedKind::kOutside) {  // a file of the packed payload
        const PayloadEntry* entry = PackedFile(path);
        if (!entry) return kTextNotFound;
        return ReadWholePackedFile(*entry, text, kLargestRead) ? kTextOk : kTextReadFailed;
    }
    const NativePath native(path);
    if (!native.ok) return kTextNotFound;
    SysFileInfo info;
    const SysStatus q = SysQueryPath(native.c(), info);
    if (q == SysStatus::kNotFound || (q == SysStatus::kOk && (!info.exists || info.isFolder))) return kTextNotFound;
    if (q != SysStatus::kOk) return kTextNoAccess;
    bool opened = false;
    const SysStatus r = SysReadFile(native.c(), text, kLargestRead, opened);
    if (r == SysStatus::kOk) return kTextOk;
    return opened ? kTextReadFailed : kTextCannotOpen;
}

// ---- kept copies -------------------------------------------------------------

namespace {

// A kept copy: "<CRC-64 of the file's native path>.veldo-keep" in the
// product data folder, holding the header, the native path in UTF-8 and a
// line feed, then the file's bytes as they were.
//   1  the first layout.
constexpr char kKeptCopyHeader[] = "VELDO kept copy 1\n";
constexpr const WChar* kKeptCopySuffix = WTXT(".veldo-keep");

bool KeptCopyPath(const WString& target, WString& native) {
    WPath folder;
    if (!ProductDataFolder(folder)) return false;
    NString utf8;
    WideToUtf8(target.CStr(), utf8);
    WString name;
    name.Format(WTXT("%016llx%s"), (unsigned long long)Crc64(utf8.CStr(), size_t(utf8.Length())), kKeptCopySuffix);
    folder.Join(name.CStr());
    return SysNativePath(folder.CStr(), native);
}

// A complete copy of the file's content, on disk before this returns.
bool KeepCopy(const WString& target, WString& copy) {
    NString old;
    bool opened = false;
    if (SysReadFile(target.CStr(), old, int64_t(1) << 30, opened) != SysStatus::kOk) return false;
    if (!CreateProductDataFolder() || !KeptCopyPath(target, copy)) return false;
    NString content(kKeptCopyHeader);
    NString path;
    WideToUtf8(target.CStr(), path);
    content.Append(path);
    content.AppendChar('\n');
    content.Append(old);
    return SysReplaceFile(copy.CStr(), content.CStr(), content.Length(), opened) == SysStatus::kOk;
}

// Writes the old content back from a kept copy and removes the copy.
bool RestoreFromCopy(const WChar* copy) {
    NString content;
    bool opened = false;
    if (SysReadFile(copy, content, int64_t(1) << 30, opened) != SysStatus::kOk) return false;
    const int32_t header = int32_t(sizeof kKeptCopyHeader - 1);
    if (content.Length() < header || std::memcmp(content.CStr(), kKeptCopyHeader, size_t(header)) != 0) return false;
    const int32_t lineEnd = content.Find("\n", header);
    if (lineEnd < 0) return false;
    const NString pathUtf8(content.CStr() + header, lineEnd - header);
    WString target;
    Utf8ToWide(pathUtf8.CStr(), target);
    const char* bytes = content.CStr() + lineEnd + 1;
    if (SysWriteInPlace(target.CStr(), bytes, content.Length() - lineEnd - 1, opened) != SysStatus::kOk) return false;
    LogLine(WTXT("Restored %s from the copy kept in %s"), target, copy);
    return SysDeleteFile(copy) == SysStatus::kOk;
}

// The folder refuses a new file, or the file has other names: rewritten in
// place, with its old content kept until the write has finished.
int32_t WriteInPlace(const WString& target, bool existed, const void* bytes, int64_t n) {
    WString copy;
    if (existed) {
        if (!KeepCopy(target, copy)) {
            LogLine(WTXT("Cannot keep a copy of %s before rewriting it, so it stays as it is"), target);
            return kTextCannotCreate;
        }
        LogLine(WTXT("Rewriting %s in place; its old content is kept in %s meanwhile"), target, copy);
    }
    bool opened = false;
    const SysStatus s = SysWriteInPlace(target.CStr(), bytes, n, opened);
    if (!existed) return s == SysStatus::kOk ? kTextOk : opened ? kTextWriteFailed : kTextCannotCreate;
    if (s == SysStatus::kOk) {
        SysDeleteFile(copy.CStr());
        return kTextOk;
    }
    RestoreFromCopy(copy.CStr());  // a write that failed half-way leaves the old text, not a torn one
    return opened ? kTextWriteFailed : kTextCannotCreate;
}

}  // namespace

// ---- writing -------------------------------------------------------------------

int32_t WriteTextFile(const WChar* path, const NString& text) { return WriteWholeFile(path, text.CStr(), text.Length()); }

int32_t WriteWholeFile(const WChar* path, const void* bytes, int64_t n) {
    const NativePath native(path);
    if (!native.ok) return kTextCannotCreate;
    // A link is written through: the file it points to gets the text.
    WString target;
    SysFileInfo info;
    const bool exists = SysQueryPath(native.c(), info) == SysStatus::kOk && info.exists;
    if (exists) {
        if (!SysResolveLinks(native.c(), target) || info.isFolder) return kTextCannotCreate;
        if (!SysMayWrite(target.CStr())) return kTextCannotCreate;  // read-only or someone else's: left alone
    } else {
        target = native.path;
    }
    if (exists && info.links > 1) return WriteInPlace(target, true, bytes, n);  // a new file would part the names
    bool opened = false;
    const SysStatus s = SysReplaceFile(target.CStr(), bytes, n, opened);
    if (s == SysStatus::kOk) return kTextOk;
    if (s == SysStatus::kAccessDenied && !opened) return WriteInPlace(target, exists, bytes, n);
    return opened ? kTextWriteFailed : kTextCannotCreate;
}

void RestoreKeptCopies() {
    WPath folder;
    if (!ProductDataFolder(folder)) return;
    Container<WFILE> copies;
    ListFiles(folder.CStr(), WTXT("*.veldo-keep"), false, copies);
    for (int32_t i = 0; i < copies.count; ++i) {
        const NativePath copy(copies[i]->path.CStr());
        if (copy.ok && !RestoreFromCopy(copy.c())) LogLine(WTXT("Cannot restore from the kept copy %s"), copy.path);
    }
}
