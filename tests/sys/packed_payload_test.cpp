// The packed payload seen as a folder: the file work that installations do
// (listings, kinds, sizes, text files, folder copies) reads it below its
// root in any letter case and as the folder it was packed from; paths
// beside the root stay outside it; and staged files that a killed run left
// in the product data folder go at the next start, while a live run's stay.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "support/test_support.h"
#include "sys/file_system.h"
#include "sys/packed_payload.h"
#include "sys/payload_archive.h"
#include "sys/text_files.h"

namespace {

using test::W;

struct Mounted {
    test::TempDir dir;
    std::string root = dir / "payload";
    std::string packed = dir / "veldo-installer";
    std::string mountAt;  // the packed file's Windows path and "\"
    PayloadArchive archive;

    Mounted() {
        test::MakeDirs(root + "/LightWave/Plugin/win64");
        test::MakeDirs(root + "/Presets");
        test::WriteFile(root + "/LightWave/Plugin/win64/Veldo5.cfg", "MenuEntry\r\n");
        test::WriteFile(root + "/LightWave/Plugin/win64/Veldo5.dlo", std::string(100000, 'x'));
        test::WriteFile(root + "/Presets/Hard bevel.veldo", "bevel");
        test::WriteFile(root + "/license.txt", "Licence\n");
        NString problem;
        EXPECT_EQ(PackPayload(W(VELDO_INSTALLER_EXE).CStr(), W(root).CStr(), W(packed).CStr(), problem), PackStatus::kOk);
        EXPECT_EQ(archive.Open(W(packed).CStr()), ArchiveStatus::kOk);
        mountAt = "Z:" + packed + "\\";
        for (char& c : mountAt)
            if (c == '/') c = '\\';
        MountPackedPayload(archive, W(mountAt).CStr());
    }
    ~Mounted() { UnmountPackedPayload(); }
    WString At(const std::string& relative) const { return W(mountAt + relative); }
};

TEST(PackedPayload, ReadsAsTheFolderItWasPackedFrom) {
    Mounted m;
    EXPECT_TRUE(IsDirectory(m.At("").CStr()));
    EXPECT_TRUE(IsDirectory(m.At("lightwave\\PLUGIN").CStr()));  // any letter case
    EXPECT_EQ(KindOfPath(m.At("LightWave\\Plugin\\win64\\Veldo5.cfg").CStr()), PathKind::kFile);
    EXPECT_EQ(KindOfPath(m.At("LightWave\\Missing").CStr()), PathKind::kNothing);
    EXPECT_FALSE(PathExists(m.At("license.txt\\below").CStr()));
    EXPECT_EQ(FileBytes(m.At("LightWave\\Plugin\\win64\\Veldo5.dlo").CStr()), 100000);
    EXPECT_EQ(FileBytes(m.At("LightWave").CStr()), -1);

    Container<WFILE> files;
    ASSERT_TRUE(ListFiles(m.At("").CStr(), WTXT("*"), true, files));
    std::string names;
    for (int32_t i = 0; i < files.count; ++i) names += test::U(files[i]->name.CStr()) + ";";
    EXPECT_EQ(names, "license.txt;Veldo5.cfg;Veldo5.dlo;Hard bevel.veldo;");
    Container<WDIR> folders;
    ASSERT_TRUE(ListFolders(m.At("").CStr(), WTXT("*"), false, folders));
    ASSERT_EQ(folders.count, 2);
    EXPECT_EQ(test::U(folders[0]->name.CStr()), "LightWave");
    EXPECT_FALSE(CanListFolder(m.At("Nowhere").CStr()));

    NString text;
    EXPECT_EQ(ReadTextFile(m.At("LICENSE.TXT").CStr(), text), kTextOk);
    EXPECT_STREQ(text.CStr(), "Licence\n");
    EXPECT_EQ(ReadTextFile(m.At("LightWave").CStr(), text), kTextNotFound);

    // A copy of a packed folder is the folder it was packed from.
    ASSERT_TRUE(CopyFolderTree(m.At("LightWave").CStr(), W(m.dir / "copy").CStr(), false, nullptr));
    EXPECT_EQ(test::TreeSnapshot(m.dir / "copy"), test::TreeSnapshot(m.root + "/LightWave"));
    ASSERT_TRUE(CopyOneFile(m.At("license.txt").CStr(), W(m.dir / "copy/license.txt").CStr(), false));
    EXPECT_EQ(test::ReadFile(m.dir / "copy/license.txt"), "Licence\n");

    // Beside the root, with the root's name running on, is outside it.
    EXPECT_EQ(PackedPathKind(W(m.mountAt.substr(0, m.mountAt.size() - 1) + "2\\license.txt").CStr()),
              PackedKind::kOutside);
    // The program's own path, without the separator, is its file.
    EXPECT_EQ(PackedPathKind(W(m.mountAt.substr(0, m.mountAt.size() - 1)).CStr()), PackedKind::kOutside);
}

// A file written a second time is copied from the first, checked: with the
// archive's block damaged after the first write, the second still comes
// whole (from the first copy); once the first copy is changed or gone, the
// archive is read again and its damage refused. Small files as large ones.
TEST(PackedPayload, ASecondWriteCopiesTheFirstWhenItHoldsTheSameBytes) {
    const struct {
        const char* file;
        std::string content;
    } cases[] = {{"Veldo5.dlo", std::string(100000, 'x')}, {"Veldo5.cfg", "MenuEntry\r\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Mounted m;
        const PayloadEntry* entry = PackedFile(m.At(std::string("LightWave\\Plugin\\win64\\") + c.file).CStr());
        ASSERT_NE(entry, nullptr);
        const std::string first = m.dir / "first", second = m.dir / "second", third = m.dir / "third";
        ASSERT_EQ(WritePackedFile(*entry, W(first).CStr()), SysStatus::kOk);
        std::string packed = test::ReadFile(m.packed);
        const PayloadBlock& block = *m.archive.Blocks()[int32_t(entry->block)];
        for (uint64_t at = block.stored / 4; at < block.stored; ++at)
            packed[size_t(m.archive.Trailer().archiveStart + block.offset + at)] ^= 0x40;
        test::WriteFile(m.packed, packed);  // the archive's handle reads the new bytes
        EXPECT_EQ(WritePackedFile(*entry, W(second).CStr()), SysStatus::kOk);
        EXPECT_EQ(test::ReadFile(second), c.content);
        test::WriteFile(first, std::string(c.content.size(), 'y'));
        EXPECT_NE(WritePackedFile(*entry, W(third).CStr()), SysStatus::kOk);
        EXPECT_FALSE(test::Exists(third));
    }
}

TEST(PackedPayload, StagedFilesOfAKilledRunGoAtStart) {
    test::WinePrefix prefix;
    test::ScopedEnv user("USER", "player");
    const std::string data = prefix.driveC() + "/users/player/.Brimvale/VELDO/ver0.0";
    test::MakeDirs(data);
    const pid_t gone = fork();
    if (gone == 0) _exit(0);
    ASSERT_GT(gone, 0);
    waitpid(gone, nullptr, 0);
    const std::string killed = data + "/staged payload file.veldo-new-" + std::to_string(gone) + "-0";
    const std::string live = data + "/staged payload file.veldo-new-" + std::to_string(getpid()) + "-3";
    const std::string other = data + "/notes.veldo-new-" + std::to_string(gone) + "-0";
    for (const std::string& path : {killed, live, other}) test::WriteFile(path, "x");
    RemoveStagedLeftovers();
    EXPECT_FALSE(test::Exists(killed));
    EXPECT_TRUE(test::Exists(live));
    EXPECT_TRUE(test::Exists(other));
}

}  // namespace
