#include "ui/widgets/ui_image.h"

#include "cell/tags.h"
#include "ui/size_rule.h"
#include "ui/ui_mesh.h"

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
        UiMesh quad;
        if (r.valid) quad.TexturedRect(GxBox{r.x0, r.y0, r.x1, r.y1, true}, UiMesh::FirstRow::kAtTop);
        quad.StoreShapes(quadMesh, material.Get());
    }
    UiBox::Process();
}

void UiImage::Draw(DrawGx& draw) {
    if (Visibility() == 0) return;
    if (quadMesh) draw.QueueMesh(*quadMesh);
}
