// The OpenGL drawing object: four shader programs and the render passes.
#pragma once

#include "gx/draw_gx.h"

class GlMeshGx;
struct GlProgram;

// A shader stage (GL_VERTEX_SHADER or GL_FRAGMENT_SHADER), or 0 after
// logging "GlError, cannot compile shader: " and the compiler's log.
uint32_t GlCompileStage(uint32_t kind, const char* source);
// Links two stages into program; a missing stage leaves it missing (true).
// False after logging "GlError, cannot link shader: " and the linker's log.
bool GlLinkProgram(GlProgram& program, uint32_t vertex, uint32_t fragment);

struct GlProgram {
    uint32_t name = 0;
    int32_t world = -1, viewProj = -1, ambient = -1, light = -1, transform2d = -1, sampler = -1;
};

class GlDrawGx : public DrawGx {
public:
    enum Program : int32_t { kLit, kUnlit, kTextured2D, kFlat2D, kProgramCount };
    GlProgram programs[kProgramCount];

    GlDrawGx();  // needs a current OpenGL 3.2 context
    ~GlDrawGx() override;

    void BindTarget(RenderTargetGx* target) override;
    void Clear(bool color, bool depth, bool stencil) override;
    void RenderQueue(ViewportGx& viewport, CameraGx* camera, bool threeD) override;
    bool ReadPixels(int32_t x, int32_t y, int32_t width, int32_t height, uint8_t* out) override;

private:
    SSlave<RenderTargetGx> target_;
    const GlProgram* current_ = nullptr;  // program in use during a pass
    bool scissorOn_ = false;
    GxBox scissor_;
    bool depthOn_ = false;  // the depth-test state as last set
    uint32_t boundTexture_ = 0;

    void Use(Program program, const ViewportGx& viewport, const CameraGx* camera);
    void BeginPass(Program program, const ViewportGx& viewport, const CameraGx* camera);
    bool PrepareItem(const s_RenderMesh& item);
    void DrawTriangles(const GlMeshGx& mesh);
    void RunPass(int32_t pass, const ViewportGx& viewport, const CameraGx* camera);
};
