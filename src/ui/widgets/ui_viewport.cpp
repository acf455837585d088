#include "ui/widgets/ui_viewport.h"

#include <initializer_list>

#include "cell/scripts.h"
#include "cell/tags.h"
#include "gx/font_gx.h"
#include "ui/size_rule.h"
#include "ui/ui_mesh.h"
#include "ui/ui_options.h"
#include "ui/ui_root_services.h"

// ---- layout -------------------------------------------------------------------------------

UiViewport::UiViewport() { Shape(kLayoutNone, kSizeFlexible); }

void UiViewport::DeclareTags() {
    UiBox::DeclareTags();
    DeclareTag(WTXT("RefreshMesh_Script"), new Cell);
}

void UiViewport::AddText(float x, float y, const WChar* text, uint32_t color) {
    auto* record = new s_TextData;
    record->x = x;
    record->y = y;
    record->text.Assign(text);
    record->color = color;
    texts.Add(record);
    MarkChanged();
}

// ---- drawing --------------------------------------------------------------------------------

void UiViewport::Render() {
    UiRootServices* services = Services();
    DrawGx* draw = services ? services->OffscreenDraw() : nullptr;
    if (!draw || !target || !view) return;
    const FontGx* font = services->Font(UiRootServices::kBodyFont);
    UiMesh words;
    for (int32_t i = 0; i < texts.count && font; ++i)
        words.Text(*font, texts[i]->x, texts[i]->y, texts[i]->text.CStr(), texts[i]->color, view->box);
    words.StoreText(textMesh, font);
    draw->ClearQueue();
    draw->ClearClips();
    draw->BindTarget(target.Get());
    draw->Clear(true, true, true);
    for (int32_t i = 0; i < scene.count; ++i)
        if (scene[i]) draw->QueueMesh(*scene[i]);
    draw->RenderQueue(*view, camera.Get(), camera.Get() != nullptr);
    draw->ClearQueue();
    if (textMesh) {
        draw->QueueMesh(*textMesh);  // the texts over the scene, flat
        draw->RenderQueue(*view, nullptr, false);
        draw->ClearQueue();
    }
    draw->BindTarget(nullptr);
    ++renders;
}

void UiViewport::Process() {
    if (!IsChanged()) return;
    const Rect r = Box();
    const bool shown = r.valid && Visibility() != 0 && r.x1 > r.x0 && r.y1 > r.y0;
    if (Tag* box = ValueTagAt(kBox); box && box->IsChanged()) {
        UiMesh back;
        if (shown) back.Rect(GxBox{r.x0, r.y0, r.x1, r.y1, true}, UiOptions::Get().Color(UiOptions::kEditIdle));
        back.StoreShapes(backgroundMesh, WhiteMaterial());
        if (shown) {
            const int32_t w = int32_t(r.x1 - r.x0), h = int32_t(r.y1 - r.y0);
            if (!target) target.Reset(NewRenderTargetGx());
            if (!view) view.Reset(NewViewportGx());
            target->Create(w, h, true);
            view->box = GxBox{0, 0, float(w), float(h), true};
            if (!targetMaterial) targetMaterial.Reset(new MaterialGx);
            targetMaterial->texture.PointAt(target->ColorTexture()->EnsureSelfLink());
            UiMesh quad;
            quad.TexturedRect(GxBox{r.x0, r.y0, r.x1, r.y1, true}, UiMesh::FirstRow::kAtBottom);
            quad.StoreShapes(quadMesh, targetMaterial.Get());
            FireScript(TagAt(kRefreshMeshScript));  // the scene for the new size
        }
    }
    if (shown) Render();
    UiBox::Process();
}

void UiViewport::Draw(DrawGx& draw) {
    if (Visibility() == 0) return;
    for (SObject<MeshGx>* mesh : {&backgroundMesh, &quadMesh})
        if (*mesh) draw.QueueMesh(**mesh);
}
