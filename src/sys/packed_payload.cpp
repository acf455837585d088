// Sections: the index of folders; lookups; reading and writing files;
// staged files.
#include "sys/packed_payload.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/crc64.h"
#include "core/dynamic_array.h"
#include "core/text_convert.h"
#include "core/wide_text.h"
#include "sys/native_path.h"
#include "sys/payload_archive.h"
#include "sys/sibling_names.h"
#include "sys/user_folders.h"

namespace {

// ---- the index of folders ------------------------------------------------------

using Key = std::basic_string<WChar>;  // a relative path, folded, "\" between folders

struct Child {
    WString name;     // as the archive spells it
    int32_t entry;    // the file's entry, or -1 for a folder
};

struct Folder {
    std::vector<Child> children;
};

struct Mounted {
    PayloadArchive* archive = nullptr;
    WPath root;  // ends in "\"
    std::unordered_map<Key, Folder> folders;
    std::unordered_map<Key, int32_t> files;
    // Per file of the table, where this run last wrote it whole (see
    // WritePackedFile; UTF-8, a few bytes a file even for a large payload),
    // and the piece a copy from there goes through.
    std::mutex copies;
    std::unordered_map<const PayloadEntry*, NString> written;
    DynamicArray<uint8_t> piece;
    // Small files read whole (configuration texts, read once for every
    // host), kept so that reading one again does not decompress its block
    // up to it again.
    std::mutex texts;
    std::unordered_map<const PayloadEntry*, NString> read;
    int64_t readBytes = 0;
};

// What the texts kept may hold in all, and the largest kept.
constexpr int64_t kKeptTextBytes = int64_t(1) << 20;
constexpr int64_t kLargestKeptText = int64_t(64) << 10;

Mounted& TheMount() {
    static Mounted mounted;
    return mounted;
}

Key Folded(const WChar* text, size_t n) {
    Key key;
    key.reserve(n);
    for (size_t i = 0; i < n; ++i) key.push_back(text[i] == WChar('/') ? WChar('\\') : WChar(WFoldCase(text[i])));
    return key;
}

// The relative key of a path below the root, without separators at its
// ends; false for a path outside the root.
bool RelativeKey(const WChar* path, Key& key) {
    const Mounted& m = TheMount();
    if (!m.archive) return false;
    const size_t n = WLen(path), rootLength = size_t(m.root.Length()) - 1;  // the root without its "\"
    if (n < rootLength) return false;
    for (size_t i = 0; i < rootLength; ++i)
        if (WFoldCase(path[i]) != WFoldCase(m.root[int32_t(i)])) return false;
    // The program's own path without a separator after it is its file.
    if (n == rootLength || (path[rootLength] != WChar('\\') && path[rootLength] != WChar('/'))) return false;
    size_t start = rootLength, end = n;
    while (start < end && (path[start] == WChar('\\') || path[start] == WChar('/'))) ++start;
    while (end > start && (path[end - 1] == WChar('\\') || path[end - 1] == WChar('/'))) --end;
    key = Folded(path + start, end - start);
    return true;
}

void Index(Mounted& m) {
    m.folders.clear();
    m.files.clear();
    m.folders[Key()];
    const Container<PayloadEntry>& entries = m.archive->Entries();
    for (int32_t i = 0; i < entries.count; ++i) {
        WString path;
        Utf8ToWide(entries[i]->path.CStr(), path);
        // Each folder along the path, then the file in the last one.
        int32_t start = 0;
        Key parent;
        for (int32_t k = 0; k <= path.Length(); ++k) {
            if (k < path.Length() && path[k] != WChar('/')) continue;
            const WString name(path.CStr() + start, k - start);
            const Key key = Folded(path.CStr(), size_t(k));
            const bool isFile = k == path.Length();
            if (isFile) {
                m.folders[parent].children.push_back(Child{name, i});
                m.files[key] = i;
            } else if (m.folders.find(key) == m.folders.end()) {
                m.folders[key];
                m.folders[parent].children.push_back(Child{name, -1});
            }
            parent = key;
            start = k + 1;
        }
    }
}

}  // namespace

void MountPackedPayload(PayloadArchive& archive, const WChar* root) {
    Mounted& m = TheMount();
    m.written.clear();
    m.read.clear();
    m.readBytes = 0;
    m.archive = &archive;
    m.root.Assign(root);
    if (m.root.Length() == 0 || m.root[m.root.Length() - 1] != WChar('\\')) m.root.AppendChar(WChar('\\'));
    Index(m);
}

void UnmountPackedPayload() {
    Mounted& m = TheMount();
    m.written.clear();
    m.read.clear();
    m.readBytes = 0;
    m.archive = nullptr;
    m.root.Assign(WTXT(""));
    m.folders.clear();
    m.files.clear();
}

const WPath& PackedPayloadRoot() { return TheMount().root; }

// ---- lookups -------------------------------------------------------------------

PackedKind PackedPathKind(const WChar* path) {
    Key key;
    if (!RelativeKey(path, key)) return PackedKind::kOutside;
    const Mounted& m = TheMount();
    if (m.folders.find(key) != m.folders.end()) return PackedKind::kFolder;
    return m.files.find(key) != m.files.end() ? PackedKind::kFile : PackedKind::kNothing;
}

const PayloadEntry* PackedFile(const WChar* path) {
    Key key;
    if (!RelativeKey(path, key)) return nullptr;
    const Mounted& m = TheMount();
    const auto found = m.files.find(key);
    return found == m.files.end() ? nullptr : m.archive->Entries()[found->second];
}

bool ListPackedFolder(const WChar* path, const std::function<void(const WChar*, bool)>& visit) {
    Key key;
    if (!RelativeKey(path, key)) return false;
    const Mounted& m = TheMount();
    const auto found = m.folders.find(key);
    if (found == m.folders.end()) return false;
    for (const Child& c : found->second.children) visit(c.name.CStr(), c.entry < 0);
    return true;
}

// ---- reading and writing files -------------------------------------------------

bool ReadPackedFile(const PayloadEntry& entry, const std::function<bool(const void*, size_t)>& sink) {
    return TheMount().archive && TheMount().archive->ReadEntry(entry, sink);
}

bool ReadWholePackedFile(const PayloadEntry& entry, NString& bytes, int64_t maxBytes) {
    Mounted& m = TheMount();
    if (!m.archive) return false;
    std::lock_guard<std::mutex> one(m.texts);
    if (const auto kept = m.read.find(&entry); kept != m.read.end() && uint64_t(maxBytes) >= entry.size) {
        bytes = kept->second;
        return true;
    }
    if (!m.archive->ReadWholeEntry(entry, bytes, maxBytes)) return false;
    if (int64_t(entry.size) <= kLargestKeptText && m.readBytes + int64_t(entry.size) <= kKeptTextBytes) {
        m.read[&entry] = bytes;
        m.readBytes += int64_t(entry.size);
    }
    return true;
}

namespace {

// The file's content into a file just created; a file cut short is deleted.
SysStatus WriteInto(const PayloadEntry& entry, SysWriteHandle* out, const WChar* native) {
    SysStatus written = SysStatus::kOk;
    const bool read = ReadPackedFile(entry, [&](const void* bytes, size_t n) {
        written = SysWriteNext(out, bytes, int64_t(n));
        return written == SysStatus::kOk;
    });
    const SysStatus closed = SysCloseWritten(out, false);
    if (read && closed == SysStatus::kOk) return SysStatus::kOk;
    SysDeleteFile(native);
    // A write refused half-way is no permission the service could lend.
    const SysStatus s = written != SysStatus::kOk ? written : read ? closed : SysStatus::kFailed;
    return s == SysStatus::kAccessDenied ? SysStatus::kFailed : s;
}

constexpr size_t kCopyPiece = size_t(1) << 20;

// A new file at native, replacing one in the way as a copy would.
SysStatus CreateReplacing(const WChar* native, SysWriteHandle*& out) {
    SysStatus s = SysCreateNewFile(native, false, out);
    if (s == SysStatus::kExists) {
        s = SysDeleteFile(native);
        if (s == SysStatus::kOk) s = SysCreateNewFile(native, false, out);
    }
    return s;
}

// The file copied from where this run wrote it before, when the copy is a
// regular file of the table's size whose bytes give the table's CRC as
// they are read back; false (and nothing at native) otherwise.
bool CopyWrittenBefore(const PayloadEntry& entry, const NString& before, const WChar* native) {
    Mounted& m = TheMount();
    WString from;
    Utf8ToWide(before.CStr(), from);
    SysWriteHandle* out = nullptr;
    if (CreateReplacing(native, out) != SysStatus::kOk) return false;
    bool ok = SysCloseWritten(out, false) == SysStatus::kOk && SysCopyFile(from.CStr(), native) == SysStatus::kOk;
    SysReadHandle* in = nullptr;
    int64_t size = 0;
    ok = ok && SysOpenForReading(native, in, size) == SysStatus::kOk && uint64_t(size) == entry.size;
    m.piece.Resize(int32_t(kCopyPiece));
    uint64_t crc = ~uint64_t(0);
    for (uint64_t done = 0; ok && done < entry.size;) {
        const size_t n = size_t(std::min<uint64_t>(kCopyPiece, entry.size - done));
        ok = SysReadAt(in, int64_t(done), m.piece.data, int64_t(n)) == SysStatus::kOk;
        crc = Crc64Update(crc, m.piece.data, n);
        done += n;
    }
    SysCloseReading(in);
    ok = ok && ~crc == entry.crc;
    if (!ok) SysDeleteFile(native);
    return ok;
}

// Where the entry was written, kept when UTF-8 spells the path exactly (a
// name with a lone surrogate is decompressed again instead).
void Remember(const PayloadEntry& entry, const WChar* native) {
    NString utf8;
    WString back;
    WideToUtf8(native, utf8);
    Utf8ToWide(utf8.CStr(), back);
    if (WCompare(back.CStr(), native) == 0)
        TheMount().written[&entry] = utf8;
    else
        TheMount().written.erase(&entry);
}

}  // namespace

// An installation writes the same payload file into every host of a kind:
// after the first, each is a copy of the one written before (read back and
// checked against the table), not another decompression. Small files
// too: reaching one in its compressed block again would mean decompressing
// the block up to it, the large files before it included.
SysStatus WritePackedFile(const PayloadEntry& entry, const WChar* native) {
    Mounted& m = TheMount();
    std::lock_guard<std::mutex> one(m.copies);
    const auto before = m.written.find(&entry);
    if (before != m.written.end() && CopyWrittenBefore(entry, before->second, native)) return SysStatus::kOk;
    SysWriteHandle* out = nullptr;
    const SysStatus s = CreateReplacing(native, out);
    if (s != SysStatus::kOk) return s;
    const SysStatus written = WriteInto(entry, out, native);
    if (written == SysStatus::kOk) Remember(entry, native);
    return written;
}

// ---- staged files --------------------------------------------------------------

namespace {

constexpr const WChar* kStagedName = WTXT("staged payload file");

bool StagedBase(WString& native) {
    WPath folder;
    if (!ProductDataFolder(folder)) return false;
    folder.Join(kStagedName);
    return SysNativePath(folder.CStr(), native);
}

}  // namespace

bool StagePackedFile(const PayloadEntry& entry, WString& native) {
    WString base;
    if (!StagedBase(base)) return false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        NextSiblingName(base.CStr(), SiblingKind::kNew, native);
        SysWriteHandle* out = nullptr;
        const SysStatus s = SysCreateNewFile(native.CStr(), false, out);
        if (s == SysStatus::kExists) continue;
        return s == SysStatus::kOk && WriteInto(entry, out, native.CStr()) == SysStatus::kOk;
    }
    return false;
}

void RemoveStagedLeftovers() {
    WString base;
    WPath folder;
    if (!StagedBase(base) || !ProductDataFolder(folder)) return;
    const NativePath native(folder.CStr());
    if (!native.ok) return;
    struct Found {
        std::vector<WString> names;
    } found;
    SysListFolder(
        native.c(),
        [](void* context, const WChar* name, bool isFolder, bool isLink) {
            if (!isFolder && !isLink) static_cast<Found*>(context)->names.push_back(WString(name));
        },
        &found);
    const size_t stem = WLen(kStagedName);
    for (const WString& name : found.names) {
        uint32_t pid = 0;
        if (size_t(name.Length()) <= stem || WCompareNoCase(name.CStr(), stem, kStagedName, stem) != 0 ||
            !IsSiblingSuffix(name.CStr() + stem, SiblingKind::kNew, pid) || SysProcessExists(pid))
            continue;
        WString path(native.path);
        path.AppendChar(native.path.Length() > 0 && native.path[0] == WChar('/') ? WChar('/') : WChar('\\'));
        path.Append(name);
        SysDeleteFile(path.CStr());
    }
}
