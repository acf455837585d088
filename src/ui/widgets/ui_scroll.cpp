#include "ui/widgets/ui_scroll.h"

#include <algorithm>

#include "cell/synapser.h"
#include "cell/tags.h"
#include "ui/size_rule.h"
#include "ui/ui_mesh.h"
#include "ui/ui_messages.h"
#include "ui/ui_options.h"
#include "ui/ui_root_services.h"
#include "ui/ui_scroll_view.h"

namespace {

// The thumb under the pointer: brighter than the bar's hover colour.
constexpr uint32_t kThumbHoverColor = 0xCCFFFFFF;

}  // namespace

// ---- layout -------------------------------------------------------------------------------

UiScroll::UiScroll() {
    Shape(kLayoutNone, kSizeAsGiven);
    if (FltParamCell* rule = SizeRule()) MakeFixedRule(*rule, UiOptions::Get().Size(UiOptions::kScrollTrackWidth));
    color.Set(0);  // idle: not shown
}

void UiScroll::DeclareTags() {
    UiBox::DeclareTags();
    DeclareTag(WTXT("ActiveBox"), new FltBox2);
    auto* vertical = new BoolCell;
    vertical->value = true;
    DeclareTag(WTXT("Vertical"), vertical);
    DeclareTag(WTXT("PosY"), new Cell);
    DeclareTag(WTXT("Range"), new Cell);
    DeclareTag(WTXT("View"), new Cell);
}

// The three link tags all lead to the view: its offset, its content's
// extent and its own.
void UiScroll::Bind(UiScrollView& view) {
    for (int32_t tag : {int32_t(kPosY), int32_t(kRange), int32_t(kView)})
        if (BTag* t = TagAt(tag)) {
            t->Links().links.Clear();
            t->Links().Add(&view);
        }
    // The view's offset tag tells the bar when the view moved or changed.
    if (Tag* offset = view.ValueTagAt(UiScrollView::kViewOffsetY)) offset->Links().Add(this);
    MarkChanged();
}

UiScrollView* UiScroll::View() const {
    BTag* tag = TagAt(kPosY);
    return tag && tag->links ? CellAs<UiScrollView>(tag->links->FirstLive()) : nullptr;
}

UiBox::Rect UiScroll::Track() const {
    const Rect r = Box();
    const float width = UiOptions::Get().Size(UiOptions::kScrollTrackWidth);
    return Rect{std::max(r.x0, r.x1 - width), r.y0, r.x1, r.y1, r.valid};
}

void UiScroll::Extents(float& range, float& view) const {
    const UiScrollView* v = View();
    range = std::max(v ? v->ContentHeight() : 0.0f, 0.001f);
    view = std::min(v ? v->ViewHeight() : 0.0f, range);
}

void UiScroll::Thumb(float& start, float& length) const {
    const Rect track = Track();
    const float trackLength = track.y1 - track.y0;
    float range, view;
    Extents(range, view);
    const UiScrollView* v = View();
    length = trackLength * view / range;
    start = trackLength * (v ? v->Offset() : 0) / range;
}

UiBox::Rect UiScroll::ThumbBox() const {
    const Rect track = Track();
    float start, length;
    Thumb(start, length);
    return Rect{0.7f * track.x0 + 0.3f * track.x1, track.y1 - start - length, 0.3f * track.x0 + 0.7f * track.x1,
                track.y1 - start, track.valid};
}

void UiScroll::Measure() {
    if (!IsChanged()) return;
    measuredWidth = UiOptions::Get().Size(UiOptions::kScrollTrackWidth);
    measuredHeight = UiOptions::Get().Row();
}

// ---- behaviour ---------------------------------------------------------------------------------

void UiScroll::SetState(int32_t next) {
    if (next == state) return;
    state = next;
    const UiOptions& o = UiOptions::Get();
    if (state == kOutside || state == kOverBar) color.FadeTo(o.Color(UiOptions::kSplitterHoverSecond));
    else if (state == kOverThumb) color.PulseTo(kThumbHoverColor);
    else if (state == kDragging) color.Set(o.Color(UiOptions::kSplitterDragged));
    if (UiRootServices* services = Services()) services->JoinTimer(*this);
    MarkChanged();
}

void UiScroll::DragTo(float thumbStart) {
    UiScrollView* view = View();
    const Rect track = Track();
    const float trackLength = track.y1 - track.y0;
    if (!view || trackLength <= 0) return;
    float range, shown;
    Extents(range, shown);
    const float offset = std::clamp(thumbStart * range / trackLength, 0.0f, std::max(0.0f, range - shown));
    view->SetOffset(offset);
    MarkChanged();
}

bool UiScroll::Input(const WndEvent& event) {
    const Rect track = Track();
    if (!track.valid || Visibility() == 0 || !View()) return false;
    const Rect thumb = ThumbBox();
    const bool onBar = HitTest(event.x, event.y);
    const bool onTrack = track.Contains(event.x, event.y);
    const bool onThumb = onTrack && event.y >= thumb.y0 && event.y < thumb.y1;
    const float along = track.y1 - event.y;  // from the top
    switch (ui_pointer::StepOf(event, onTrack, state == kDragging)) {
        case ui_pointer::Step::kPress: {
            float start, length;
            Thumb(start, length);
            if (!onThumb) {  // the thumb comes to the pointer first
                DragTo(along - length / 2);
                Thumb(start, length);
            }
            grip.Take(along, start);
            SetState(kDragging);
            return true;
        }
        case ui_pointer::Step::kDrag:
            DragTo(grip.HandleAt(along));
            return true;
        case ui_pointer::Step::kRelease:
            SetState(onThumb ? kOverThumb : kOverBar);
            return true;
        case ui_pointer::Step::kMove:
            if (state != kDragging) SetState(onThumb ? kOverThumb : onBar ? kOverBar : kOutside);
            return false;
        default: return false;
    }
}

void UiScroll::TimePassed(float seconds) {
    UiRootServices* services = Services();
    color.Advance(services ? services->FrameDelta() : seconds);
    if (!color.Animating() && services) services->LeaveTimer(*this);
    if ((color.CurrentArgb() >> 24) == 0 && state != kDragging) state = kIdle;  // nothing shows: idle
    MarkChanged();
}

// ---- drawing ----------------------------------------------------------------------------------

void UiScroll::Process() {
    if (!IsChanged()) return;
    if (auto* active = TagValueAs<FltBox2>(kActiveBox)) active->value = Track();
    const Rect thumb = ThumbBox();
    UiMesh mesh;
    if (thumb.valid && Visibility() != 0 && thumb.y1 > thumb.y0)
        mesh.Rect(GxBox{thumb.x0, thumb.y0, thumb.x1, thumb.y1, true}, color.CurrentArgb());
    mesh.StoreShapes(thumbMesh, WhiteMaterial());
    UiBox::Process();
}

void UiScroll::Draw(DrawGx& draw) {
    if (Visibility() == 0) return;
    if (thumbMesh) draw.QueueMesh(*thumbMesh);
}
