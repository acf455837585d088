// OpenGL textures, meshes, render targets and viewports: thin wrappers that
// own their GL objects and delete them when destroyed.
#include <GL/glew.h>

#include "gx/gl/gl_resources.h"

#include <algorithm>
#include <cstring>
#include <vector>

// ---- textures ------------------------------------------------------------------

GlTextureGx::~GlTextureGx() {
    if (name) glDeleteTextures(1, &name);
}

namespace {

// True when every pixel's red equals its blue (grey or white images such as
// font atlases): their bytes read the same as BGRA and as RGBA, and RGBA
// uploads without the driver swapping every pixel.
bool RedIsBlue(const uint32_t* pixels, size_t n) {
    uint64_t differ = 0;
    size_t i = 0;
    for (; i + 2 <= n; i += 2) {  // two pixels a step
        uint64_t pair;
        std::memcpy(&pair, pixels + i, 8);
        differ |= (pair ^ (pair >> 16)) & 0x000000FF000000FFull;
    }
    for (; i < n; ++i) differ |= (pixels[i] ^ (pixels[i] >> 16)) & 0xFF;
    return differ == 0;
}

// A texture whose every pixel is white needs only its alpha: the GL keeps
// one byte a pixel and reads it back as (1, 1, 1, alpha) through the
// texture's swizzle (OpenGL 3.3 or ARB_texture_swizzle). Font atlases are
// such images, and this keeps the driver's copy of them at a quarter of the
// size, which is most of what loading a font costs.
bool CanKeepAlphaOnly() { return GLEW_VERSION_3_3 || GLEW_ARB_texture_swizzle; }

// Uploads the alphas of a texture already bound, a strip of rows at a time
// through a small buffer; false as soon as a pixel is not white, leaving the
// texture half filled for the caller to specify again.
bool UploadAlphaOnly(int32_t w, int32_t h, const uint32_t* pixels) {
    constexpr size_t kStripBytes = 128 * 1024;
    const int32_t rowsPerStrip = std::max<int32_t>(1, int32_t(kStripBytes / size_t(w)));
    std::vector<uint8_t> strip(size_t(w) * size_t(std::min(rowsPerStrip, h)));
    glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, w, h, 0, GL_RED, GL_UNSIGNED_BYTE, nullptr);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int32_t y = 0; y < h; y += rowsPerStrip) {
        const int32_t rows = std::min(rowsPerStrip, h - y);
        const size_t n = size_t(w) * size_t(rows);
        const uint32_t* from = pixels + size_t(y) * size_t(w);
        uint32_t notWhite = 0;
        for (size_t i = 0; i < n; ++i) {
            notWhite |= ~from[i] & 0x00FFFFFFu;
            strip[i] = uint8_t(from[i] >> 24);
        }
        if (notWhite) return false;
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, y, w, rows, GL_RED, GL_UNSIGNED_BYTE, strip.data());
    }
    const GLint swizzle[4] = {GL_ONE, GL_ONE, GL_ONE, GL_RED};
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
    return true;
}

void UploadRgba(int32_t w, int32_t h, const uint32_t* pixels) {
    const GLenum order = RedIsBlue(pixels, size_t(w) * size_t(h)) ? GL_RGBA : GL_BGRA;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, order, GL_UNSIGNED_BYTE, pixels);  // bytes B, G, R, A
    if (CanKeepAlphaOnly()) {  // a name may have held an alpha-only image before
        const GLint identity[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};
        glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, identity);
    }
}

// Coverage bytes as the texture, a strip at a time: kept as they are where
// the GL can swizzle, else widened to white pixels.
void UploadAlphas(int32_t w, int32_t h, const GxAlphaRows& rows, bool keepAlphaOnly) {
    constexpr size_t kStripPixels = 128 * 1024;
    const int32_t rowsPerStrip = std::max<int32_t>(1, int32_t(kStripPixels / size_t(w)));
    const size_t stripPixels = size_t(w) * size_t(std::min(rowsPerStrip, h));
    std::vector<uint8_t> strip(stripPixels);
    std::vector<uint32_t> wide(keepAlphaOnly ? 0 : stripPixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (keepAlphaOnly) glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, w, h, 0, GL_RED, GL_UNSIGNED_BYTE, nullptr);
    else glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    for (int32_t y = 0; y < h; y += rowsPerStrip) {
        const int32_t count = std::min(rowsPerStrip, h - y);
        rows.Rows(y, count, strip.data());
        if (keepAlphaOnly) {
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, y, w, count, GL_RED, GL_UNSIGNED_BYTE, strip.data());
            continue;
        }
        for (size_t i = 0; i < size_t(w) * size_t(count); ++i) wide[i] = uint32_t(strip[i]) << 24 | 0x00FFFFFFu;
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, y, w, count, GL_BGRA, GL_UNSIGNED_BYTE, wide.data());
    }
    if (keepAlphaOnly) {
        const GLint swizzle[4] = {GL_ONE, GL_ONE, GL_ONE, GL_RED};
        glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
    }
}

void FinishTexture() {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
}

}  // namespace

bool GlTextureGx::SetAlphas(int32_t w, int32_t h, const GxAlphaRows& rows) {
    if (w <= 0 || h <= 0) return false;
    if (name) glDeleteTextures(1, &name);
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    alphaOnly = CanKeepAlphaOnly();
    UploadAlphas(w, h, rows, alphaOnly);
    FinishTexture();
    width = w;
    height = h;
    return true;
}

bool GlTextureGx::SetPixels(int32_t w, int32_t h, const uint32_t* pixels) {
    if (w <= 0 || h <= 0 || !pixels) return false;
    if (name) glDeleteTextures(1, &name);
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    alphaOnly = CanKeepAlphaOnly() && UploadAlphaOnly(w, h, pixels);
    if (!alphaOnly) UploadRgba(w, h, pixels);
    FinishTexture();
    width = w;
    height = h;
    return true;
}

// ---- meshes ----------------------------------------------------------------------

namespace {

void DeletePart(GlMeshPart& part) {
    if (part.indexBuffer) glDeleteBuffers(1, &part.indexBuffer);
    if (part.vertexBuffer) glDeleteBuffers(1, &part.vertexBuffer);
    if (part.vertexArray) glDeleteVertexArrays(1, &part.vertexArray);
    part = GlMeshPart{};
}

// Attribute pointers for the format the bit set names.
void DescribeFormat(uint32_t bits, GLsizei& stride) {
    const bool normal = bits & kGxHasNormal, uv = bits & kGxHasTexCoord;
    stride = normal ? 28 : uv ? 24 : 16;
    glEnableVertexAttribArray(kGxPosition);
    glVertexAttribPointer(kGxPosition, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(0));
    size_t offset = 12;
    // An attribute the format lacks is switched off: a part uploaded again
    // in another format must not read the old layout's.
    if (normal) {
        glEnableVertexAttribArray(kGxNormal);
        glVertexAttribPointer(kGxNormal, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offset));
        offset += 12;
    } else {
        glDisableVertexAttribArray(kGxNormal);
    }
    glEnableVertexAttribArray(kGxColor);
    glVertexAttribPointer(kGxColor, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, reinterpret_cast<void*>(offset));
    offset += 4;
    if (uv) {
        glEnableVertexAttribArray(kGxTexCoord);
        glVertexAttribPointer(kGxTexCoord, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offset));
    } else {
        glDisableVertexAttribArray(kGxTexCoord);
    }
}

void Upload(GlMeshPart& part, const void* vertices, uint32_t bits, int32_t count, const uint32_t* indices,
            int32_t indexCount) {
    if (!vertices || count <= 0) {
        DeletePart(part);
        return;
    }
    if (!part.vertexArray) glGenVertexArrays(1, &part.vertexArray);
    if (!part.vertexBuffer) glGenBuffers(1, &part.vertexBuffer);
    glBindVertexArray(part.vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, part.vertexBuffer);
    GLsizei stride = 0;
    DescribeFormat(bits, stride);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(stride) * count, vertices, GL_STATIC_DRAW);
    if (indices && indexCount > 0) {
        if (!part.indexBuffer) glGenBuffers(1, &part.indexBuffer);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, part.indexBuffer);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(sizeof(uint32_t)) * indexCount, indices, GL_STATIC_DRAW);
        part.indexCount = indexCount;
    } else {
        if (part.indexBuffer) glDeleteBuffers(1, &part.indexBuffer);
        part.indexBuffer = 0;
        part.indexCount = 0;
    }
    glBindVertexArray(0);
    part.stride = stride;
    part.attributes = bits;
    part.vertexCount = count;
}

}  // namespace

GlMeshGx::~GlMeshGx() {
    DeletePart(triangles);
    DeletePart(lines);
}

void GlMeshGx::SetTriangles(const void* vertices, uint32_t bits, int32_t count, const uint32_t* indices,
                            int32_t indexCount) {
    if (bits != kGxPosColBits && bits != kGxPosColUVBits && bits != kGxPosNormColBits) return;
    Upload(triangles, vertices, bits, count, indices, indexCount);
}

void GlMeshGx::SetLines(const s_GxVert_PosCol* vertices, int32_t count) {
    Upload(lines, vertices, kGxPosColBits, count, nullptr, 0);
}

void GlMeshGx::DrawTriangles(GxRenderStats& stats) const {
    if (!HasTriangles()) return;
    glBindVertexArray(triangles.vertexArray);
    if (triangles.indexCount > 0) glDrawElements(GL_TRIANGLES, triangles.indexCount, GL_UNSIGNED_INT, nullptr);
    else glDrawArrays(GL_TRIANGLES, 0, triangles.vertexCount);
    ++stats.drawCalls;
}

void GlMeshGx::DrawLines(GxRenderStats& stats) const {
    if (!HasLines()) return;
    glBindVertexArray(lines.vertexArray);
    glDrawArrays(GL_LINES, 0, lines.vertexCount);
    ++stats.drawCalls;
}


// ---- render targets -----------------------------------------------------------------

GlRenderTargetGx::~GlRenderTargetGx() { Release(); }

void GlRenderTargetGx::Release() {
    if (depthBuffer) glDeleteRenderbuffers(1, &depthBuffer);
    if (framebuffer) glDeleteFramebuffers(1, &framebuffer);
    depthBuffer = framebuffer = 0;
    complete = false;
}

bool GlRenderTargetGx::Create(int32_t w, int32_t h, bool depth) {
    Release();
    if (w <= 0 || h <= 0) return false;
    color.width = color.height = 0;
    if (color.name) glDeleteTextures(1, &color.name);
    glGenTextures(1, &color.name);
    glBindTexture(GL_TEXTURE_2D, color.name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    color.width = w;
    color.height = h;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, color.name, 0);
    hasDepth = depth;
    if (depth) {
        glGenRenderbuffers(1, &depthBuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, w, h);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer);
    }
    complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return complete;
}

void GlRenderTargetGx::Clear() {
    if (!complete) return;
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 0);
    glClearDepth(1);
    glClearStencil(0);
    glClear(GL_COLOR_BUFFER_BIT | (hasDepth ? GL_DEPTH_BUFFER_BIT : 0));
}


// ---- viewports --------------------------------------------------------------------

void GlViewportGx::Apply() {
    glViewport(GLint(box.x0), GLint(box.y0), GLsizei(box.x1 - box.x0), GLsizei(box.y1 - box.y0));
}
