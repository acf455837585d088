#include "ui/widgets/ui_combo.h"

#include <initializer_list>

#include "cell/enum_cells.h"
#include "cell/tags.h"
#include "ui/size_rule.h"
#include "ui/ui_choice_cells.h"
#include "ui/ui_mesh.h"
#include "ui/ui_options.h"
#include "ui/ui_root_services.h"

// ---- layout ---------------------------------------------------------------------------------

UiCombo::UiCombo() { Shape(kLayoutNone, kSizeRow); }

void UiCombo::DeclareTags() {
    UiBox::DeclareTags();
    DeclareTag(WTXT("Title"), new StringCell);
    DeclareTag(WTXT("TitleAlignX"), new ec_LRC);
    DeclareTag(WTXT("TitleAlignY"), new ec_DUC);
    auto* state = new ec_UiComboState;
    state->value = 0;
    DeclareTag(WTXT("State"), state);
}

void UiCombo::SetText(const WChar* title) {
    if (auto* cell = TagValueAs<StringCell>(kTitle)) cell->value.Assign(title);
    if (Tag* tag = ValueTagAt(kTitle)) tag->MarkChanged();
}

void UiCombo::SetState(int32_t state) {
    if (auto* cell = TagValueAs<ec_UiComboState>(kState)) cell->value = state;
    if (Tag* tag = ValueTagAt(kState)) tag->MarkChanged();
}

int32_t UiCombo::State() const {
    const auto* cell = TagValueAs<ec_UiComboState>(kState);
    return cell ? cell->value : 0;
}

void UiCombo::StateColors(int32_t state, uint32_t& background, uint32_t& text) {
    // A face and its text for each state, in the order of the states.
    const int32_t first = UiOptions::kFaceUp + 2 * (state >= 0 && state <= 3 ? state : 0);
    background = UiOptions::Get().Color(first);
    text = UiOptions::Get().Color(first + 1);
}

void UiCombo::Measure() {
    if (!IsChanged()) return;
    measuredWidth = measuredHeight = UiOptions::Get().Row();
}

// ---- drawing ----------------------------------------------------------------------------------

void UiCombo::Process() {
    if (!IsChanged()) return;
    bool rebuild = false;
    for (int32_t tag : {int32_t(kBox), int32_t(kTitle), int32_t(kTitleAlignX), int32_t(kTitleAlignY), int32_t(kState),
                        int32_t(kVisible)})
        if (Tag* t = ValueTagAt(tag); t && t->IsChanged()) rebuild = true;
    if (rebuild) {
        const Rect r = Box();
        const GxBox box{r.x0, r.y0, r.x1, r.y1, r.valid};
        uint32_t background = 0, text = 0;
        StateColors(State(), background, text);
        const FontGx* font = BodyFont();
        const auto* title = TagValueAs<StringCell>(kTitle);
        const auto* alignX = TagValueAs<ec_LRC>(kTitleAlignX);
        const auto* alignY = TagValueAs<ec_DUC>(kTitleAlignY);
        UiMesh back, words;
        if (r.valid && Visibility() != 0) {
            back.Rect(box, background);
            if (font && title)
                words.AlignedText(*font, box, title->value.CStr(), alignX && alignX->value >= 0 ? alignX->value : 0,
                                  alignY && alignY->value >= 0 ? alignY->value : 2, text);
        }
        back.StoreShapes(backgroundMesh, WhiteMaterial());
        words.StoreText(textMesh, font);
    }
    UiBox::Process();
}

void UiCombo::Draw(DrawGx& draw) {
    if (Visibility() == 0) return;
    for (SObject<MeshGx>* mesh : {&backgroundMesh, &textMesh})
        if (*mesh) draw.QueueMesh(**mesh);
}
