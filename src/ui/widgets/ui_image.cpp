#include "ui/widgets/ui_image.h"

#include "cell/tags.h"
#include "ui/size_rule.h"

// ---- layout ------------------------------------------------------------------------------

UiImage::UiImage(const WChar* path, int32_t sizeKind) {
    Shape(kLayoutNone, sizeKind);
    Load(path);
}

void UiImage::DeclareTags() {
    UiBox::DeclareTags();
    DeclareTag(WTXT("ImagePath"), new StringCell);
}

void UiImage::MakeResources() {
    if (!quadMesh) quadMesh.Reset(NewMeshGx());
    if (!texture) texture.Reset(NewTextureGx());
    if (!material) material.Reset(new MaterialGx);
    material->texture.PointAt(texture->EnsureSelfLink());
    quadMesh->material.PointAt(material->EnsureSelfLink());
}

bool UiImage::Load(const WChar* path) {
    MakeResources();
    if (auto* cell = TagValueAs<StringCell>(kImagePath)) cell->value.Assign(path);
    if (Tag* tag = ValueTagAt(kImagePath)) tag->MarkChanged();
    return path && texture->LoadPng(path);
}

const WChar* UiImage::Path() const {
    const auto* cell = TagValueAs<StringCell>(kImagePath);
    return cell ? cell->value.CStr() : WTXT("");
}

// ---- drawing -------------------------------------------------------------------------------

void UiImage::Process() {
    if (!IsChanged()) return;
    if (Tag* box = ValueTagAt(kBox); box && box->IsChanged()) {
        MakeResources();
        const Rect r = Box();
        // White, the texture from corner to corner (its first row at the top).
        const uint32_t white = 0xFFFFFFFF;
        const s_GxVert_PosColUV a{r.x0, r.y0, 0, white, 0, 1}, b{r.x1, r.y0, 0, white, 1, 1},
            c{r.x1, r.y1, 0, white, 1, 0}, d{r.x0, r.y1, 0, white, 0, 0};
        const s_GxVert_PosColUV quad[6] = {a, b, c, a, c, d};
        if (r.valid) quadMesh->SetTriangles(quad, 6);
        else quadMesh->SetTriangles(static_cast<const s_GxVert_PosColUV*>(nullptr), 0);
    }
    UiBox::Process();
}

void UiImage::Draw(DrawGx& draw) {
    if (Visibility() == 0) return;
    if (quadMesh) draw.QueueMesh(*quadMesh);
}
