// UiCombo: a titled rectangle coloured by its "State" (0 to 3), which the
// page that owns it sets.
//
// Sections: layout; drawing.
#pragma once

#include "ui/ui_box.h"

class UiCombo : public UiBox {
    VELDO_CELL(UiCombo, UiBox, 0x6CCC45D7847DB661ULL)

public:
    enum ComboTag : int32_t { kTitle = kBoxTagCount, kTitleAlignX, kTitleAlignY, kState, kComboTagCount };

    SObject<MeshGx> backgroundMesh, textMesh;

    UiCombo();
    void DeclareTags() override;

    // ---- layout
    void SetText(const WChar* title);
    void SetState(int32_t state);
    int32_t State() const;
    // Background and text colours of a state: entries 18/19, 20/21, 22/23,
    // 24/25; anything else as 0.
    static void StateColors(int32_t state, uint32_t& background, uint32_t& text);
    void Measure() override;

    // ---- drawing
    void Process() override;
    void Draw(DrawGx& draw) override;
};
