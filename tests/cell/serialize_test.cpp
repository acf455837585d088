// HCells and trees as bytes: tag headers and bodies, the current layout by
// position, older layouts by name and through legacy tags, diagnostics,
// chunk files through gates, links written as locations.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cell/chunks.h"
#include "cell/container_cells.h"
#include "core/log.h"
#include "cell/gate_table.h"
#include "cell/layout_version.h"
#include "cell/location.h"
#include "cell/registry.h"
#include "cell/std_cells.h"
#include "cell/synapser.h"
#include "cell/tags.h"
#include "cell/value_codec.h"
#include "support/memory_gate.h"
#include "sys/platform.h"
#include "sys/user_folders.h"
#include "support/test_support.h"

namespace {

using test::U;
using test::W;

// Diagnostics as the log gets them, read back as
// "Level|Class|version|note|tag|message".
struct Serialize : testing::Test {
    test::LogCapture log;

    std::vector<std::string> Diagnostics() const {
        static const std::regex line("(\\S+) *: (\\S+) +(\\d+\\.\\d{4})(?:,([^,]*?) *,(.*?) * : | +: )(.*)");
        std::vector<std::string> out;
        std::istringstream in(log.text().substr(forgotten));
        std::string text;
        std::smatch m;
        while (std::getline(in, text))
            if (std::regex_match(text, m, line))
                out.push_back(m[1].str() + "|" + m[2].str() + "|" + m[3].str() + "|" + m[4].str() + "|" + m[5].str() +
                              "|" + m[6].str());
        return out;
    }
    // Diagnostics() leaves out what was logged before.
    void Forget() { forgotten = log.text().size(); }
    size_t forgotten = 0;
};

// Hand-made tag entries of an older layout.
struct Writer {
    MemBlock block;
    MemBlockCursor c{block};
    void Int(int32_t v) { c.WriteValue(v); }
    void Str(const char* s) { WriteString(c, test::W(s)); }
    // A whole tag: header and a body holding an IntCell value.
    void IntTag(const char* name, int32_t value, const char* version = "5.200000", CellKey key = IntCell::kClassKey) {
        Str(name);
        c.WriteValue(key);
        MemBlock body;
        MemBlockCursor b(body);
        WriteString(b, test::W(version));
        b.WriteValue(value);
        b.WriteValue(uint8_t(0));
        c.WriteValue(uint64_t(body.Size()));
        MemBlockCursor r(body);
        CopyCursorBytes(r, c, body.Size());
    }
};

bool ImportAt(HCell& cell, Writer& w, double version) {
    MemBlockCursor r(w.block);
    return cell.Import(r, version, nullptr);
}

StdHCell* SampleTree() {
    auto* root = new StdHCell;
    root->TagValueAs<IntCell>(StdHCell::kCount)->value = 3;
    root->TagValueAs<StringCell>(StdHCell::kName)->SetText(WTXT("r\u00f6\u00f6t"));
    root->TagValueAs<DAV3DCell>(StdHCell::kDAV3DArray)->value.items.Append({1, 2, 3});
    for (int i = 0; i < 3; ++i) {
        auto* child = new StdHCell;
        child->TagValueAs<IntCell>(StdHCell::kCount)->value = 10 + i;
        root->AddChild(child);
        if (i == 1) child->AddChild(new UnitsData);
    }
    return root;
}

// Tree equality: the cells and all their children.
bool SameTree(const Cell& a, const Cell& b) {
    if (!a.Equals(b)) return false;
    const HCell* ha = CellAs<HCell>(&a);
    const HCell* hb = CellAs<HCell>(&b);
    if (!ha || !hb) return ha == hb;
    if (ha->children.count != hb->children.count) return false;
    for (int32_t i = 0; i < ha->children.count; ++i)
        if (!SameTree(*ha->children[i], *hb->children[i])) return false;
    return true;
}

TEST_F(Serialize, TagHeadersAndBodies) {
    StdHCell cell;
    cell.TagValueAs<IntCell>(StdHCell::kCount)->value = 7;
    MemBlock block(16);  // small pages: size fields straddle page ends
    MemBlockCursor c(block);
    ASSERT_TRUE(cell.Export(c, 0));
    MemBlockCursor r(block);
    int32_t count = 0;
    r.ReadValue(count);
    EXPECT_EQ(count, 7);  // OutCount is an extra tag: not written
    WString name, version;
    CellKey key = 0;
    uint64_t size = 0;
    ReadString(r, name);
    r.ReadValue(key);
    r.ReadValue(size);
    EXPECT_EQ(U(name), "Count");
    EXPECT_EQ(key, IntCell::kClassKey);
    EXPECT_EQ(size, 4u + 2 * 8 + 4 + 1);  // "5.500000", the value, the links flag
    ReadString(r, version);
    EXPECT_EQ(U(version), "5.500000");
}

TEST_F(Serialize, ATreeRoundTripsThroughAChunkFile) {
    SObject<StdHCell> tree(SampleTree());
    MemoryGate gate;
    ASSERT_TRUE(WriteTree(gate, *tree, 0));
    EXPECT_FALSE(gate.IsOpen());
    SObject<Cell> back(ReadTree(gate));
    ASSERT_TRUE(back);
    EXPECT_TRUE(SameTree(*tree, *back));
    EXPECT_TRUE(Diagnostics().empty());
}

TEST_F(Serialize, CurrentLayoutIsReadByPosition) {
    StdHCell source;
    source.TagValueAs<IntCell>(StdHCell::kCount)->value = 5;
    MemBlock block;
    MemBlockCursor c(block);
    source.Export(c, 0);

    // One tag fewer than the class has.
    {
        Writer w;
        w.Int(6);
        StdHCell target;
        EXPECT_FALSE(ImportAt(target, w, kLayoutVersion));
        ASSERT_EQ(Diagnostics().size(), 1u);
        EXPECT_EQ(Diagnostics()[0], "Error|StdHCell|5.5000|||Imported tags count doesn't match with HCell!");
    }
    // A newer writer.
    {
        Forget();
        Writer w;
        w.Int(7);
        StdHCell target;
        EXPECT_FALSE(ImportAt(target, w, 5.6));
        EXPECT_EQ(Diagnostics()[0], "Error|StdHCell|5.5000|||Cannot import newer version: 5.6000!");
    }
    // A negative count.
    {
        Forget();
        Writer w;
        w.Int(-1);
        StdHCell target;
        EXPECT_FALSE(ImportAt(target, w, kLayoutVersion));
        EXPECT_EQ(Diagnostics()[0], "Error|StdHCell|5.5000|||Invalid tags count!");
    }
}

TEST_F(Serialize, ATagOfAnotherClassIsSkippedExactly) {
    // Seven tags; the first claims a DblCell value of 8 bytes.
    StdHCell source;
    source.TagValueAs<StringCell>(StdHCell::kName)->SetText(WTXT("after the skip"));
    MemBlock good;
    MemBlockCursor gc(good);
    source.Export(gc, 0);
    // Rewrite the first tag's header: same name, another value class.
    MemBlockCursor patch(good);
    patch.Seek(4 + 4 + 2 * 5);
    patch.WriteValue(DblCell::kClassKey);
    StdHCell target;
    MemBlockCursor r(good);
    ASSERT_TRUE(target.Import(r, kLayoutVersion, nullptr));
    EXPECT_EQ(U(target.TagValueAs<StringCell>(StdHCell::kName)->value), "after the skip");
    ASSERT_EQ(Diagnostics().size(), 1u);
    EXPECT_EQ(Diagnostics()[0], "Warning|StdHCell|5.5000|IntCell|Count|Tag skipped, expected key is df95f7aa8d070204 "
                          "but imported key is 8a5ac86916b5e1e4 and name 'Count'!");
}

TEST_F(Serialize, OlderLayoutsAreReadByName) {
    Writer w;
    w.Int(3);
    w.IntTag("Count", 41);
    w.IntTag("Vanished", 1);         // no such tag any more
    w.IntTag("Index", 5, "0.0000");  // a version text starting with 0 reads as 5.2036
    StdHCell target;
    target.TagValueAs<IdxCell>(StdHCell::kIndex)->value = 99;
    ASSERT_TRUE(ImportAt(target, w, 5.2));
    EXPECT_EQ(target.TagValueAs<IntCell>(StdHCell::kCount)->value, 41);
    EXPECT_EQ(target.TagValueAs<IdxCell>(StdHCell::kIndex)->value, 99);  // Index holds an IdxCell: no match
    ASSERT_EQ(Diagnostics().size(), 2u);
    EXPECT_EQ(Diagnostics()[0],
              "Warning|StdHCell|5.2000|FEATURE DISABLED IN RELEASE!|Vanished|No matching tag or legacy tag in new "
              "version, tag was skipped!");
}

TEST_F(Serialize, LegacyTagsLeadToTheirReplacements) {
    // VeryOldName (5.2035) goes through OldName to Count.
    {
        Writer w;
        w.Int(1);
        w.IntTag("VeryOldName", 9);
        StdHCell target;
        ASSERT_TRUE(ImportAt(target, w, 5.2));
        EXPECT_EQ(target.TagValueAs<IntCell>(StdHCell::kCount)->value, 9);
        EXPECT_TRUE(Diagnostics().empty());
    }
    // Mode leads out of the cell to its parent's Count.
    {
        Writer w;
        w.Int(1);
        w.IntTag("Mode", 12);
        StdHCell parent;
        auto* child = new StdHCell;
        parent.AddChild(child);
        ASSERT_TRUE(ImportAt(*child, w, 5.25));
        EXPECT_EQ(parent.TagValueAs<IntCell>(StdHCell::kCount)->value, 12);
    }
    // Without a parent the path cannot resolve: the whole import fails.
    {
        Writer w;
        w.Int(1);
        w.IntTag("Mode", 12);
        StdHCell orphan;
        EXPECT_FALSE(ImportAt(orphan, w, 5.25));
        EXPECT_EQ(Diagnostics().back(), "Error|StdHCell|5.2500|FEATURE DISABLED IN RELEASE!|Mode|Legacy tag 'Mode' "
                                  "version 5.3000 points to invalid path!");
    }
}

TEST_F(Serialize, HostileDataFailsAndLeavesTheCellUsable) {
    SObject<StdHCell> tree(SampleTree());
    MemBlock block;
    MemBlockCursor c(block);
    ASSERT_TRUE(tree->Export(c, 0));
    std::vector<uint8_t> bytes(size_t(block.Size()));
    MemBlockCursor(block).Read(bytes.data(), int64_t(bytes.size()));
    for (size_t cut = 0; cut < bytes.size(); cut += 7) {
        MemBlock part;
        MemBlockCursor(part).Write(bytes.data(), int64_t(cut));
        StdHCell target;
        MemBlockCursor r(part);
        EXPECT_FALSE(target.Import(r, kLayoutVersion, nullptr));
        // Still a working cell.
        target.TagValueAs<IntCell>(StdHCell::kCount)->value = 1;
        MemBlock again;
        MemBlockCursor ac(again);
        EXPECT_TRUE(target.Export(ac, 0));
    }
}

TEST_F(Serialize, ChunkFilesCheckTheirData) {
    SObject<StdHCell> tree(SampleTree());
    MemoryGate gate;
    ASSERT_TRUE(WriteTree(gate, *tree, 0));
    // Flip one data byte of the last chunk: its checksum no longer matches.
    MemoryGate broken;
    broken.bytes = gate.bytes;
    broken.bytes[broken.bytes.size() - 2] ^= 0x40;
    EXPECT_EQ(ReadTree(broken), nullptr);
    EXPECT_FALSE(broken.IsOpen());
    // A checksum of 0 is not checked. (Chunk 0 starts at byte 4; its
    // checksum lies 32 bytes in.)
    MemoryGate unchecked;
    unchecked.bytes = gate.bytes;
    std::fill(unchecked.bytes.begin() + 4 + 32, unchecked.bytes.begin() + 4 + 40, 0);
    SObject<Cell> back(ReadTree(unchecked));
    EXPECT_TRUE(back);
    // An unregistered class key fails the list.
    MemoryGate unknown;
    unknown.bytes = gate.bytes;
    unknown.bytes[4] ^= 0x5A;
    EXPECT_EQ(ReadTree(unknown), nullptr);
    // Counts that promise more than there is.
    MemoryGate truncated;
    truncated.bytes = gate.bytes;
    truncated.bytes.resize(truncated.bytes.size() / 2);
    EXPECT_EQ(ReadTree(truncated), nullptr);
}

// Chunks of older writers: marker -1 has a header but no version in it,
// other markers have no header at all; both read as 5.2036, by name.
TEST_F(Serialize, OlderChunkMarkers) {
    UnitsData units;
    units.TagValueAs<IntCell>(UnitsData::kDigits)->value = 6;
    MemBlock data;
    MemBlockCursor dc(data);
    ASSERT_TRUE(units.Export(dc, 0));
    std::vector<uint8_t> body(size_t(data.Size()));
    MemBlockCursor(data).Read(body.data(), int64_t(body.size()));
    for (int32_t marker : {-1, 7}) {
        MemoryGate gate;
        gate.Open(VirtualGate::kWrite);
        auto put = [&](const auto& v) { gate.Write(&v, int64_t(sizeof v)); };
        put(int32_t(1));
        put(UnitsData::kClassKey);
        put(marker);
        put(uint64_t(0));
        put(int32_t(0));
        put(uint64_t(body.size()));
        put(uint64_t(0));  // unchecked
        if (marker == -1) {
            put(uint64_t(3));
            gate.Write("abc", 3);
        }
        gate.Write(body.data(), int64_t(body.size()));
        gate.Close();
        ChunkList chunks;
        ASSERT_TRUE(ReadChunkList(gate, chunks));
        EXPECT_EQ(U(chunks[0]->version), "5.2036");
        SObject<Cell> back(RebuildTree(chunks, nullptr));
        ASSERT_TRUE(back);
        EXPECT_EQ(static_cast<UnitsData*>(back.Get())->TagValueAs<IntCell>(UnitsData::kDigits)->value, 6);
    }
}

TEST_F(Serialize, OneCellAndTheTextFallback) {
    UnitsData units;
    units.TagValueAs<IntCell>(UnitsData::kDigits)->value = 4;
    MemoryGate gate;
    ASSERT_TRUE(WriteOneCell(gate, units));
    SObject<Cell> back(ReadOneCell(gate, true));
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->Equals(units));

    StringCell text;
    text.SetText(WTXT("plain words"));
    ASSERT_TRUE(WriteOneCell(gate, text));
    EXPECT_EQ(std::string(gate.bytes.begin(), gate.bytes.end()), "plain words");
    EXPECT_EQ(ReadOneCell(gate, true), nullptr);
    SObject<Cell> pasted(ReadOneCellOrText(gate));
    ASSERT_TRUE(pasted);
    ASSERT_EQ(pasted->ClassKey(), StringCell::kClassKey);
    EXPECT_EQ(U(static_cast<StringCell*>(pasted.Get())->value), "plain words");

    // Two chunks are not one cell for the strict reader.
    SObject<StdHCell> tree(SampleTree());
    ASSERT_TRUE(WriteTree(gate, *tree, 0));
    EXPECT_EQ(ReadOneCell(gate, true), nullptr);
    SObject<Cell> first(ReadOneCell(gate, false));
    EXPECT_TRUE(first);
}

TEST_F(Serialize, DocumentsOnDiskThroughTheFileGate) {
    test::TempDir dir;
    const WString path = test::W(dir / "scene.veldo");
    HddGateKey key(path.CStr());
    HddGate gate;
    gate.SetKey(key);
    SObject<StdHCell> tree(SampleTree());
    ASSERT_TRUE(WriteTree(gate, *tree, 0));
    EXPECT_TRUE(test::Exists(dir / "scene.veldo"));
    SObject<Cell> back(ReadTree(gate));
    ASSERT_TRUE(back);
    EXPECT_TRUE(SameTree(*tree, *back));
    HddGateKey missing(test::W(dir / "missing.veldo").CStr());
    HddGate none;
    none.SetKey(missing);
    EXPECT_EQ(ReadTree(none), nullptr);
}

// A drag carries a copy of its tree through the transfer file in the
// product data folder, which the first drag makes.
TEST_F(Serialize, DragsTravelThroughTheTransferFile) {
    test::WinePrefix prefix;
    WPath transfer;
    ASSERT_TRUE(DragDropGate::TransferFile(transfer));
    const std::string wanted = ".Brimvale\\VELDO\\ver0.0\\drag_drop.veldo";
    EXPECT_EQ(U(transfer).substr(U(transfer).size() - wanted.size()), wanted);
    DragDropGate gate;
    EXPECT_EQ(gate.Payload(), nullptr);  // no drag under way
    SObject<StdHCell> tree(SampleTree());
    ASSERT_TRUE(gate.BeginDrag(*tree));
    WString native;
    ASSERT_TRUE(SysNativePath(transfer.CStr(), native));
    EXPECT_TRUE(test::Exists(U(native)));
    Cell* payload = gate.Payload();
    ASSERT_NE(payload, nullptr);
    EXPECT_TRUE(SameTree(*tree, *payload));
    EXPECT_EQ(gate.Payload(), payload);  // read once a drag
    gate.DropComplete();
    EXPECT_FALSE(gate.Dragging());
    EXPECT_EQ(gate.Payload(), nullptr);

    // A data folder that cannot be made: the drag goes on without payload.
    WPath maker;
    ASSERT_TRUE(MakerFolder(maker));
    ASSERT_TRUE(SysNativePath(maker.CStr(), native));
    const std::string brimvale = U(native);
    std::error_code ec;
    std::filesystem::remove_all(test::FsPath(brimvale + ".old"), ec);
    std::filesystem::rename(test::FsPath(brimvale), test::FsPath(brimvale + ".old"), ec);
    ASSERT_FALSE(ec) << ec.message();
    test::WriteFile(brimvale, "");  // a file where the folder was
    EXPECT_FALSE(gate.BeginDrag(*tree));
    EXPECT_TRUE(gate.Dragging());
    EXPECT_EQ(gate.Payload(), nullptr);
    // Put back: on Windows the profile is the system's own.
    std::filesystem::remove(test::FsPath(brimvale), ec);
    std::filesystem::rename(test::FsPath(brimvale + ".old"), test::FsPath(brimvale), ec);
    EXPECT_FALSE(ec) << ec.message();
}

// ---- locations and links ---------------------------------------------------

// A root bound to a file gate, as documents and windows are.
GCell* Root(const char* name) {
    auto* root = new GCell;
    HddGateKey key(test::W(name).CStr());
    root->gate.Reset(new HddGate);
    root->gate->SetKey(key);
    return root;
}

TEST_F(Serialize, LocationsAddressCellsAndTags) {
    SObject<GCell> root(Root("doc.veldo"));
    auto* first = new StdHCell;
    root->AddChild(first);
    CellLocation loc;
    ASSERT_TRUE(first->TagAt(0)->Locate(loc));
    ASSERT_EQ(loc.path.count, 2);
    EXPECT_EQ(loc.path[0], 0);
    EXPECT_EQ(loc.path[1], -1);
    EXPECT_EQ(root->Resolve(loc).Get(), first->TagAt(0));

    CellLocation cellLoc;
    ASSERT_TRUE(first->Locate(cellLoc));
    EXPECT_EQ(root->Resolve(cellLoc).Get(), first);
    // A cell inserted in front changes the shape: the old location is stale.
    root->InsertChild(0, new StdHCell);
    EXPECT_EQ(root->Resolve(cellLoc).Get(), nullptr);

    StdHCell loose;  // not below any gate cell
    CellLocation none;
    EXPECT_FALSE(loose.Locate(none));
    EXPECT_FALSE(none.IsValid());
}

TEST_F(Serialize, LinksTravelAsLocationsAndResolveAfterLoading) {
    SObject<GCell> root(Root("linked.veldo"));
    auto* a = new StdHCell;
    auto* b = new StdHCell;
    root->AddChild(a);
    root->AddChild(b);
    a->ValueTagAt(StdHCell::kCount)->Links().Add(b->SelfSlave());
    MemoryGate gate;
    ASSERT_TRUE(WriteTree(gate, *root, 1));
    SObject<Cell> back(ReadTree(gate));
    ASSERT_TRUE(back);
    auto* loadedRoot = CellAs<HCell>(back.Get());
    ASSERT_EQ(loadedRoot->children.count, 2);
    Synapser& links = loadedRoot->children[0]->ValueTagAt(StdHCell::kCount)->Links();
    ASSERT_EQ(links.Count(), 1);
    // The loaded root has no gate of its own, so locations resolve against it.
    EXPECT_EQ(links.At(0), loadedRoot->children[1]);

    // Flag 0 writes no links at all.
    ASSERT_TRUE(WriteTree(gate, *root, 0));
    SObject<Cell> plain(ReadTree(gate));
    EXPECT_EQ(CellAs<HCell>(plain.Get())->children[0]->ValueTagAt(StdHCell::kCount)->links.Get(), nullptr);
}

// ---- messages ----------------------------------------------------------------

struct Recorder : StdHCell {
    std::vector<CellKey> received;
    SSlave<Cell> Receive(Cell& message) override {
        received.push_back(message.ClassKey());
        return StdHCell::Receive(message);
    }
};

ScriptEntry* Recorded(Cell& message) {
    auto* entry = new ScriptEntry;
    entry->key.value = message.ClassKey();
    entry->value.Reset(new MemBlock);
    MemBlockCursor c(*entry->value);
    message.Export(c, 0);
    return entry;
}

TEST_F(Serialize, ScriptsReplayTheirMessage) {
    HCell_AddChild_Act act;
    StdHCell bundle;
    bundle.TagValueAs<IntCell>(StdHCell::kCount)->value = 77;
    ScriptCell script;
    script.entries.Add(Recorded(act));
    script.entries.Add(Recorded(bundle));
    SObject<Cell> rebuilt(RebuildScript(script));
    ASSERT_TRUE(rebuilt);
    auto* replayed = CellAs<HCell_AddChild_Act>(rebuilt.Get());
    ASSERT_NE(replayed, nullptr);
    ASSERT_EQ(replayed->children.count, 1);
    EXPECT_EQ(static_cast<StdHCell*>(replayed->children[0])->TagValueAs<IntCell>(StdHCell::kCount)->value, 77);

    Recorder target;
    target.Receive(script);
    EXPECT_EQ(target.received, (std::vector<CellKey>{ScriptCell::kClassKey, HCell_AddChild_Act::kClassKey}));
    EXPECT_TRUE(target.Accepts(ScriptCell::kClassKey));
    EXPECT_TRUE(target.Accepts(IdxCell::kClassKey));
    EXPECT_FALSE(target.Accepts(IntCell::kClassKey));

    // A broken entry ends the replay with nothing sent.
    script.entries[1]->value->Clear();
    Recorder quiet;
    quiet.Receive(script);
    EXPECT_EQ(quiet.received.size(), 1u);
}

// Scripts nested in scripts thousands deep, as hostile data may carry them
// (each level holds the next as its bytes): replaying is cut at a fixed
// depth with a diagnostic, and memory stays a small multiple of the data.
TEST_F(Serialize, DeeplyNestedScriptsAreCutWithBoundedMemory) {
    ScriptCell inner;
    HCell_AddChild_Act act;
    inner.entries.Add(Recorded(act));
    MemBlock innerBytes;
    {
        MemBlockCursor c(innerBytes);
        ASSERT_TRUE(inner.Export(c, 0));
    }
    // Each level: one entry, a script, whose block is the level below:
    // the count, present, the key, has-block and the block's size (22 bytes)
    // before the level below's bytes.
    constexpr int kLevels = 20000;
    std::vector<int64_t> sizes(kLevels + 1);
    sizes[0] = innerBytes.Size();
    for (int k = 1; k <= kLevels; ++k) sizes[k] = 22 + sizes[k - 1];
    MemBlock bytes;
    {
        MemBlockCursor c(bytes);
        for (int k = kLevels; k >= 1; --k) {
            c.WriteValue(int32_t(1));
            c.WriteValue(uint8_t(1));
            c.WriteValue(ScriptCell::kClassKey);
            c.WriteValue(uint8_t(1));
            c.WriteValue(sizes[k - 1]);
        }
        MemBlockCursor from(innerBytes);
        ASSERT_TRUE(CopyCursorBytes(from, c, innerBytes.Size()));
    }
    const int64_t size = bytes.Size();
    ASSERT_GT(size, 300000);
#ifndef _WIN32
    // Measured in a child of its own, whose peak tells (Linux).
    const pid_t child = fork();
    if (child == 0) {
        ScriptCell hostile;
        MemBlockCursor c(bytes);
        if (!hostile.Import(c, kLayoutVersion, nullptr)) _exit(2);
        rusage before{};
        getrusage(RUSAGE_SELF, &before);
        Recorder target;
        target.Receive(hostile);
        rusage after{};
        getrusage(RUSAGE_SELF, &after);
        const long grownKb = after.ru_maxrss - before.ru_maxrss;
        _exit(grownKb * 1024 < 16 * size ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
#endif
    // And in this process: the cut is said once.
    ScriptCell hostile;
    MemBlockCursor c(bytes);
    ASSERT_TRUE(hostile.Import(c, kLayoutVersion, nullptr));
    Recorder target;
    target.Receive(hostile);
    const std::vector<std::string> said = Diagnostics();
    ASSERT_EQ(said.size(), 1u);
    EXPECT_EQ(said[0], "Error|ScriptCell|5.5000|||Scripts nested deeper than 8 are not rebuilt!");
}

TEST_F(Serialize, ActionsTakeADeepCopyOfWhatTheyAreSent) {
    HCell_AddChild_Act act;
    SObject<StdHCell> tree(SampleTree());
    act.Receive(*tree);
    ASSERT_EQ(act.children.count, 1);
    EXPECT_NE(act.children[0], tree.Get());
    EXPECT_TRUE(SameTree(*act.children[0], *tree));
    IntCell notACell;
    act.Receive(notACell);
    EXPECT_EQ(act.children.count, 1);
}

// ---- gates -------------------------------------------------------------------

TEST_F(Serialize, GateKeysAndTheGateTable) {
    HddGateKey lower(WTXT("c:\\doc.veldo")), upper(WTXT("C:\\DOC.veldo")), same(WTXT("c:\\doc.veldo"));
    EXPECT_FALSE(lower.Equals(upper));
    EXPECT_TRUE(lower.Equals(same));
    EXPECT_EQ(lower.Hash(), same.Hash());
    HddGateKey a, b, c;
    const std::string first = U(a.path);
    ASSERT_EQ(first.size(), std::string("document01.veldo").size());
    const int n = std::stoi(first.substr(8, 2));
    char expected[32];
    std::snprintf(expected, sizeof expected, "document%02i.veldo", n + 2);
    EXPECT_EQ(U(c.path), expected);
    // Only the numbered keys are new documents; copies keep what they are.
    EXPECT_TRUE(a.newDocument);
    EXPECT_FALSE(lower.newDocument);
    SObject<GateKey> copyOfNew(a.Duplicate()), copyOfNamed(lower.Duplicate());
    EXPECT_TRUE(static_cast<HddGateKey*>(copyOfNew.Get())->newDocument);
    EXPECT_FALSE(static_cast<HddGateKey*>(copyOfNamed.Get())->newDocument);

    GCell* made = MakeGateCell(lower);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(FindGateCell(same), made);
    EXPECT_EQ(made->Gate()->ClassKey(), HddGate::kClassKey);
    EXPECT_TRUE(made->RootGateKey()->Equals(lower));
    GCell* replaced = MakeGateCell(same);
    EXPECT_EQ(FindGateCell(lower), replaced);
    EXPECT_EQ(FindGateCell(upper), nullptr);
    ClipboardGateKey clip;
    EXPECT_EQ(MakeGateCell(clip)->Gate()->ClassKey(), ClipboardGate::kClassKey);
}

TEST(DocumentPaths, ExtensionAppendedWhenThePathNamesNoType) {
    const struct {
        const char* chosen;
        const char* kept;
    } cases[] = {
        {"", ".veldo"},
        {"Z:\\tmp\\scene", "Z:\\tmp\\scene.veldo"},
        {"Z:\\tmp\\scene.old", "Z:\\tmp\\scene.old"},
        {"Z:\\tmp\\scene.veldo", "Z:\\tmp\\scene.veldo"},
        {"Z:\\my.docs\\scene", "Z:\\my.docs\\scene.veldo"},
        {"Z:\\tmp\\", "Z:\\tmp\\.veldo"},
        {"Z:\\tmp/", "Z:\\tmp/.veldo"},
        {"scene", "scene.veldo"},
    };
    for (const auto& c : cases) {
        WString path(W(c.chosen));
        AppendDocumentExtension(path);
        EXPECT_EQ(U(path), c.kept) << c.chosen;
    }
}

}  // namespace
