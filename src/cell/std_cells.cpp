#include "cell/std_cells.h"

#include "cell/container_cells.h"
#include "cell/tags.h"

void StdCell::CopyFrom(const Cell& other) {
    auto* o = dynamic_cast<const StdCell*>(&other);
    if (!o || o == this) return;
    value = o->value;
    list = o->list;
}

bool StdCell::Equals(const Cell& other) const {
    auto* o = dynamic_cast<const StdCell*>(&other);
    return o && other.ClassKey() == ClassKey() && o->value == value && o->list == list;
}

void StdHCell::DeclareTags() {
    if (tags.count >= kTagCount) return;
    HCell::DeclareTags();
    DeclareTag(WTXT("Count"), new IntCell);
    DeclareTag(WTXT("Vector"), new Vec3DCell);
    DeclareTag(WTXT("Sys"), new CSysDCell);
    DeclareTag(WTXT("ContainerVec"), new ContVec3DCell);
    DeclareTag(WTXT("DAV3DArray"), new DAV3DCell);
    DeclareTag(WTXT("Name"), new StringCell);
    DeclareTag(WTXT("Index"), new IdxCell);
    DeclareExTag(WTXT("OutCount"));
}

bool StdHCell::LegacyTagAt(int32_t index, SObject<LegacyTag>& out) const {
    auto* legacy = new LegacyTag;
    legacy->flags = Tag::kDeclaredFlags;
    switch (index) {
        case 0:
            legacy->name.Assign(WTXT("VeryOldName"));
            legacy->SetValue(new IntCell);
            legacy->version = 5.2035;
            legacy->targetVersion = 5.2036;
            legacy->path.AddNamed(kClassKey, WTXT("OldName"));
            break;
        case 1:
            legacy->name.Assign(WTXT("OldName"));
            legacy->SetValue(new IntCell);
            legacy->version = 5.4;
            legacy->targetVersion = 5.5;
            legacy->path.AddNamed(kClassKey, WTXT("Count"));
            break;
        case 2:
            legacy->name.Assign(WTXT("Mode"));
            legacy->SetValue(new IntCell);
            legacy->version = 5.3;
            legacy->targetVersion = 5.5;
            legacy->path.AddNamed(kClassKey, WTXT("PARENT"));
            legacy->path.AddNamed(kClassKey, WTXT("Count"));
            break;
        default:
            delete legacy;
            return false;
    }
    out.Reset(legacy);
    return true;
}

void UnitsData::DeclareTags() {
    HCell::DeclareTags();
    auto* system = new ec_DistUnits;
    system->value = kDefaultSystem;
    DeclareTag(WTXT("System"), system);
    auto* digits = new IntCell;
    digits->value = kDefaultDigits;
    DeclareTag(WTXT("Digits"), digits);
}

void UnitsData::ResetDefaults() {
    if (auto* system = TagValueAs<ec_DistUnits>(kSystem)) system->SetValue(kDefaultSystem);
    if (auto* digits = TagValueAs<IntCell>(kDigits)) digits->SetValue(kDefaultDigits);
    if (BTag* t = TagAt(kSystem)) t->MarkChanged();
    if (BTag* t = TagAt(kDigits)) t->MarkChanged();
}
