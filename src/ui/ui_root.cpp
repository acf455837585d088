#include "ui/ui_root.h"

#include <cmath>

#include "cell/gate_table.h"
#include "cell/gates.h"
#include "cell/tags.h"
#include "gx/embedded_data.h"
#include "sys/platform.h"
#include "ui/ui_messages.h"

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
    Input(event);
    if (event.type == kWndLeftDrop && event.handledElsewhere) {
        // The drop landed in this window: whatever no box took is dropped.
        GCell* cell = FindGateCell(DragDropGateKey());
        if (auto* gate = cell ? dynamic_cast<DragDropGate*>(cell->Gate()) : nullptr; gate && gate->Dragging())
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

bool UiRoot::WantsDraw() const { return drawPending_ || timer.Running(); }

void UiRoot::Draw(int32_t width, int32_t height) {
    MakeResources();
    DrawGx& draw = *draws[0];
    draw.ClearQueue();
    draw.ClearClips();
    draw.BindTarget(nullptr);
    draw.Clear(true, true, true);
    UiBox::Draw(draw);
    if (viewport->box.x1 <= viewport->box.x0) viewport->box = GxBox{0, 0, float(width), float(height), true};
    draw.RenderQueue(*viewport, nullptr, false);
    draw.ClearQueue();
    drawPending_ = false;
}
