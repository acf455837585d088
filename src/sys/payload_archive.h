// The payload packed after the program's own bytes, so that a vendor ships
// one file: packing a payload folder, and a packed program reading and
// checking its archive.
//
// The layout, versioned; offsets count from the archive's start (the end of
// the executable image), numbers are little-endian:
//   blocks   the files' contents one after another, in the table's order,
//            cut into blocks: each one zstd frame holding several files (a
//            file's neighbours compress it better), or one file that does
//            not compress, stored as it is;
//   table    u32 block count, then per block: u64 offset, u64 length in the
//            file, u64 length of its content, u64 CRC-64/WE of its bytes in
//            the file, u8 method; u32 entry count, then per entry: u16 path
//            length, the path (UTF-8, "/" between folders, relative), u64
//            size, i64 time last written (seconds since 1970), u64
//            CRC-64/WE of the content, u32 block, u64 offset in the
//            block's content, u8 filter (x86_call_filter.h: the content
//            as it was before the filter is what the CRC and size count);
//            The table is stored as one zstd frame when that is smaller.
//   trailer  the last kTrailerBytes of the file: "VELDOPAK", u32 version,
//            u32 the table's method, u64 archive start (from the file's
//            start), u64 table offset, u64 table length (as stored), u64
//            CRC-64/WE of the stored table, u64 CRC-64/WE of the trailer's
//            bytes before it.
// Blocks follow each other without a gap up to the table, and each block's
// files fill its content exactly, in order. Anything a table may say that
// would reach outside the archive, name a place outside the payload
// folder, or repeat a name is refused as damage.
//
// Sections: the format; parsing (no I/O: fuzzed); the archive of a packed
// file; packing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>

#include "core/container.h"
#include "core/dynamic_array.h"
#include "core/dynamic_string.h"

struct SysReadHandle;

// ---- the format ----------------------------------------------------------------

inline constexpr char kArchiveMagic[8] = {'V', 'E', 'L', 'D', 'O', 'P', 'A', 'K'};
inline constexpr uint32_t kArchiveVersion = 1;
inline constexpr int64_t kTrailerBytes = 56;

enum class BlockMethod : uint8_t { kStored = 0, kZstd = 1 };
// What a file's content went through before compression: machine code
// compresses better with its calls' targets made absolute.
enum class ContentFilter : uint8_t { kNone = 0, kX86Calls = 1 };

struct PayloadBlock {
    uint64_t offset = 0;   // from the archive's start
    uint64_t stored = 0;   // its length in the file
    uint64_t content = 0;  // its length once decompressed
    uint64_t crc = 0;      // of its bytes in the file
    BlockMethod method = BlockMethod::kStored;
};

struct PayloadEntry {
    NString path;  // relative, "/" between folders
    uint64_t size = 0;
    int64_t modified = 0;
    uint64_t crc = 0;  // of the content
    uint32_t block = 0;
    uint64_t offset = 0;  // in the block's content
    ContentFilter filter = ContentFilter::kNone;  // only in a compressed block
};

struct ArchiveTrailer {
    uint64_t archiveStart = 0;
    uint64_t tableOffset = 0;
    uint64_t tableLength = 0;
    uint64_t tableCrc = 0;
    BlockMethod tableMethod = BlockMethod::kStored;
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

// The table's blocks and entries; the blocks must end at tableOffset.
// kDamaged, with why, for a table that does not hold together or names a
// hostile path.
ArchiveStatus ParseTable(const uint8_t* table, size_t length, uint64_t tableOffset, Container<PayloadBlock>& blocks,
                         Container<PayloadEntry>& entries, NString& why);

// The table's and the trailer's bytes for the blocks and entries, and a
// trailer; the trailer's table CRC and length are filled in here.
void WriteTable(const Container<PayloadBlock>& blocks, const Container<PayloadEntry>& entries, NString& table);
void WriteTrailer(ArchiveTrailer trailer, const NString& storedTable, NString& bytes);
// The table as it is stored: compressed when that makes it smaller; and
// back (false when it does not give a table of a size any payload has).
void StoreTable(const NString& table, NString& stored, BlockMethod& method);
bool LoadTable(const uint8_t* stored, size_t length, BlockMethod method, DynamicArray<uint8_t>& table);

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
    // Reads every block whole and checks it against the table's CRC, and a
    // compressed block's own header against the content length the table
    // gives it; progress(done, total) in bytes, now and then. (Each file's
    // content is checked against its own CRC as it is read.)
    ArchiveStatus Verify(const std::function<void(int64_t, int64_t)>& progress = {});
    // One file's content, in pieces, to sink (false from sink stops it);
    // false when its block is damaged or cannot be read, or the content is
    // not what the table says. Reading the files in the table's order
    // decompresses each block once; any order works. Safe from any thread.
    bool ReadEntry(const PayloadEntry& entry, const std::function<bool(const void*, size_t)>& sink);
    // The whole content of a file that is at most maxBytes long.
    bool ReadWholeEntry(const PayloadEntry& entry, NString& bytes, int64_t maxBytes);

    const Container<PayloadBlock>& Blocks() const { return blocks_; }
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

    struct Cursor;  // where the last read stopped inside a block
    void StartBlock(uint32_t block);
    bool Pull(uint64_t n, const std::function<bool(const void*, size_t)>& take);

    SysReadHandle* file_ = nullptr;
    int64_t fileSize_ = 0;
    uint64_t imageLength_ = 0;
    ArchiveTrailer trailer_;
    Container<PayloadBlock> blocks_;
    Container<PayloadEntry> entries_;
    NString why_;
    std::mutex reading_;
    Cursor* cursor_ = nullptr;
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
