// The OpenGL implementations of the drawing layer's resources.
#pragma once

#include "gx/draw_gx.h"

class GlTextureGx : public TextureGx {
public:
    uint32_t name = 0;
    bool alphaOnly = false;  // every pixel was white: the GL keeps the alphas alone
    ~GlTextureGx() override;
    bool SetPixels(int32_t w, int32_t h, const uint32_t* pixels) override;
    bool SetAlphas(int32_t w, int32_t h, const GxAlphaRows& rows) override;
};

struct GlMeshPart {
    uint32_t vertexArray = 0, vertexBuffer = 0, indexBuffer = 0;
    int32_t stride = 0, vertexCount = 0, indexCount = 0;
    uint32_t attributes = 0;
};

class GlMeshGx : public MeshGx {
public:
    GlMeshPart triangles;
    GlMeshPart lines;

    ~GlMeshGx() override;
    void SetTriangles(const void* vertices, uint32_t bits, int32_t count, const uint32_t* indices,
                      int32_t indexCount) override;
    void SetLines(const s_GxVert_PosCol* vertices, int32_t count) override;
    using MeshGx::SetTriangles;
    bool HasTriangles() const override { return triangles.vertexCount > 0; }
    bool HasLines() const override { return lines.vertexCount > 0; }

    void DrawTriangles(GxRenderStats& stats) const;
    void DrawLines(GxRenderStats& stats) const;
};

class GlRenderTargetGx : public RenderTargetGx {
public:
    uint32_t framebuffer = 0, depthBuffer = 0;
    GlTextureGx color;
    bool hasDepth = false;
    bool complete = false;

    ~GlRenderTargetGx() override;
    bool Create(int32_t width, int32_t height, bool depth) override;
    void Clear() override;
    TextureGx* ColorTexture() override { return &color; }

private:
    void Release();
};

class GlViewportGx : public ViewportGx {
public:
    void Apply() override;
};
