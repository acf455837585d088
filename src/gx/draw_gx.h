// The drawing layer: meshes filled once and queued every frame with a world
// matrix and the current clip box, rendered in one pass in queue order.
// These are the abstract classes with the logic every implementation
// shares (the queue, the clip stack, PNG decoding); the OpenGL one lives in
// gx/gl/ and is reached through the factories at the end.
//
// Coordinates for 2D drawing are pixels of the viewport, x to the right and
// y upward from its bottom edge. Boxes are (x0 left, y0 bottom, x1 right,
// y1 top).
#pragma once

#include <cstddef>

#include "cell/cell.h"
#include "core/container.h"
#include "core/geometry.h"
#include "core/links.h"
#include "gx/vertex_formats.h"

using GxBox = BBox2D<float, 2>;

// A drawing resource is shared by weak links (a material's texture, a
// queued mesh), so each carries its own master, made on first need. When
// it is destroyed every slave reads empty.
class GxCell : public Cell {
public:
    GxCell() = default;
    ~GxCell() override {
        if (selfMaster.link) selfMaster.link->holder.Detach();
    }
    bool HasSelfMaster() const override { return true; }
    SLink<Cell>* SelfLink() const override { return selfMaster.link; }
    SLink<Cell>* EnsureSelfLink() const override {
        if (!selfMaster.link) selfMaster.link = new SLink<Cell>(const_cast<GxCell*>(this));
        return selfMaster.link;
    }

private:
    mutable SMaster<GxCell> selfMaster;
};

// ---- textures, materials, meshes ------------------------------------------

// Where coverage bytes come from: count rows from row y into out, w bytes
// a row.
class GxAlphaRows {
public:
    virtual ~GxAlphaRows() = default;
    virtual void Rows(int32_t y, int32_t count, uint8_t* out) const = 0;
};

class TextureGx : public GxCell {
public:
    int32_t width = 0;
    int32_t height = 0;

    // Creates the texture anew from width * height 0xAARRGGBB pixels, the
    // first row first.
    virtual bool SetPixels(int32_t w, int32_t h, const uint32_t* pixels) = 0;
    // Creates the texture anew as white pixels of w * h coverage bytes (0
    // clear, 255 opaque), the first row first, asked for a strip of rows at
    // a time so that a large image is never whole in memory.
    virtual bool SetAlphas(int32_t w, int32_t h, const GxAlphaRows& rows) = 0;
    // Reads a PNG file whole and decodes it; a file that cannot be read or
    // decoded leaves the texture empty.
    bool LoadPng(const WChar* path);
};

// Decodes a PNG held in memory into 0xAARRGGBB pixels, the first row first.
bool DecodePng(const uint8_t* data, size_t size, DynamicArray<uint32_t>& pixels, int32_t& width, int32_t& height);

class MaterialGx : public GxCell {
public:
    SSlave<TextureGx> texture;  // bound when a mesh's triangles are drawn
};

class MeshGx : public GxCell {
public:
    SSlave<MaterialGx> material;

    // Triangles in one of the three vertex formats (attributeBits 5, 13 or
    // 7), with optional 32-bit indices. Uploading again replaces the part.
    virtual void SetTriangles(const void* vertices, uint32_t attributeBits, int32_t count, const uint32_t* indices,
                              int32_t indexCount) = 0;
    // Separate line segments, two vertices each.
    virtual void SetLines(const s_GxVert_PosCol* vertices, int32_t count) = 0;
    virtual bool HasTriangles() const = 0;
    virtual bool HasLines() const = 0;

    void SetTriangles(const s_GxVert_PosCol* v, int32_t n, const uint32_t* i = nullptr, int32_t ni = 0) {
        SetTriangles(v, kGxPosColBits, n, i, ni);
    }
    void SetTriangles(const s_GxVert_PosColUV* v, int32_t n, const uint32_t* i = nullptr, int32_t ni = 0) {
        SetTriangles(v, kGxPosColUVBits, n, i, ni);
    }
    void SetTriangles(const s_GxVert_PosNormCol* v, int32_t n, const uint32_t* i = nullptr, int32_t ni = 0) {
        SetTriangles(v, kGxPosNormColBits, n, i, ni);
    }
};

// ---- targets, viewports, cameras ------------------------------------------------

class RenderTargetGx : public GxCell {
public:
    // An RGBA8 colour texture and, on request, a depth buffer. False when the
    // framebuffer is not complete (the target is then not used).
    virtual bool Create(int32_t width, int32_t height, bool depth) = 0;
    // Colour (0, 0, 0, 0), depth 1, stencil 0.
    virtual void Clear() = 0;
    virtual TextureGx* ColorTexture() = 0;
};

class ViewportGx : public GxCell {
public:
    GxBox box;
    virtual void Apply() = 0;
};

class CameraGx : public GxCell {
public:
    Mat4<float> viewProjection;  // column-major, as OpenGL takes it
};

// ---- the drawing object -----------------------------------------------------------

struct s_RenderMesh {
    SSlave<MeshGx> mesh;
    Mat4<float> world;
    bool clipped = false;
    GxBox clip;
    bool depthTest = false;
};

// What one RenderQueue changed, for measuring.
struct GxRenderStats {
    int32_t drawCalls = 0;
    int32_t programSwitches = 0;
    int32_t scissorChanges = 0;
    int32_t depthChanges = 0;
    int32_t textureBinds = 0;
};

class DrawGx : public GxCell {
public:
    Container<s_RenderMesh> queue;
    Container<GxBox> clips;
    bool depthTest = false;
    int32_t renderMode = 0;  // 3D: 0 shaded, 1 lines, 2 shaded then lines
    GxRenderStats stats;

    // Queues the mesh when it has triangles or lines, with the identity when
    // no world matrix is given, the top clip box and the depth-test flag.
    void QueueMesh(MeshGx& mesh, const Mat4<float>* world = nullptr);
    // Pushes the box cut to the current top (the box itself on an empty stack).
    void PushClip(const GxBox& box);
    void PopClip();
    void ClearClips();
    void SetDepthTest(bool on) { depthTest = on; }
    void ClearQueue() { queue.Clear(); }

    virtual void BindTarget(RenderTargetGx* target) = 0;  // null: the window
    virtual void Clear(bool color, bool depth, bool stencil) = 0;
    virtual void RenderQueue(ViewportGx& viewport, CameraGx* camera, bool threeD) = 0;
    // BGRA bytes, four a pixel, the bottom row first.
    virtual bool ReadPixels(int32_t x, int32_t y, int32_t width, int32_t height, uint8_t* out) = 0;
};

// ---- where resources come from --------------------------------------------------

// Makes the drawing resources. The backend's (OpenGL) needs the window's
// context current; another device (one that records what is drawn, for
// laying out and meshing without a window) can stand in for it.
class GxDevice {
public:
    virtual ~GxDevice() = default;
    virtual TextureGx* NewTexture() = 0;
    virtual MeshGx* NewMesh() = 0;
    virtual RenderTargetGx* NewRenderTarget() = 0;
    virtual ViewportGx* NewViewport() = 0;
    virtual DrawGx* NewDraw() = 0;
};

// The backend's device.
GxDevice& BackendGxDevice();
// The device the factories below use; null goes back to the backend's.
void UseGxDevice(GxDevice* device);
GxDevice& CurrentGxDevice();

TextureGx* NewTextureGx();
MeshGx* NewMeshGx();
RenderTargetGx* NewRenderTargetGx();
ViewportGx* NewViewportGx();
DrawGx* NewDrawGx();
