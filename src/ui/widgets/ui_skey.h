// UiSKey: shows a cell class key that its script answers with, as the
// class's name (or "invalid key", or "no cell") and the key in hex. A cell
// dropped on it sends its class key through the script.
//
// Sections: layout; behaviour; drawing.
#pragma once

#include "core/dynamic_string.h"
#include "ui/ui_box.h"

class UiSKey : public UiBox {
    VELDO_CELL(UiSKey, UiBox, 0xBDE251D06B19B464ULL)

public:
    enum SKeyTag : int32_t { kSKeyScript = kBoxTagCount, kSKeyTagCount };

    SObject<MeshGx> textMesh;

    UiSKey();
    void DeclareTags() override;

    // ---- layout
    // What it shows: the name, then " (0x...)".
    WString Shown();
    void Measure() override;

    // ---- behaviour
    // Drops inside it are taken; everything else as a box.
    bool Input(const WndEvent& event) override;

    // ---- drawing
    void Process() override;
    void Draw(DrawGx& draw) override;
};
