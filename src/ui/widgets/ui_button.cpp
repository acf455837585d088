#include "ui/widgets/ui_button.h"

#include <initializer_list>

#include "cell/enum_cells.h"
#include "cell/gate_table.h"
#include "cell/gates.h"
#include "cell/scripts.h"
#include "cell/tags.h"
#include "gx/font_gx.h"
#include "gx/window_cells.h"
#include "ui/size_rule.h"
#include "ui/ui_choice_cells.h"
#include "ui/ui_mesh.h"
#include "ui/ui_messages.h"
#include "ui/ui_options.h"
#include "ui/ui_root_services.h"
#include "ui/pointer_behavior.h"

// ---- layout ---------------------------------------------------------------------------

UiButton::UiButton(const WChar* title, int32_t sizeKind, int32_t flags, int32_t alignX, int32_t alignY) {
    Shape(kLayoutNone, sizeKind);
    SetText(title);
    SetFlags(flags);
    TagValueAs<ec_LRC>(kTitleAlignX)->value = alignX;
    TagValueAs<ec_DUC>(kTitleAlignY)->value = alignY;
}

void UiButton::DeclareTags() {
    UiBox::DeclareTags();
    DeclareTag(WTXT("Title"), new StringCell);
    DeclareTag(WTXT("TitleAlignX"), new ec_LRC);
    DeclareTag(WTXT("TitleAlignY"), new ec_DUC);
    DeclareTag(WTXT("Symbol"), new ec_UiSymbol);
    DeclareTag(WTXT("Flags"), new fc_UiButtMode);
    DeclareTag(WTXT("ButtonDown_Script"), new Cell);
    DeclareTag(WTXT("ButtonUp_Script"), new Cell);
    DeclareTag(WTXT("StartDrag_Script"), new Cell);
    DeclareTag(WTXT("IsDown_Script"), new Cell);
    DeclareTag(WTXT("IsVisible_Script"), new Cell);
}

void UiButton::SetText(const WChar* title) {
    if (auto* cell = TagValueAs<StringCell>(kTitle)) cell->value.Assign(title);
    if (Tag* tag = ValueTagAt(kTitle)) tag->MarkChanged();
}

const WChar* UiButton::Text() const {
    const auto* cell = TagValueAs<StringCell>(kTitle);
    return cell ? cell->value.CStr() : WTXT("");
}

int32_t UiButton::Flags() const {
    const auto* flags = TagValueAs<fc_UiButtMode>(kFlags);
    return flags ? flags->value : 0;
}

void UiButton::SetFlags(int32_t flags) {
    if (auto* cell = TagValueAs<fc_UiButtMode>(kFlags)) cell->value = flags;
    if (Tag* tag = ValueTagAt(kFlags)) tag->MarkChanged();
}

void UiButton::SetSymbol(int32_t symbol) {
    if (auto* cell = TagValueAs<ec_UiSymbol>(kSymbol)) cell->value = symbol;
    if (Tag* tag = ValueTagAt(kSymbol)) tag->MarkChanged();
}

void UiButton::Measure() {
    if (!IsChanged()) return;
    measuredWidth = measuredHeight = UiOptions::Get().Row();
}

int32_t UiButton::Visibility() const {
    BTag* script = TagAt(kIsVisibleScript);
    if (ScriptIsSet(script) && !EvaluateScriptBool(script, true)) return 0;
    return UiBox::Visibility();
}

// ---- behaviour --------------------------------------------------------------------------

bool UiButton::IsDown() {
    BTag* script = TagAt(kIsDownScript);
    if (ScriptIsSet(script)) return EvaluateScriptBool(script, false);
    return (Flags() & kToggle) && toggled;
}

void UiButton::SetState(int32_t next) {
    if (next == state) return;
    state = next;
    rebuild_ = true;
    MarkChanged();
}

void UiButton::Fire(int32_t scriptTag) { FireScript(TagAt(scriptTag)); }

// The evaluated cell travels as the drag's payload; the button's title is
// the label the pointer carries.
void UiButton::StartDrag() {
    Cell* cell = EvaluateScript(TagAt(kStartDragScript));
    DragDropGate* gate = FindDragDropGate();
    if (!cell || !gate) return;
    gate->BeginDrag(*cell);
    const FontGx* font = BodyFont();
    for (HCell* up = ParentCell(); up && font; up = up->ParentCell())
        if (auto* window = dynamic_cast<WndGx*>(up)) {
            window->SetTextCursor(Text(), *font);
            break;
        }
}

bool UiButton::Input(const WndEvent& event) {
    const Rect r = Box();
    if (!r.valid || Visibility() == 0) return false;
    const bool inside = r.Contains(event.x, event.y);
    const bool down = IsDown();
    const int32_t flags = Flags();
    const int32_t type = event.type;
    if (flags & kHoverRepeat) {
        if (ui_pointer::IsPlainMove(type) && inside) {
            // On entering; the timer repeats it while the pointer stays.
            if (UiRootServices* services = Services()) services->JoinTimer(*this);
            const bool entering = state != kDownHover;
            SetState(kDownHover);
            if (entering && !down) Fire(kButtonDownScript);
        } else if (ui_pointer::IsLeaving(type) || ui_pointer::IsPlainMove(type)) {
            if (UiRootServices* services = Services()) services->LeaveTimer(*this);
            SetState(kUp);
            if (down) Fire(kButtonUpScript);
        }
        return true;
    }
    if (flags & kToggle) {
        if (ui_pointer::IsPress(type) && inside) {
            const bool next = !down;
            toggled = next;
            Fire(next ? kButtonDownScript : kButtonUpScript);
            SetState(kDownHover);
        } else if (ui_pointer::IsRelease(type) || ui_pointer::IsPlainMove(type)) {
            SetState(2 * int32_t(down) + int32_t(inside));
        } else if (ui_pointer::IsLeaving(type)) {
            SetState(2 * int32_t(down));
        }
        return true;
    }
    switch (ui_pointer::StepOf(event, inside, state == kDownHover)) {
        case ui_pointer::Step::kPress:
            Fire(kButtonDownScript);
            SetState(kDownHover);
            break;
        case ui_pointer::Step::kRelease:
            // Wherever the pointer is: a press dragged off still completes.
            Fire(kButtonUpScript);
            SetState(2 * int32_t(IsDown()) + int32_t(inside));
            break;
        case ui_pointer::Step::kMove: SetState(2 * int32_t(down) + int32_t(inside)); break;
        case ui_pointer::Step::kLeave: SetState(2 * int32_t(down)); break;  // the pending release is cancelled
        case ui_pointer::Step::kDragStart:
            if (ScriptIsSet(TagAt(kStartDragScript))) StartDrag();
            break;
        default: break;
    }
    return true;
}

bool UiButton::TakesKeyboardFocus() const {
    return Box().valid && Visibility() != 0 && !(Flags() & kHoverRepeat);
}

void UiButton::ActivateByKeyboard() {
    if (Flags() & kToggle) {
        toggled = !IsDown();
        Fire(toggled ? kButtonDownScript : kButtonUpScript);
        SetState(2 * int32_t(IsDown()));
        return;
    }
    // A click: pressed and released.
    Fire(kButtonDownScript);
    Fire(kButtonUpScript);
}

// A hover-repeat button fires again every frame while the pointer stays.
void UiButton::TimePassed(float seconds) {
    (void)seconds;
    if ((Flags() & kHoverRepeat) && state == kDownHover) Fire(kButtonDownScript);
}

// ---- drawing ----------------------------------------------------------------------------

void UiButton::StateColors(int32_t state, uint32_t& background, uint32_t& text) {
    const UiOptions& o = UiOptions::Get();
    const bool down = state & kDown, hover = state & kHover;
    background = o.Color(down ? UiOptions::kFaceDown : UiOptions::kFaceUp);
    text = o.Color(down ? UiOptions::kFaceDownText : UiOptions::kFaceUpText);
    if (hover) {
        background = AddColors(background, o.Color(UiOptions::kHoverFaceAdded));
        text = AddColors(text, o.Color(UiOptions::kSplitterHoverFirst));
    }
}

namespace {

// The symbols' strokes in a unit square (0..1, y up), pairs of points.
struct Stroke {
    float x0, y0, x1, y1;
};

void SymbolStrokes(int32_t symbol, UiMesh& mesh, const GxBox& box, uint32_t color) {
    static const Stroke up[] = {{0.2f, 0.3f, 0.5f, 0.7f}, {0.5f, 0.7f, 0.8f, 0.3f}, {0.2f, 0.3f, 0.8f, 0.3f}};
    static const Stroke down[] = {{0.2f, 0.7f, 0.5f, 0.3f}, {0.5f, 0.3f, 0.8f, 0.7f}, {0.2f, 0.7f, 0.8f, 0.7f}};
    static const Stroke left[] = {{0.7f, 0.2f, 0.3f, 0.5f}, {0.3f, 0.5f, 0.7f, 0.8f}, {0.7f, 0.2f, 0.7f, 0.8f}};
    static const Stroke right[] = {{0.3f, 0.2f, 0.7f, 0.5f}, {0.7f, 0.5f, 0.3f, 0.8f}, {0.3f, 0.2f, 0.3f, 0.8f}};
    static const Stroke cross[] = {{0.25f, 0.25f, 0.75f, 0.75f}, {0.25f, 0.75f, 0.75f, 0.25f}};
    static const Stroke check[] = {{0.2f, 0.5f, 0.4f, 0.25f}, {0.4f, 0.25f, 0.8f, 0.75f}};
    struct Drawing {
        const Stroke* strokes;
        int32_t count;
    };
    const Drawing drawings[] = {{up, 3}, {down, 3}, {left, 3}, {right, 3}, {cross, 2}, {check, 2}};
    if (symbol < 0 || symbol >= int32_t(sizeof drawings / sizeof drawings[0])) return;
    // A square as high as the box, at its left end.
    const float size = box.y1 - box.y0, x = box.x0, y = box.y0;
    const Drawing& d = drawings[symbol];
    for (int32_t i = 0; i < d.count; ++i) {
        const Stroke& s = d.strokes[i];
        mesh.Line(x + s.x0 * size, y + s.y0 * size, x + s.x1 * size, y + s.y1 * size, color);
    }
}

}  // namespace

void UiButton::RebuildMeshes() {
    const Rect r = Box();
    const GxBox box{r.x0, r.y0, r.x1, r.y1, r.valid};
    uint32_t background = 0, text = 0;
    StateColors(state, background, text);
    if (Flags() & kTransparent) background &= 0x00FFFFFFu;
    const bool shown = r.valid && UiBox::Visibility() != 0;

    UiMesh back;
    if (shown) back.Rect(box, background);
    back.StoreShapes(backgroundMesh, WhiteMaterial());

    const FontGx* font = BodyFont();
    const auto* alignX = TagValueAs<ec_LRC>(kTitleAlignX);
    const auto* alignY = TagValueAs<ec_DUC>(kTitleAlignY);
    const WChar* title = (Flags() & kBooleanDisplay) ? (state & kDown ? WTXT("TRUE") : WTXT("FALSE")) : Text();
    UiMesh words;
    if (shown && font)
        words.AlignedText(*font, box, title, alignX ? alignX->value : 0, alignY ? alignY->value : 2, text);
    words.StoreText(textMesh, font);

    UiMesh symbol;
    const auto* which = TagValueAs<ec_UiSymbol>(kSymbol);
    if (shown && which) SymbolStrokes(which->value, symbol, box, text);
    symbol.StoreShapes(symbolMesh, WhiteMaterial());
}

void UiButton::Process() {
    if (!IsChanged()) return;
    Tag* downScript = ValueTagAt(kIsDownScript);
    if (downScript && downScript->IsChanged() && ScriptIsSet(downScript)) {
        const bool down = EvaluateScriptBool(downScript, false);
        if (down && state == kUp) state = kDown;
        if (!down && state == kDown) state = kUp;
        rebuild_ = true;
    }
    for (int32_t tag : {int32_t(kBox), int32_t(kTitle), int32_t(kTitleAlignX), int32_t(kTitleAlignY), int32_t(kSymbol),
                        int32_t(kFlags), int32_t(kVisible)})
        if (Tag* t = ValueTagAt(tag); t && t->IsChanged()) rebuild_ = true;
    if (rebuild_) RebuildMeshes();
    rebuild_ = false;
    UiBox::Process();
}

void UiButton::Draw(DrawGx& draw) {
    if (Visibility() == 0) return;
    for (SObject<MeshGx>* mesh : {&backgroundMesh, &symbolMesh, &textMesh})
        if (*mesh) draw.QueueMesh(**mesh);
}
