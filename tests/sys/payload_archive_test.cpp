// The payload packed into the program: packed and read back from real
// programs (the installer's ELF file and a Windows PE file), every kind of
// damage and every hostile table refused, and payloads that cannot be
// packed refused without writing anything.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/crc64.h"
#include "support/test_support.h"
#include "sys/payload_archive.h"

namespace {

using test::W;

// A payload folder: nested folders, an empty file, text that compresses,
// random bytes that do not, a Windows program, a name beyond ASCII.
struct Payload {
    test::TempDir dir;
    std::string root = dir / "payload";
    std::string random;
    Payload() {
        test::MakeDirs(root + "/LightWave/Plugin/win64");
        test::MakeDirs(root + "/InstallerData");
        // Texts longer than a piece of the reader, so that the frame's
        // reading is half way through its input between them.
        std::string text, notes;
        for (int i = 0; i < 100000; ++i) text += "MenuEntry " + std::to_string(i % 9973) + " \"Veldo5 Modeling\"\r\n";
        for (int i = 0; i < 100000; ++i) notes += "Note " + std::to_string(i * 7919 % 100003) + "\n";
        test::WriteFile(root + "/LightWave/Plugin/win64/Veldo5.cfg", text);
        test::WriteFile(root + "/InstallerData/notes.txt", notes);
        std::mt19937 gen(7);
        for (int i = 0; i < 1200000; ++i) random += char(gen() & 0xFF);  // large enough to be stored
        test::WriteFile(root + "/InstallerData/random.bin", random);
        test::WriteFile(root + "/InstallerData/empty", "");
        test::WriteFile(root + "/LightWave/Plugin/win64/plugin.p", test::ReadFile(VELDO_EXE_FIXTURES "/hello64.exe"));
        test::WriteFile(root + "/license \xC3\xA9t\xC3\xA9.txt", "Licence\n");
    }
    std::string Pack(const std::string& program, const std::string& output) const {
        NString problem;
        EXPECT_EQ(PackPayload(W(program).CStr(), W(root).CStr(), W(output).CStr(), problem), PackStatus::kOk)
            << problem.CStr();
        return test::ReadFile(output);
    }
};

const std::string kPrograms[] = {VELDO_INSTALLER_EXE, VELDO_EXE_FIXTURES "/hello64.exe"};

// Open, then Verify: the first status that is not kOk.
ArchiveStatus Check(const std::string& path, NString* why = nullptr) {
    PayloadArchive archive;
    ArchiveStatus s = archive.Open(W(path).CStr());
    if (s == ArchiveStatus::kOk) s = archive.Verify();
    if (why) *why = archive.Why();
    return s;
}

std::string Content(PayloadArchive& archive, const PayloadEntry& e) {
    std::string out;
    EXPECT_TRUE(archive.ReadEntry(e, [&](const void* p, size_t n) {
        out.append(static_cast<const char*>(p), n);
        return true;
    })) << e.path.CStr();
    return out;
}

TEST(PayloadArchive, PackedAndReadBack) {
    Payload payload;
    for (const std::string& program : kPrograms) {
        const std::string packed = payload.Pack(program, payload.dir / "packed");
        const std::string original = test::ReadFile(program);
        ASSERT_EQ(packed.compare(0, original.size(), original), 0) << program;  // the program as it was

        PayloadArchive archive;
        ASSERT_EQ(archive.Open(W(payload.dir / "packed").CStr()), ArchiveStatus::kOk) << archive.Why().CStr();
        EXPECT_EQ(archive.Trailer().archiveStart, original.size());
        int progressCalls = 0;
        EXPECT_EQ(archive.Verify([&](int64_t done, int64_t total) {
            EXPECT_LE(done, total);
            ++progressCalls;
        }),
                  ArchiveStatus::kOk);
        EXPECT_GT(progressCalls, 0);
        // A folder's files before its folders, by name: the order an
        // installation reads them in.
        const Container<PayloadEntry>& e = archive.Entries();
        ASSERT_EQ(e.count, 6);
        EXPECT_STREQ(e[0]->path.CStr(), "license \xC3\xA9t\xC3\xA9.txt");
        EXPECT_STREQ(e[1]->path.CStr(), "InstallerData/empty");
        EXPECT_STREQ(e[2]->path.CStr(), "InstallerData/notes.txt");
        EXPECT_STREQ(e[3]->path.CStr(), "InstallerData/random.bin");
        EXPECT_STREQ(e[4]->path.CStr(), "LightWave/Plugin/win64/Veldo5.cfg");
        EXPECT_STREQ(e[5]->path.CStr(), "LightWave/Plugin/win64/plugin.p");
        // Machine code goes through the call filter; the rest does not.
        EXPECT_EQ(e[5]->filter, ContentFilter::kX86Calls);
        EXPECT_EQ(e[4]->filter, ContentFilter::kNone);
        // The files that compress share a frame for each top folder (and
        // one for the files at the top); random bytes are stored.
        const Container<PayloadBlock>& b = archive.Blocks();
        ASSERT_EQ(b.count, 4);
        for (int32_t k = 0; k < 3; ++k) EXPECT_EQ(b[k]->method, BlockMethod::kZstd);
        EXPECT_EQ(e[0]->block, 0u);
        EXPECT_EQ(e[1]->block, 1u);
        EXPECT_EQ(e[2]->block, 1u);
        EXPECT_EQ(e[4]->block, 2u);
        EXPECT_EQ(e[5]->block, 2u);
        EXPECT_LT(b[2]->stored, b[2]->content / 4);
        EXPECT_EQ(b[3]->method, BlockMethod::kStored);
        EXPECT_EQ(e[3]->block, 3u);
        // In the table's order (a stored file between two of one frame
        // leaves the frame's reading where it was), and out of it: each
        // read finds its file wherever the last stopped.
        const std::string cfg = test::ReadFile(payload.root + "/LightWave/Plugin/win64/Veldo5.cfg");
        const std::string notes = test::ReadFile(payload.root + "/InstallerData/notes.txt");
        EXPECT_EQ(Content(archive, *e[0]), "Licence\n");
        EXPECT_EQ(Content(archive, *e[1]), "");
        EXPECT_EQ(Content(archive, *e[2]), notes);
        EXPECT_EQ(Content(archive, *e[3]), payload.random);
        EXPECT_EQ(Content(archive, *e[4]), cfg);
        EXPECT_EQ(Content(archive, *e[5]), test::ReadFile(VELDO_EXE_FIXTURES "/hello64.exe"));
        EXPECT_EQ(Content(archive, *e[0]), "Licence\n");
        EXPECT_EQ(Content(archive, *e[4]), cfg);
        EXPECT_EQ(Content(archive, *e[3]), payload.random);
        NString whole;
        EXPECT_TRUE(archive.ReadWholeEntry(*e[0], whole, 100));
        EXPECT_STREQ(whole.CStr(), "Licence\n");
        EXPECT_FALSE(archive.ReadWholeEntry(*e[2], whole, 100));  // longer than asked for
        EXPECT_GT(e[3]->modified, 1600000000);

        // A program without an archive is no damage; packing from a packed
        // program packs its own bytes, not its archive too.
        EXPECT_EQ(Check(program), ArchiveStatus::kNotPacked);
        EXPECT_EQ(payload.Pack(payload.dir / "packed", payload.dir / "again"), packed);
    }
}

// Rewrites a packed file's table and trailer through change (blocks and
// entries may be edited), with every checksum made right again.
using TableChange = std::function<void(Container<PayloadBlock>&, Container<PayloadEntry>&)>;

std::string Rewritten(const std::string& packed, const TableChange& change) {
    ArchiveTrailer trailer;
    NString why;
    const auto* end = reinterpret_cast<const uint8_t*>(packed.data() + packed.size() - kTrailerBytes);
    EXPECT_EQ(ParseTrailer(end, int64_t(packed.size()), trailer, why), ArchiveStatus::kOk);
    Container<PayloadBlock> blocks;
    Container<PayloadEntry> entries;
    const auto* stored = reinterpret_cast<const uint8_t*>(packed.data() + trailer.archiveStart + trailer.tableOffset);
    DynamicArray<uint8_t> table;
    EXPECT_TRUE(LoadTable(stored, size_t(trailer.tableLength), trailer.tableMethod, table));
    EXPECT_EQ(ParseTable(table.data, size_t(table.count), trailer.tableOffset, blocks, entries, why),
              ArchiveStatus::kOk);
    change(blocks, entries);
    NString raw, newTable, newTrailer;
    WriteTable(blocks, entries, raw);
    StoreTable(raw, newTable, trailer.tableMethod);
    WriteTrailer(trailer, newTable, newTrailer);
    return packed.substr(0, size_t(trailer.archiveStart + trailer.tableOffset)) +
           std::string(newTable.CStr(), size_t(newTable.Length())) +
           std::string(newTrailer.CStr(), size_t(newTrailer.Length()));
}

TEST(PayloadArchive, EveryDamageIsRefused) {
    Payload payload;
    const std::string packed = payload.Pack(VELDO_INSTALLER_EXE, payload.dir / "packed");
    const size_t image = test::ReadFile(VELDO_INSTALLER_EXE).size(), size = packed.size();
    PayloadArchive intact;
    ASSERT_EQ(intact.Open(W(payload.dir / "packed").CStr()), ArchiveStatus::kOk);
    const PayloadBlock& compressed = *intact.Blocks()[2];
    const PayloadBlock& stored = *intact.Blocks()[3];
    const size_t table = size_t(image + intact.Trailer().tableOffset);
    const auto flip = [&](size_t at) {
        std::string d = packed;
        d[at] = char(d[at] ^ 0x20);
        return d;
    };
    const auto withTrailer = [&](uint64_t start, uint64_t offset, uint64_t length) {
        NString bytes, tableBytes(packed.data() + table, int32_t(size - kTrailerBytes - table));
        ArchiveTrailer t;
        t.tableMethod = intact.Trailer().tableMethod;
        t.archiveStart = start;
        t.tableOffset = offset;
        WriteTrailer(t, tableBytes, bytes);
        std::string d = packed.substr(0, size - kTrailerBytes) + std::string(bytes.CStr(), size_t(bytes.Length()));
        // The length field as asked (WriteTrailer wrote the table's own).
        for (int i = 0; i < 8; ++i) d[size - kTrailerBytes + 32 + i] = char(uint8_t(length >> (8 * i)));
        const uint64_t crc = Crc64(d.data() + size - kTrailerBytes, size_t(kTrailerBytes - 8));
        for (int i = 0; i < 8; ++i) d[size - 8 + i] = char(uint8_t(crc >> (8 * i)));
        return d;
    };
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"a byte of a compressed block", flip(size_t(image + compressed.offset + compressed.stored / 2))},
        {"a byte of a stored block", flip(size_t(image + stored.offset + 1000))},
        {"a byte of the table", flip(table + 7)},
        {"the trailer's magic", flip(size - kTrailerBytes + 2)},
        {"the trailer's table offset", flip(size - kTrailerBytes + 25)},
        {"the trailer's table method", flip(size - kTrailerBytes + 13)},
        {"the trailer's checksum", flip(size - 3)},
        {"cut just after the program", packed.substr(0, image + 1)},
        {"cut inside a block", packed.substr(0, size_t(image + stored.offset + 10))},
        {"cut inside the table", packed.substr(0, table + 5)},
        {"cut inside the trailer", packed.substr(0, size - 20)},
        {"cut before the program's end", packed.substr(0, image - 100)},
        {"a trailer pointing past the file", withTrailer(image, uint64_t(size) * 2, 10)},
        {"a trailer pointing into the program", withTrailer(image - 4096, intact.Trailer().tableOffset,
                                                             intact.Trailer().tableLength)},
        {"a size other than the content's",
         Rewritten(packed, [](auto&, Container<PayloadEntry>& e) { e[4]->size += 1; })},
        {"a shorter size than the content's",
         Rewritten(packed, [](auto&, Container<PayloadEntry>& e) { e[4]->size -= 1; })},
        {"a block holding more than the frame says",
         Rewritten(packed, [](Container<PayloadBlock>& b, Container<PayloadEntry>& e) {
             b[2]->content += 1;
             e[5]->size += 1;
         })},
        {"a file placed in another's block",
         Rewritten(packed, [](auto&, Container<PayloadEntry>& e) { e[1]->block = 0; })},
    };
    for (const auto& c : cases) {
        test::WriteFile(payload.dir / "damaged", c.bytes);
        NString why;
        EXPECT_EQ(Check(payload.dir / "damaged", &why), ArchiveStatus::kDamaged) << c.what;
        EXPECT_FALSE(why.IsEmpty()) << c.what;
    }
    // A table whose file checksum lies passes the check of the blocks; the
    // file itself is refused when it is read.
    test::WriteFile(payload.dir / "lying",
                    Rewritten(packed, [](auto&, Container<PayloadEntry>& e) { e[4]->crc ^= 1; }));
    PayloadArchive lying;
    ASSERT_EQ(lying.Open(W(payload.dir / "lying").CStr()), ArchiveStatus::kOk);
    EXPECT_FALSE(lying.ReadEntry(*lying.Entries()[4], [](const void*, size_t) { return true; }));
    EXPECT_TRUE(lying.ReadEntry(*lying.Entries()[0], [](const void*, size_t) { return true; }));
}

// Tables made here: one stored block holding every file, two bytes each.
TEST(PayloadArchive, HostileTablesAreRefused) {
    const struct {
        const char* what;
        std::vector<std::string> paths;
        TableChange change;
    } cases[] = {
        {"a parent folder", {"../outside"}, {}},
        {"a parent folder inside", {"a/../../outside"}, {}},
        {"an absolute path", {"/etc/passwd"}, {}},
        {"a drive letter", {"C:Windows"}, {}},
        {"a backslash", {"a\\..\\b"}, {}},
        {"a NUL", {std::string("a\0b", 3)}, {}},
        {"an empty part", {"a//b"}, {}},
        {"a dot", {"./a"}, {}},
        {"an empty path", {""}, {}},
        {"a name twice", {"a", "b", "a"}, {}},
        {"a name twice in other letter case", {"Readme", "README"}, {}},
        {"a file that is also a folder", {"a", "a/b"}, {}},
        {"an offset past its block", {"a"}, [](auto&, auto& e) { e[0]->offset = 1000; }},
        {"a file longer than its block", {"a"}, [](auto&, auto& e) { e[0]->size = 11; }},
        {"files that leave part of a block", {"a"}, [](auto&, auto& e) { e[0]->size = 1; }},
        {"files that overlap", {"a", "b"}, [](auto&, auto& e) { e[1]->offset = 1; }},
        {"a block past the table", {"a"}, [](auto& b, auto&) { b[0]->stored = b[0]->content = 11; }},
        {"a block length past 2^64", {"a"}, [](auto& b, auto&) { b[0]->stored = ~uint64_t(0); }},
        {"a gap before a block", {"a"}, [](auto& b, auto&) { b[0]->offset = 1; }},
        {"a stored block of another size", {"a"}, [](auto& b, auto&) { b[0]->content = 3; }},
        {"an unknown method", {"a"}, [](auto& b, auto&) { b[0]->method = BlockMethod(7); }},
        {"a file in a block that is not there", {"a"}, [](auto&, auto& e) { e[0]->block = 5; }},
        {"an unknown filter", {"a"}, [](auto& b, auto& e) { b[0]->method = BlockMethod::kZstd, e[0]->filter = ContentFilter(9); }},
        {"a filter on a stored file", {"a"}, [](auto&, auto& e) { e[0]->filter = ContentFilter::kX86Calls; }},
    };
    for (const auto& c : cases) {
        Container<PayloadBlock> blocks;
        Container<PayloadEntry> entries;
        auto* block = new PayloadBlock;
        blocks.Add(block);
        for (const std::string& p : c.paths) {
            auto* e = new PayloadEntry;
            e->path.Assign(p.data(), int32_t(p.size()));
            e->size = 2;
            e->offset = block->content;
            block->content = block->stored = block->content + 2;
            entries.Add(e);
        }
        const uint64_t tableOffset = block->stored;
        if (c.change) c.change(blocks, entries);
        NString table, why;
        WriteTable(blocks, entries, table);
        Container<PayloadBlock> readBlocks;
        Container<PayloadEntry> read;
        EXPECT_EQ(ParseTable(reinterpret_cast<const uint8_t*>(table.CStr()), size_t(table.Length()), tableOffset,
                             readBlocks, read, why),
                  ArchiveStatus::kDamaged)
            << c.what;
    }
    // A table that claims more blocks or entries than it holds, or runs on.
    Container<PayloadBlock> noBlocks, readBlocks;
    Container<PayloadEntry> none, read;
    const auto parse = [&](const NString& table) {
        NString why;
        return ParseTable(reinterpret_cast<const uint8_t*>(table.CStr()), size_t(table.Length()), 0, readBlocks, read,
                          why);
    };
    NString table;
    WriteTable(noBlocks, none, table);
    EXPECT_EQ(parse(table), ArchiveStatus::kOk);
    for (const int32_t at : {0, 4}) {
        WriteTable(noBlocks, none, table);
        table.chars.data[at] = 5;
        EXPECT_EQ(parse(table), ArchiveStatus::kDamaged) << at;
    }
    WriteTable(noBlocks, none, table);
    table.Append("x");
    EXPECT_EQ(parse(table), ArchiveStatus::kDamaged);
}

// Links, FIFOs and unreadable files are named, and nothing is written.
TEST(PayloadArchive, APayloadThatCannotBePackedWritesNothing) {
    Payload payload;
    ASSERT_EQ(symlink("/etc/passwd", (payload.root + "/InstallerData/link").c_str()), 0);
    ASSERT_EQ(mkfifo((payload.root + "/LightWave/pipe").c_str(), 0600), 0);
    NString problem;
    EXPECT_EQ(PackPayload(W(VELDO_INSTALLER_EXE).CStr(), W(payload.root).CStr(), W(payload.dir / "packed").CStr(),
                          problem),
              PackStatus::kRefusedPayload);
    const std::string named = problem.CStr();
    EXPECT_NE(named.find("InstallerData/link"), std::string::npos) << named;
    EXPECT_NE(named.find("LightWave/pipe"), std::string::npos) << named;
    EXPECT_FALSE(test::Exists(payload.dir / "packed"));
    for (const auto& item : std::filesystem::directory_iterator(payload.dir.path()))
        EXPECT_EQ(item.path().filename().string().find("veldo-new"), std::string::npos) << item.path();

    // An output folder that does not exist: nothing half-written anywhere.
    unlink((payload.root + "/InstallerData/link").c_str());
    unlink((payload.root + "/LightWave/pipe").c_str());
    EXPECT_EQ(PackPayload(W(VELDO_INSTALLER_EXE).CStr(), W(payload.root).CStr(),
                          W(payload.dir / "missing/packed").CStr(), problem),
              PackStatus::kCannotWrite);
    EXPECT_EQ(test::TreeSnapshot(payload.dir.path(), "").find("veldo-new"), std::string::npos);
}

}  // namespace
