#include "ui/ui_root.h"

#include <cmath>

#include "cell/gate_table.h"
#include "cell/gates.h"
#include "cell/tags.h"
#include "gx/embedded_data.h"
#include "sys/platform.h"
#include "ui/ui_mesh.h"
#include "ui/ui_messages.h"
#include "ui/ui_options.h"

// ---- the timer ---------------------------------------------------------------------

void UiTimer::Join(Cell& cell) {
    for (int32_t i = 0; i < Count(); ++i)
        if (At(i) == &cell) return;
    Add(&cell);
}

// Leaving only lets go of the link: the timer may be in the middle of
// serving, and drops it on the next round.
void UiTimer::Leave(Cell& cell) {
    for (int32_t i = 0; i < Count(); ++i)
        if (At(i) == &cell) links.items[i]->Release();
}

void UiTimer::Serve(float seconds) {
    UiBox_Process_TimeDelta_Act act;
    act.value = seconds;
    Deliver(act);
}

// ---- resources -------------------------------------------------------------------

UiRoot::UiRoot() = default;

void UiRoot::MakeResources() {
    if (resourcesMade_) return;
    resourcesMade_ = true;
    for (int32_t i = 0; i < 2; ++i) {
        // A font that cannot be read stays empty: its text is not drawn.
        fonts[i].Reset(new FontGx);
        const EmbeddedBlock block = BuiltinFont(i);
        if (fonts[i]->LoadFont(block.data, block.size, true)) fonts[i]->CreateTexture();
    }
    uint32_t white[kWhiteSize * kWhiteSize];
    for (uint32_t& pixel : white) pixel = 0xFFFFFFFFu;
    whiteTexture.Reset(NewTextureGx());
    whiteTexture->SetPixels(kWhiteSize, kWhiteSize, white);
    whiteMaterial.Reset(new MaterialGx);
    whiteMaterial->texture.PointAt(whiteTexture->EnsureSelfLink());
    viewport.Reset(NewViewportGx());
    draws[0].Reset(NewDrawGx());
    draws[1].Reset(NewDrawGx());
}

const FontGx* UiRoot::Font(int32_t index) const {
    if (index < 0 || index > 1) return nullptr;
    const_cast<UiRoot*>(this)->MakeResources();
    const FontGx* font = fonts[index].Get();
    return font && font->glyphs.count > 0 ? font : nullptr;
}

MaterialGx* UiRoot::WhiteMaterial() {
    MakeResources();
    return whiteMaterial.Get();
}

// ---- the frame ---------------------------------------------------------------------

void UiRoot::HandleEvent(const WndEvent& event) {
    drawPending_ = true;
    if (KeyboardKey(event)) return;
    Input(event);
    if (event.type == kWndLeftDrop && event.handledElsewhere) {
        // The drop landed in this window: whatever no box took is dropped.
        if (DragDropGate* gate = FindDragDropGate(); gate && gate->Dragging())
            gate->DropComplete();
    }
}

void UiRoot::TimeDelta(float seconds) {
    lastDelta = seconds;
    lastFrameMs = SysClockMs();
    timer.Serve(seconds);
}

void UiRoot::MinimumSize(int32_t& width, int32_t& height) const {
    width = int32_t(measuredWidth);
    height = int32_t(measuredHeight);
}

void UiRoot::Layout(int32_t width, int32_t height) {
    MakeResources();
    const Rect r = Box();
    if (!r.valid || r.x0 != 0 || r.y0 != 0 || r.x1 != float(width) || r.y1 != float(height))
        SetBox(0, 0, float(width), float(height));
    Process();
}

void UiRoot::Process() {
    lastPasses = 0;
    while (IsChanged() && lastPasses < kMaxPasses) {
        Tag* box = ValueTagAt(kBox);
        if (box && box->IsChanged() && viewport) {
            const Rect r = Box();
            viewport->box = GxBox{0, 0, std::trunc(r.x1 - r.x0), std::trunc(r.y1 - r.y0), true};
        }
        Measure();  // the window's minimum size
        UiBox::Process();
        ++lastPasses;
        drawPending_ = true;
    }
}

// ---- the keyboard ----------------------------------------------------------------

void UiRoot::SetKeyboardFocus(UiBox* box) {
    if (box) keyboardFocus = box->SelfSlave();
    else keyboardFocus.Release();
    drawPending_ = true;
}

UiBox* UiRoot::KeyboardFocus() const { return CellAs<UiBox>(keyboardFocus.Get()); }

void UiRoot::SetCancelBox(UiBox* box) {
    if (box) cancelBox = box->SelfSlave();
    else cancelBox.Release();
}

namespace {

void CollectFocusable(UiBox& box, DynamicArray<UiBox*>& out) {
    if (box.Visibility() == 0) return;
    if (box.TakesKeyboardFocus()) out.Append(&box);
    for (int32_t i = 0; i < box.children.count; ++i)
        if (UiBox* child = box.ChildBox(i)) CollectFocusable(*child, out);
}

}  // namespace

void UiRoot::MoveKeyboardFocus(bool backwards) {
    DynamicArray<UiBox*> boxes;
    CollectFocusable(*this, boxes);
    if (boxes.count == 0) return;
    int32_t at = -1;
    for (int32_t i = 0; i < boxes.count; ++i)
        if (boxes[i] == KeyboardFocus()) at = i;
    if (at < 0) at = backwards ? 0 : boxes.count - 1;  // from nothing: the first, or the last
    SetKeyboardFocus(boxes[(at + (backwards ? boxes.count - 1 : 1)) % boxes.count]);
}

bool UiRoot::KeyboardKey(const WndEvent& event) {
    if (event.type != kWndKeyPress && event.type != kWndKeyRepeat) return false;
    UiBox* focus = KeyboardFocus();
    if (focus && (focus->Visibility() == 0 || !focus->TakesKeyboardFocus())) focus = nullptr;
    // An edit with the keys keeps Space and the arrows for itself.
    const Cell* edit = FocusedEdit();
    switch (event.key) {
        case kWndKeyTab:
            MoveKeyboardFocus(event.shift != 0);
            return true;
        case kWndKeySpace:
            if (edit) return false;
            [[fallthrough]];
        case kWndKeyEnter:
        case kWndKeyPadEnter:
            if (!focus || event.type != kWndKeyPress) return false;
            focus->ActivateByKeyboard();
            return true;
        case kWndKeyEscape:
            if (UiBox* cancel = CellAs<UiBox>(cancelBox.Get()); cancel && event.type == kWndKeyPress) {
                cancel->ActivateByKeyboard();
                return true;
            }
            return false;
        default:
            return !edit && focus && focus->FocusKey(event);
    }
}

void UiRoot::UpdateFocusRing() {
    UiBox* focus = KeyboardFocus();
    Rect r = focus && focus->Visibility() != 0 && focus->TakesKeyboardFocus() ? focus->Box() : Rect{};
    if (r == ringBox_ && focusMesh) return;
    ringBox_ = r;
    UiMesh ring;
    if (r.valid) {
        const uint32_t color = UiOptions::Get().Color(UiOptions::kFocusRing);
        ring.Outline(GxBox{r.x0, r.y0, r.x1, r.y1, true}, color);
        ring.Outline(GxBox{r.x0 + 1, r.y0 + 1, r.x1 - 1, r.y1 - 1, true}, color);
    }
    ring.StoreShapes(focusMesh, WhiteMaterial());
}

bool UiRoot::WantsDraw() const { return drawPending_ || timer.Running(); }

void UiRoot::Draw(int32_t width, int32_t height) {
    MakeResources();
    DrawGx& draw = *draws[0];
    draw.ClearQueue();
    draw.ClearClips();
    draw.BindTarget(nullptr);
    draw.Clear(true, true, true);
    UiBox::Draw(draw);
    UpdateFocusRing();
    if (focusMesh) draw.QueueMesh(*focusMesh);
    if (viewport->box.x1 <= viewport->box.x0) viewport->box = GxBox{0, 0, float(width), float(height), true};
    draw.RenderQueue(*viewport, nullptr, false);
    draw.ClearQueue();
    drawPending_ = false;
}
