#include "cell/gate_table.h"

#include "cell/gate_keys.h"

#include "cell/registry.h"

GateTable& Gates() {
    static GateTable* table = new GateTable(64);  // lives as long as the process
    return *table;
}

GCell* MakeGateCell(const GateKey& key, GCell* cell) {
    if (!cell) cell = new GCell;
    // A gate class missing from the registry leaves the cell without a gate.
    if (auto* gate = CreateCellAs<VirtualGate>(key.GateClassKey())) {
        gate->SetKey(key);
        cell->gate.Reset(gate);
    }
    auto* entry = new GateTable::Entry();
    entry->key.Reset(key.Duplicate());
    entry->value.Reset(cell);
    Gates().Insert(entry);
    return cell;
}

GCell* FindGateCell(const GateKey& key) {
    SObject<const GateKey> probe(key.Duplicate());
    SObject<GCell>* found = Gates().FindValue(probe);
    return found ? found->Get() : nullptr;
}

DragDropGate* FindDragDropGate() {
    GCell* cell = FindGateCell(DragDropGateKey());
    return cell ? dynamic_cast<DragDropGate*>(cell->Gate()) : nullptr;
}

ClipboardGate* FindClipboardGate() {
    GCell* cell = FindGateCell(ClipboardGateKey());
    return cell ? dynamic_cast<ClipboardGate*>(cell->Gate()) : nullptr;
}
