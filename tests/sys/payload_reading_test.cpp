// Reading a packed payload's compressed block: files in the table's order,
// passed over, read backwards, stopped half way by the caller, and read
// from several threads at once, always whole and exact; a block damaged
// from its middle on gives the files before the damage and refuses the rest. (Also in the
// ThreadSanitizer tree: the program that packs is the test itself.)
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

#include "support/test_support.h"
#include "sys/payload_archive.h"

namespace {

using test::W;

// Twenty files of words, each larger than a piece of the reader, in one
// top folder: one compressed block.
struct Packed {
    test::TempDir dir;
    std::vector<std::string> contents;
    PayloadArchive archive;

    Packed() {
        std::mt19937 gen(5);
        test::MakeDirs(dir / "payload/Plugin");
        for (int f = 0; f < 20; ++f) {
            std::string text;
            while (text.size() < 1500000) text += "word" + std::to_string(gen() % 5000) + (gen() % 9 ? " " : "\n");
            contents.push_back(text);
            char name[32];
            std::snprintf(name, sizeof name, "/payload/Plugin/file%02d.txt", f);
            test::WriteFile(dir.path() + name, text);
        }
        NString problem;
        EXPECT_EQ(PackPayload(W("/proc/self/exe").CStr(), W(dir / "payload").CStr(), W(dir / "packed").CStr(), problem),
                  PackStatus::kOk)
            << problem.CStr();
        EXPECT_EQ(archive.Open(W(dir / "packed").CStr()), ArchiveStatus::kOk);
        EXPECT_EQ(archive.Blocks().count, 1);
    }
    // The file's content as read, stopping after stopAfter pieces (0: never);
    // ok gets what ReadEntry said.
    std::string Read(int f, bool& ok, int stopAfter = 0) {
        std::string out;
        int pieces = 0;
        ok = archive.ReadEntry(*archive.Entries()[f], [&](const void* p, size_t n) {
            out.append(static_cast<const char*>(p), n);
            return stopAfter == 0 || ++pieces < stopAfter;
        });
        return out;
    }
    bool ReadsWhole(int f) {
        bool ok = false;
        return Read(f, ok) == contents[size_t(f)] && ok;
    }
};

TEST(PayloadReading, EveryOrderGivesWholeFilesAndDamageRefusesWhatFollowsIt) {
    Packed packed;
    ASSERT_EQ(packed.archive.Entries().count, 20);
    for (int f : {0, 1, 2, 5, 9, 3, 19, 0, 18, 19, 7}) EXPECT_TRUE(packed.ReadsWhole(f)) << f;
    // Stopped by the caller half way: false, and what follows is whole.
    bool ok = true;
    const std::string part = packed.Read(8, ok, 1);
    EXPECT_FALSE(ok);
    EXPECT_LT(part.size(), packed.contents[8].size());
    EXPECT_TRUE(packed.ReadsWhole(9));
    EXPECT_TRUE(packed.ReadsWhole(8));

    // The block's second half overwritten (the file is packed once: this
    // rides on the same fixture).
    const PayloadBlock& block = *packed.archive.Blocks()[0];
    std::string bytes = test::ReadFile(packed.dir / "packed");
    for (uint64_t at = block.stored / 2; at < block.stored; ++at)
        bytes[size_t(packed.archive.Trailer().archiveStart + block.offset + at)] = char(at * 7919 % 251);
    test::WriteFile(packed.dir / "packed", bytes);  // the archive's handle reads the new bytes
    EXPECT_TRUE(packed.ReadsWhole(0));
    for (int f : {19, 12, 19}) EXPECT_FALSE(packed.ReadsWhole(f)) << f;
    EXPECT_TRUE(packed.ReadsWhole(1));
}

TEST(PayloadReading, ThreadsReadingAtOnceEachGetWholeFiles) {
    Packed packed;
    std::vector<std::thread> readers;
    std::vector<int> wrong(4, 0);
    for (int t = 0; t < 4; ++t)
        readers.emplace_back([&, t] {
            std::mt19937 gen(static_cast<uint32_t>(t));
            for (int k = 0; k < 15; ++k) {
                const int f = k % 3 == 0 ? int(gen() % 20) : (t * 5 + k) % 20;
                if (!packed.ReadsWhole(f)) ++wrong[size_t(t)];
            }
        });
    for (std::thread& r : readers) r.join();
    for (int t = 0; t < 4; ++t) EXPECT_EQ(wrong[size_t(t)], 0) << "reader " << t;
}

}  // namespace
