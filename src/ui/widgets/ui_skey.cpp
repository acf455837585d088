#include "ui/widgets/ui_skey.h"

#include <cinttypes>
#include <cstdio>

#include "core/text_convert.h"
#include "cell/gate_table.h"
#include "cell/gates.h"
#include "cell/registry.h"
#include "cell/scripts.h"
#include "cell/synapser.h"
#include "cell/tags.h"
#include "ui/size_rule.h"
#include "ui/ui_mesh.h"
#include "ui/ui_options.h"
#include "ui/ui_root_services.h"

// ---- layout ----------------------------------------------------------------------------------

UiSKey::UiSKey() { Shape(kLayoutNone, kSizeRow); }

void UiSKey::DeclareTags() {
    UiBox::DeclareTags();
    DeclareTag(WTXT("SKey_Script"), new U64Cell);
}

WString UiSKey::Shown() {
    WString shown;
    uint64_t key = 0;
    BTag* script = TagAt(kSKeyScript);
    if (auto* question = CellAs<U64Cell>(script && script->AsTag() ? script->AsTag()->Value() : nullptr))
        question->value = 0;  // the answer goes here
    const auto* answer = CellAs<U64Cell>(EvaluateScript(script));
    if (!answer) {
        shown.Assign(WTXT("no cell"));
    } else {
        key = answer->value;
        const s_CellDescriptor* known = FindCellDescriptor(CellKey(key));
        shown.Assign(known && known->className ? known->className : WTXT("invalid key"));
    }
    char hex[32];
    std::snprintf(hex, sizeof hex, " (0x%016llx)", static_cast<unsigned long long>(key));
    WString tail;
    Utf8ToWide(hex, tail);
    shown.Append(tail);
    return shown;
}

void UiSKey::Measure() {
    if (!IsChanged()) return;
    measuredWidth = measuredHeight = UiOptions::Get().Row();
}

// ---- behaviour -----------------------------------------------------------------------------------

bool UiSKey::Input(const WndEvent& event) {
    const Rect r = Box();
    if (event.type != kWndLeftDrop || !r.valid || Visibility() == 0 || !HitTest(event.x, event.y))
        return UiBox::Input(event);
    DragDropGate* gate = FindDragDropGate();
    if (Cell* dropped = gate ? gate->Payload() : nullptr) {
        // The dropped cell's class key goes to the script's target.
        U64Cell key;
        key.value = dropped->ClassKey();
        if (BTag* script = TagAt(kSKeyScript); script && script->links) script->links->Deliver(key);
        if (Tag* tag = ValueTagAt(kSKeyScript)) tag->MarkChanged();
    }
    if (gate) gate->DropComplete();
    return true;
}

// ---- drawing ------------------------------------------------------------------------------------

void UiSKey::Process() {
    if (!IsChanged()) return;
    const Rect r = Box();
    const FontGx* font = BodyFont();
    UiMesh words;
    if (r.valid && font && Visibility() != 0)
        words.AlignedText(*font, GxBox{r.x0 + 2, r.y0, r.x1 - 2, r.y1, true}, Shown().CStr(), kAlignLeft, kAlignCenterY,
                          UiOptions::Get().Color(UiOptions::kTitleColor));
    words.StoreText(textMesh, font);
    UiBox::Process();
}

void UiSKey::Draw(DrawGx& draw) {
    if (Visibility() == 0) return;
    if (textMesh) draw.QueueMesh(*textMesh);
}
