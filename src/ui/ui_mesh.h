// UiMesh: the one way boxes and widgets build what they draw. Solid
// rectangles (textured quads over the root's white material), whole
// textures (an image, a render target, over their own material), outlines
// and lines gather in one mesh, text quads of one font in another; each
// goes into a MeshGx the box keeps until it changes.
#pragma once

#include "cell/enum_cells.h"
#include "core/container.h"
#include "core/links.h"
#include "gx/draw_gx.h"

class FontGx;

class UiMesh {
public:
    // Two triangles over the box.
    void Rect(const GxBox& box, uint32_t color);
    // Which of a texture's rows a textured rectangle shows at the box's top:
    // an image's first, a render target's last (its first row is the view's
    // bottom).
    enum class FirstRow { kAtTop, kAtBottom };
    // The whole texture over the box, its colours as they are; drawn with
    // the texture's material (StoreShapes).
    void TexturedRect(const GxBox& box, FirstRow firstRow);
    // Four lines along the box's inside edge (pixel centres).
    void Outline(const GxBox& box, uint32_t color);
    void Line(float x0, float y0, float x1, float y1, uint32_t color);
    // The text's glyphs from (x, y), each one wholly inside clip; nothing
    // when the font has no glyphs.
    void Text(const FontGx& font, float x, float y, const WChar* text, uint32_t color, const GxBox& clip);
    // Text aligned in box (ec_LRC and ec_DUC values) and clipped to it.
    void AlignedText(const FontGx& font, const GxBox& box, const WChar* text, int32_t alignX, int32_t alignY,
                     uint32_t color);

    bool IsEmpty() const { return solid_.count == 0 && lines_.count == 0 && glyphs_.count == 0; }
    // The rectangles and lines into mesh (emptied of what it had); the
    // rectangles are drawn with material: the root's white one for solid
    // colours, a texture's for textured rectangles.
    void UploadShapes(MeshGx& mesh, MaterialGx* material) const;
    // The glyphs into mesh, drawn with the font's atlas.
    void UploadText(MeshGx& mesh, const FontGx* font) const;
    // The same into a box's cached mesh, made when there is something to
    // draw for the first time.
    void StoreShapes(SObject<MeshGx>& mesh, MaterialGx* material) const;
    void StoreText(SObject<MeshGx>& mesh, const FontGx* font) const;

private:
    DynamicArray<s_GxVert_PosColUV> solid_;
    DynamicArray<s_GxVert_PosCol> lines_;
    DynamicArray<s_GxVert_PosColUV> glyphs_;
};
