// One cell's data from hostile bytes: the first byte picks the class and the
// layout version, the rest is imported; the cell must stay usable.
#include <cstddef>
#include <cstdint>

#include "app/register_all_cells.h"
#include "core/log.h"
#include "cell/location.h"
#include "cell/registry.h"
#include "cell/std_cells.h"

namespace {

const CellKey kClasses[] = {StdHCell::kClassKey, UnitsData::kClassKey, 0x4040A6C228BDDFB5ULL /* StringCell */,
                            0xAE3F7FC97E38E16DULL /* ScriptCell */, 0x41F4A378256C8694ULL /* TagPathCell */,
                            0x1D6F4576873F15EDULL /* ContVec3DCell */, 0xF9BD38DE375C5BBDULL /* StringContCell */,
                            0x8B586AC0FF02CFF2ULL /* DAV3DCell */};
const double kVersions[] = {5.5, 5.2, 5.3, 0.0, 5.6, 5.2036, 5.4, 5.5};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = (RegisterAllCellClasses(), true);
    (void)ready;
    if (size < 1) return 0;
    const uint8_t pick = data[0];
    SObject<Cell> cell(CreateCell(kClasses[pick % 8]));
    MemBlock block;
    MemBlockCursor w(block);
    w.Write(data + 1, int64_t(size - 1));
    MemBlockCursor r(block);
    LocationCollector collector;
    // A parent lets legacy paths through "PARENT" resolve.
    StdHCell parent;
    if (auto* h = CellAs<HCell>(cell.Get())) {
        cell.Detach();
        parent.AddChild(h);
        h->Import(r, kVersions[(pick >> 3) % 8], &collector);
        collector.ResolveAll(parent);
        MemBlock again;
        MemBlockCursor a(again);
        h->Export(a, 1);
    } else {
        cell->Import(r, kVersions[(pick >> 3) % 8], &collector);
        MemBlock again;
        MemBlockCursor a(again);
        cell->Export(a, 0);
    }
    return 0;
}
