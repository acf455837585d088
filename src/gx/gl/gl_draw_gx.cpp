// The OpenGL drawing object. Sections: programs; targets and reading back;
// rendering the queue; the OpenGL device.
#include <GL/glew.h>

#include "gx/gl/gl_draw_gx.h"

#include <initializer_list>

#include "core/log.h"
#include "core/text_convert.h"
#include "gx/gl/gl_resources.h"
#include "gx/gl/gl_shaders.h"

// ---- programs ---------------------------------------------------------------------

namespace {

void LogGlError(const WChar* what, const char* infoLog) {
    WString text;
    Utf8ToWide(infoLog, text);
    // The heading and the driver's own log, each on its own line.
    LogLine(what);
    LogLine(WTXT("%s"), text);
}

}  // namespace

// A compiled stage, or 0 after logging the compiler's complaint.
uint32_t GlCompileStage(uint32_t kind, const char* source) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok) return shader;
    char log[4096] = {};
    glGetShaderInfoLog(shader, sizeof log - 1, nullptr, log);
    LogGlError(WTXT("GlError, cannot compile shader: "), log);
    glDeleteShader(shader);
    return 0;
}

bool GlLinkProgram(GlProgram& program, uint32_t vertex, uint32_t fragment) {
    if (!vertex || !fragment) return true;  // a missing stage leaves the program missing
    const GLuint name = glCreateProgram();
    glAttachShader(name, vertex);
    glAttachShader(name, fragment);
    glLinkProgram(name);
    GLint ok = 0;
    glGetProgramiv(name, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[4096] = {};
        glGetProgramInfoLog(name, sizeof log - 1, nullptr, log);
        LogGlError(WTXT("GlError, cannot link shader: "), log);
        glDeleteProgram(name);
        return false;
    }
    program.name = name;
    program.world = glGetUniformLocation(name, "world");
    program.viewProj = glGetUniformLocation(name, "view_proj");
    program.ambient = glGetUniformLocation(name, "ambient_color");
    program.light = glGetUniformLocation(name, "directional_light_vec");
    program.transform2d = glGetUniformLocation(name, "transform_2d");
    program.sampler = glGetUniformLocation(name, "tex0_sam");
    return true;
}

GlDrawGx::GlDrawGx() {
    const GLuint litVertex = GlCompileStage(GL_VERTEX_SHADER, gl_shaders::kLitVertex);
    const GLuint unlitVertex = GlCompileStage(GL_VERTEX_SHADER, gl_shaders::kUnlitVertex);
    const GLuint vertex2D = GlCompileStage(GL_VERTEX_SHADER, gl_shaders::k2DVertex);
    const GLuint colorFragment = GlCompileStage(GL_FRAGMENT_SHADER, gl_shaders::kColorFragment);
    const GLuint texturedFragment = GlCompileStage(GL_FRAGMENT_SHADER, gl_shaders::kTexturedFragment);
    // A link failure stops here: the later programs stay missing.
    GlLinkProgram(programs[kLit], litVertex, colorFragment) &&
        GlLinkProgram(programs[kUnlit], unlitVertex, colorFragment) &&
        GlLinkProgram(programs[kTextured2D], vertex2D, texturedFragment) &&
        GlLinkProgram(programs[kFlat2D], vertex2D, colorFragment);
    for (GLuint stage : {litVertex, unlitVertex, vertex2D, colorFragment, texturedFragment})
        if (stage) glDeleteShader(stage);

    glClearColor(0.0f, 0.05f, 0.1f, 1.0f);
    glClearDepth(1.0);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.0f, 1.0f);
}

GlDrawGx::~GlDrawGx() {
    for (GlProgram& p : programs)
        if (p.name) glDeleteProgram(p.name);
}

// ---- targets and reading back ----------------------------------------------------------

void GlDrawGx::BindTarget(RenderTargetGx* target) {
    target_.Release();
    auto* gl = static_cast<GlRenderTargetGx*>(target);
    if (gl && gl->complete) {
        target_.PointAt(gl->EnsureSelfLink());
        glBindFramebuffer(GL_FRAMEBUFFER, gl->framebuffer);
    } else {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
}

void GlDrawGx::Clear(bool color, bool depth, bool stencil) {
    if (RenderTargetGx* target = target_.Get()) {
        target->Clear();
        return;
    }
    glDisable(GL_SCISSOR_TEST);
    scissorOn_ = false;
    glClearColor(0, 0, 0, 0);
    glClear((color ? GL_COLOR_BUFFER_BIT : 0) | (depth ? GL_DEPTH_BUFFER_BIT : 0) |
            (stencil ? GL_STENCIL_BUFFER_BIT : 0));
}

bool GlDrawGx::ReadPixels(int32_t x, int32_t y, int32_t width, int32_t height, uint8_t* out) {
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(x, y, width, height, GL_BGRA, GL_UNSIGNED_BYTE, out);
    return true;
}

// ---- rendering the queue -------------------------------------------------------------------

void GlDrawGx::Use(Program which, const ViewportGx& viewport, const CameraGx* camera) {
    const GlProgram& p = programs[which];
    current_ = &p;
    ++stats.programSwitches;
    glUseProgram(p.name);
    if (!p.name) return;
    if (p.viewProj >= 0 && camera) glUniformMatrix4fv(p.viewProj, 1, GL_FALSE, camera->viewProjection.m);
    if (p.ambient >= 0) glUniform3f(p.ambient, 0.5f, 0.5f, 0.5f);
    if (p.light >= 0) glUniform3f(p.light, 0.26726124f, 0.5345225f, 0.8017837f);
    if (p.transform2d >= 0) {
        const float w = viewport.box.x1 - viewport.box.x0, h = viewport.box.y1 - viewport.box.y0;
        glUniform4f(p.transform2d, 2.0f / w, 2.0f / h, -1.0f, -1.0f);
    }
    if (p.sampler >= 0) glUniform1i(p.sampler, 0);
}

void GlDrawGx::BeginPass(Program program, const ViewportGx& viewport, const CameraGx* camera) {
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    Use(program, viewport, camera);
}

// World matrix, clip and depth for one item; false when its clip is empty.
bool GlDrawGx::PrepareItem(const s_RenderMesh& item) {
    if (current_ && current_->name && current_->world >= 0) glUniformMatrix4fv(current_->world, 1, GL_FALSE, item.world.m);
    if (!item.clipped) {
        if (scissorOn_) {
            glDisable(GL_SCISSOR_TEST);
            scissorOn_ = false;
            ++stats.scissorChanges;
        }
    } else if (!scissorOn_ || !(scissor_ == item.clip)) {
        const GxBox& c = item.clip;
        if (c.x1 - c.x0 <= 0 || c.y1 - c.y0 <= 0) return false;
        scissor_ = c;
        glScissor(GLint(c.x0), GLint(c.y0), GLsizei(c.x1 - c.x0), GLsizei(c.y1 - c.y0));
        if (!scissorOn_) glEnable(GL_SCISSOR_TEST);
        scissorOn_ = true;
        ++stats.scissorChanges;
    }
    if (item.depthTest != depthOn_) {
        if (item.depthTest) glEnable(GL_DEPTH_TEST);
        else glDisable(GL_DEPTH_TEST);
        depthOn_ = item.depthTest;
        ++stats.depthChanges;
    }
    return true;
}

void GlDrawGx::DrawTriangles(const GlMeshGx& mesh) {
    if (const MaterialGx* material = mesh.material.Get())
        if (const auto* texture = static_cast<const GlTextureGx*>(material->texture.Get()))
            if (texture->name != boundTexture_) {
                glActiveTexture(GL_TEXTURE0);
                glBindTexture(GL_TEXTURE_2D, texture->name);
                boundTexture_ = texture->name;
                ++stats.textureBinds;
            }
    mesh.DrawTriangles(stats);
}

// pass: 0 shaded, 1 lines, 2 the 2D pass.
void GlDrawGx::RunPass(int32_t pass, const ViewportGx& viewport, const CameraGx* camera) {
    BeginPass(pass == 0 ? kLit : pass == 1 ? kUnlit : kTextured2D, viewport, camera);
    for (int32_t i = 0; i < queue.count; ++i) {
        const s_RenderMesh& item = *queue[i];
        const auto* mesh = static_cast<const GlMeshGx*>(item.mesh.Get());
        if (!mesh || !PrepareItem(item)) continue;
        if (pass != 2 && !current_->name) continue;  // a missing program draws nothing
        if (pass == 0) {
            DrawTriangles(*mesh);
        } else if (pass == 1) {
            mesh->DrawLines(stats);
        } else {
            if (mesh->HasTriangles()) {
                if (current_ != &programs[kTextured2D]) Use(kTextured2D, viewport, camera);
                if (current_->name) DrawTriangles(*mesh);
            }
            if (mesh->HasLines()) {
                if (current_ != &programs[kFlat2D]) Use(kFlat2D, viewport, camera);
                if (current_->name) mesh->DrawLines(stats);
            }
        }
    }
}

void GlDrawGx::RenderQueue(ViewportGx& viewport, CameraGx* camera, bool threeD) {
    stats = GxRenderStats{};
    boundTexture_ = 0;  // textures may have been bound outside
    glDisable(GL_SCISSOR_TEST);
    scissorOn_ = false;
    glDisable(GL_STENCIL_TEST);
    viewport.Apply();
    if (!threeD) {
        glDisable(GL_DEPTH_TEST);
        depthOn_ = false;
        RunPass(2, viewport, camera);
    } else {
        glEnable(GL_DEPTH_TEST);
        glDepthMask(GL_TRUE);
        depthOn_ = true;
        if (renderMode == 0 || renderMode == 2) RunPass(0, viewport, camera);
        if (renderMode == 1 || renderMode == 2) RunPass(1, viewport, camera);
    }
    glBindVertexArray(0);
    glUseProgram(0);
    current_ = nullptr;
    glFlush();
}

// ---- the OpenGL device -------------------------------------------------------------

namespace {

class GlGxDevice : public GxDevice {
public:
    TextureGx* NewTexture() override { return new GlTextureGx; }
    MeshGx* NewMesh() override { return new GlMeshGx; }
    RenderTargetGx* NewRenderTarget() override { return new GlRenderTargetGx; }
    ViewportGx* NewViewport() override { return new GlViewportGx; }
    DrawGx* NewDraw() override { return new GlDrawGx; }
};

}  // namespace

GxDevice& BackendGxDevice() {
    static GlGxDevice device;
    return device;
}
