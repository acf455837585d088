// HCell: children, tags, change propagation, copying and hashing.
#include "cell/hcell.h"

#include <limits>

#include "core/crc64.h"
#include "cell/registry.h"
#include "cell/tags.h"

HCell::HCell() = default;

HCell::~HCell() {
    // Slaves read null from here on; then tags, children, parent, master.
    if (selfMaster.link) selfMaster.link->holder.Detach();
    tags.Clear();
    children.Clear();
    parent.Release();
}

// ---- tags ----------------------------------------------------------------

// Declared tags come in families: the list grows eight at a time.
static constexpr int32_t kTagStep = 8;

void HCell::EnsureTags() const {
    if (tags.count == 0) const_cast<HCell*>(this)->DeclareTags();
}

Container<BTag>& HCell::Tags() {
    EnsureTags();
    return tags;
}

const Container<BTag>& HCell::Tags() const {
    EnsureTags();
    return tags;
}

Tag* HCell::ValueTagAt(int32_t index) const {
    BTag* tag = TagAt(index);
    return tag ? tag->AsTag() : nullptr;
}

Cell* HCell::TagValue(int32_t index) const {
    Tag* t = ValueTagAt(index);
    return t ? t->Value() : nullptr;
}

int32_t HCell::FindTag(const WChar* name) const {
    const Container<BTag>& list = Tags();
    for (int32_t i = 0; i < list.count; ++i)
        if (list.items[i] && list.items[i]->name.Equals(name)) return i;
    return -1;
}

Tag* HCell::DeclareTag(const WChar* name, Cell* value) {
    auto* tag = new Tag;
    tag->owner = this;
    tag->name.AssignLiteral(name);
    tag->flags = Tag::kDeclaredFlags;
    tag->SetValue(value);
    tags.Add(tag, kTagStep);
    return tag;
}

ExTag* HCell::DeclareExTag(const WChar* name) {
    auto* tag = new ExTag;
    tag->owner = this;
    tag->name.AssignLiteral(name);
    tags.Add(tag, kTagStep);
    return tag;
}

void HCell::DeclareTags() {}
void HCell::ResetDefaults() {}

// ---- legacy tags -----------------------------------------------------------

bool HCell::LegacyTagAt(int32_t, SObject<LegacyTag>&) const { return false; }
int32_t HCell::LegacyTagCount() const { return 0; }

int32_t HCell::FindLegacyTag(const WChar* name, double version, double maxDifference) const {
    return FindLegacyTagTyped(name, 0, version, maxDifference);
}

// valueKey 0 matches any value class.
int32_t HCell::FindLegacyTagTyped(const WChar* name, CellKey valueKey, double version,
                                  double maxDifference) const {
    int32_t best = -1;
    double bestDifference = std::numeric_limits<double>::infinity();
    const int32_t n = LegacyTagCount();
    for (int32_t i = 0; i < n; ++i) {
        SObject<LegacyTag> legacy;
        if (!LegacyTagAt(i, legacy) || !legacy) continue;
        if (!legacy->name.Equals(name)) continue;
        if (valueKey != 0 && legacy->ValueKey() != valueKey) continue;
        const double difference = legacy->version - version;
        if (difference < 0 || !(difference < maxDifference)) continue;
        if (difference < bestDifference) {
            bestDifference = difference;
            best = i;
        }
    }
    return best;
}

// ---- children ----------------------------------------------------------

void HCell::InsertChild(int32_t index, HCell* child) {
    if (!child) return;
    child->parent = SelfSlave();
    children.Insert(index, child);
    MarkChanged();
}

int32_t HCell::AddChild(HCell* child) {
    if (!child) return -1;
    child->parent = SelfSlave();
    const int32_t index = children.Add(child);
    MarkChanged();
    return index;
}

HCell* HCell::DetachChild(int32_t index) {
    HCell* child = children.Detach(index);
    if (child) {
        child->parent.Release();
        MarkChanged();
    }
    return child;
}

bool HCell::AcceptsChild(CellKey key) const { return IsA(key, HCell::kClassKey); }
VirtualGate* HCell::Gate() const { return nullptr; }
const GateKey* HCell::RootGateKey() const { return nullptr; }

HCell* HCell::ParentCell() const {
    Cell* p = parent.Get();
    if (!p) return nullptr;
    if (auto* tag = CellAs<BTag>(p)) return tag->owner;
    return CellAs<HCell>(p);
}

// ---- change tracking -------------------------------------------------------

void HCell::MarkChanged() {
    if (changed) return;
    changed = 1;
    if (Cell* p = parent.Get()) p->MarkChanged();
}

void HCell::Refresh() {
    MarkChanged();
    for (int32_t i = 0; i < Tags().count; ++i)
        if (BTag* t = tags.items[i]) t->Refresh();
}

void HCell::ClearOwnChanged() {
    changed = 0;
    for (int32_t i = 0; i < Tags().count; ++i)
        if (BTag* t = tags.items[i]) t->ClearChanged();
}

void HCell::Process() {
    ClearOwnChanged();
    // A child's processing may remove children: the count is read each time.
    for (int32_t i = 0; i < children.count; ++i)
        if (HCell* c = children.items[i]; c && c->IsChanged()) c->Process();
}

void HCell::ClearChanged() {
    if (!changed) return;
    changed = 0;
    // Declared now if still pending, so tags born later are not left changed.
    for (int32_t i = 0; i < Tags().count; ++i)
        if (BTag* t = tags.items[i]) t->ClearChanged();
    for (int32_t i = 0; i < children.count; ++i)
        if (HCell* c = children.items[i]) c->ClearChanged();
}

// ---- copying and comparing ---------------------------------------------

namespace {

// Tag by tag, as far as both cells have tags: copy is a tag's CopyFrom or
// CopyValues.
void CopyTags(HCell& to, const Cell& other, void (Cell::*copy)(const Cell&)) {
    const HCell* from = CellAs<HCell>(&other);
    if (!from || from == &to) return;
    Container<BTag>& mine = to.Tags();
    const Container<BTag>& theirs = from->Tags();
    const int32_t n = mine.count < theirs.count ? mine.count : theirs.count;
    for (int32_t i = 0; i < n; ++i)
        if (mine.items[i] && theirs.items[i]) (mine.items[i]->*copy)(*theirs.items[i]);
}

}  // namespace

void HCell::CopyFrom(const Cell& other) { CopyTags(*this, other, &Cell::CopyFrom); }

void HCell::CopyValues(const Cell& other) { CopyTags(*this, other, &Cell::CopyValues); }

bool HCell::Equals(const Cell& other) const {
    if (other.ClassKey() != ClassKey()) return false;
    const HCell* o = CellAs<HCell>(&other);
    if (!o) return false;
    const Container<BTag>& mine = Tags();
    const Container<BTag>& theirs = o->Tags();
    if (mine.count != theirs.count) return false;
    for (int32_t i = 0; i < mine.count; ++i) {
        const BTag* a = mine.items[i];
        const BTag* b = theirs.items[i];
        if (!a || !b) {
            if (a != b) return false;
            continue;
        }
        if (!a->Equals(*b)) return false;
    }
    return true;
}

// ---- structure hash ----------------------------------------------------

uint64_t HCell::StructureHash() const {
    const Container<BTag>& list = Tags();
    uint8_t header[12];
    const uint32_t fields[3] = {55000u, uint32_t(children.count), uint32_t(list.count)};
    for (int f = 0; f < 3; ++f)
        for (int b = 0; b < 4; ++b) header[f * 4 + b] = uint8_t(fields[f] >> (8 * b));
    uint64_t state = Crc64Update(~uint64_t(0), header, sizeof header);
    for (int32_t i = 0; i < list.count; ++i) {
        const uint64_t h = list.items[i] ? list.items[i]->TagHash() : 0;
        uint8_t bytes[8];
        for (int b = 0; b < 8; ++b) bytes[b] = uint8_t(h >> (8 * b));
        state = Crc64Update(state, bytes, 8);
    }
    uint64_t hash = ~state;
    if (Cell* p = parent.Get()) {
        if (auto* tag = CellAs<BTag>(p)) {
            if (tag->owner) hash += tag->owner->StructureHash();
            hash += tag->TagHash();
        } else if (auto* cell = CellAs<HCell>(p)) {
            hash += cell->StructureHash();
        }
    }
    return hash + ClassKey();
}
