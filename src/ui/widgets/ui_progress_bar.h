// UiProgressBar: how much of a task is done, as a filled part of a framed
// track (a fraction from 0 to 1 in its "Fraction" tag).
//
// Sections: layout; behaviour; drawing.
#pragma once

#include "ui/ui_box.h"

class UiProgressBar : public UiBox {
    VELDO_CELL(UiProgressBar, UiBox, 0xB9F561EABE893949ULL)

public:
    enum ProgressTag : int32_t { kFraction = kBoxTagCount, kProgressTagCount };

    SObject<MeshGx> barMesh;

    // ---- layout
    UiProgressBar() = default;
    explicit UiProgressBar(int32_t sizeKind);
    void DeclareTags() override;

    // ---- behaviour
    // Clamped to 0 to 1; the bar is meshed again only when it changes.
    void SetFraction(float fraction);
    float Fraction() const;

    // ---- drawing
    void Process() override;
    void Draw(DrawGx& draw) override;
};
