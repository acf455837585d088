#include "ui/ui_panel.h"

#include "cell/tags.h"
#include "ui/ui_mesh.h"
#include "ui/ui_options.h"

void UiPanel::Process() {
    if (!IsChanged()) return;
    if (Tag* box = ValueTagAt(kBox); box && box->IsChanged()) {
        const Rect r = Box();
        UiMesh mesh;
        if (r.valid) mesh.Rect(GxBox{r.x0, r.y0, r.x1, r.y1, true}, UiOptions::Get().Color(UiOptions::kBaseColor));
        mesh.StoreShapes(fillMesh, WhiteMaterial());
    }
    UiBox::Process();
}

void UiPanel::Draw(DrawGx& draw) {
    if (Visibility() == 0) return;
    if (fillMesh) draw.QueueMesh(*fillMesh);
    UiBox::Draw(draw);
}
