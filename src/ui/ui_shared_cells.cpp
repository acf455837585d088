#include "ui/ui_shared_cells.h"

#include "cell/registry.h"
#include "cell/synapser.h"
#include "cell/tags.h"
#include "ui/size_rule.h"

UiMasterCell::UiMasterCell() { Shape(kLayoutNone, kSizeRow); }

UiSlaveCell::UiSlaveCell() { Shape(kLayoutNone, kSizeRow); }

void UiSlaveCell::DeclareTags() {
    UiBox::DeclareTags();
    DeclareTag(WTXT("Slave"), new Cell);
}

void UiSlaveCell::Show(Cell& cell) {
    BTag* tag = TagAt(kSlave);
    if (!tag) return;
    tag->Links().links.Clear();
    tag->Links().Add(&cell);
    if (Tag* own = tag->AsTag()) own->MarkChanged();
}

Cell* UiSlaveCell::Shown() const {
    BTag* tag = TagAt(kSlave);
    return tag && tag->links ? tag->links->FirstLive() : nullptr;
}

void UiSlaveCell::Process() {
    if (!IsChanged()) return;
    Tag* slave = ValueTagAt(kSlave);
    if (slave && slave->IsChanged()) {
        const Cell* shown = Shown();
        const WChar* name = shown ? CellClassName(shown->ClassKey()) : nullptr;
        SetTitle(name ? name : WTXT(""));
    }
    UiBox::Process();
}
