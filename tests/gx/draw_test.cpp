// Frames drawn through the drawing layer into a real window's back buffer
// and read back at chosen pixels.
#include <gtest/gtest.h>
#include <lodepng.h>

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <cstring>
#include <regex>

#include "gx/glfw/gl_wnd_gx.h"
#include "cell/hcell.h"
#include "gx/embedded_data.h"
#include "gx/gl/gl_draw_gx.h"
#include "gx/gl/gl_resources.h"
#include "gx/draw_gx.h"
#include "gx/font_gx.h"
#include "support/gx_window.h"
#include "support/test_support.h"

namespace {

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;

struct Draw : ::testing::Test {
    GlWndGx window;
    SObject<DrawGx> draw;
    SObject<ViewportGx> viewport;
    SObject<TextureGx> white;
    SObject<MaterialGx> plain;
    Container<MeshGx> meshes;

    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
        ASSERT_TRUE(test::CreateTestWindow(window, 700, 500, 120, 100, WTXT("Drawing")));
        window.MakeCurrent();
        draw.Reset(NewDrawGx());
        viewport.Reset(NewViewportGx());
        viewport->box = GxBox{0, 0, 120, 100};
        white.Reset(NewTextureGx());
        std::vector<uint32_t> pixels(16 * 16, 0xFFFFFFFF);
        ASSERT_TRUE(white->SetPixels(16, 16, pixels.data()));
        plain.Reset(new MaterialGx);
        plain->texture.PointAt(white->EnsureSelfLink());
    }
    void TearDown() override {
        meshes.Clear();
        draw.Reset(nullptr);
        white.Reset(nullptr);
        window.Destroy();
    }

    // A counter-clockwise quad in the 2D textured format.
    MeshGx& Quad(float x0, float y0, float x1, float y1, uint32_t color, MaterialGx* material = nullptr) {
        MeshGx* mesh = NewMeshGx();
        const s_GxVert_PosColUV v[6] = {{x0, y0, 0, color, 0, 1}, {x1, y0, 0, color, 1, 1}, {x1, y1, 0, color, 1, 0},
                                        {x0, y0, 0, color, 0, 1}, {x1, y1, 0, color, 1, 0}, {x0, y1, 0, color, 0, 0}};
        mesh->SetTriangles(v, 6);
        mesh->material.PointAt((material ? material : plain.Get())->EnsureSelfLink());
        meshes.Add(mesh);
        return *mesh;
    }

    void Render() {
        draw->BindTarget(nullptr);
        draw->Clear(true, true, false);
        draw->RenderQueue(*viewport, nullptr, false);
        draw->ClearQueue();
    }

    // The pixel at (x, y) from the bottom-left, as 0xAARRGGBB.
    uint32_t Pixel(int32_t x, int32_t y) {
        uint8_t bgra[4];
        draw->ReadPixels(x, y, 1, 1, bgra);
        return uint32_t(bgra[3]) << 24 | uint32_t(bgra[2]) << 16 | uint32_t(bgra[1]) << 8 | bgra[0];
    }
};

TEST_F(Draw, ACoreContextOfAtLeast32) {
    GLint major = 0, minor = 0, profile = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    EXPECT_GE(major * 10 + minor, 32);
    EXPECT_TRUE(profile & GL_CONTEXT_CORE_PROFILE_BIT);
}

TEST_F(Draw, AColouredQuadLandsWhereItsPixelsSay) {
    draw->QueueMesh(Quad(10, 20, 50, 40, kRed));
    Render();
    EXPECT_EQ(Pixel(10, 20), kRed);  // (0, 0) is the bottom-left corner
    EXPECT_EQ(Pixel(49, 39), kRed);
    EXPECT_EQ(Pixel(50, 39), 0u);
    EXPECT_EQ(Pixel(9, 20), 0u);
    EXPECT_EQ(draw->stats.drawCalls, 1);
}

TEST_F(Draw, ClipBoxes) {
    draw->PushClip(GxBox{0, 0, 30, 30});
    draw->QueueMesh(Quad(10, 10, 50, 50, kRed));
    draw->PushClip(GxBox{40, 40, 60, 60});  // no overlap: an empty box
    draw->QueueMesh(Quad(0, 0, 120, 100, kBlue));
    draw->PopClip();
    draw->PopClip();
    draw->QueueMesh(Quad(100, 80, 110, 90, kGreen));  // no clip
    Render();
    EXPECT_EQ(Pixel(20, 20), kRed);
    EXPECT_EQ(Pixel(35, 35), 0u);  // cut by the clip
    EXPECT_EQ(Pixel(50, 50), 0u);  // the empty clip skipped its item
    EXPECT_EQ(Pixel(105, 85), kGreen);
    EXPECT_EQ(draw->stats.drawCalls, 2);
    // A mesh with neither part is not queued.
    MeshGx* empty = NewMeshGx();
    meshes.Add(empty);
    draw->QueueMesh(*empty);
    EXPECT_EQ(draw->queue.count, 0);
}

TEST_F(Draw, TrianglesBeforeLinesAndStateChangesOnlyOnChange) {
    MeshGx& mesh = Quad(10, 10, 60, 60, kGreen);
    const s_GxVert_PosCol line[2] = {{5, 30.5f, 0, kBlue}, {70, 30.5f, 0, kBlue}};
    mesh.SetLines(line, 2);
    draw->QueueMesh(mesh);
    draw->QueueMesh(Quad(80, 10, 90, 20, kRed));
    Render();
    EXPECT_EQ(Pixel(30, 30), kBlue);  // the line over its own triangles
    EXPECT_EQ(Pixel(30, 40), kGreen);
    EXPECT_EQ(Pixel(85, 15), kRed);
    // Pass start, flat for the line, textured again for the second quad.
    EXPECT_EQ(draw->stats.programSwitches, 3);
    EXPECT_EQ(draw->stats.scissorChanges, 0);
}

TEST_F(Draw, ATexturedQuadFromAPng) {
    test::TempDir dir;
    // 2 x 2: red, green on the first row; blue, white on the second.
    const unsigned char rgba[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    ASSERT_EQ(lodepng_encode32_file((dir / "t.png").c_str(), rgba, 2, 2), 0u);
    SObject<TextureGx> texture(NewTextureGx());
    ASSERT_TRUE(texture->LoadPng(test::W(dir / "t.png").CStr()));
    EXPECT_EQ(texture->width, 2);
    MaterialGx material;
    material.texture.PointAt(texture->EnsureSelfLink());
    draw->QueueMesh(Quad(0, 0, 40, 40, 0xFFFFFFFF, &material));
    Render();
    EXPECT_EQ(Pixel(10, 30), kRed);  // v = 0 at the top edge: the first row
    EXPECT_EQ(Pixel(30, 30), kGreen);
    EXPECT_EQ(Pixel(10, 10), kBlue);
    EXPECT_EQ(Pixel(30, 10), 0xFFFFFFFFu);
    SObject<TextureGx> missing(NewTextureGx());
    EXPECT_FALSE(missing->LoadPng(test::W(dir / "none.png").CStr()));
    EXPECT_EQ(missing->width, 0);
    draw->ClearQueue();
}

// White images (font atlases) are kept as alphas alone; an image found not
// to be white part of the way through its upload is kept in full colour.
TEST_F(Draw, WhiteImagesKeepTheirAlphaAndOthersTheirColour) {
    const int32_t w = 256, h = 600;  // more rows than one upload strip holds
    std::vector<uint32_t> pixels(size_t(w) * h, 0xFFFFFFFF);
    for (int32_t y = 0; y < h / 2; ++y)  // the upper half's left half is clear
        for (int32_t x = 0; x < w / 2; ++x) pixels[size_t(y) * w + x] = 0x00FFFFFF;
    SObject<TextureGx> atlas(NewTextureGx());
    ASSERT_TRUE(atlas->SetPixels(w, h, pixels.data()));
    EXPECT_TRUE(static_cast<GlTextureGx&>(*atlas).alphaOnly);
    for (size_t i = size_t(h - 50) * w; i < pixels.size(); ++i) pixels[i] = kRed;  // the last 50 rows red
    SObject<TextureGx> coloured(NewTextureGx());
    ASSERT_TRUE(coloured->SetPixels(w, h, pixels.data()));
    EXPECT_FALSE(static_cast<GlTextureGx&>(*coloured).alphaOnly);

    MaterialGx atlasMaterial, colouredMaterial;
    atlasMaterial.texture.PointAt(atlas->EnsureSelfLink());
    colouredMaterial.texture.PointAt(coloured->EnsureSelfLink());
    draw->QueueMesh(Quad(0, 0, 40, 40, kGreen, &atlasMaterial));
    draw->QueueMesh(Quad(60, 0, 100, 40, 0xFFFFFFFF, &colouredMaterial));
    Render();
    EXPECT_EQ(Pixel(5, 35), 0u);  // clear texels let the background through
    EXPECT_EQ(Pixel(35, 35), kGreen);  // opaque white texels take the tint
    EXPECT_EQ(Pixel(5, 5), kGreen);
    EXPECT_EQ(Pixel(80, 1), kRed);  // the last rows, at the quad's bottom edge
    EXPECT_EQ(Pixel(80, 20), 0xFFFFFFFFu);
    draw->ClearQueue();
}

TEST_F(Draw, TextWithTheBuiltInFont) {
    FontGx font;
    const EmbeddedBlock block = BuiltinFont(0);
    ASSERT_TRUE(font.LoadFont(block.data, block.size));
    ASSERT_TRUE(font.CreateTexture());
    DynamicArray<s_GxVert_PosColUV> quads;
    const GxBox clip{0, 0, 120, 100};
    font.AppendTextQuads(10, 10, WTXT("HI"), kGreen, clip, quads);
    MeshGx* mesh = NewMeshGx();
    meshes.Add(mesh);
    mesh->SetTriangles(quads.data, quads.count);
    mesh->material.PointAt(font.material->EnsureSelfLink());
    draw->QueueMesh(*mesh);
    Render();
    // "H" stands at x 10 onwards, its top near y = 100 - 10 - its offset.
    int green = 0, other = 0;
    for (int32_t y = 60; y < 95; ++y)
        for (int32_t x = 5; x < 40; ++x) {
            const uint32_t p = Pixel(x, y);
            green += p == kGreen;
            other += p != kGreen && p != 0;
        }
    EXPECT_GT(green, 20);
    EXPECT_EQ(other, 0);  // one bit a pixel: crisp, no blended edges
    // The left stem of "H" is a full column of ink.
    const s_FontGlyph& h = font.Glyph('H');
    const int32_t top = 100 - (10 + h.yOffset);
    int column = 0;
    for (int32_t y = top - h.height; y < top; ++y)
        for (int32_t x = 10; x < 14; ++x) column += Pixel(x, y) == kGreen;
    EXPECT_GE(column, h.height - 2);
}

TEST_F(Draw, RenderModesDrawEveryTriangleBeforeAnyLine) {
    // Clip space through an identity camera; a lit red square and a blue
    // line across it at the same depth.
    MeshGx* mesh = NewMeshGx();
    meshes.Add(mesh);
    const s_GxVert_PosNormCol tri[6] = {{-0.5f, -0.5f, 0, 0, 0, 1, kRed}, {0.5f, -0.5f, 0, 0, 0, 1, kRed},
                                        {0.5f, 0.5f, 0, 0, 0, 1, kRed},   {-0.5f, -0.5f, 0, 0, 0, 1, kRed},
                                        {0.5f, 0.5f, 0, 0, 0, 1, kRed},   {-0.5f, 0.5f, 0, 0, 0, 1, kRed}};
    mesh->SetTriangles(tri, 6);
    const s_GxVert_PosCol line[2] = {{-0.9f, 0.01f, 0, kBlue}, {0.9f, 0.01f, 0, kBlue}};
    mesh->SetLines(line, 2);
    CameraGx camera;
    struct Case {
        int32_t mode;
        uint32_t onLine, onSquare;
    } cases[] = {{0, kRed, kRed}, {1, kBlue, 0}, {2, kBlue, kRed}, {3, 0, 0}};
    for (const Case& c : cases) {
        draw->renderMode = c.mode;
        draw->SetDepthTest(true);
        draw->QueueMesh(*mesh);
        draw->BindTarget(nullptr);
        draw->Clear(true, true, false);
        draw->RenderQueue(*viewport, &camera, true);
        draw->ClearQueue();
        EXPECT_EQ(Pixel(60, 50), c.onLine) << "mode " << c.mode;
        EXPECT_EQ(Pixel(60, 40), c.onSquare) << "mode " << c.mode;
    }
}

TEST_F(Draw, AnOffScreenTarget) {
    SObject<RenderTargetGx> target(NewRenderTargetGx());
    ASSERT_TRUE(target->Create(32, 32, true));
    EXPECT_EQ(target->ColorTexture()->width, 32);
    draw->BindTarget(target.Get());
    draw->Clear(true, true, false);
    draw->QueueMesh(Quad(0, 0, 16, 32, kGreen));
    SObject<ViewportGx> small(NewViewportGx());
    small->box = GxBox{0, 0, 32, 32};
    draw->RenderQueue(*small, nullptr, false);
    draw->ClearQueue();
    EXPECT_EQ(Pixel(4, 4), kGreen);
    EXPECT_EQ(Pixel(20, 4), 0u);
    // Back on the window, the target's texture draws like any other.
    MaterialGx material;
    material.texture.PointAt(target->ColorTexture()->EnsureSelfLink());
    draw->BindTarget(nullptr);
    draw->QueueMesh(Quad(0, 0, 64, 64, 0xFFFFFFFF, &material));
    Render();
    EXPECT_EQ(Pixel(10, 10), kGreen);
    EXPECT_EQ(Pixel(50, 10), 0u);
}

TEST_F(Draw, ShaderErrorsGoToTheLog) {
    test::LogCapture log;
    EXPECT_EQ(GlCompileStage(GL_FRAGMENT_SHADER, "#version 330 core\nvoid main() { nonsense; }\n"), 0u);
    // A function declared but never defined compiles, and fails the link.
    const uint32_t vertex = GlCompileStage(
        GL_VERTEX_SHADER, "#version 330 core\nvec4 f();\nvoid main() { gl_Position = f(); }\n");
    const uint32_t fragment =
        GlCompileStage(GL_FRAGMENT_SHADER, "#version 330 core\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n");
    ASSERT_NE(vertex, 0u);
    ASSERT_NE(fragment, 0u);
    GlProgram program;
    EXPECT_FALSE(GlLinkProgram(program, vertex, fragment));
    EXPECT_EQ(program.name, 0u);
    EXPECT_TRUE(GlLinkProgram(program, 0, fragment));  // a missing stage leaves the program missing
    EXPECT_EQ(program.name, 0u);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    // Each heading on a line of its own, the driver's log on the next.
    for (const char* heading : {"GlError, cannot compile shader: \n", "GlError, cannot link shader: \n"}) {
        const size_t at = log.text().find(heading);
        ASSERT_NE(at, std::string::npos) << log.text();
        const size_t next = at + std::strlen(heading);
        EXPECT_NE(log.text().substr(next, 1), "\n") << log.text();
    }
}

// A part uploaded again in a format without normals or texture
// coordinates no longer reads them.
TEST_F(Draw, AReuploadInAnotherFormatSwitchesOldAttributesOff) {
    GlMeshGx mesh;
    const float normals[3 * 7] = {};
    mesh.SetTriangles(normals, kGxPosNormColBits, 3, nullptr, 0);
    const auto enabled = [&](uint32_t attribute) {
        glBindVertexArray(mesh.triangles.vertexArray);
        GLint on = -1;
        glGetVertexAttribiv(attribute, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &on);
        glBindVertexArray(0);
        return on;
    };
    EXPECT_EQ(enabled(kGxNormal), 1);
    const float plain[3 * 4] = {};
    mesh.SetTriangles(plain, kGxPosColBits, 3, nullptr, 0);
    EXPECT_EQ(enabled(kGxNormal), 0);
    EXPECT_EQ(enabled(kGxTexCoord), 0);
    EXPECT_EQ(enabled(kGxColor), 1);
}

// A window's children release their textures and meshes while the
// window's context is still there and current.
TEST_F(Draw, ChildrenGoWhileTheirContextLives) {
    struct Child : HCell {
        GLFWwindow** seen;
        explicit Child(GLFWwindow** s) : seen(s) {}
        ~Child() override { *seen = glfwGetCurrentContext(); }
    };
    GLFWwindow* seen = nullptr;
    GLFWwindow* handle = nullptr;
    {
        GlWndGx other;
        ASSERT_TRUE(test::CreateTestWindow(other, 20, 20, 64, 64, WTXT("Other")));
        handle = other.handle;
        window.MakeCurrent();  // another context current when it goes
        other.AddChild(new Child(&seen));
    }
    EXPECT_EQ(seen, handle);
    window.MakeCurrent();
}

// A windowing error is a line of its own followed by an empty line.
TEST_F(Draw, WindowingErrorsGoToTheLog) {
    test::LogCapture log;
    ASSERT_TRUE(StartWindowing());
    glfwWindowHint(0x7FFF0001, 0);  // no such hint
    EXPECT_TRUE(std::regex_match(log.text(), std::regex("Glfw error \\(65539\\) : [^\n]*7FFF0001[^\n]*\n\n")))
        << log.text();
}

}  // namespace
