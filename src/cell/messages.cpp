// Messages handled by every HCell: recorded scripts, and the structural
// actions that carry a bundle of cells.
#include "cell/container_cells.h"
#include "core/log.h"
#include "cell/gates.h"
#include "cell/hcell.h"
#include "cell/layout_version.h"
#include "cell/registry.h"

namespace {

// A message cell made from one recorded entry, or null.
Cell* MakeFromEntry(const ScriptEntry* entry) {
    if (!entry) return nullptr;
    Cell* cell = CreateCell(entry->key.value);
    if (!cell) return nullptr;
    if (entry->value) {
        MemBlockCursor c(*entry->value);
        if (!cell->Import(c, 0, nullptr)) {
            delete cell;
            return nullptr;
        }
    }
    return cell;
}

}  // namespace

namespace {

// Scripts carried inside scripts are rebuilt this deep at most: each level
// holds a copy of what it carries, so hostile data nested thousands deep
// would take memory by the square of its size, and the stack with it.
constexpr int kMaxScriptDepth = 8;

// One level of script rebuilding on this thread, for as long as it lives.
class ScriptLevel {
public:
    ScriptLevel() { ++Depth(); }
    ~ScriptLevel() { --Depth(); }
    ScriptLevel(const ScriptLevel&) = delete;
    ScriptLevel& operator=(const ScriptLevel&) = delete;
    // Says so in the log the first time a level is one too many.
    bool TooDeep() const {
        if (Depth() <= kMaxScriptDepth) return false;
        if (Depth() == kMaxScriptDepth + 1)
            LogCellDiagnostic(WTXT("Error"), ScriptCell::kClassName, kLayoutVersion, nullptr, nullptr,
                              WTXT("Scripts nested deeper than %i are not rebuilt!"), kMaxScriptDepth);
        return true;
    }

private:
    static int& Depth() {
        thread_local int depth = 0;
        return depth;
    }
};

}  // namespace

// The last entry is built first; each earlier entry's cell receives what has
// been built so far and is then cloned to become it. The clone made from
// entry 0 is the message.
Cell* RebuildScript(const ScriptCell& script) {
    const ScriptLevel level;
    if (level.TooDeep()) return nullptr;
    const int32_t n = script.entries.count;
    if (n == 0) return nullptr;
    SObject<Cell> built(MakeFromEntry(script.entries[n - 1]));
    if (!built) return nullptr;
    for (int32_t i = n - 2; i >= 0; --i) {
        SObject<Cell> cell(MakeFromEntry(script.entries[i]));
        if (!cell) return nullptr;
        cell->Receive(*built);
        built.Reset(CloneCell(*cell));
        if (!built) return nullptr;
    }
    return built.Detach();
}

SSlave<Cell> HCell::Receive(Cell& message) {
    if (message.ClassKey() == ScriptCell::kClassKey) {
        const ScriptLevel level;  // a rebuilt script may be a script again
        if (level.TooDeep()) return {};
        SObject<Cell> rebuilt(RebuildScript(static_cast<ScriptCell&>(message)));
        if (rebuilt) Receive(*rebuilt);
    }
    return {};
}

bool HCell::Accepts(CellKey key) const {
    return key == HCell_AddChild_Act::kClassKey || key == HCell_Replace_Act::kClassKey ||
           key == ScriptCell::kClassKey || IsA(key, IdxCell::kClassKey);
}

HCell* HCell::DeepCopy() const {
    auto* copy = static_cast<HCell*>(CloneCell(*this));
    if (!copy) return nullptr;
    for (int32_t i = 0; i < children.count; ++i)
        if (children[i])
            if (HCell* child = children[i]->DeepCopy()) copy->AddChild(child);
    return copy;
}

namespace {

// A deep copy of a sent HCell becomes the act's child when the act may hold it.
void TakeBundle(HCell& act, Cell& message) {
    HCell* sent = CellAs<HCell>(&message);
    if (!sent) return;
    HCell* copy = sent->DeepCopy();
    if (!copy) return;
    bool actBelowSent = false;
    for (const HCell* up = act.ParentCell(); up && !actBelowSent; up = up->ParentCell()) actBelowSent = up == sent;
    if (act.children.IndexOf(copy) < 0 && !actBelowSent && act.AcceptsChild(copy->ClassKey())) act.AddChild(copy);
    else delete copy;
}

}  // namespace

// Tags as any HCell copies them, then the bundle, deeply.
static void CopyActBundle(HCell& act, const Cell& other) {
    const HCell* o = CellAs<HCell>(&other);
    if (!o || o == &act) return;
    act.children.Clear();
    for (int32_t i = 0; i < o->children.count; ++i)
        if (o->children[i])
            if (HCell* child = o->children[i]->DeepCopy()) act.AddChild(child);
}

void HCell_AddChild_Act::CopyFrom(const Cell& other) {
    HCell::CopyFrom(other);
    CopyActBundle(*this, other);
}

void HCell_Replace_Act::CopyFrom(const Cell& other) {
    HCell::CopyFrom(other);
    CopyActBundle(*this, other);
}

SSlave<Cell> HCell_AddChild_Act::Receive(Cell& message) {
    if (CellAs<HCell>(&message)) {
        TakeBundle(*this, message);
        return {};
    }
    return HCell::Receive(message);
}

SSlave<Cell> HCell_Replace_Act::Receive(Cell& message) {
    if (CellAs<HCell>(&message)) {
        TakeBundle(*this, message);
        return {};
    }
    return HCell::Receive(message);
}
