#include "ui/ui_mesh.h"

#include <initializer_list>

#include "gx/font_gx.h"

void UiMesh::Rect(const GxBox& box, uint32_t color) {
    // The middle of the white texture: every sample is white.
    const s_GxVert_PosColUV a{box.x0, box.y0, 0, color, 0.5f, 0.5f}, b{box.x1, box.y0, 0, color, 0.5f, 0.5f},
        c{box.x1, box.y1, 0, color, 0.5f, 0.5f}, d{box.x0, box.y1, 0, color, 0.5f, 0.5f};
    for (const s_GxVert_PosColUV& v : {a, b, c, a, c, d}) solid_.Append(v);
}

void UiMesh::TexturedRect(const GxBox& box, FirstRow firstRow) {
    constexpr uint32_t kWhite = 0xFFFFFFFF;  // the texture's colours, untinted
    const float bottom = firstRow == FirstRow::kAtTop ? 1.0f : 0.0f, top = 1.0f - bottom;
    const s_GxVert_PosColUV a{box.x0, box.y0, 0, kWhite, 0, bottom}, b{box.x1, box.y0, 0, kWhite, 1, bottom},
        c{box.x1, box.y1, 0, kWhite, 1, top}, d{box.x0, box.y1, 0, kWhite, 0, top};
    for (const s_GxVert_PosColUV& v : {a, b, c, a, c, d}) solid_.Append(v);
}

void UiMesh::Outline(const GxBox& box, uint32_t color) {
    const float l = box.x0 + 0.5f, r = box.x1 - 0.5f, b = box.y0 + 0.5f, t = box.y1 - 0.5f;
    Line(l, b, r, b, color);
    Line(r, b, r, t, color);
    Line(r, t, l, t, color);
    Line(l, t, l, b, color);
}

void UiMesh::Line(float x0, float y0, float x1, float y1, uint32_t color) {
    lines_.Append(s_GxVert_PosCol{x0, y0, 0, color});
    lines_.Append(s_GxVert_PosCol{x1, y1, 0, color});
}

void UiMesh::Text(const FontGx& font, float x, float y, const WChar* text, uint32_t color, const GxBox& clip) {
    if (!text || font.glyphs.count == 0) return;
    font.AppendTextQuads(int32_t(x), int32_t(y), text, color, clip, glyphs_);
}

void UiMesh::AlignedText(const FontGx& font, const GxBox& box, const WChar* text, int32_t alignX, int32_t alignY,
                         uint32_t color) {
    if (!text || font.glyphs.count == 0) return;
    int32_t x = 0, y = 0;
    font.AlignText(int32_t(box.x0), int32_t(box.y0), int32_t(box.x1), int32_t(box.y1), text, alignX, alignY, x, y);
    Text(font, float(x), float(y), text, color, box);
}

void UiMesh::UploadShapes(MeshGx& mesh, MaterialGx* material) const {
    mesh.SetTriangles(solid_.data, solid_.count);
    mesh.SetLines(lines_.data, lines_.count);
    if (material) mesh.material.PointAt(material->EnsureSelfLink());
    else mesh.material.Release();
}

void UiMesh::UploadText(MeshGx& mesh, const FontGx* font) const {
    mesh.SetTriangles(glyphs_.data, glyphs_.count);
    mesh.SetLines(nullptr, 0);
    if (font && font->material) mesh.material.PointAt(font->material->EnsureSelfLink());
    else mesh.material.Release();
}

void UiMesh::StoreShapes(SObject<MeshGx>& mesh, MaterialGx* material) const {
    if (!mesh && IsEmpty()) return;
    if (!mesh) mesh.Reset(NewMeshGx());
    UploadShapes(*mesh, material);
}

void UiMesh::StoreText(SObject<MeshGx>& mesh, const FontGx* font) const {
    if (!mesh && IsEmpty()) return;
    if (!mesh) mesh.Reset(NewMeshGx());
    UploadText(*mesh, font);
}
