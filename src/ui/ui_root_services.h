// What a box asks of the root of its tree: the fonts, the white material,
// the frame's time delta and the list of cells that want one, the drawing
// context. The UiRoot provides them; a box finds it by walking up.
#pragma once

#include <cstdint>

class Cell;
class DrawGx;
class FontGx;
class MaterialGx;

class UiRootServices {
public:
    enum FontIndex : int32_t { kBodyFont = 0, kTitleFont = 1 };

    virtual ~UiRootServices() = default;
    // Null when the font could not be loaded: text in it is not drawn.
    virtual const FontGx* Font(int32_t index) const = 0;
    // A 16 x 16 white texture: solid colours through the textured path.
    virtual MaterialGx* WhiteMaterial() = 0;
    // The last frame's time delta in seconds.
    virtual float FrameDelta() const = 0;
    // cell receives a UiBox_Process_TimeDelta_Act every frame until it
    // leaves (or dies); joining twice is joining once.
    virtual void JoinTimer(Cell& cell) = 0;
    virtual void LeaveTimer(Cell& cell) = 0;
    // The drawing context for what is drawn off screen (viewports).
    virtual DrawGx* OffscreenDraw() = 0;
    // The one edit of the tree that takes the keys, null when none.
    virtual Cell* FocusedEdit() const = 0;
    virtual void FocusEdit(Cell* edit) = 0;
};
