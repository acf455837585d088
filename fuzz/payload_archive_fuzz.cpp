// The archive a packed program finds at its end, as a damaged download or a
// hostile file gives it: any bytes as a trailer and a table are read without
// a fault, and a table that parses names only safe, distinct paths, has
// blocks inside the archive, and places each file inside its block.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "sys/payload_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The last kTrailerBytes as a trailer of a file of that size.
    if (size >= size_t(kTrailerBytes)) {
        ArchiveTrailer trailer;
        NString why;
        if (ParseTrailer(data + size - size_t(kTrailerBytes), int64_t(size), trailer, why) == ArchiveStatus::kOk &&
            trailer.archiveStart + trailer.tableOffset + trailer.tableLength + uint64_t(kTrailerBytes) != size)
            std::abort();
    }
    // The first eight bytes as the blocks' length, the rest as a table.
    if (size < 8) return 0;
    uint64_t blockBytes = 0;
    std::memcpy(&blockBytes, data, 8);
    blockBytes %= uint64_t(1) << 40;
    Container<PayloadBlock> blocks;
    Container<PayloadEntry> entries;
    NString why;
    if (ParseTable(data + 8, size - 8, blockBytes, blocks, entries, why) != ArchiveStatus::kOk) return 0;
    for (int32_t i = 0; i < blocks.count; ++i) {
        const PayloadBlock& b = *blocks[i];
        if (b.offset > blockBytes || b.stored > blockBytes - b.offset) std::abort();
    }
    for (int32_t i = 0; i < entries.count; ++i) {
        const PayloadEntry& e = *entries[i];
        if (!IsSafeArchivePath(e.path.CStr(), size_t(e.path.Length())) || e.block >= uint32_t(blocks.count) ||
            e.offset > blocks[int32_t(e.block)]->content || e.size > blocks[int32_t(e.block)]->content - e.offset)
            std::abort();
        for (int32_t k = 0; k < i; ++k)
            if (entries[k]->path == e.path) std::abort();
    }
    return 0;
}
