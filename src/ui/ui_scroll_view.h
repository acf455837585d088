// UiScrollView: a box that shows one tall content box through its own
// rectangle, scrolled down by "ViewOffsetY" pixels (0 at the top), in
// steps of row + margin.
#pragma once

#include "ui/ui_box.h"

class UiScrollView : public UiBox {
    VELDO_CELL(UiScrollView, UiBox, 0x042D3A16E66607E1ULL)

public:
    enum ScrollTag : int32_t { kViewOffsetY = kBoxTagCount, kScrollViewTagCount };

    void DeclareTags() override;

    float Offset() const;
    // Only with exactly one content box; clamped to what the content lets
    // scroll when the view has a rectangle. Invalidates the layout.
    void SetOffset(float offset);
    // By whole steps of row + margin (negative: up).
    void ScrollBy(float steps);
    // The up and down buttons show unless the content plainly fits.
    bool ButtonsShown() const;

    // One row square whatever the content; the content is measured too.
    void Measure() override;
    // The content at least as tall as the view, its top offset pixels above
    // the view's top.
    void Arrange() override;
    // The wheel scrolls (a notch a step); presses, drag starts and drops
    // reach the content only inside the view, everything else wherever the
    // pointer is.
    bool Input(const WndEvent& event) override;
    // The content, cut to the view.
    void Draw(DrawGx& draw) override;
    // With something to scroll it takes the keyboard's focus: the arrows
    // scroll a step, PageUp and PageDown a view's height.
    bool TakesKeyboardFocus() const override;
    bool FocusKey(const WndEvent& event) override;
    // Scroll up and down messages, and the buttons' visibility question.
    SSlave<Cell> Receive(Cell& message) override;
    bool Accepts(CellKey key) const override;

    // The content's measured height, the view's height (0 without a
    // rectangle).
    float ContentHeight() const;
    float ViewHeight() const;
};
