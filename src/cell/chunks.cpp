// Chunk lists through gates, and trees flattened into them and rebuilt.
// Sections: writing; reading; trees; single cells.
#include "cell/chunks.h"

#include <cstdlib>

#include "core/crc64.h"
#include "cell/hcell.h"
#include "cell/layout_version.h"
#include "cell/location.h"
#include "cell/registry.h"
#include "core/text_convert.h"
#include "cell/value_cells.h"
#include "cell/value_codec.h"

namespace {

constexpr int32_t kChunkMarker = -2;
constexpr int32_t kOldChunkMarker = -1;
constexpr int64_t kMaxPage = 1 << 20;
constexpr int kMaxTreeDepth = 512;

template <class T>
bool Put(VirtualGate& gate, const T& v) {
    return gate.Write(&v, int64_t(sizeof v));
}
template <class T>
bool Get(VirtualGate& gate, T& v) {
    return gate.Read(&v, int64_t(sizeof v));
}

// Writes a block's bytes page by page.
bool PutBlock(VirtualGate& gate, MemBlock& block) {
    for (MemBlockPage* p = block.first; p; p = p->next) {
        const int64_t used = p->next ? block.pageSize : block.lastUsed;
        if (used > 0 && !gate.Write(p->data, used)) return false;
    }
    return true;
}

// Reads size bytes into a new block whose pages are at most 1 MiB; only
// what actually arrives is allocated.
bool GetBlock(VirtualGate& gate, uint64_t size, MemBlock& block) {
    block.Clear();
    if (size > (uint64_t(1) << 40)) return false;
    block.pageSize = int64_t(size) < kMaxPage ? int64_t(size) : kMaxPage;
    MemBlockCursor c(block);
    DynamicArray<uint8_t> page;
    for (uint64_t left = size; left > 0;) {
        const int64_t n = int64_t(left) < block.pageSize ? int64_t(left) : block.pageSize;
        page.Resize(int32_t(n));
        if (!gate.Read(page.data, n) || !c.Write(page.data, n)) return false;
        left -= uint64_t(n);
    }
    return true;
}

uint64_t BlockCrc(MemBlock& block) {
    uint64_t state = ~uint64_t(0);
    for (MemBlockPage* p = block.first; p; p = p->next) {
        const int64_t used = p->next ? block.pageSize : block.lastUsed;
        state = Crc64Update(state, p->data, size_t(used));
    }
    return ~state;
}

double VersionNumber(const WString& text) {
    static const WString current = [] {
        WString t;
        t.Format(WTXT("%.4f"), kLayoutVersion);
        return t;
    }();
    if (text == current) return kLayoutVersion;
    NString narrow;
    WideToUtf8(text.CStr(), narrow);
    double v = 0;
    return ScanLeadingNumber(narrow.CStr(), v) ? v : 0.0;
}

// Opens in the mode needed unless already open; closes again when asked.
struct GateSession {
    VirtualGate& gate;
    bool ok;
    GateSession(VirtualGate& g, int32_t mode) : gate(g), ok(g.IsOpen() || g.Open(mode)) {}
};

}  // namespace

// ---- writing -----------------------------------------------------------------

bool WriteChunkList(VirtualGate& gate, ChunkList& chunks) {
    GateSession session(gate, VirtualGate::kWrite);
    if (!session.ok) return false;
    bool ok = Put(gate, chunks.count);
    for (int32_t i = 0; ok && i < chunks.count; ++i) {
        Chunk* chunk = chunks[i];
        if (!chunk) {
            ok = false;
            break;
        }
        // The header is built first so its size can go ahead of it.
        MemBlock header;
        MemBlockCursor hc(header);
        ok = WriteString(hc, chunk->version) && Put(gate, chunk->classKey) && Put(gate, kChunkMarker) &&
             Put(gate, chunk->reserved) && Put(gate, chunk->childCount) &&
             Put(gate, uint64_t(chunk->data.Size())) && Put(gate, BlockCrc(chunk->data)) &&
             Put(gate, uint64_t(header.Size())) && PutBlock(gate, header) && PutBlock(gate, chunk->data);
    }
    const bool closed = gate.Close();
    return ok && closed;
}

// ---- reading -----------------------------------------------------------------

bool ReadChunkList(VirtualGate& gate, ChunkList& chunks) {
    GateSession session(gate, VirtualGate::kRead);
    if (!session.ok) return false;
    int32_t count = 0;
    bool ok = Get(gate, count) && count >= 0;
    for (int32_t i = 0; ok && i < count; ++i) {
        auto* chunk = new Chunk;
        chunks.Add(chunk, chunks.count < 64 ? 8 : chunks.count);
        int32_t marker = 0;
        uint64_t size = 0, checksum = 0;
        ok = Get(gate, chunk->classKey) && FindCellDescriptor(chunk->classKey) && Get(gate, marker) &&
             Get(gate, chunk->reserved) && Get(gate, chunk->childCount) && Get(gate, size) && Get(gate, checksum);
        if (!ok) break;
        chunk->version.Assign(WTXT("5.2036"));
        if (marker == kChunkMarker || marker == kOldChunkMarker) {
            uint64_t headerSize = 0;
            MemBlock header;
            ok = Get(gate, headerSize) && GetBlock(gate, headerSize, header);
            if (!ok) break;
            if (marker == kChunkMarker) {
                MemBlockCursor hc(header);
                WString version;
                if (ReadString(hc, version)) chunk->version = version;
            }
        }
        ok = GetBlock(gate, size, chunk->data) && (checksum == 0 || checksum == BlockCrc(chunk->data));
    }
    gate.Close();
    return ok;
}

// ---- trees -------------------------------------------------------------------

bool FlattenTree(Cell& root, int flag, ChunkList& chunks) {
    HCell* h = CellAs<HCell>(&root);
    auto* chunk = new Chunk;
    chunk->classKey = root.ClassKey();
    chunk->version.Format(WTXT("%.4f"), kLayoutVersion);
    chunk->childCount = h ? h->children.count : 0;
    MemBlockCursor c(chunk->data);
    if (!root.Export(c, flag)) {
        delete chunk;
        return false;
    }
    chunks.Add(chunk, chunks.count < 64 ? 8 : chunks.count);
    for (int32_t i = 0; h && i < h->children.count; ++i)
        if (h->children[i] && !FlattenTree(*h->children[i], flag, chunks)) return false;
    return true;
}

namespace {

// Builds the cell of chunk next and, under it, its children's.
Cell* BuildFrom(ChunkList& chunks, int32_t& next, LocationCollector* collector, int depth) {
    if (next >= chunks.count || depth > kMaxTreeDepth) return nullptr;
    Chunk* chunk = chunks[next++];
    if (!chunk || chunk->childCount < 0 || chunk->childCount > chunks.count - next) return nullptr;
    SObject<Cell> cell(CreateCell(chunk->classKey));
    if (!cell) return nullptr;
    MemBlockCursor c(chunk->data);
    if (!cell->Import(c, VersionNumber(chunk->version), collector)) return nullptr;
    HCell* parent = cell->AsHCell();
    if (chunk->childCount > 0 && !parent) return nullptr;
    if (chunk->childCount > 0) parent->children.Reserve(parent->children.count + chunk->childCount);
    for (int32_t i = 0; i < chunk->childCount; ++i) {
        Cell* child = BuildFrom(chunks, next, collector, depth + 1);
        HCell* h = child ? child->AsHCell() : nullptr;
        if (!h) {
            delete child;
            return nullptr;
        }
        parent->AddChild(h);
    }
    return cell.Detach();
}

}  // namespace

Cell* RebuildTree(ChunkList& chunks, LocationCollector* collector) {
    int32_t next = 0;
    Cell* root = BuildFrom(chunks, next, collector, 0);
    if (root && next != chunks.count) {
        delete root;  // chunks left over: not one tree
        return nullptr;
    }
    return root;
}

bool WriteTree(VirtualGate& gate, Cell& root, int flag) {
    ChunkList chunks;
    return FlattenTree(root, flag, chunks) && WriteChunkList(gate, chunks);
}

Cell* ReadTree(VirtualGate& gate) {
    ChunkList chunks;
    if (!ReadChunkList(gate, chunks)) return nullptr;
    LocationCollector collector;
    Cell* root = RebuildTree(chunks, &collector);
    if (HCell* h = CellAs<HCell>(root)) collector.ResolveAll(*h);
    return root;
}

// ---- single cells --------------------------------------------------------

bool WriteOneCell(VirtualGate& gate, Cell& cell) {
    if (auto* text = CellAs<StringCell>(&cell)) return gate.WriteText(text->value);
    ChunkList chunks;
    auto* chunk = new Chunk;
    chunk->classKey = cell.ClassKey();
    chunk->version.Format(WTXT("%.4f"), 0.0);
    chunks.Add(chunk);
    MemBlockCursor c(chunk->data);
    return cell.Export(c, 0) && WriteChunkList(gate, chunks);
}

Cell* ReadOneCell(VirtualGate& gate, bool strict) {
    ChunkList chunks;
    if (!ReadChunkList(gate, chunks) || chunks.count == 0 || (strict && chunks.count != 1)) return nullptr;
    SObject<Cell> cell(CreateCell(chunks[0]->classKey));
    if (!cell) return nullptr;
    MemBlockCursor c(chunks[0]->data);
    if (!cell->Import(c, 0, nullptr)) return nullptr;
    return cell.Detach();
}

Cell* ReadOneCellOrText(VirtualGate& gate) {
    if (Cell* cell = ReadOneCell(gate, false)) return cell;
    WString text;
    if (!gate.ReadText(text)) return nullptr;
    auto* s = new StringCell;
    s->value = text;
    return s;
}
