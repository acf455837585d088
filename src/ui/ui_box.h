// UiBox: the base of every UI element, with its five tags (Box,
// ChildLayoutType, Layout, BoxTitle, Visible). Only boxes are its children.
#pragma once

#include "cell/core/geometry.h"
#include "cell/hcell.h"
#include "cell/value_cells.h"

class UiBox : public HCell {
    VELDO_CELL(UiBox, HCell, 0x32F319C7F7971A24ULL)

public:
    enum TagIndex : int32_t { kBox, kChildLayoutType, kLayout, kBoxTitle, kVisible, kBoxTagCount };
    enum ChildLayout : int32_t { kLayoutNone = -1, kLayoutHorizontal = 0, kLayoutVertical = 1 };
    using Rect = BBox2D<float, 2>;

    // From the last measure pass.
    float measuredWidth = 0, measuredHeight = 0;

    void DeclareTags() override;
    bool AcceptsChild(CellKey key) const override;

    // How its children are stacked, and its size rule made of that kind
    // (e_UiSizeKind; kSizeAsGiven keeps the rule it has).
    void Shape(int32_t childLayout, int32_t sizeKind);

    // The tags as the layout reads them.
    int32_t ChildLayoutType() const;
    int32_t Visibility() const;  // 0 hidden, 1 visible, -1 not set
    bool HasTitle() const;
    FltParamCell* SizeRule() const;
    Rect Box() const;
    // Stores a new rectangle and marks it changed (and so the box and those
    // above it).
    void SetBox(float x0, float y0, float x1, float y1);
    // The child at index when it is a box, else null.
    UiBox* ChildBox(int32_t index) const;

    // Bottom-up, changed boxes only: a hidden box is 0 x 0, a leaf one row
    // square; a stack sums its children along its axis (each at least its
    // rule's minimum) and takes the tallest visible one across it.
    virtual void Measure();
    // Top-down: the children's rules share the length along the stacking
    // axis (below a title band of margin + row), and the children are
    // placed left to right, or from the top down, in order.
    virtual void Arrange();

    // Marks the rectangle changed here and in every box above, so that the
    // next processing measures and arranges them again.
    void InvalidateLayout();
    // k new boxes (2 or 3) after the children, flexible, stacked across this
    // box's own direction, each after a splitter but the first of an empty
    // box; arranged at once when the box has a rectangle.
    void SplitInto(int32_t k);

    // The box's messages: splitting, child layout, visibility, deleting,
    // time deltas and added children; the rest as any HCell.
    SSlave<Cell> Receive(Cell& message) override;
    bool Accepts(CellKey key) const override;
};

// The tree's root, which owns a window's drawing resources.
VELDO_EMPTY_CELL(UiRoot, UiBox, 0x159D7C1A56051D5BULL);
VELDO_EMPTY_CELL(UiGrid, UiBox, 0xAFFFEEDECF87D494ULL);
VELDO_EMPTY_CELL(UiMasterCell, UiBox, 0x98F2CE35A82A77A3ULL);
VELDO_EMPTY_CELL(UiSlaveCell, UiBox, 0x1B65C7136FC531D2ULL);
VELDO_EMPTY_CELL(UiPanel, UiBox, 0x5816B57938C0E183ULL);
VELDO_EMPTY_CELL(UiSplitter, UiBox, 0xE29550A06CBAE62CULL);
VELDO_EMPTY_CELL(UiViewport, UiBox, 0xBC4E74EAE9E84FA7ULL);

// Widgets.
VELDO_EMPTY_CELL(UiButton, UiBox, 0x7BC68CD795AC697FULL);
VELDO_EMPTY_CELL(UiCombo, UiBox, 0x6CCC45D7847DB661ULL);
VELDO_EMPTY_CELL(UiEdit, UiBox, 0x3362655E8F10FAFAULL);
VELDO_EMPTY_CELL(UiEnum, UiBox, 0x3259958AF1EF2613ULL);
VELDO_EMPTY_CELL(UiImage, UiBox, 0x27194686170EB9D5ULL);
VELDO_EMPTY_CELL(UiScroll, UiBox, 0x314BAEC43882E100ULL);
VELDO_EMPTY_CELL(UiSKey, UiBox, 0xBDE251D06B19B464ULL);
VELDO_EMPTY_CELL(UiText, UiBox, 0xBAB0FB33125AC0A0ULL);
