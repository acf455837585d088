// Chunk files: a list of chunks, each one cell's export with its class key,
// version, child count and a CRC-64 of the data, written to and read from a
// gate. A tree is flattened into chunks in pre-order and rebuilt from them
// with the child counts.
//
// File layout: Int32 chunk count; per chunk: UInt64 class key, Int32 marker
// (-2 written; -1 and -2 have a header), UInt64 reserved, Int32 child count,
// UInt64 data size, UInt64 CRC-64/WE of the data (0: unchecked), and with a
// header: UInt64 header size and the header (the version as a string); then
// the data bytes.
#pragma once

#include <cstdint>

#include "core/container.h"
#include "core/dynamic_string.h"
#include "cell/gates.h"
#include "core/mem_block.h"

class LocationCollector;

class Chunk {
public:
    CellKey classKey = 0;
    WString version;  // "%.4f"
    uint64_t reserved = 0;
    int32_t childCount = 0;
    MemBlock data{1024};

    virtual ~Chunk() = default;
};

using ChunkList = Container<Chunk>;

// Both open the gate unless it is open and close it at the end, also on
// failure; the result of a write is that of the close.
bool WriteChunkList(VirtualGate& gate, ChunkList& chunks);
bool ReadChunkList(VirtualGate& gate, ChunkList& chunks);

// Pre-order: the cell, then each child's chunks.
bool FlattenTree(Cell& root, int flag, ChunkList& chunks);
// The tree back from a pre-order list; links are collected for resolution.
Cell* RebuildTree(ChunkList& chunks, LocationCollector* collector);

bool WriteTree(VirtualGate& gate, Cell& root, int flag);
// Rebuilds the tree and resolves its links against it.
Cell* ReadTree(VirtualGate& gate);

// One cell: a StringCell as text, anything else as a single chunk with
// version 0.
bool WriteOneCell(VirtualGate& gate, Cell& cell);
// The first chunk's cell, imported with version 0. strict: exactly one chunk.
Cell* ReadOneCell(VirtualGate& gate, bool strict);
// As ReadOneCell; when that fails, the gate's whole content as a StringCell.
Cell* ReadOneCellOrText(VirtualGate& gate);
