// The gate table: every open gate cell, keyed by a copy of its gate key,
// whose own hash and equality the table uses.
#pragma once

#include "cell/gates.h"
#include "core/hash_container.h"

template <>
struct HashKeyOps<SObject<const GateKey>> {
    static uint64_t Hash(const SObject<const GateKey>& k) { return k ? k->Hash() : 0; }
    static bool Equal(const SObject<const GateKey>& a, const SObject<const GateKey>& b) {
        return a && b ? a->Equals(*b) : a.Get() == b.Get();
    }
};

using GateTable = HashContainer<SObject<const GateKey>, SObject<GCell>>;

// The process's table, made with 64 empty slots on first use.
GateTable& Gates();

// Gives cell (a new GCell when null) a gate made for a copy of key and
// enters it in the table, replacing an entry with an equal key. The table
// owns the cell.
GCell* MakeGateCell(const GateKey& key, GCell* cell = nullptr);

// The gate cell entered for an equal key, or null.
GCell* FindGateCell(const GateKey& key);

// The program's drag-and-drop and clipboard gates, null before they are made.
DragDropGate* FindDragDropGate();
ClipboardGate* FindClipboardGate();
