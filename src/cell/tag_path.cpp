// TagPath construction, copying and resolution.
#include "cell/tag_path.h"

#include <limits>

#include "cell/hcell.h"
#include "cell/registry.h"
#include "cell/tags.h"

// The layout version a plain (non-legacy) tag belongs to.
static constexpr double kCurrentLayoutVersion = 5.5;

Index::~Index() {
    if (selfMaster.link) selfMaster.link->holder.Detach();
}

void TagPath::Clear() {
    items.Clear();
    byName = 0;
    targetName.Assign(static_cast<const WChar*>(nullptr));
    text.Assign(static_cast<const WChar*>(nullptr));
}

// One step reads ClassName(key)->TagName; steps follow each other with "/".
void TagPath::AppendStepText(const s_TagPathItem& item) {
    WString step;
    step.Format(WTXT("%s(%llx)->%s"), CellClassName(item.classKey), item.classKey, item.tagName);
    if (!text.IsEmpty()) text.Append(WTXT("/"));
    text.Append(step);
}

void TagPath::AddNamed(CellKey classKey, const WChar* tagName) {
    auto* item = new s_TagPathItem;
    item->classKey = classKey;
    item->tagIndex = -1;
    item->tagName.Assign(tagName);
    items.Add(item);
    byName = 1;
    targetName.Assign(tagName);
    AppendStepText(*item);
}

void TagPath::AddIndexed(CellKey classKey, int32_t tagIndex, const WChar* tagName) {
    auto* item = new s_TagPathItem;
    item->classKey = classKey;
    item->tagIndex = tagIndex;
    item->tagName.Assign(tagName);
    items.Add(item);
    targetName.Assign(tagName);
    AppendStepText(*item);
}

void TagPath::CopyFrom(const TagPath& other) {
    if (&other == this) return;
    items.Clear();
    for (int32_t i = 0; i < other.items.count; ++i) {
        const s_TagPathItem* src = other.items.items[i];
        if (!src) {
            items.Add(nullptr);
            continue;
        }
        auto* item = new s_TagPathItem;
        item->classKey = src->classKey;
        item->index.value = src->index.value;
        item->tagIndex = src->tagIndex;
        item->tagName.Assign(src->tagName);
        items.Add(item);
    }
    byName = other.byName;
    targetName.Assign(other.targetName);
    text.Assign(other.text);
}

bool TagPath::Equals(const TagPath& other) const {
    if (items.count != other.items.count || byName != other.byName) return false;
    for (int32_t i = 0; i < items.count; ++i) {
        const s_TagPathItem* a = items.items[i];
        const s_TagPathItem* b = other.items.items[i];
        if (!a || !b) {
            if (a != b) return false;
            continue;
        }
        if (a->classKey != b->classKey || a->tagIndex != b->tagIndex || !(a->tagName == b->tagName)) return false;
    }
    return targetName == other.targetName;
}

bool TagPath::Resolve(HCell* start, double version, TagPathTarget& out) const {
    if (!start || items.count == 0 || !items.items[0]) return false;
    if (!IsA(start->ClassKey(), items.items[0]->classKey)) return false;
    if (byName || version != -1) return ResolveNamed(start, version, 0, out);
    return ResolvePositional(start, out);
}

bool TagPath::ResolveNamed(HCell* start, double version, int hops, TagPathTarget& out) const {
    if (hops > kMaxLegacyHops || items.count == 0) return false;
    HCell* cell = start;
    int32_t tagIndex = -1;
    for (int32_t i = 0; i < items.count; ++i) {
        const s_TagPathItem* item = items.items[i];
        if (!item || !cell) return false;
        const bool last = i == items.count - 1;
        if (item->tagName.IsEmpty()) {
            tagIndex = -1;
            continue;
        }
        if (item->tagName.Equals(kParent)) {
            cell = cell->ParentCell();
            tagIndex = -1;
            if (!cell) return false;
            continue;
        }
        const int32_t found = cell->FindTag(item->tagName.CStr());
        int32_t legacy = -1;
        if (version != -1) {
            legacy = cell->FindLegacyTag(item->tagName.CStr(), version, std::numeric_limits<double>::infinity());
        }
        SObject<LegacyTag> legacyTag;
        if (legacy >= 0 && !cell->LegacyTagAt(legacy, legacyTag)) legacy = -1;
        if (legacy >= 0 && found >= 0) {
            // The nearer version wins; a current tag stands at the current layout.
            const double currentDifference = kCurrentLayoutVersion - version;
            const double legacyDifference = legacyTag->version - version;
            if (!(currentDifference < 0) && currentDifference <= legacyDifference) legacy = -1;
        }
        if (legacy >= 0) {
            // A legacy tag holds no value in the tree: it can only end a path,
            // and then stands for wherever its own path leads.
            if (!last || legacyTag->path.IsEmpty()) return false;
            const TagPath& next = legacyTag->path;
            if (!next.items.items[0] || !IsA(cell->ClassKey(), next.items.items[0]->classKey)) return false;
            return next.ResolveNamed(cell, legacyTag->targetVersion, hops + 1, out);
        }
        if (found < 0) return false;
        tagIndex = found;
        if (!last) {
            HCell* value = CellAs<HCell>(cell->TagValue(found));
            if (!value) return false;
            cell = value;
            tagIndex = -1;
        }
    }
    out.cell = cell;
    out.tagIndex = tagIndex;
    return true;
}

bool TagPath::ResolvePositional(HCell* start, TagPathTarget& out) const {
    HCell* cell = start;
    int32_t tagIndex = -1;
    for (int32_t i = 0; i < items.count; ++i) {
        const s_TagPathItem* item = items.items[i];
        if (!item || !cell) return false;
        if (!IsA(cell->ClassKey(), item->classKey)) return false;
        BTag* tag = cell->TagAt(item->tagIndex);
        if (!tag || !tag->IsExported()) return false;
        Tag* valueTag = CellAs<Tag>(static_cast<Cell*>(tag));
        if (!valueTag || !valueTag->Value()) return false;
        tagIndex = item->tagIndex;
        if (i + 1 < items.count) {
            const s_TagPathItem* next = items.items[i + 1];
            if (!next || !IsA(valueTag->Value()->ClassKey(), next->classKey)) return false;
            cell = CellAs<HCell>(valueTag->Value());
            tagIndex = -1;
        }
    }
    out.cell = cell;
    out.tagIndex = tagIndex;
    return true;
}
