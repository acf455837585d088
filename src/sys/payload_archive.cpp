// Sections: numbers in bytes; parsing; the archive of a packed file;
// packing.
#include "sys/payload_archive.h"

#include <zstd.h>

#include <algorithm>
#include <cstring>

#include "core/crc64.h"
#include "core/text_convert.h"
#include "sys/platform.h"
#include "sys/sibling_names.h"

namespace {

// ---- numbers in bytes --------------------------------------------------------------

void Put(NString& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.AppendChar(char(uint8_t(value >> (8 * i))));
}

uint64_t Get(const uint8_t* p, int bytes) {
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= uint64_t(p[i]) << (8 * i);
    return v;
}

// A cursor over a table that refuses to read past its end.
struct Reader {
    const uint8_t* p;
    size_t left;
    bool ok = true;
    uint64_t Take(int bytes) {
        if (!ok || left < size_t(bytes)) {
            ok = false;
            return 0;
        }
        const uint64_t v = Get(p, bytes);
        p += bytes;
        left -= size_t(bytes);
        return v;
    }
};

// The smallest entry: its fixed fields and a one-byte path.
constexpr size_t kEntryFixedBytes = 2 + 8 + 8 + 8 + 8 + 8 + 1;
constexpr size_t kReadPiece = size_t(1) << 20;  // bytes read at a time
constexpr uint64_t kLargestTable = uint64_t(256) << 20;  // far beyond any payload's

// The compression: the level and window that give the smallest file while
// decompression stays fast and its memory bounded (the window is what a
// reader holds).
constexpr int kZstdLevel = 19;
constexpr int kZstdWindowLog = 25;  // 32 MiB

}  // namespace

// ---- parsing -------------------------------------------------------------------------

bool IsSafeArchivePath(const char* path, size_t length) {
    if (length == 0 || path[0] == '/') return false;
    size_t start = 0;
    for (size_t i = 0; i <= length; ++i) {
        if (i < length) {
            const char c = path[i];
            if (c == 0 || c == '\\' || c == ':') return false;
            if (c != '/') continue;
        }
        const size_t n = i - start;
        if (n == 0) return false;
        if (n == 1 && path[start] == '.') return false;
        if (n == 2 && path[start] == '.' && path[start + 1] == '.') return false;
        start = i + 1;
    }
    return true;
}

void WriteTable(const Container<PayloadEntry>& entries, NString& table) {
    table.Assign("");
    Put(table, uint64_t(entries.count), 4);
    for (int32_t i = 0; i < entries.count; ++i) {
        const PayloadEntry& e = *entries[i];
        Put(table, uint64_t(e.path.Length()), 2);
        table.Append(e.path);
        Put(table, e.size, 8);
        Put(table, uint64_t(e.modified), 8);
        Put(table, e.crc, 8);
        Put(table, e.offset, 8);
        Put(table, e.stored, 8);
        Put(table, uint64_t(e.method), 1);
    }
}

void WriteTrailer(ArchiveTrailer trailer, const NString& table, NString& bytes) {
    bytes.Assign("");
    bytes.Append(kArchiveMagic, int32_t(sizeof kArchiveMagic));
    Put(bytes, kArchiveVersion, 4);
    Put(bytes, 0, 4);
    Put(bytes, trailer.archiveStart, 8);
    Put(bytes, trailer.tableOffset, 8);
    Put(bytes, uint64_t(table.Length()), 8);
    Put(bytes, Crc64(table.CStr(), size_t(table.Length())), 8);
    Put(bytes, Crc64(bytes.CStr(), size_t(bytes.Length())), 8);
}

ArchiveStatus ParseTrailer(const uint8_t* bytes, int64_t fileSize, ArchiveTrailer& trailer, NString& why) {
    if (fileSize < kTrailerBytes || std::memcmp(bytes, kArchiveMagic, sizeof kArchiveMagic) != 0)
        return ArchiveStatus::kNotPacked;
    const uint64_t crc = Get(bytes + kTrailerBytes - 8, 8);
    if (Crc64(bytes, size_t(kTrailerBytes - 8)) != crc) {
        why.Assign("the trailer's checksum does not match");
        return ArchiveStatus::kDamaged;
    }
    const uint32_t version = uint32_t(Get(bytes + 8, 4));
    if (version != kArchiveVersion) {
        why.Format("the archive's layout %u is not one this program reads", version);
        return ArchiveStatus::kDamaged;
    }
    trailer.archiveStart = Get(bytes + 16, 8);
    trailer.tableOffset = Get(bytes + 24, 8);
    trailer.tableLength = Get(bytes + 32, 8);
    trailer.tableCrc = Get(bytes + 40, 8);
    const uint64_t room = uint64_t(fileSize - kTrailerBytes);
    if (trailer.archiveStart > room || trailer.tableOffset > room - trailer.archiveStart ||
        trailer.tableLength != room - trailer.archiveStart - trailer.tableOffset) {
        why.Assign("the trailer points outside the file");
        return ArchiveStatus::kDamaged;
    }
    return ArchiveStatus::kOk;
}

ArchiveStatus ParseTable(const uint8_t* table, size_t length, uint64_t tableOffset, Container<PayloadEntry>& entries,
                         NString& why) {
    Reader r{table, length};
    const uint64_t count = r.Take(4);
    if (!r.ok || count > length / kEntryFixedBytes) {
        why.Assign("the table's entry count does not fit the table");
        return ArchiveStatus::kDamaged;
    }
    for (uint64_t i = 0; i < count; ++i) {
        const size_t pathLength = size_t(r.Take(2));
        if (!r.ok || r.left < pathLength) break;
        if (!IsSafeArchivePath(reinterpret_cast<const char*>(r.p), pathLength)) {
            why.Format("the table names an unsafe path (entry %u)", uint32_t(i));
            return ArchiveStatus::kDamaged;
        }
        auto* e = new PayloadEntry;
        e->path.Assign(reinterpret_cast<const char*>(r.p), int32_t(pathLength));
        entries.Add(e, 64);
        r.p += pathLength;
        r.left -= pathLength;
        e->size = r.Take(8);
        e->modified = int64_t(r.Take(8));
        e->crc = r.Take(8);
        e->offset = r.Take(8);
        e->stored = r.Take(8);
        const uint64_t method = r.Take(1);
        if (!r.ok) break;
        if (method > uint64_t(BlockMethod::kZstd) || e->offset > tableOffset || e->stored > tableOffset - e->offset ||
            (method == uint64_t(BlockMethod::kStored) && e->stored != e->size)) {
            why.Format("the table's entry for %s does not fit the archive", e->path.CStr());
            return ArchiveStatus::kDamaged;
        }
        e->method = BlockMethod(method);
    }
    if (!r.ok || r.left != 0 || uint64_t(entries.count) != count) {
        why.Assign("the table ends before its entries or runs on after them");
        return ArchiveStatus::kDamaged;
    }
    // Names repeat once sorted; Windows does not tell letter case apart.
    Container<PayloadEntry> sorted;
    for (int32_t i = 0; i < entries.count; ++i) sorted.Add(entries[i], 64);
    const auto folded = [](const NString& a, const NString& b) {
        const int32_t n = std::min(a.Length(), b.Length());
        for (int32_t k = 0; k < n; ++k) {
            const int x = (a[k] >= 'A' && a[k] <= 'Z') ? a[k] + 32 : uint8_t(a[k]);
            const int y = (b[k] >= 'A' && b[k] <= 'Z') ? b[k] + 32 : uint8_t(b[k]);
            if (x != y) return x - y;
        }
        return a.Length() - b.Length();
    };
    std::sort(sorted.items, sorted.items + sorted.count,
              [&](const PayloadEntry* a, const PayloadEntry* b) { return folded(a->path, b->path) < 0; });
    bool repeated = false;
    for (int32_t i = 1; i < sorted.count && !repeated; ++i) repeated = folded(sorted[i - 1]->path, sorted[i]->path) == 0;
    // A file's path may not also be a folder of another's ("a" and "a/b").
    for (int32_t i = 1; i < sorted.count && !repeated; ++i) {
        const NString& a = sorted[i - 1]->path;
        const NString& b = sorted[i]->path;
        repeated = b.Length() > a.Length() && b[a.Length()] == '/' && folded(a, NString(b.CStr(), a.Length())) == 0;
    }
    while (sorted.count > 0) sorted.Detach(sorted.count - 1);  // the entries stay in entries
    if (repeated) {
        why.Assign("the table names one path twice");
        return ArchiveStatus::kDamaged;
    }
    return ArchiveStatus::kOk;
}

// ---- the executable image ---------------------------------------------------------------

namespace {

// Where the program's own image ends, read from its headers (ELF or PE), and
// where its file's data ends (before a signature Windows appends). Data
// between the two is an archive; a file that ends inside the image is cut
// short. known is false for a file of neither kind.
struct ExecutableImage {
    bool known = false;
    uint64_t length = 0;
    uint64_t end = 0;
};

constexpr size_t kHeadBytes = 4096;

bool ReadU(SysReadHandle* f, uint64_t at, int bytes, uint64_t& v, int64_t fileSize) {
    uint8_t b[8];
    if (at > uint64_t(fileSize) || uint64_t(bytes) > uint64_t(fileSize) - at ||
        SysReadAt(f, int64_t(at), b, bytes) != SysStatus::kOk)
        return false;
    v = Get(b, bytes);
    return true;
}

ExecutableImage ElfImage(SysReadHandle* f, const uint8_t* head, int64_t fileSize) {
    if (head[4] != 2 || head[5] != 1) return {};  // 64-bit, little-endian only
    const uint64_t phoff = Get(head + 0x20, 8), shoff = Get(head + 0x28, 8);
    const uint64_t phentsize = Get(head + 0x36, 2), phnum = Get(head + 0x38, 2);
    const uint64_t shentsize = Get(head + 0x3A, 2), shnum = Get(head + 0x3C, 2);
    uint64_t length = std::max(phoff + phentsize * phnum, shoff + shentsize * shnum);
    for (uint64_t i = 0; i < phnum; ++i) {  // every segment's bytes in the file
        uint64_t offset = 0, size = 0;
        if (!ReadU(f, phoff + i * phentsize + 0x08, 8, offset, fileSize) ||
            !ReadU(f, phoff + i * phentsize + 0x20, 8, size, fileSize))
            return ExecutableImage{true, std::max(length, uint64_t(fileSize) + 1), uint64_t(fileSize)};  // cut short
        length = std::max(length, offset + size);
    }
    for (uint64_t i = 0; i < shnum; ++i) {  // and every section's, but for those that take no room
        uint64_t type = 0, offset = 0, size = 0;
        if (!ReadU(f, shoff + i * shentsize + 0x04, 4, type, fileSize) ||
            !ReadU(f, shoff + i * shentsize + 0x18, 8, offset, fileSize) ||
            !ReadU(f, shoff + i * shentsize + 0x20, 8, size, fileSize))
            return ExecutableImage{true, std::max(length, uint64_t(fileSize) + 1), uint64_t(fileSize)};
        if (type != 8) length = std::max(length, offset + size);  // 8: SHT_NOBITS
    }
    return ExecutableImage{true, length, uint64_t(fileSize)};
}

ExecutableImage PeImage(SysReadHandle* f, const uint8_t* head, size_t headBytes, int64_t fileSize) {
    ExecutableImage image;
    const uint64_t pe = Get(head + 0x3C, 4);
    if (pe + 24 > headBytes || std::memcmp(head + pe, "PE\0\0", 4) != 0) return image;
    const uint64_t sections = Get(head + pe + 6, 2), optionalBytes = Get(head + pe + 20, 2);
    const uint64_t optional = pe + 24, table = optional + optionalBytes;
    uint64_t length = table + sections * 40;
    // The COFF symbols and their strings that some linkers leave after the
    // sections belong to the image too.
    const uint64_t symbols = Get(head + pe + 12, 4), symbolCount = Get(head + pe + 16, 4);
    if (symbols > 0) {
        const uint64_t strings = symbols + symbolCount * 18;
        uint64_t stringBytes = 0;
        if (!ReadU(f, strings, 4, stringBytes, fileSize))
            return ExecutableImage{true, std::max(strings + 4, uint64_t(fileSize) + 1), uint64_t(fileSize)};
        length = std::max(length, strings + stringBytes);
    }
    for (uint64_t i = 0; i < sections; ++i) {
        uint64_t size = 0, offset = 0;
        if (!ReadU(f, table + i * 40 + 16, 4, size, fileSize) || !ReadU(f, table + i * 40 + 20, 4, offset, fileSize))
            return ExecutableImage{true, std::max(length, uint64_t(fileSize) + 1), uint64_t(fileSize)};
        length = std::max(length, offset + size);
    }
    // A signature (the security directory, entry 4, whose address is a file
    // offset) appended after everything else is no part of the archive.
    uint64_t end = uint64_t(fileSize), magic = 0, at = 0, size = 0;
    if (ReadU(f, optional, 2, magic, fileSize)) {
        const uint64_t directories = optional + (magic == 0x20B ? 112 : 96);
        if (ReadU(f, directories + 4 * 8, 4, at, fileSize) && ReadU(f, directories + 4 * 8 + 4, 4, size, fileSize) &&
            size > 0 && at >= length && at + size == uint64_t(fileSize))
            end = at;
    }
    return ExecutableImage{true, length, end};
}

ExecutableImage ImageOf(SysReadHandle* f, int64_t fileSize) {
    uint8_t head[kHeadBytes] = {};
    const size_t n = size_t(std::min<int64_t>(fileSize, int64_t(kHeadBytes)));
    if (n < 0x40 || SysReadAt(f, 0, head, int64_t(n)) != SysStatus::kOk) return {};
    if (std::memcmp(head, "\x7F" "ELF", 4) == 0) return ElfImage(f, head, fileSize);
    if (head[0] == 'M' && head[1] == 'Z') return PeImage(f, head, n, fileSize);
    return {};
}

}  // namespace

// ---- the archive of a packed file ---------------------------------------------------------

PayloadArchive::~PayloadArchive() { SysCloseReading(file_); }

ArchiveStatus PayloadArchive::Open(const WChar* native) {
    SysCloseReading(file_);
    file_ = nullptr;
    while (entries_.count > 0) entries_.Remove(entries_.count - 1);
    if (SysOpenForReading(native, file_, fileSize_) != SysStatus::kOk) {
        why_.Assign("the program's file cannot be read");
        return ArchiveStatus::kUnreadable;
    }
    // An executable tells from its headers where its image ends: nothing
    // after it is a program without an archive; a file that ends before it,
    // or data after it that is no archive, is damage (a cut-off download).
    const ExecutableImage image = ImageOf(file_, fileSize_);
    imageLength_ = image.known ? image.length : uint64_t(fileSize_);
    const int64_t end = image.known ? int64_t(image.end) : fileSize_;
    if (image.known && image.length > image.end) {
        why_.Assign("the file ends before the program does");
        return ArchiveStatus::kDamaged;
    }
    if (image.known && image.length == image.end) return ArchiveStatus::kNotPacked;
    uint8_t trailer[kTrailerBytes];
    if (end < kTrailerBytes) return image.known ? Damaged("the file is cut short") : ArchiveStatus::kNotPacked;
    if (SysReadAt(file_, end - kTrailerBytes, trailer, kTrailerBytes) != SysStatus::kOk) {
        why_.Assign("the program's file cannot be read");
        return ArchiveStatus::kUnreadable;
    }
    ArchiveStatus t = ParseTrailer(trailer, end, trailer_, why_);
    if (t == ArchiveStatus::kNotPacked && image.known) return Damaged("the file is cut short or its end is damaged");
    if (t != ArchiveStatus::kOk) return t;
    if (image.known && trailer_.archiveStart != image.length) return Damaged("the archive does not start where the program ends");
    if (trailer_.tableLength > kLargestTable) {
        why_.Assign("the table is larger than any payload's");
        return ArchiveStatus::kDamaged;
    }
    DynamicArray<uint8_t> table;
    table.Resize(int32_t(trailer_.tableLength));
    if (SysReadAt(file_, int64_t(trailer_.archiveStart + trailer_.tableOffset), table.data,
                  int64_t(trailer_.tableLength)) != SysStatus::kOk) {
        why_.Assign("the program's file cannot be read");
        return ArchiveStatus::kUnreadable;
    }
    const uint8_t* bytes = table.data;
    if (Crc64(bytes, size_t(trailer_.tableLength)) != trailer_.tableCrc) {
        why_.Assign("the table's checksum does not match");
        return ArchiveStatus::kDamaged;
    }
    return ParseTable(bytes, size_t(trailer_.tableLength), trailer_.tableOffset, entries_, why_);
}

bool PayloadArchive::ReadEntry(const PayloadEntry& entry, const std::function<bool(const void*, size_t)>& sink) {
    if (!file_) return false;
    DynamicArray<uint8_t> in, out;
    in.Resize(int32_t(kReadPiece));
    ZSTD_DCtx* z = nullptr;
    if (entry.method == BlockMethod::kZstd) {
        z = ZSTD_createDCtx();
        if (!z) return false;
        ZSTD_DCtx_setParameter(z, ZSTD_d_windowLogMax, kZstdWindowLog);  // refuses frames that would want more memory
        out.Resize(int32_t(ZSTD_DStreamOutSize()));
    }
    uint64_t crc = ~uint64_t(0), produced = 0, done = 0;
    bool ok = true, frameEnded = entry.method != BlockMethod::kZstd || entry.stored == 0;
    const auto emit = [&](const void* bytes, size_t n) {
        produced += n;
        if (produced > entry.size) return false;  // more than the table says: damage, stopped at once
        crc = Crc64Update(crc, bytes, n);
        return sink(bytes, n);
    };
    while (ok && done < entry.stored) {
        const size_t n = size_t(std::min<uint64_t>(kReadPiece, entry.stored - done));
        if (SysReadAt(file_, int64_t(trailer_.archiveStart + entry.offset + done), in.data, int64_t(n)) !=
            SysStatus::kOk) {
            ok = false;
            break;
        }
        done += n;
        if (!z) {
            ok = emit(in.data, n);
            continue;
        }
        ZSTD_inBuffer src{in.data, n, 0};
        while (ok && src.pos < src.size) {
            ZSTD_outBuffer dst{out.data, size_t(out.count), 0};
            const size_t r = ZSTD_decompressStream(z, &dst, &src);
            if (ZSTD_isError(r)) ok = false;
            else if (dst.pos > 0) ok = emit(out.data, dst.pos);
            frameEnded = r == 0;
            if (frameEnded && src.pos < src.size) ok = false;  // bytes after the frame
        }
    }
    if (z) {
        // What the decompressor still holds once all input is in.
        while (ok && !frameEnded) {
            ZSTD_inBuffer src{nullptr, 0, 0};
            ZSTD_outBuffer dst{out.data, size_t(out.count), 0};
            const size_t r = ZSTD_decompressStream(z, &dst, &src);
            if (ZSTD_isError(r) || (dst.pos == 0 && r != 0)) ok = false;
            else if (dst.pos > 0) ok = emit(out.data, dst.pos);
            frameEnded = r == 0;
        }
        ZSTD_freeDCtx(z);
    }
    return ok && frameEnded && produced == entry.size && ~crc == entry.crc;
}

ArchiveStatus PayloadArchive::Verify(const std::function<void(int64_t, int64_t)>& progress) {
    int64_t total = 0, done = 0;
    for (int32_t i = 0; i < entries_.count; ++i) total += int64_t(entries_[i]->stored);
    for (int32_t i = 0; i < entries_.count; ++i) {
        if (progress) progress(done, total);
        if (!ReadEntry(*entries_[i], [](const void*, size_t) { return true; })) {
            why_.Format("the content of %s does not match the table", entries_[i]->path.CStr());
            return ArchiveStatus::kDamaged;
        }
        done += int64_t(entries_[i]->stored);
    }
    if (progress) progress(total, total);
    return ArchiveStatus::kOk;
}

// ---- packing ---------------------------------------------------------------------------------

namespace {

struct Found {
    Container<PayloadEntry>* files;
    NString* refused;
    WString folder;  // native
    NString relative;
};

// The separator a native folder's path uses ("\\" on Windows, where "/"
// works as well; "/" on Linux).
WChar SeparatorOf(const WString& folder) {
    for (int32_t i = 0; i < folder.Length(); ++i)
        if (folder[i] == WChar('\\')) return WChar('\\');
    return WChar('/');
}

void NoteRefused(NString& refused, const NString& path) {
    if (!refused.IsEmpty()) refused.Append(", ");
    refused.Append(path);
}

// Every regular file under the folder; links, special files and what
// cannot be read are named in refused.
void Collect(Found& at) {
    struct Item {
        WString name;
        bool isFolder, isLink;
    };
    Container<Item> items;
    if (SysListFolder(
            at.folder.CStr(),
            [](void* c, const WChar* name, bool isFolder, bool isLink) {
                static_cast<Container<Item>*>(c)->Add(new Item{WString(name), isFolder, isLink}, 64);
            },
            &items) != SysStatus::kOk) {
        NoteRefused(*at.refused, at.relative.IsEmpty() ? NString(".") : at.relative);
        return;
    }
    for (int32_t i = 0; i < items.count; ++i) {
        const Item& item = *items[i];
        WString native(at.folder);
        native.AppendChar(SeparatorOf(at.folder));
        native.Append(item.name);
        NString name;
        WideToUtf8(item.name.CStr(), name);
        NString relative(at.relative);
        if (!relative.IsEmpty()) relative.Append("/");
        relative.Append(name);
        if (item.isLink) {
            NoteRefused(*at.refused, relative);
            continue;
        }
        if (item.isFolder) {
            Found below{at.files, at.refused, native, relative};
            Collect(below);
            continue;
        }
        SysFileInfo info;
        SysReadHandle* probe = nullptr;
        int64_t size = 0;
        if (SysQueryPath(native.CStr(), info) != SysStatus::kOk ||
            SysOpenForReading(native.CStr(), probe, size) != SysStatus::kOk) {  // special files are refused too
            NoteRefused(*at.refused, relative);
            continue;
        }
        SysCloseReading(probe);
        auto* e = new PayloadEntry;
        e->path = relative;
        e->size = uint64_t(size);
        e->modified = info.modified;
        at.files->Add(e, 64);
    }
}

// Writes one file's block to out at the current end (written so far);
// fills the entry's CRC, method and block length.
bool WriteBlock(const WChar* native, PayloadEntry& e, SysWriteHandle* out, ZSTD_CCtx* z) {
    SysReadHandle* in = nullptr;
    int64_t size = 0;
    if (SysOpenForReading(native, in, size) != SysStatus::kOk || uint64_t(size) != e.size) {
        SysCloseReading(in);
        return false;
    }
    DynamicArray<uint8_t> piece, packed;
    piece.Resize(int32_t(kReadPiece));
    // Compressed into memory first: a block that comes out no smaller than
    // the file is stored instead. (Checked once more when stored: a file
    // that changes meanwhile fails the CRC at the program's start.)
    NString compressed;
    uint64_t crc = ~uint64_t(0);
    bool ok = ZSTD_CCtx_reset(z, ZSTD_reset_session_only) == 0 &&
              !ZSTD_isError(ZSTD_CCtx_setPledgedSrcSize(z, e.size));
    packed.Resize(int32_t(ZSTD_CStreamOutSize()));
    for (uint64_t done = 0; ok && done <= e.size;) {
        const size_t n = size_t(std::min<uint64_t>(kReadPiece, e.size - done));
        if (n > 0 && SysReadAt(in, int64_t(done), piece.data, int64_t(n)) != SysStatus::kOk) {
            ok = false;
            break;
        }
        crc = Crc64Update(crc, piece.data, n);
        done += n;
        const bool last = done == e.size;
        ZSTD_inBuffer src{piece.data, n, 0};
        size_t left = 0;
        do {
            ZSTD_outBuffer dst{packed.data, size_t(packed.count), 0};
            left = ZSTD_compressStream2(z, &dst, &src, last ? ZSTD_e_end : ZSTD_e_continue);
            if (ZSTD_isError(left)) ok = false;
            else compressed.Append(reinterpret_cast<const char*>(packed.data), int32_t(dst.pos));
        } while (ok && (last ? left != 0 : src.pos < src.size));
        if (last) break;
    }
    e.crc = ~crc;
    const bool store = ok && uint64_t(compressed.Length()) >= e.size;
    e.method = store ? BlockMethod::kStored : BlockMethod::kZstd;
    e.stored = store ? e.size : uint64_t(compressed.Length());
    if (ok && !store) ok = SysWriteNext(out, compressed.CStr(), compressed.Length()) == SysStatus::kOk;
    // Stored: the file's bytes once more, as they are.
    for (uint64_t done = 0; ok && store && done < e.size;) {
        const size_t n = size_t(std::min<uint64_t>(kReadPiece, e.size - done));
        ok = SysReadAt(in, int64_t(done), piece.data, int64_t(n)) == SysStatus::kOk &&
             SysWriteNext(out, piece.data, int64_t(n)) == SysStatus::kOk;
        done += n;
    }
    SysCloseReading(in);
    return ok;
}

// The program's own bytes: up to its archive when it carries one.
bool CopyProgram(const WChar* program, SysWriteHandle* out, uint64_t& length) {
    PayloadArchive own;
    const ArchiveStatus s = own.Open(program);
    if (s == ArchiveStatus::kUnreadable || s == ArchiveStatus::kDamaged) return false;
    SysReadHandle* in = nullptr;
    int64_t size = 0;
    if (SysOpenForReading(program, in, size) != SysStatus::kOk) return false;
    length = s == ArchiveStatus::kOk ? own.Trailer().archiveStart : own.ImageLength();
    DynamicArray<uint8_t> piece;
    piece.Resize(int32_t(kReadPiece));
    bool ok = true;
    for (uint64_t done = 0; ok && done < length;) {
        const size_t n = size_t(std::min<uint64_t>(kReadPiece, length - done));
        ok = SysReadAt(in, int64_t(done), piece.data, int64_t(n)) == SysStatus::kOk &&
             SysWriteNext(out, piece.data, int64_t(n)) == SysStatus::kOk;
        done += n;
    }
    SysCloseReading(in);
    return ok;
}

}  // namespace

PackStatus PackPayload(const WChar* program, const WChar* payloadFolder, const WChar* output, NString& problem) {
    Container<PayloadEntry> files;
    NString refused;
    Found top{&files, &refused, WString(payloadFolder), NString()};
    Collect(top);
    if (!refused.IsEmpty()) {
        problem = refused;
        return PackStatus::kRefusedPayload;
    }
    std::sort(files.items, files.items + files.count,
              [](const PayloadEntry* a, const PayloadEntry* b) { return std::strcmp(a->path.CStr(), b->path.CStr()) < 0; });

    WString temp;
    SysWriteHandle* out = nullptr;
    for (int attempt = 0; attempt < 100 && !out; ++attempt) {
        NextSiblingName(output, SiblingKind::kNew, temp);
        SysCreateNewFile(temp.CStr(), true, out);  // a name taken meanwhile: the next one
    }
    if (!out) {
        WideToUtf8(output, problem);
        return PackStatus::kCannotWrite;
    }
    const auto fail = [&](PackStatus s, const NString& what) {
        SysCloseWritten(out, false);
        SysDeleteFile(temp.CStr());
        problem = what;
        return s;
    };
    uint64_t archiveStart = 0;
    NString programName;
    WideToUtf8(program, programName);
    if (!CopyProgram(program, out, archiveStart)) return fail(PackStatus::kCannotReadProgram, programName);

    ZSTD_CCtx* z = ZSTD_createCCtx();
    if (!z) return fail(PackStatus::kCannotWrite, NString("the compressor"));
    ZSTD_CCtx_setParameter(z, ZSTD_c_compressionLevel, kZstdLevel);
    ZSTD_CCtx_setParameter(z, ZSTD_c_windowLog, kZstdWindowLog);
    ZSTD_CCtx_setParameter(z, ZSTD_c_checksumFlag, 0);  // the table's CRC checks the content
    uint64_t offset = 0;
    for (int32_t i = 0; i < files.count; ++i) {
        PayloadEntry& e = *files[i];
        WString relative, native(payloadFolder);
        Utf8ToWide(e.path.CStr(), relative);
        const WChar separator = SeparatorOf(native);
        for (int32_t k = 0; k < relative.Length(); ++k)
            if (relative[k] == WChar('/')) relative.chars.data[k] = separator;
        native.AppendChar(separator);
        native.Append(relative);
        e.offset = offset;
        if (!WriteBlock(native.CStr(), e, out, z)) {
            ZSTD_freeCCtx(z);
            return fail(PackStatus::kRefusedPayload, e.path);
        }
        offset += e.stored;
    }
    ZSTD_freeCCtx(z);

    NString table, trailer;
    WriteTable(files, table);
    ArchiveTrailer where;
    where.archiveStart = archiveStart;
    where.tableOffset = offset;
    WriteTrailer(where, table, trailer);
    if (SysWriteNext(out, table.CStr(), table.Length()) != SysStatus::kOk ||
        SysWriteNext(out, trailer.CStr(), trailer.Length()) != SysStatus::kOk)
        return fail(PackStatus::kCannotWrite, NString("the output"));
    if (SysCloseWritten(out, true) != SysStatus::kOk) {
        SysDeleteFile(temp.CStr());
        WideToUtf8(output, problem);
        return PackStatus::kCannotWrite;
    }
    if (SysRenameOver(temp.CStr(), output) != SysStatus::kOk) {
        SysDeleteFile(temp.CStr());
        WideToUtf8(output, problem);
        return PackStatus::kCannotWrite;
    }
    SysFlushFileSystem(output);
    return PackStatus::kOk;
}
