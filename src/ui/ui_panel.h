// UiPanel: a box filled with the style's base colour behind its children.
#pragma once

#include "ui/ui_box.h"

class UiPanel : public UiBox {
    VELDO_CELL(UiPanel, UiBox, 0x5816B57938C0E183ULL)

public:
    SObject<MeshGx> fillMesh;

    // The fill follows the rectangle.
    void Process() override;
    void Draw(DrawGx& draw) override;
};
