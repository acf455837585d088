// UiViewport: drawing-layer content rendered off screen at the rectangle's
// size and shown as a textured quad, on a black background. Whoever its
// "RefreshMesh_Script" reaches fills the scene again when the view changes
// size; text records are drawn over the scene.
//
// Sections: layout; drawing.
#pragma once

#include "core/container.h"
#include "core/dynamic_string.h"
#include "ui/ui_box.h"

// A text drawn over a viewport's scene, at view pixels from its bottom left.
struct s_TextData {
    float x = 0, y = 0;
    WString text;
    uint32_t color = 0xFFFFFFFF;
};

class UiViewport : public UiBox {
    VELDO_CELL(UiViewport, UiBox, 0xBC4E74EAE9E84FA7ULL)

public:
    enum ViewportTag : int32_t { kRefreshMeshScript = kBoxTagCount, kViewportTagCount };

    // The scene: meshes drawn in order (2D, or 3D through the camera).
    Container<MeshGx> scene;
    SObject<CameraGx> camera;
    Container<s_TextData> texts;
    SObject<RenderTargetGx> target;
    SObject<ViewportGx> view;
    SObject<MeshGx> backgroundMesh, quadMesh, textMesh;
    SObject<MaterialGx> targetMaterial;
    int32_t renders = 0;  // off-screen renders so far

    UiViewport();
    void DeclareTags() override;

    // ---- layout
    void AddText(float x, float y, const WChar* text, uint32_t color);

    // ---- drawing
    // A new size makes the target again and asks for the scene; any change
    // renders it.
    void Process() override;
    void Draw(DrawGx& draw) override;

private:
    void Render();
};
