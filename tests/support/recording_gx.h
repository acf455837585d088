// A drawing device that draws nothing: meshes keep their vertices, the
// drawing context keeps what each render was given (meshes, clip boxes) in
// order. Installed for a test's lifetime, it lets trees be processed and
// drawn without a window.
#pragma once

#include <vector>

#include "gx/draw_gx.h"

namespace test {

class RecordingMesh : public MeshGx {
public:
    std::vector<s_GxVert_PosCol> solid, lines;
    std::vector<s_GxVert_PosColUV> textured;

    void SetTriangles(const void* vertices, uint32_t bits, int32_t count, const uint32_t*, int32_t) override;
    void SetLines(const s_GxVert_PosCol* vertices, int32_t count) override;
    using MeshGx::SetTriangles;
    bool HasTriangles() const override { return !solid.empty() || !textured.empty(); }
    bool HasLines() const override { return !lines.empty(); }
};

class RecordingDraw : public DrawGx {
public:
    struct Item {
        const MeshGx* mesh;
        bool clipped;
        GxBox clip;
    };
    std::vector<Item> rendered;  // the last render's queue
    int32_t renders = 0;

    void BindTarget(RenderTargetGx*) override {}
    void Clear(bool, bool, bool) override {}
    void RenderQueue(ViewportGx& viewport, CameraGx* camera, bool threeD) override;
    bool ReadPixels(int32_t, int32_t, int32_t, int32_t, uint8_t*) override { return false; }
    // Whether the last render held this mesh.
    bool Rendered(const MeshGx* mesh) const;
};

class RecordingDevice : public GxDevice {
public:
    TextureGx* NewTexture() override;
    MeshGx* NewMesh() override { return new RecordingMesh; }
    RenderTargetGx* NewRenderTarget() override;
    ViewportGx* NewViewport() override;
    DrawGx* NewDraw() override { return new RecordingDraw; }
};

// The recording device in use while it lives.
struct UseRecordingGx {
    RecordingDevice device;
    UseRecordingGx() { UseGxDevice(&device); }
    ~UseRecordingGx() { UseGxDevice(nullptr); }
};

}  // namespace test
