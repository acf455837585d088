// Chunk files from hostile bytes: the list is read through a gate, the tree
// rebuilt and its links resolved, without a crash or an allocation that the
// data does not pay for.
#include <cstddef>
#include <cstdint>

#include "app/register_all_cells.h"
#include "cell/chunks.h"
#include "core/log.h"
#include "support/memory_gate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = (RegisterAllCellClasses(), true);
    (void)ready;
    MemoryGate gate;
    gate.bytes.assign(data, data + size);
    SObject<Cell> tree(ReadTree(gate));
    SObject<Cell> one(ReadOneCell(gate, false));
    return 0;
}
