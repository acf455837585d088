#include "cell/tags.h"

#include "cell/hcell.h"
#include "cell/registry.h"
#include "cell/synapser.h"

// ---- BTag ----------------------------------------------------------------

BTag::BTag() = default;

BTag::~BTag() {
    if (selfMaster.link) selfMaster.link->holder.Detach();
}

Synapser& BTag::Links() {
    if (!links) links.Reset(new Synapser);
    return *links;
}

int32_t BTag::IndexInOwner() const {
    return owner ? owner->tags.IndexOf(this) : -1;
}

// FNV-1a 64 over the name's 16-bit units (each XORed in whole), then the
// tag's own class key and its value's class key added.
uint64_t BTag::TagHash() const {
    uint64_t h = 0xCBF29CE484222325ULL;
    const WChar* s = name.CStr();
    for (int32_t i = 0; s[i]; ++i) {
        h ^= uint16_t(s[i]);
        h *= 0x100000001B3ULL;
    }
    return h + ClassKey() + ValueKey();
}

// ---- Tag -----------------------------------------------------------------

Tag::~Tag() {
    // The value may be an HCell looking at us as its parent: it goes first.
    if (selfMaster.link) selfMaster.link->holder.Detach();
    value.Reset(nullptr);
}

void Tag::SetValue(Cell* v) {
    value.Reset(v);
    if (HCell* h = v ? v->AsHCell() : nullptr) h->parent = SelfSlave();
}

void Tag::CopyFrom(const Cell& other) {
    const Tag* o = CellAs<Tag>(&other);
    if (!o || o == this) return;
    name.Assign(o->name);
    flags = (o->flags & ~kChanged) | (flags & kChanged);
    Cell* theirs = o->value.Get();
    Cell* mine = value.Get();
    if (theirs && mine && theirs->ClassKey() == mine->ClassKey()) mine->CopyFrom(*theirs);
    else SetValue(theirs ? CloneCell(*theirs) : nullptr);
    if (o->links) Links().CopyFrom(*o->links);
    else links.Reset(nullptr);
}

void Tag::CopyValues(const Cell& other) {
    const Tag* o = CellAs<Tag>(&other);
    if (!o || o == this) return;
    Cell* theirs = o->value.Get();
    Cell* mine = value.Get();
    if (theirs && mine && theirs->ClassKey() == mine->ClassKey()) mine->CopyValues(*theirs);
}

void Tag::MarkChanged() {
    if (!(flags & kChanged)) {
        flags |= kChanged;
        if (owner) owner->MarkChanged();
    }
    if (!(flags & kMirrorsSource) && links) links->Notify();
}

void Tag::Refresh() {
    MarkChanged();
    if (value) value->Refresh();
}

void Tag::ClearChanged() {
    if (!(flags & kChanged)) return;
    flags &= ~kChanged;
    if (flags & kMirrorsSource) {
        const Tag* src = CellAs<Tag>(source.Get());
        if (src && src != this && src->value && value && src->value->ClassKey() == value->ClassKey())
            value->CopyValues(*src->value);
    }
    if (value) value->ClearChanged();
}

bool Tag::Equals(const Cell& other) const {
    if (other.ClassKey() != ClassKey()) return false;
    const Tag* o = CellAs<Tag>(&other);
    if (!o) return false;
    const Cell* a = value.Get();
    const Cell* b = o->value.Get();
    if (!a || !b) return a == b;
    return a->Equals(*b);
}

// ---- ExTag and LegacyTag -----------------------------------------------

void ExTag::CopyFrom(const Cell& other) {
    const ExTag* o = CellAs<ExTag>(&other);
    if (!o || o == this) return;
    name.Assign(o->name);
    target = o->target;
}

void LegacyTag::CopyFrom(const Cell& other) {
    Tag::CopyFrom(other);
    const LegacyTag* o = CellAs<LegacyTag>(&other);
    if (!o || o == this) return;
    version = o->version;
    targetVersion = o->targetVersion;
    path.CopyFrom(o->path);
}

Cell* LinkedValue(Cell* linked) {
    if (auto* tag = CellAs<Tag>(linked)) return tag->Value();
    return linked;
}
