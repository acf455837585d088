// Sections: numbers in bytes; parsing; the archive of a packed file;
// packing.
#include "sys/payload_archive.h"

#include <zstd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "core/crc64.h"
#include "core/text_convert.h"
#include "sys/decompress_ahead.h"
#include "sys/platform.h"
#include "sys/sibling_names.h"
#include "sys/x86_call_filter.h"

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

// The smallest block and entry in the table (an entry with a one-byte path).
constexpr size_t kBlockBytes = 8 + 8 + 8 + 8 + 1;
constexpr size_t kEntryFixedBytes = 2 + 1 + 8 + 8 + 8 + 4 + 8 + 1;
constexpr size_t kReadPiece = size_t(1) << 20;  // bytes read at a time
constexpr uint64_t kLargestTable = uint64_t(256) << 20;  // far beyond any payload's

// The compression: the level and window that give the smallest file while
// decompression stays fast and its memory bounded (the window is what a
// reader holds). With long-distance matching the strongest level costs
// about what 19 does, and decompresses as fast.
constexpr int kZstdLevel = 22;
constexpr int kZstdWindowLog = 25;  // 32 MiB
constexpr unsigned kMostWorkers = 8;

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

void WriteTable(const Container<PayloadBlock>& blocks, const Container<PayloadEntry>& entries, NString& table) {
    table.Assign("");
    Put(table, uint64_t(blocks.count), 4);
    for (int32_t i = 0; i < blocks.count; ++i) {
        const PayloadBlock& b = *blocks[i];
        Put(table, b.offset, 8);
        Put(table, b.stored, 8);
        Put(table, b.content, 8);
        Put(table, b.crc, 8);
        Put(table, uint64_t(b.method), 1);
    }
    Put(table, uint64_t(entries.count), 4);
    for (int32_t i = 0; i < entries.count; ++i) {
        const PayloadEntry& e = *entries[i];
        Put(table, uint64_t(e.path.Length()), 2);
        table.Append(e.path);
        Put(table, e.size, 8);
        Put(table, uint64_t(e.modified), 8);
        Put(table, e.crc, 8);
        Put(table, e.block, 4);
        Put(table, e.offset, 8);
        Put(table, uint64_t(e.filter), 1);
    }
}

void WriteTrailer(ArchiveTrailer trailer, const NString& table, NString& bytes) {
    bytes.Assign("");
    bytes.Append(kArchiveMagic, int32_t(sizeof kArchiveMagic));
    Put(bytes, kArchiveVersion, 4);
    Put(bytes, uint64_t(trailer.tableMethod), 4);
    Put(bytes, trailer.archiveStart, 8);
    Put(bytes, trailer.tableOffset, 8);
    Put(bytes, uint64_t(table.Length()), 8);
    Put(bytes, Crc64(table.CStr(), size_t(table.Length())), 8);
    Put(bytes, Crc64(bytes.CStr(), size_t(bytes.Length())), 8);
}

void StoreTable(const NString& table, NString& stored, BlockMethod& method) {
    DynamicArray<uint8_t> packed;
    packed.Resize(int32_t(ZSTD_compressBound(size_t(table.Length()))));
    const size_t n = ZSTD_compress(packed.data, size_t(packed.count), table.CStr(), size_t(table.Length()), kZstdLevel);
    if (!ZSTD_isError(n) && n < size_t(table.Length())) {
        stored.Assign(reinterpret_cast<const char*>(packed.data), int32_t(n));
        method = BlockMethod::kZstd;
        return;
    }
    stored = table;
    method = BlockMethod::kStored;
}

bool LoadTable(const uint8_t* stored, size_t length, BlockMethod method, DynamicArray<uint8_t>& table) {
    if (method != BlockMethod::kZstd) {
        if (length > kLargestTable) return false;
        table.Resize(int32_t(length));
        if (length > 0) std::memcpy(table.data, stored, length);
        return true;
    }
    const unsigned long long size = ZSTD_getFrameContentSize(stored, length);
    if (size == ZSTD_CONTENTSIZE_UNKNOWN || size == ZSTD_CONTENTSIZE_ERROR || size > kLargestTable) return false;
    table.Resize(int32_t(size));
    const size_t n = ZSTD_decompress(table.data, size_t(size), stored, length);
    return !ZSTD_isError(n) && n == size;
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
    const uint64_t tableMethod = Get(bytes + 12, 4);
    if (tableMethod > uint64_t(BlockMethod::kZstd)) {
        why.Assign("the trailer names no table layout this program reads");
        return ArchiveStatus::kDamaged;
    }
    trailer.tableMethod = BlockMethod(tableMethod);
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

ArchiveStatus ParseTable(const uint8_t* table, size_t length, uint64_t tableOffset, Container<PayloadBlock>& blocks,
                         Container<PayloadEntry>& entries, NString& why) {
    Reader r{table, length};
    const uint64_t blockCount = r.Take(4);
    if (!r.ok || blockCount > length / kBlockBytes) {
        why.Assign("the table's block count does not fit the table");
        return ArchiveStatus::kDamaged;
    }
    // The blocks follow each other from the archive's start to the table.
    uint64_t end = 0;
    for (uint64_t i = 0; i < blockCount; ++i) {
        auto* b = new PayloadBlock;
        blocks.Add(b, 64);
        b->offset = r.Take(8);
        b->stored = r.Take(8);
        b->content = r.Take(8);
        b->crc = r.Take(8);
        const uint64_t method = r.Take(1);
        if (!r.ok) break;
        if (method > uint64_t(BlockMethod::kZstd) || b->offset != end || b->stored > tableOffset - end ||
            (method == uint64_t(BlockMethod::kStored) && b->stored != b->content)) {
            why.Format("the table's block %u does not fit the archive", uint32_t(i));
            return ArchiveStatus::kDamaged;
        }
        b->method = BlockMethod(method);
        end += b->stored;
    }
    if (r.ok && end != tableOffset) {
        why.Assign("the blocks do not reach the table");
        return ArchiveStatus::kDamaged;
    }
    const uint64_t count = r.Take(4);
    if (!r.ok || count > r.left / kEntryFixedBytes) {
        why.Assign("the table's entry count does not fit the table");
        return ArchiveStatus::kDamaged;
    }
    // Each block's files fill its content, in order (the files of
    // different blocks may come in any order).
    DynamicArray<uint64_t> filled;
    filled.Resize(blocks.count);
    for (int32_t b = 0; b < blocks.count; ++b) filled[b] = 0;
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
        e->block = uint32_t(r.Take(4));
        e->offset = r.Take(8);
        const uint64_t filter = r.Take(1);
        if (!r.ok) break;
        if (e->block >= uint32_t(blocks.count) || e->offset != filled[int32_t(e->block)] ||
            e->size > blocks[int32_t(e->block)]->content - e->offset) {
            why.Format("the table's entry for %s does not fit its block", e->path.CStr());
            return ArchiveStatus::kDamaged;
        }
        if (filter > uint64_t(ContentFilter::kX86Calls) ||
            (filter != uint64_t(ContentFilter::kNone) && blocks[int32_t(e->block)]->method != BlockMethod::kZstd)) {
            why.Format("the table's entry for %s names a filter this program does not know", e->path.CStr());
            return ArchiveStatus::kDamaged;
        }
        e->filter = ContentFilter(filter);
        filled[int32_t(e->block)] += e->size;
    }
    if (!r.ok || r.left != 0 || uint64_t(entries.count) != count) {
        why.Assign("the table ends before its entries or runs on after them");
        return ArchiveStatus::kDamaged;
    }
    for (int32_t b = 0; b < blocks.count; ++b)
        if (filled[b] != blocks[b]->content) {
            why.Format("the files do not fill block %i", b);
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

// Where the last read stopped: the block, how much of its content has been
// handed out, and the piece of it decompressed ahead that is being handed out.
struct PayloadArchive::Cursor {
    int64_t block = -1;
    uint64_t position = 0;  // in the block's content
    DecompressAhead ahead;
    const uint8_t* out = nullptr;
    size_t outStart = 0, outEnd = 0;  // of out, not yet handed out
    X86CallFilter decode{X86CallFilter::Direction::kDecode};  // one for every file, its room kept
    DynamicArray<uint8_t> stored;     // a stored file's piece

    explicit Cursor(SysReadHandle* file) : ahead(file, kZstdWindowLog) { stored.Resize(int32_t(kReadPiece)); }
};

PayloadArchive::~PayloadArchive() {
    delete cursor_;
    SysCloseReading(file_);
}

ArchiveStatus PayloadArchive::Open(const WChar* native) {
    delete cursor_;  // first: its worker reads the file
    cursor_ = nullptr;
    SysCloseReading(file_);
    file_ = nullptr;
    while (entries_.count > 0) entries_.Remove(entries_.count - 1);
    while (blocks_.count > 0) blocks_.Remove(blocks_.count - 1);
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
    if (Crc64(table.data, size_t(trailer_.tableLength)) != trailer_.tableCrc) {
        why_.Assign("the table's checksum does not match");
        return ArchiveStatus::kDamaged;
    }
    DynamicArray<uint8_t> loaded;
    if (!LoadTable(table.data, size_t(trailer_.tableLength), trailer_.tableMethod, loaded)) {
        why_.Assign("the table does not decompress");
        return ArchiveStatus::kDamaged;
    }
    return ParseTable(loaded.data, size_t(loaded.count), trailer_.tableOffset, blocks_, entries_, why_);
}

void PayloadArchive::StartBlock(uint32_t block) {
    Cursor& c = *cursor_;
    const PayloadBlock& b = *blocks_[int32_t(block)];
    c.block = block;
    c.position = 0;
    c.out = nullptr;
    c.outStart = c.outEnd = 0;
    c.ahead.Start(int64_t(trailer_.archiveStart + b.offset), b.stored, b.content);
}

// The next n bytes of the cursor's compressed block, in pieces, to take (false from
// take stops it); false when the block cannot give them.
bool PayloadArchive::Pull(uint64_t n, const std::function<bool(const void*, size_t)>& take) {
    Cursor& c = *cursor_;
    const PayloadBlock& b = *blocks_[int32_t(c.block)];
    if (n > b.content - c.position) return false;
    while (n > 0) {
        if (c.outStart == c.outEnd) {
            c.outStart = 0;
            if (!c.ahead.Next(c.out, c.outEnd)) return false;
            continue;
        }
        const size_t k = size_t(std::min<uint64_t>(n, c.outEnd - c.outStart));
        if (!take(c.out + c.outStart, k)) return false;
        c.outStart += k;
        c.position += k;
        n -= k;
    }
    return true;
}

bool PayloadArchive::ReadEntry(const PayloadEntry& entry, const std::function<bool(const void*, size_t)>& sink) {
    std::lock_guard<std::mutex> one(reading_);
    if (!file_ || entry.block >= uint32_t(blocks_.count)) return false;
    if (!cursor_) cursor_ = new Cursor(file_);
    const PayloadBlock& block = *blocks_[int32_t(entry.block)];
    if (block.method != BlockMethod::kZstd) {  // stored: read where it lies, the cursor stays where it was
        uint8_t* piece = cursor_->stored.data;
        uint64_t crc = ~uint64_t(0);
        for (uint64_t done = 0; done < entry.size;) {
            const size_t n = size_t(std::min<uint64_t>(kReadPiece, entry.size - done));
            if (SysReadAt(file_, int64_t(trailer_.archiveStart + block.offset + entry.offset + done), piece,
                          int64_t(n)) != SysStatus::kOk)
                return false;
            crc = Crc64Update(crc, piece, n);
            if (!sink(piece, n)) return false;
            done += n;
        }
        return ~crc == entry.crc;
    }
    // Onwards from where the last read stopped, or the block from its start.
    if (cursor_->block != int64_t(entry.block) || cursor_->position > entry.offset) StartBlock(entry.block);
    bool ok = Pull(entry.offset - cursor_->position, [](const void*, size_t) { return true; });
    uint64_t crc = ~uint64_t(0);
    const auto deliver = [&](const void* bytes, size_t n) {
        crc = Crc64Update(crc, bytes, n);
        return sink(bytes, n);
    };
    if (entry.filter == ContentFilter::kX86Calls) {
        X86CallFilter& decode = cursor_->decode;
        decode.Restart();
        const auto decoded = [&](const uint8_t* bytes, size_t n) { return deliver(bytes, n); };
        ok = ok &&
             Pull(entry.size,
                  [&](const void* bytes, size_t n) {
                      return decode.Process(static_cast<const uint8_t*>(bytes), n, false, decoded);
                  }) &&
             decode.Process(nullptr, 0, true, decoded);
    } else {
        ok = ok && Pull(entry.size, deliver);
    }
    if (!ok) cursor_->block = -1;  // whatever happened, the next read starts afresh
    return ok && ~crc == entry.crc;
}

bool PayloadArchive::ReadWholeEntry(const PayloadEntry& entry, NString& bytes, int64_t maxBytes) {
    bytes.Assign("");
    if (entry.size > uint64_t(maxBytes) || entry.size > uint64_t(INT32_MAX - 1)) return false;
    return ReadEntry(entry, [&](const void* piece, size_t n) {
        bytes.Append(static_cast<const char*>(piece), int32_t(n));
        return true;
    });
}

ArchiveStatus PayloadArchive::Verify(const std::function<void(int64_t, int64_t)>& progress) {
    if (!file_) return ArchiveStatus::kUnreadable;
    int64_t total = 0, done = 0;
    for (int32_t i = 0; i < blocks_.count; ++i) total += int64_t(blocks_[i]->stored);
    DynamicArray<uint8_t> piece;
    piece.Resize(int32_t(kReadPiece));
    for (int32_t i = 0; i < blocks_.count; ++i) {
        const PayloadBlock& b = *blocks_[i];
        uint64_t crc = ~uint64_t(0);
        for (uint64_t at = 0; at < b.stored;) {
            if (progress) progress(done, total);
            const size_t n = size_t(std::min<uint64_t>(kReadPiece, b.stored - at));
            if (SysReadAt(file_, int64_t(trailer_.archiveStart + b.offset + at), piece.data, int64_t(n)) !=
                SysStatus::kOk) {
                why_.Assign("the program's file cannot be read");
                return ArchiveStatus::kUnreadable;
            }
            // A compressed block says in its own header how much it holds.
            if (at == 0 && b.method == BlockMethod::kZstd &&
                ZSTD_getFrameContentSize(piece.data, n) != (unsigned long long)b.content)
                return Damaged("a block holds another length than the table says");
            crc = Crc64Update(crc, piece.data, n);
            at += n;
            done += int64_t(n);
        }
        if (~crc != b.crc) {
            why_.Format("block %i does not match its checksum", i);
            return ArchiveStatus::kDamaged;
        }
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
    // An installation walks a folder's files by name, then its folders:
    // in that order the archive is read from start to end.
    std::sort(items.items, items.items + items.count, [](const Item* a, const Item* b) {
        if (a->isFolder != b->isFolder) return !a->isFolder;
        return WCompare(a->name.CStr(), b->name.CStr()) < 0;
    });
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
        if (item.isFolder && !item.isLink) {
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

// A file's native path in the payload folder.
WString NativeOf(const WChar* payloadFolder, const NString& path) {
    WString relative, native(payloadFolder);
    Utf8ToWide(path.CStr(), relative);
    const WChar separator = SeparatorOf(native);
    for (int32_t k = 0; k < relative.Length(); ++k)
        if (relative[k] == WChar('/')) relative.chars.data[k] = separator;
    native.AppendChar(separator);
    native.Append(relative);
    return native;
}

// Each piece of a file in turn to take, checking that it is still as long
// as when it was listed; false when it cannot be read or take says stop.
bool ReadPieces(const WString& native, uint64_t size, const std::function<bool(const uint8_t*, size_t, bool)>& take) {
    SysReadHandle* in = nullptr;
    int64_t now = 0;
    if (SysOpenForReading(native.CStr(), in, now) != SysStatus::kOk || uint64_t(now) != size) {
        SysCloseReading(in);
        return false;
    }
    DynamicArray<uint8_t> piece;
    piece.Resize(int32_t(kReadPiece));
    bool ok = true;
    for (uint64_t done = 0; ok && done <= size;) {
        const size_t n = size_t(std::min<uint64_t>(kReadPiece, size - done));
        if (n > 0 && SysReadAt(in, int64_t(done), piece.data, int64_t(n)) != SysStatus::kOk) ok = false;
        done += n;
        ok = ok && take(piece.data, n, done == size);
        if (done == size) break;
    }
    SysCloseReading(in);
    return ok;
}

// A large file that does not come out of a quick compression at least 1/32
// smaller (media, archives, anything compressed already) is stored. Smaller
// ones always go with their neighbours: what does not compress costs the
// frame nothing, and the same file often comes more than once (the frame
// finds the repeat; stored, each would take its full size).
constexpr uint64_t kProbeFrom = uint64_t(1) << 20;
constexpr int kProbeLevel = 1;

bool Compresses(const WString& native, uint64_t size, ZSTD_CCtx* probe, bool& readable) {
    readable = true;
    if (size < kProbeFrom) return true;
    uint64_t packed = 0;
    DynamicArray<uint8_t> out;
    out.Resize(int32_t(ZSTD_CStreamOutSize()));
    ZSTD_CCtx_reset(probe, ZSTD_reset_session_only);
    readable = ReadPieces(native, size, [&](const uint8_t* bytes, size_t n, bool last) {
        ZSTD_inBuffer src{bytes, n, 0};
        size_t left = 0;
        do {
            ZSTD_outBuffer dst{out.data, size_t(out.count), 0};
            left = ZSTD_compressStream2(probe, &dst, &src, last ? ZSTD_e_end : ZSTD_e_continue);
            if (ZSTD_isError(left)) return false;
            packed += dst.pos;
        } while (last ? left != 0 : src.pos < src.size);
        return true;
    });
    return packed + size / 32 < size;
}

// One block to write: its files (indexes into the table), and once
// written, its bytes in a file of their own until they join the output.
struct PlannedBlock {
    PayloadBlock* block;
    DynamicArray<int32_t> files;
    WString part;       // native path of the written bytes
    bool ok = false;
    NString failed;     // the payload file that could not be read
};

// Writes a block's bytes to its own new file beside the output: its files
// compressed into one frame (or the one file as it is), each file's CRC
// noted in its entry as it is read.
void WriteBlock(const WChar* payloadFolder, const WChar* output, Container<PayloadEntry>& files, PlannedBlock& plan) {
    PayloadBlock& block = *plan.block;
    SysWriteHandle* out = nullptr;
    for (int attempt = 0; attempt < 100 && !out; ++attempt) {
        NextSiblingName(output, SiblingKind::kNew, plan.part);
        SysCreateNewFile(plan.part.CStr(), false, out);
    }
    if (!out) {
        plan.part.Assign(WTXT(""));
        return;
    }
    uint64_t blockCrc = ~uint64_t(0);
    block.stored = 0;
    const auto write = [&](const void* bytes, size_t n) {
        blockCrc = Crc64Update(blockCrc, bytes, n);
        block.stored += n;
        return SysWriteNext(out, bytes, int64_t(n)) == SysStatus::kOk;
    };
    const bool compress = block.method == BlockMethod::kZstd;
    ZSTD_CCtx* z = compress ? ZSTD_createCCtx() : nullptr;
    bool ok = !compress || z;
    if (z) {
        ZSTD_CCtx_setParameter(z, ZSTD_c_compressionLevel, kZstdLevel);
        ZSTD_CCtx_setParameter(z, ZSTD_c_windowLog, kZstdWindowLog);
        ZSTD_CCtx_setParameter(z, ZSTD_c_enableLongDistanceMatching, 1);
        ZSTD_CCtx_setParameter(z, ZSTD_c_checksumFlag, 0);  // the table's CRCs check the content
        ok = !ZSTD_isError(ZSTD_CCtx_setPledgedSrcSize(z, block.content));
    }
    DynamicArray<uint8_t> packed;
    packed.Resize(int32_t(ZSTD_CStreamOutSize()));
    // Bytes into the frame; with ZSTD_e_end, until the frame is closed.
    const auto frame = [&](const uint8_t* bytes, size_t n, ZSTD_EndDirective how) {
        ZSTD_inBuffer src{bytes, n, 0};
        size_t left = 0;
        do {
            ZSTD_outBuffer dst{packed.data, size_t(packed.count), 0};
            left = ZSTD_compressStream2(z, &dst, &src, how);
            if (ZSTD_isError(left) || !write(packed.data, dst.pos)) return false;
        } while (how == ZSTD_e_end ? left != 0 : src.pos < src.size);
        return true;
    };
    const auto into = [&](const uint8_t* bytes, size_t n) { return frame(bytes, n, ZSTD_e_continue); };
    for (int32_t k = 0; ok && k < plan.files.count; ++k) {
        PayloadEntry& e = *files[plan.files[k]];
        uint64_t crc = ~uint64_t(0);
        X86CallFilter encode(X86CallFilter::Direction::kEncode);
        bool first = true;
        ok = ReadPieces(NativeOf(payloadFolder, e.path), e.size, [&](const uint8_t* bytes, size_t n, bool end) {
            crc = Crc64Update(crc, bytes, n);
            if (!compress) return write(bytes, n);
            if (first && X86CallFilter::IsX86Code(bytes, n)) e.filter = ContentFilter::kX86Calls;
            first = false;
            return e.filter == ContentFilter::kX86Calls ? encode.Process(bytes, n, end, into) : into(bytes, n);
        });
        if (!ok) plan.failed = e.path;
        e.crc = ~crc;
    }
    ok = ok && (!compress || frame(nullptr, 0, ZSTD_e_end));
    ZSTD_freeCCtx(z);
    block.crc = ~blockCrc;
    plan.ok = SysCloseWritten(out, false) == SysStatus::kOk && ok;
}

// The blocks: the files that compress, in order, the payload's top folders
// apart, each in blocks of no more than an equal share of all that
// compresses, as many shares as it takes to keep each under kLargestBlock
// (and at least two once there is enough, so that two cores share the
// work); each file that does not compress in a stored block of its own
// after them. The same payload always gives the same blocks.
constexpr uint64_t kLargestBlock = uint64_t(128) << 20;
constexpr uint64_t kSmallestShared = uint64_t(32) << 20;

// Whether two payload paths lie in the same folder at the payload's top
// (files at the top count as one folder).
bool SameTopFolder(const NString& a, const NString& b) {
    const int32_t n = std::min(a.Length(), b.Length());
    for (int32_t k = 0; k < n; ++k) {
        if (a[k] != b[k]) return false;
        if (a[k] == '/') return true;
    }
    const auto topLevel = [](const NString& p) { return std::strchr(p.CStr(), '/') == nullptr; };
    return topLevel(a) && topLevel(b);
}

bool PlanBlocks(const WChar* payloadFolder, Container<PayloadEntry>& files, Container<PayloadBlock>& blocks,
                Container<PlannedBlock>& plans, NString& failed) {
    ZSTD_CCtx* probe = ZSTD_createCCtx();
    if (!probe) return false;
    ZSTD_CCtx_setParameter(probe, ZSTD_c_compressionLevel, kProbeLevel);
    DynamicArray<uint8_t> compresses;
    compresses.Resize(files.count);
    uint64_t total = 0;
    for (int32_t i = 0; i < files.count; ++i) {
        bool readable = true;
        compresses[i] = Compresses(NativeOf(payloadFolder, files[i]->path), files[i]->size, probe, readable) ? 1 : 0;
        if (!readable) {
            failed = files[i]->path;
            ZSTD_freeCCtx(probe);
            return false;
        }
        if (compresses[i]) total += files[i]->size;
    }
    ZSTD_freeCCtx(probe);
    uint64_t count = std::max<uint64_t>((total + kLargestBlock - 1) / kLargestBlock, total >= 2 * kSmallestShared ? 2 : 1);
    const uint64_t share = (total + count - 1) / count;
    const auto add = [&](BlockMethod method) {
        auto* b = new PayloadBlock;
        b->method = method;
        blocks.Add(b, 64);
        auto* plan = new PlannedBlock;
        plan->block = b;
        plans.Add(plan, 64);
        return plan;
    };
    PlannedBlock* open = nullptr;
    const NString* openFolder = nullptr;
    for (int32_t i = 0; i < files.count; ++i) {
        if (!compresses[i]) continue;
        // Each host's payload folder starts a block of its own: an
        // installation reads it once for every host of that kind, and
        // each time from the start of a block, never through another's.
        const bool newFolder = !openFolder || !SameTopFolder(*openFolder, files[i]->path);
        if (!open || newFolder || open->block->content >= share) open = add(BlockMethod::kZstd);
        openFolder = &files[i]->path;
        files[i]->block = uint32_t(blocks.count - 1);
        files[i]->offset = open->block->content;
        open->block->content += files[i]->size;
        open->files.Append(i);
    }
    for (int32_t i = 0; i < files.count; ++i) {
        if (compresses[i]) continue;
        PlannedBlock* alone = add(BlockMethod::kStored);
        files[i]->block = uint32_t(blocks.count - 1);
        files[i]->offset = 0;
        alone->block->content = files[i]->size;
        alone->files.Append(i);
    }
    return true;
}

// Writes the blocks, as many at once as there are cores, each to its own
// file; then appends them to the output in order. False with failed set
// when a payload file could not be read, else when the output failed.
bool WriteBlocks(const WChar* payloadFolder, const WChar* output, Container<PayloadEntry>& files,
                 Container<PlannedBlock>& plans, SysWriteHandle* out, uint64_t& end, NString& failed) {
    const int32_t workers = int32_t(std::clamp(std::thread::hardware_concurrency(), 1u, kMostWorkers));
    std::atomic<int32_t> next{0};
    {
        std::vector<std::thread> pool;
        for (int32_t w = 0; w < std::min(workers, plans.count); ++w)
            pool.emplace_back([&] {
                for (int32_t b; (b = next++) < plans.count;) WriteBlock(payloadFolder, output, files, *plans[b]);
            });
        for (std::thread& t : pool) t.join();
    }
    bool ok = true;
    end = 0;
    DynamicArray<uint8_t> piece;
    piece.Resize(int32_t(kReadPiece));
    for (int32_t b = 0; b < plans.count; ++b) {
        PlannedBlock& plan = *plans[b];
        if (ok && !plan.ok && !plan.failed.IsEmpty()) failed = plan.failed;
        ok = ok && plan.ok;
        SysReadHandle* in = nullptr;
        int64_t size = 0;
        ok = ok && SysOpenForReading(plan.part.CStr(), in, size) == SysStatus::kOk &&
             uint64_t(size) == plan.block->stored;
        plan.block->offset = end;
        for (uint64_t done = 0; ok && done < plan.block->stored;) {
            const size_t n = size_t(std::min<uint64_t>(kReadPiece, plan.block->stored - done));
            ok = SysReadAt(in, int64_t(done), piece.data, int64_t(n)) == SysStatus::kOk &&
                 SysWriteNext(out, piece.data, int64_t(n)) == SysStatus::kOk;
            done += n;
        }
        end += plan.block->stored;
        SysCloseReading(in);
    }
    for (int32_t b = 0; b < plans.count; ++b)
        if (!plans[b]->part.IsEmpty()) SysDeleteFile(plans[b]->part.CStr());
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

    Container<PayloadBlock> blocks;
    Container<PlannedBlock> plans;
    NString failed;
    if (!PlanBlocks(payloadFolder, files, blocks, plans, failed))
        return failed.IsEmpty() ? fail(PackStatus::kCannotWrite, NString("the compressor"))
                                : fail(PackStatus::kRefusedPayload, failed);
    uint64_t offset = 0;
    if (!WriteBlocks(payloadFolder, output, files, plans, out, offset, failed))
        return failed.IsEmpty() ? fail(PackStatus::kCannotWrite, NString("the output"))
                                : fail(PackStatus::kRefusedPayload, failed);

    NString raw, table, trailer;
    WriteTable(blocks, files, raw);
    ArchiveTrailer where;
    StoreTable(raw, table, where.tableMethod);
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
