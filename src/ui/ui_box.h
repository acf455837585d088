// UiBox: the base of every UI element, with its five tags (Box,
// ChildLayoutType, Layout, BoxTitle, Visible). Only boxes are its children.
//
// Sections: tags and shape; measure and arrange; processing (meshes and
// fitting the rule to the content); drawing; input; keyboard; messages.
#pragma once

#include "core/geometry.h"
#include "cell/hcell.h"
#include "cell/value_cells.h"
#include "gx/draw_gx.h"
#include "gx/wnd_event.h"

class FontGx;
class UiRootServices;

class UiBox : public HCell {
    VELDO_CELL(UiBox, HCell, 0x32F319C7F7971A24ULL)

public:
    enum TagIndex : int32_t { kBox, kChildLayoutType, kLayout, kBoxTitle, kVisible, kBoxTagCount };
    enum ChildLayout : int32_t { kLayoutNone = -1, kLayoutHorizontal = 0, kLayoutVertical = 1 };
    static constexpr uint32_t kFrameColor = 0x0FFFFFFF;
    using Rect = BBox2D<float, 2>;

    // From the last measure pass.
    float measuredWidth = 0, measuredHeight = 0;
    // Cached drawing, rebuilt when the title or the rectangle changes.
    SObject<MeshGx> titleMesh, frameMesh;

    void DeclareTags() override;
    bool AcceptsChild(CellKey key) const override;
    // Adding a box invalidates this box's layout and the child's.
    void InsertChild(int32_t index, HCell* child) override;
    int32_t AddChild(HCell* child) override;

    // ---- tags and shape
    // How its children are stacked, and its size rule made of that kind
    // (e_UiSizeKind; kSizeAsGiven keeps the rule it has).
    void Shape(int32_t childLayout, int32_t sizeKind);
    void SetTitle(const WChar* title);
    int32_t ChildLayoutType() const;
    // 0 hidden, 1 visible, -1 not set; widgets may answer from a script.
    virtual int32_t Visibility() const;
    bool HasTitle() const;
    const WChar* Title() const;
    FltParamCell* SizeRule() const;
    Rect Box() const;
    // Stores a new rectangle and marks it changed (and so the box and those
    // above it); the same rectangle again changes nothing.
    virtual void SetBox(float x0, float y0, float x1, float y1);
    // The child at index when it is a box, else null.
    UiBox* ChildBox(int32_t index) const;
    UiBox* ParentBox() const;
    // The root's services, found above; null outside a rooted tree.
    UiRootServices* Services() const;
    // The root's white material (solid colours are drawn through it) and
    // body font (null without a root, or when the font could not be read).
    MaterialGx* WhiteMaterial() const;
    const FontGx* BodyFont() const;

    // ---- measure and arrange
    // Bottom-up, changed boxes only: a hidden box is 0 x 0, a leaf one row
    // square; a stack sums its children along its axis (each at least its
    // rule's minimum) and takes the tallest visible one across it.
    virtual void Measure();
    // Top-down: the children's rules share the length along the stacking
    // axis (below a title band of margin + row), and the children are
    // placed left to right, or from the top down, in order. While a child
    // holds the layout (a dragged splitter) the rules keep their values.
    virtual void Arrange();
    // True while this box wants its parent to keep the children's sizes.
    virtual bool HoldsLayout() const { return false; }
    // Marks the rectangle changed here and in every box above, so that the
    // next processing measures and arranges them again.
    void InvalidateLayout();

    // ---- processing
    // Rebuilds the title and frame meshes when they changed, fits the size
    // rule to the content and arranges the children; then the generic pass.
    void Process() override;

    // ---- drawing
    // Frame, title, then the visible children; a hidden box draws nothing.
    virtual void Draw(DrawGx& draw);
    void DrawChildren(DrawGx& draw);

    // ---- input
    // One event; true when consumed. A box without a rectangle takes none.
    virtual bool Input(const WndEvent& event);
    bool HitTest(float x, float y) const;
    // In the title band (margin + row at the top) of a titled box.
    bool TitleHitTest(float x, float y) const;

    // ---- keyboard
    // Whether the keyboard's focus may rest here (Tab moves it among such
    // boxes in tree order), and what Enter or Space does to it then.
    virtual bool TakesKeyboardFocus() const { return false; }
    virtual void ActivateByKeyboard() {}
    // The keys a box acts on while it has the keyboard's focus (a scroll
    // view's PageUp and PageDown); true when it took the key.
    virtual bool FocusKey(const WndEvent& event) { return false; }

    // ---- messages
    // k new boxes (2 or 3) after the children, flexible, stacked across this
    // box's own direction, each after a splitter but the first of an empty
    // box; arranged at once when the box has a rectangle.
    void SplitInto(int32_t k);
    // Splitting, child layout, visibility, deleting, time deltas (through
    // TimePassed) and added children; the rest as any HCell.
    SSlave<Cell> Receive(Cell& message) override;
    bool Accepts(CellKey key) const override;

protected:
    // A frame's time, for a box that joined the root's timer (animations, a
    // blinking cursor, a repeating button); a plain box draws again.
    virtual void TimePassed(float seconds);
    // The title band's mesh and the outline; widgets add their own.
    virtual void RebuildTitleMesh();
    virtual void RebuildFrameMesh();
    // Raises the size rule to what the content measures along the parent's
    // axis; true when the rule changed.
    bool FitRuleToContent();
    // Whether a drop lands here: plain boxes and the root take drops.
    virtual bool TakesDrops() const;
    bool InsideAnyChild(float x, float y) const;
};

// What builds the cell browser into a box on UiBox_Generate_CellsList_Msg
// (the widgets' layer provides it; without one the message does nothing).
using UiBoxBuilder = void (*)(UiBox& box);
void SetCellsListBuilder(UiBoxBuilder builder);
