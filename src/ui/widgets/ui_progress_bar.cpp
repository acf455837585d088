#include "ui/widgets/ui_progress_bar.h"

#include "cell/tags.h"
#include "ui/ui_mesh.h"
#include "ui/ui_options.h"

// ---- layout ------------------------------------------------------------------------------

UiProgressBar::UiProgressBar(int32_t sizeKind) { Shape(kLayoutNone, sizeKind); }

void UiProgressBar::DeclareTags() {
    UiBox::DeclareTags();
    DeclareTag(WTXT("Fraction"), new FloatCell);
}

// ---- behaviour -----------------------------------------------------------------------------

void UiProgressBar::SetFraction(float fraction) {
    const float clamped = fraction < 0 ? 0.0f : fraction > 1 ? 1.0f : fraction;
    auto* cell = TagValueAs<FloatCell>(kFraction);
    if (!cell || cell->value == clamped) return;
    cell->value = clamped;
    if (Tag* tag = ValueTagAt(kFraction)) tag->MarkChanged();
    MarkChanged();
}

float UiProgressBar::Fraction() const {
    const auto* cell = TagValueAs<FloatCell>(kFraction);
    return cell ? cell->value : 0.0f;
}

// ---- drawing -------------------------------------------------------------------------------

// The track in a button's resting colour, the done part in its pressed
// colour, the frame in its text colour.
void UiProgressBar::Process() {
    if (!IsChanged()) return;
    const Rect r = Box();
    UiMesh mesh;
    if (r.valid && Visibility() != 0 && r.x1 > r.x0 && r.y1 > r.y0) {
        const UiOptions& o = UiOptions::Get();
        const float done = r.x0 + (r.x1 - r.x0) * Fraction();
        mesh.Rect(GxBox{r.x0, r.y0, r.x1, r.y1, true}, o.Color(UiOptions::kFaceUp));
        if (done > r.x0) mesh.Rect(GxBox{r.x0, r.y0, done, r.y1, true}, o.Color(UiOptions::kFaceDown));
        mesh.Outline(GxBox{r.x0, r.y0, r.x1, r.y1, true}, o.Color(UiOptions::kFaceUpText));
    }
    mesh.StoreShapes(barMesh, WhiteMaterial());
    UiBox::Process();
}

void UiProgressBar::Draw(DrawGx& draw) {
    if (Visibility() == 0) return;
    if (barMesh) draw.QueueMesh(*barMesh);
}
