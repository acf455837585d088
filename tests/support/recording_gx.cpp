#include "support/recording_gx.h"

namespace test {

namespace {

class RecordingTexture : public TextureGx {
public:
    bool SetPixels(int32_t w, int32_t h, const uint32_t* pixels) override {
        if (w <= 0 || h <= 0 || !pixels) return false;
        width = w;
        height = h;
        return true;
    }
    bool SetAlphas(int32_t w, int32_t h, const GxAlphaRows&) override {
        if (w <= 0 || h <= 0) return false;
        width = w;
        height = h;
        return true;
    }
};

class RecordingTarget : public RenderTargetGx {
public:
    RecordingTexture color;
    bool Create(int32_t w, int32_t h, bool) override {
        color.width = w;
        color.height = h;
        return w > 0 && h > 0;
    }
    void Clear() override {}
    TextureGx* ColorTexture() override { return &color; }
};

class RecordingViewport : public ViewportGx {
public:
    void Apply() override {}
};

}  // namespace

void RecordingMesh::SetTriangles(const void* vertices, uint32_t bits, int32_t count, const uint32_t*, int32_t) {
    solid.clear();
    textured.clear();
    if (!vertices || count <= 0) return;
    if (bits == kGxPosColUVBits) {
        const auto* v = static_cast<const s_GxVert_PosColUV*>(vertices);
        textured.assign(v, v + count);
    } else if (bits == kGxPosColBits) {
        const auto* v = static_cast<const s_GxVert_PosCol*>(vertices);
        solid.assign(v, v + count);
    }
}

void RecordingMesh::SetLines(const s_GxVert_PosCol* vertices, int32_t count) {
    lines.clear();
    if (vertices && count > 0) lines.assign(vertices, vertices + count);
}

void RecordingDraw::RenderQueue(ViewportGx&, CameraGx*, bool) {
    rendered.clear();
    for (int32_t i = 0; i < queue.count; ++i)
        rendered.push_back(Item{queue[i]->mesh.Get(), queue[i]->clipped, queue[i]->clip});
    ++renders;
}

bool RecordingDraw::Rendered(const MeshGx* mesh) const {
    for (const Item& item : rendered)
        if (item.mesh == mesh) return true;
    return false;
}

TextureGx* RecordingDevice::NewTexture() { return new RecordingTexture; }
RenderTargetGx* RecordingDevice::NewRenderTarget() { return new RecordingTarget; }
ViewportGx* RecordingDevice::NewViewport() { return new RecordingViewport; }

}  // namespace test
