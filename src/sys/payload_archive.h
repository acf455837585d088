// The payload packed after the program's own bytes, so that a vendor ships
// one file: packing a payload folder, and a packed program reading and
// checking its archive.
//
// The layout, versioned; offsets count from the archive's start (the end of
// the executable image), numbers are little-endian:
//   blocks   each file's content: one zstd frame, or the bytes stored as
//            they are when they do not compress;
//   table    u32 entry count, then per entry: u16 path length, the path
//            (UTF-8, "/" between folders, relative), u64 size, i64 time
//            last written (seconds since 1970), u64 CRC-64/WE of the
//            content, u64 block offset, u64 block length, u8 method;
//   trailer  the last kTrailerBytes of the file: "VELDOPAK", u32 version,
//            u32 zero, u64 archive start (from the file's start), u64 table
//            offset, u64 table length, u64 CRC-64/WE of the table, u64
//            CRC-64/WE of the trailer's bytes before it.
// Anything a table may say that would reach outside the archive, name a
// place outside the payload folder, or repeat a name is refused as damage.
//
// Sections: the format; parsing (no I/O: fuzzed); the archive of a packed
// file; packing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "core/container.h"
#include "core/dynamic_string.h"

struct SysReadHandle;

// ---- the format ----------------------------------------------------------------

inline constexpr char kArchiveMagic[8] = {'V', 'E', 'L', 'D', 'O', 'P', 'A', 'K'};
inline constexpr uint32_t kArchiveVersion = 1;
inline constexpr int64_t kTrailerBytes = 56;

enum class BlockMethod : uint8_t { kStored = 0, kZstd = 1 };

struct PayloadEntry {
    NString path;  // relative, "/" between folders
    uint64_t size = 0;
    int64_t modified = 0;
    uint64_t crc = 0;
    uint64_t offset = 0;  // from the archive's start
    uint64_t stored = 0;  // the block's length
    BlockMethod method = BlockMethod::kStored;
};

struct ArchiveTrailer {
    uint64_t archiveStart = 0;
    uint64_t tableOffset = 0;
    uint64_t tableLength = 0;
    uint64_t tableCrc = 0;
};

enum class ArchiveStatus {
    kOk,
    kNotPacked,   // no trailer: a program without a payload of its own
    kDamaged,     // a trailer, but the archive does not hold together
    kUnreadable,  // the file could not be read
};

// ---- parsing -------------------------------------------------------------------

// The last kTrailerBytes of a file of fileSize bytes. kNotPacked without the
// magic; kDamaged when the trailer's CRC or its offsets do not fit the file.
ArchiveStatus ParseTrailer(const uint8_t* bytes, int64_t fileSize, ArchiveTrailer& trailer, NString& why);

// The table's entries; every block must lie before tableOffset (the blocks'
// end). kDamaged, with why, for a table that does not hold together or
// names a hostile path.
ArchiveStatus ParseTable(const uint8_t* table, size_t length, uint64_t tableOffset, Container<PayloadEntry>& entries,
                         NString& why);

// The table's and the trailer's bytes for the entries (blocks end at
// tableOffset) and a trailer; the trailer's table CRC is filled in here.
void WriteTable(const Container<PayloadEntry>& entries, NString& table);
void WriteTrailer(ArchiveTrailer trailer, const NString& table, NString& bytes);

// A relative path of the payload as the table may name it: no empty, "." or
// ".." part, no leading "/", no "\", ":" or NUL.
bool IsSafeArchivePath(const char* path, size_t length);

// ---- the archive of a packed file ------------------------------------------------

class PayloadArchive {
public:
    PayloadArchive() = default;
    ~PayloadArchive();
    PayloadArchive(const PayloadArchive&) = delete;
    PayloadArchive& operator=(const PayloadArchive&) = delete;

    // Reads the trailer and the table of the file (a native path).
    ArchiveStatus Open(const WChar* native);
    // Reads every block, decompresses it and checks its size and CRC against
    // the table; progress(done, total) in bytes of blocks, now and then.
    ArchiveStatus Verify(const std::function<void(int64_t, int64_t)>& progress = {});
    // One file's content, in pieces, to sink (false from sink stops it);
    // false when the block is damaged or cannot be read.
    bool ReadEntry(const PayloadEntry& entry, const std::function<bool(const void*, size_t)>& sink);

    const Container<PayloadEntry>& Entries() const { return entries_; }
    const ArchiveTrailer& Trailer() const { return trailer_; }
    // Where the program's own image ends (the whole file when its headers
    // are of no kind this reads).
    uint64_t ImageLength() const { return imageLength_; }
    // What was wrong, for the log.
    const NString& Why() const { return why_; }

private:
    ArchiveStatus Damaged(const char* why) {
        why_.Assign(why);
        return ArchiveStatus::kDamaged;
    }

    SysReadHandle* file_ = nullptr;
    int64_t fileSize_ = 0;
    uint64_t imageLength_ = 0;
    ArchiveTrailer trailer_;
    Container<PayloadEntry> entries_;
    NString why_;
};

// ---- packing ---------------------------------------------------------------------

enum class PackStatus {
    kOk,
    kRefusedPayload,  // links, special or unreadable files: problem names them
    kCannotReadProgram,
    kCannotWrite,
};

// Writes output: program's own bytes (without any archive it already
// carries) and the payload folder's every file, compressed. Written beside
// output and renamed over it once whole and on disk: it appears complete or
// not at all. Native paths.
PackStatus PackPayload(const WChar* program, const WChar* payloadFolder, const WChar* output, NString& problem);
