// UiButton: a titled rectangle that fires scripts when pressed and
// released. Its visual state has two bits: pointer inside (1), down (2).
// Flags: 1 hover-repeat (down while the pointer is over it, firing its
// down script every frame), 2 shows "TRUE"/"FALSE" for down/up, 4 toggles
// on each press, 8 transparent background.
//
// Sections: layout; behaviour; drawing.
#pragma once

#include "cell/enum_cells.h"
#include "ui/ui_box.h"

class UiButton : public UiBox {
    VELDO_CELL(UiButton, UiBox, 0x7BC68CD795AC697FULL)

public:
    enum ButtonTag : int32_t {
        kTitle = kBoxTagCount,
        kTitleAlignX,
        kTitleAlignY,
        kSymbol,
        kFlags,
        kButtonDownScript,
        kButtonUpScript,
        kStartDragScript,
        kIsDownScript,
        kIsVisibleScript,
        kButtonTagCount
    };
    enum Flag : int32_t { kHoverRepeat = 1, kBooleanDisplay = 2, kToggle = 4, kTransparent = 8 };
    enum State : int32_t { kUp = 0, kHover = 1, kDown = 2, kDownHover = 3 };
    // The line drawings a button can show beside its title.
    enum Symbol : int32_t { kNoSymbol = -1, kArrowUp = 0, kArrowDown, kArrowLeft, kArrowRight, kCross, kCheck };

    int32_t state = kUp;
    // The down state of a toggle button without a down script.
    bool toggled = false;
    SObject<MeshGx> backgroundMesh, textMesh, symbolMesh;

    UiButton() = default;
    UiButton(const WChar* title, int32_t sizeKind, int32_t flags, int32_t alignX, int32_t alignY);
    void DeclareTags() override;

    // ---- layout
    void SetText(const WChar* title);
    const WChar* Text() const;
    int32_t Flags() const;
    void SetFlags(int32_t flags);
    void SetSymbol(int32_t symbol);
    // One row square.
    void Measure() override;
    // Hidden while its visibility script answers false.
    int32_t Visibility() const override;

    // ---- behaviour
    bool Input(const WndEvent& event) override;
    // Time deltas repeat the down script of a hovered hover-repeat button.
    void TimePassed(float seconds) override;
    // Buttons take the keyboard's focus (but those that act under the
    // pointer alone); Enter or Space clicks them.
    bool TakesKeyboardFocus() const override;
    void ActivateByKeyboard() override;
    // The down value: the down script's answer, a toggle's own state, else
    // false.
    bool IsDown();
    // Background and text colours of a visual state.
    static void StateColors(int32_t state, uint32_t& background, uint32_t& text);

    // ---- drawing
    void Process() override;
    void Draw(DrawGx& draw) override;

private:
    bool rebuild_ = true;  // the visual state changed since the meshes were made

    void SetState(int32_t next);
    void Fire(int32_t scriptTag);
    void StartDrag();
    void RebuildMeshes();
};
