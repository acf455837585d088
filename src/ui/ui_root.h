// UiRoot: the root of one window's UI tree. It is the window's root (events,
// time deltas, layout, drawing) and owns what the boxes below draw with:
// the two fonts, the white material, the viewport and the drawing contexts,
// and the timer of the cells that animate.
#pragma once

#include "cell/synapser.h"
#include "gx/font_gx.h"
#include "gx/window_cells.h"
#include "ui/ui_box.h"
#include "ui/ui_root_services.h"

// The cells that want a time delta every frame. A cell that left, or died,
// is dropped while the timer is served, the last entry taking its place.
class UiTimer : public Synapser {
public:
    void Join(Cell& cell);
    void Leave(Cell& cell);
    // Hands each live subscriber the seconds since the last frame.
    void Serve(float seconds);
    bool Running() const { return LiveCount() > 0; }
};

class UiRoot : public UiBox, public UiRootServices, public WndRoot {
    VELDO_CELL(UiRoot, UiBox, 0x159D7C1A56051D5BULL)

public:
    static constexpr int32_t kMaxPasses = 3;
    static constexpr int32_t kWhiteSize = 16;

    UiTimer timer;
    SSlave<Cell> focusedEdit;  // the edit that takes the keys
    SSlave<Cell> keyboardFocus, cancelBox;  // UiBoxes
    double lastFrameMs = -1;  // the clock at the last frame
    float lastDelta = 0;      // that frame's time delta, seconds
    // Made on first need, with the window's drawing context current.
    SObject<TextureGx> whiteTexture;
    SObject<MaterialGx> whiteMaterial;
    SObject<FontGx> fonts[2];
    SObject<ViewportGx> viewport;
    SObject<DrawGx> draws[2];  // the first draws the UI
    // Processing passes run by the last Layout (for measuring).
    int32_t lastPasses = 0;

    UiRoot();

    // The services of the tree.
    const FontGx* Font(int32_t index) const override;
    MaterialGx* WhiteMaterial() override;
    using UiBox::WhiteMaterial;
    float FrameDelta() const override { return lastDelta; }
    void JoinTimer(Cell& cell) override { timer.Join(cell); }
    void LeaveTimer(Cell& cell) override { timer.Leave(cell); }
    DrawGx* OffscreenDraw() override {
        MakeResources();
        return draws[1].Get();
    }
    Cell* FocusedEdit() const override { return focusedEdit.Get(); }
    void FocusEdit(Cell* edit) override {
        if (edit) focusedEdit = edit->SelfSlave();
        else focusedEdit.Release();
    }

    // The window's root.
    void HandleEvent(const WndEvent& event) override;
    void TimeDelta(float seconds) override;
    void MinimumSize(int32_t& width, int32_t& height) const override;
    bool WantsLayout() const override { return IsChanged(); }
    void Layout(int32_t width, int32_t height) override;
    void Draw(int32_t width, int32_t height) override;
    bool WantsDraw() const override;
    using UiBox::Draw;

    // While the tree is changed, the box processing, at most three times;
    // the viewport follows the root's rectangle.
    void Process() override;

    // The keyboard: Tab and Shift+Tab move the focus among the boxes that
    // take it, in tree order; Enter or Space activates the focused one;
    // Escape activates the cancel box. The focused box shows a ring.
    void SetKeyboardFocus(UiBox* box);
    UiBox* KeyboardFocus() const;
    void SetCancelBox(UiBox* box);
    // Moves the focus to the next (or previous) box that takes it.
    void MoveKeyboardFocus(bool backwards);
    SObject<MeshGx> focusMesh;

protected:
    bool TakesDrops() const override { return true; }

private:
    bool drawPending_ = true;  // processed, or input arrived, since the last draw
    bool resourcesMade_ = false;
    Rect ringBox_;  // where the focus ring was drawn

    void MakeResources();
    // Tab, Enter, Space and Escape; true when the key was the keyboard's.
    bool KeyboardKey(const WndEvent& event);
    void UpdateFocusRing();
};
