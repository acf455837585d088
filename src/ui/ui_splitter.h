// UiSplitter: the thin bar between two siblings of a stack. Pressing it
// grabs the edge, dragging moves it (the sibling before grows by what the
// one after loses, each within its own size rule), and its colour shows
// whether it rests, is hovered or is dragged.
#pragma once

#include "ui/color_interp.h"
#include "ui/pointer_behavior.h"
#include "ui/ui_box.h"

class UiSplitter : public UiBox {
    VELDO_CELL(UiSplitter, UiBox, 0xE29550A06CBAE62CULL)

public:
    enum State : int32_t { kRest = 0, kHover = 1, kDragged = 2 };

    int32_t state = kRest;
    ui_pointer::DragGrip grip;  // where along the bar the press took it
    float edge = 0;        // where the dragged edge is
    UiColorInterp color;
    SObject<MeshGx> barMesh;

    UiSplitter();

    // As thick as its rule says, whatever it holds.
    void Measure() override;
    // A dragged splitter keeps its siblings' sizes as they are.
    bool HoldsLayout() const override { return state == kDragged; }
    bool Input(const WndEvent& event) override;
    void Process() override;
    void Draw(DrawGx& draw) override;
    // Time deltas move the colour on.
    void TimePassed(float seconds) override;

    // The edge's coordinate along the parent's stack: the left edge in a
    // horizontal one, the top edge in a vertical one.
    float EdgeOf(const Rect& r) const;
    bool Vertical() const;

private:
    void SetState(int32_t next);
    // Moves the edge to the given coordinate as far as the neighbours' rules
    // allow.
    void MoveEdge(float to);
    // The flexible siblings' weights become their sizes, so that the
    // layout after the drag shares out what the drag left.
    void KeepSiblingSizes();
};
