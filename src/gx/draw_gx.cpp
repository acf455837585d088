// The drawing layer's shared half: the render queue, the clip stack and PNG
// decoding.
#include "gx/draw_gx.h"

#include <lodepng.h>

#include <algorithm>
#include <cstdlib>

#include "sys/text_files.h"

bool DecodePng(const uint8_t* data, size_t size, DynamicArray<uint32_t>& pixels, int32_t& width, int32_t& height) {
    unsigned char* rgba = nullptr;
    unsigned w = 0, h = 0;
    if (!data || lodepng_decode32(&rgba, &w, &h, data, size) != 0 || w == 0 || h == 0 || w > 16384 || h > 16384) {
        std::free(rgba);
        return false;
    }
    pixels.Resize(int32_t(w * h));
    for (size_t i = 0; i < size_t(w) * h; ++i) {
        const unsigned char* p = rgba + i * 4;
        pixels.data[i] = uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
    std::free(rgba);
    width = int32_t(w);
    height = int32_t(h);
    return true;
}

bool TextureGx::LoadPng(const WChar* path) {
    NString bytes;
    if (ReadTextFile(path, bytes) != kTextOk) return false;
    DynamicArray<uint32_t> pixels;
    int32_t w = 0, h = 0;
    if (!DecodePng(reinterpret_cast<const uint8_t*>(bytes.CStr()), size_t(bytes.Length()), pixels, w, h)) return false;
    return SetPixels(w, h, pixels.data);
}

void DrawGx::QueueMesh(MeshGx& mesh, const Mat4<float>* world) {
    if (!mesh.HasTriangles() && !mesh.HasLines()) return;
    auto* item = new s_RenderMesh;
    item->mesh.PointAt(mesh.EnsureSelfLink());
    if (world) item->world = *world;
    if (clips.count > 0) {
        item->clipped = true;
        item->clip = *clips[clips.count - 1];
    }
    item->depthTest = depthTest;
    queue.Add(item, queue.count < 64 ? 64 : queue.count);
}

void DrawGx::PushClip(const GxBox& box) {
    auto* top = new GxBox(box);
    if (clips.count > 0) {
        const GxBox& current = *clips[clips.count - 1];
        top->x0 = std::max(box.x0, current.x0);
        top->y0 = std::max(box.y0, current.y0);
        top->x1 = std::min(box.x1, current.x1);
        top->y1 = std::min(box.y1, current.y1);
    }
    clips.Add(top);
}

void DrawGx::PopClip() {
    if (clips.count > 0) clips.Remove(clips.count - 1);
}

void DrawGx::ClearClips() { clips.Clear(); }

// ---- the device in use --------------------------------------------------------------

namespace {
GxDevice* g_device = nullptr;
}

void UseGxDevice(GxDevice* device) { g_device = device; }
GxDevice& CurrentGxDevice() { return g_device ? *g_device : BackendGxDevice(); }

TextureGx* NewTextureGx() { return CurrentGxDevice().NewTexture(); }
MeshGx* NewMeshGx() { return CurrentGxDevice().NewMesh(); }
RenderTargetGx* NewRenderTargetGx() { return CurrentGxDevice().NewRenderTarget(); }
ViewportGx* NewViewportGx() { return CurrentGxDevice().NewViewport(); }
DrawGx* NewDrawGx() { return CurrentGxDevice().NewDraw(); }
