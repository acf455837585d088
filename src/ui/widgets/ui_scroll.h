// UiScroll: the scroll bar beside a scroll view. Its track is the right-most
// 8 px of its rectangle; the thumb shows which part of the content the view
// shows, lights up under the pointer and drags the view's offset.
// States: 0 idle, 1 pointer outside, 2 over the bar but not the thumb,
// 3 over the thumb, 4 dragging.
//
// Sections: layout; behaviour; drawing.
#pragma once

#include "ui/color_interp.h"
#include "ui/pointer_behavior.h"
#include "ui/ui_box.h"

class UiScrollView;

class UiScroll : public UiBox {
    VELDO_CELL(UiScroll, UiBox, 0x314BAEC43882E100ULL)

public:
    enum ScrollTag : int32_t { kActiveBox = kBoxTagCount, kVertical, kPosY, kRange, kView, kScrollTagCount };
    enum State : int32_t { kIdle = 0, kOutside = 1, kOverBar = 2, kOverThumb = 3, kDragging = 4 };

    int32_t state = kIdle;
    ui_pointer::DragGrip grip;  // where along the thumb the press took it
    UiColorInterp color;
    SObject<MeshGx> thumbMesh;

    UiScroll();
    void DeclareTags() override;

    // ---- layout
    // Binds the bar to the view whose offset, content and height it shows.
    void Bind(UiScrollView& view);
    UiScrollView* View() const;
    // The track, and the thumb's start and length along it from the top.
    Rect Track() const;
    void Thumb(float& start, float& length) const;
    Rect ThumbBox() const;
    // As wide as its track.
    void Measure() override;

    // ---- behaviour
    bool Input(const WndEvent& event) override;
    // Time deltas move the colour on.
    void TimePassed(float seconds) override;

    // ---- drawing
    void Process() override;
    void Draw(DrawGx& draw) override;

private:
    void SetState(int32_t next);
    // The offset that puts the thumb's start at a distance from the track's top.
    void DragTo(float thumbStart);
    // The content's height and the view's, as the bar counts them.
    void Extents(float& range, float& view) const;
};
